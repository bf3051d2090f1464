#include "heat_balance.h"

#include <cstdio>

#include "checked.h"

namespace physics {

using detail::Real;

namespace {

const char* faultMessage(Fault fault) {
    switch (fault) {
    case Fault::DivisionByZero: return "Floating-point division by zero";
    case Fault::Overflow: return "Floating-point overflow";
    case Fault::InvalidOperation: break;
    }
    return "Invalid floating-point operation";
}

}  // namespace

FloatingPointError::FloatingPointError(Fault fault)
    : Error(faultMessage(fault)), fault_(fault) {}

NoBalanceError::NoBalanceError()
    : Error("No surface temperature balances these inputs: the search for "
            "the ground surface temperature does not converge.") {}

namespace detail {

void raise(Fault fault) { throw FloatingPointError(fault); }

void raiseFor(double r, double, double) {
    raise(std::isnan(r) ? Fault::InvalidOperation : Fault::Overflow);
}

// The formulas of the surface temperature search, for every number type
// (see checked.h); the public functions below are their Real cases.

template <class N = Real>
N airDensity(Number<N> T, Number<N> P, Number<N> e) {
    const N temperatureFactor = 273.15 / (T + 273.15);
    const N pressureFactor = P / 1013.25;
    const N vapourFactor = 1.0 - e / P * 0.378;
    return 1.293 * temperatureFactor * pressureFactor * vapourFactor;
}

template <class N = Real>
N specificHeat(Number<N> T) { return 1005.0 + 0.05 * T; }

template <class N = Real>
N latentHeat(Number<N> T) { return 2500000.0 - 2400.0 * T; }

// Tetens exponent 7.5 T / (237.3 + T).
template <class N = Real>
N tetensExponent(Number<N> T) { return 7.5 * T / (237.3 + T); }

template <class N = Real>
N saturationPressure(Number<N> T) {
    return 6.1078 * power(N(10.0), tetensExponent<N>(T));
}

template <class N = Real>
N specificHumidity(Number<N> e, Number<N> P) {
    const N r = e / P;
    return 0.622 * r / (1.0 - 0.378 * r);
}

template <class N = Real>
N vapourPressure(Number<N> q, Number<N> P) { return q * P / (0.622 + 0.378 * q); }

}  // namespace detail

using detail::tetensExponent;

// ---------------------------------------------------------------------------
// Moist-air properties

double getRho(double T, double P, double e) { return detail::airDensity(T, P, e).v; }

double getCp(double T) { return detail::specificHeat(T).v; }

double getL(double T) { return detail::latentHeat(T).v; }

double getPz(double P0, double T, double z) {
    const Real Tk = Real(T) + 273.15;
    const Real base = (Tk - 0.0065 * Real(z)) / Tk;
    constexpr double n = 9.8066 / 287.0 / 0.0065;  // g / (Rd * lapse rate)
    return (P0 * detail::power(base, n)).v;
}

double getEs(double T) { return detail::saturationPressure(T).v; }

double getQs(double T, double P) { return getQ(getEs(T), P); }

double getDes(double T) {
    const Real A = (2500.0 - 2.4 * Real(T)) * 6.1078;
    const Real B = 0.4615 * (Real(T) + 273.15) * (Real(T) + 273.15);
    const Real a = tetensExponent(T);
    return (detail::power(10.0, a) * (A / B)).v;
}

double getDqs(double T, double P) {
    const Real d = P - 0.378 * Real(getEs(T));
    return (Real(getDes(T)) * 0.622 * P / (d * d)).v;
}

double getQ(double e, double P) { return detail::specificHumidity(e, P).v; }

double getE(double q, double P) { return detail::vapourPressure(q, P).v; }

double getErh(double f, double T) { return (f * Real(getEs(T))).v; }

double getEwet(double Tdry, double Twet, double P) {
    const Real es = getEs(Twet);
    return (es - 0.00066 * (1.0 + 0.00115 * Real(Twet)) * (Tdry - Real(Twet)) * P).v;
}

double getTdew(double e) {
    if (!(e > 0.0))
        std::fputs("getTdew: warning: \"e\" is 0.0 (hPa).\n", stderr);
    const Real x = detail::log10(Real(e) / 6.11);
    return (237.3 * x / (7.5 - x)).v;
}

// ---------------------------------------------------------------------------
// Surface temperature solver

namespace {

using detail::Number;
using detail::Plain;
using detail::Traced;

constexpr double kTolerance = 0.0005;  // W/m2

// The inputs of the search and the air properties at the air temperature,
// fixed for the whole search.
template <class N>
struct Surface {
    N Q, u, Ta, qa, pa, ch, beta;
    N cp, rho, L;

    template <class M>
    Surface<M> as() const {
        return {Q.v, u.v, Ta.v, qa.v, pa.v, ch.v, beta.v, cp.v, rho.v, L.v};
    }
};

template <class N>
Surface<N> surface(N Q, N u, N Ta, N qa, N pa, N ch, N beta) {
    const N cp = detail::specificHeat<N>(Ta);
    const N e = detail::vapourPressure<N>(qa, pa);
    const N rho = detail::airDensity<N>(Ta, pa, e);
    const N L = detail::latentHeat<N>(Ta);
    return {Q, u, Ta, qa, pa, ch, beta, cp, rho, L};
}

// The fluxes of one pass and its residual, W/m2.
template <class N>
struct Balance {
    N Lu, H, lE, R;
};

template <class N>
Balance<N> balanceAt(const Surface<N>& s, Number<N> Ts) {
    const N qs = detail::specificHumidity<N>(detail::saturationPressure<N>(Ts), s.pa);
    const N Lu = detail::blackBody<N>(Ts);
    const N H = s.cp * s.rho * s.ch * s.u * (Ts - s.Ta);
    const N lE = s.L * s.rho * s.beta * s.ch * s.u * (qs - s.qa);
    return {Lu, H, lE, s.Q - Lu - H - lE};
}

// Where a search stands at the start of a pass.
struct Trial {
    int pass;
    double Ts;    // deg C
    double step;  // K
};

// The search from the pass at on, in N arithmetic. On closing the balance it
// writes the fluxes of the last pass and returns true. A Traced search
// returns false instead, before it reports the pass, at the first pass where
// a value was not finite, and leaves at there for Real to redo.
template <class N, class M, class Observe>
bool searchTs(const Surface<M>& given, Trial& at, double& LuOut, double& HOut,
              double& lEOut, Observe&& observe) {
    const Surface<N> s = given.template as<N>();
    for (;; ++at.pass) {
        const N Ts = at.Ts;
        N step = at.step;
        const Balance<N> b = balanceAt<N>(s, Ts);
        const N heading = b.R * step;
        if (less(heading, 0.0))
            step = -0.5 * step;
        const N next = Ts + step;
        if (!detail::clean(heading) || !detail::clean(next))
            return false;
        observe(TsPass{at.pass, Ts.v, b.Lu.v, b.H.v, b.lE.v, b.R.v, step.v});
        if (!greater(abs(b.R), kTolerance)) {
            LuOut = b.Lu.v;
            HOut = b.H.v;
            lEOut = b.lE.v;
            return true;
        }
        // The step has shrunk below the spacing of doubles at Ts, or the walk
        // never crosses the balance: no temperature closes it.
        if (next.v == Ts.v || at.pass >= kMaxTsPasses)
            throw NoBalanceError();
        at.Ts = next.v;
        at.step = step.v;
    }
}

// The checked search. It runs in Traced arithmetic until a pass meets a value
// that is not finite, then redoes that pass and goes on in Real, which raises
// the fault where it happens (or carries the NaN or the infinity of an input
// on quietly). Up to that pass the two give the same bits.
template <class Observe>
double searchTsChecked(double Q, double u, double Ta, double qa, double pa, double ch,
                       double beta, double& Lu, double& H, double& lE,
                       Observe&& observe) {
    const Surface<Real> checked = surface<Real>(Q, u, Ta, qa, pa, ch, beta);
    Trial at{1, (checked.Ta + 10.0).v, -20.0};
    if (!searchTs<Traced>(checked, at, Lu, H, lE, observe)) [[unlikely]]
        searchTs<Real>(checked, at, Lu, H, lE, observe);
    return detail::blackBodyTemperature(Lu).v;
}

}  // namespace

double getTs(double Q, double u, double Ta, double qa, double pa, double ch,
             double beta, double& Lu, double& H, double& lE) {
    return searchTsChecked(Q, u, Ta, qa, pa, ch, beta, Lu, H, lE, [](const TsPass&) {});
}

double getTs(double Q, double u, double Ta, double qa, double pa, double ch,
             double beta, double& Lu, double& H, double& lE,
             const TsObserver& observe) {
    return searchTsChecked(Q, u, Ta, qa, pa, ch, beta, Lu, H, lE, [&](const TsPass& p) {
        if (observe)
            observe(p);
    });
}

double detail::getTsReference(double Q, double u, double Ta, double qa, double pa,
                              double ch, double beta, double& Lu, double& H,
                              double& lE) {
    const Surface<Plain> plain = surface<Plain>(Q, u, Ta, qa, pa, ch, beta);
    Trial at{1, (plain.Ta + 10.0).v, -20.0};
    searchTs<Plain>(plain, at, Lu, H, lE, [](const TsPass&) {});
    return detail::blackBodyTemperature<Plain>(Lu).v;
}

// ---------------------------------------------------------------------------
// Radiation and evaporation estimates

double getLdown0(double T, double e) {
    const Real Td = getTdew(e);
    const Real w = getW(Td.v);
    const Real x = detail::log10(w);
    return (detail::blackBody(T) * ((0.19 * x + 0.74) + 0.07 * x * x)).v;
}

double getLdown(double T, double e, double s) {
    const Real b = detail::blackBody(T);
    const Real S = s;
    Real k = ((0.826 * S * S * S) - (1.234 * S * S)) + 1.135 * S + 0.298;
    if (detail::equal(S, 0.0))
        k = 0.2235;  // fully clouded
    const Real L0 = getLdown0(T, e);
    return (b * (1.0 - k * (1.0 - L0 / b))).v;
}

double getW(double Td) {
    return detail::power(10.0, 0.0315 * Real(Td) - 0.1836).v;
}

double getW2(double Td) {
    return detail::power(10.0, 0.0312 * Real(Td) - 0.0963).v;
}

double getTsEq(double Q, double T, double P, double& Lu, double& H, double& lE) {
    const Real g = Real(getCp(T)) / getL(T);
    const Real d = getDqs(T, P);
    const Real A = Q - detail::blackBody(T);
    const Real h = g / (g + d) * A;
    const Real le = d / (g + d) * A;
    const Real lu = Q - h - le;
    Lu = lu.v;
    H = h.v;
    lE = le.v;
    return detail::blackBodyTemperature(Lu).v;
}

double getEpen(double Q, double /*reserved*/, double T, double u, double e) {
    const Real L = getL(T);
    const Real gamma = 0.66;  // psychrometric constant, hPa/K
    const Real D = getDes(T);
    const Real f = (0.54 * Real(u) + 1.0) * 0.26;
    const Real radiation = D / (D + gamma) * (Q / L);
    const Real wind = (Real(getEs(T)) - e) * (gamma / (D + gamma) * f);
    return (radiation + wind).v;
}

double getEpt(double Q, double /*reserved*/, double T) {
    const Real L = getL(T);
    const Real gamma = 0.66;  // psychrometric constant, hPa/K
    const Real D = getDes(T);
    return ((1.26 * D) / (D + gamma) * (Q / L)).v;
}

double getProd(double a, double b) {
    return (7.500000000000001e-05 * Real(a) * b).v;
}

double getLinUp(double x) { return (1.234 * Real(x) - 0.021).v; }

double getLinDown(double x) { return (0.808 * Real(x) + 0.021).v; }

}  // namespace physics
