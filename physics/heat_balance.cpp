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

// Tetens exponent 7.5 T / (237.3 + T).
static Real tetensExponent(Real T) { return 7.5 * T / (237.3 + T); }

}  // namespace detail

using detail::tetensExponent;

// ---------------------------------------------------------------------------
// Moist-air properties

double getRho(double T, double P, double e) {
    const Real temperatureFactor = 273.15 / (Real(T) + 273.15);
    const Real pressureFactor = Real(P) / 1013.25;
    const Real vapourFactor = 1.0 - Real(e) / P * 0.378;
    return (1.293 * temperatureFactor * pressureFactor * vapourFactor).v;
}

double getCp(double T) { return (1005.0 + 0.05 * Real(T)).v; }

double getL(double T) { return (2500000.0 - 2400.0 * Real(T)).v; }

double getPz(double P0, double T, double z) {
    const Real Tk = Real(T) + 273.15;
    const Real base = (Tk - 0.0065 * Real(z)) / Tk;
    constexpr double n = 9.8066 / 287.0 / 0.0065;  // g / (Rd * lapse rate)
    return (P0 * detail::power(base, n)).v;
}

double getEs(double T) {
    return (6.1078 * detail::power(10.0, tetensExponent(T))).v;
}

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

double getQ(double e, double P) {
    const Real r = Real(e) / P;
    return (0.622 * r / (1.0 - 0.378 * r)).v;
}

double getE(double q, double P) {
    return (Real(q) * P / (0.622 + 0.378 * Real(q))).v;
}

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

constexpr double kTolerance = 0.0005;  // W/m2

template <class Observe>
double searchTs(Real Q, Real u, Real Ta, Real qa, double pa, Real ch, Real beta,
                double& LuOut, double& HOut, double& lEOut, Observe&& observe) {
    // Air properties at the air temperature, fixed for the whole search.
    const Real cp = getCp(Ta.v);
    const Real e = getE(qa.v, pa);
    const Real rho = getRho(Ta.v, pa, e.v);
    const Real L = getL(Ta.v);

    Real Ts = Ta + 10.0;
    Real step = -20.0;
    for (int pass = 1;; ++pass) {
        const Real qs = getQs(Ts.v, pa);
        const Real Lu = detail::blackBody(Ts);
        const Real H = cp * rho * ch * u * (Ts - Ta);
        const Real lE = L * rho * beta * ch * u * (qs - qa);
        const Real R = Q - Lu - H - lE;
        if (detail::less(R * step, 0.0))
            step = -0.5 * step;
        const Real next = Ts + step;
        observe(TsPass{pass, Ts.v, Lu.v, H.v, lE.v, R.v, step.v});
        if (!detail::greater(detail::abs(R), kTolerance)) {
            LuOut = Lu.v;
            HOut = H.v;
            lEOut = lE.v;
            return detail::blackBodyTemperature(LuOut).v;
        }
        // The step has shrunk below the spacing of doubles at Ts, or the walk
        // never crosses the balance: no temperature closes it.
        if (next.v == Ts.v || pass >= kMaxTsPasses)
            throw NoBalanceError();
        Ts = next;
    }
}

}  // namespace

double getTs(double Q, double u, double Ta, double qa, double pa, double ch,
             double beta, double& Lu, double& H, double& lE) {
    return searchTs(Q, u, Ta, qa, pa, ch, beta, Lu, H, lE, [](const TsPass&) {});
}

double getTs(double Q, double u, double Ta, double qa, double pa, double ch,
             double beta, double& Lu, double& H, double& lE,
             const TsObserver& observe) {
    return searchTs(Q, u, Ta, qa, pa, ch, beta, Lu, H, lE, [&](const TsPass& p) {
        if (observe)
            observe(p);
    });
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
