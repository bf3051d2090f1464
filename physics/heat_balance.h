// Terravel formula module: moist air, the surface temperature solver, and
// radiation and evaporation estimates.
//
// Every function is a pure function of doubles. Units at every interface:
//   temperature            degrees Celsius (kelvin is formed inside as T + 273.15)
//   pressure, vapour p.    hPa
//   specific humidity      kg/kg
//   relative humidity      fraction 0..1 (getErh only)
//   radiation, heat flux   W/m2
//   latent heat            J/kg, specific heat J/(kg K)
// Saturation is always taken over liquid water with the base-10 Tetens formula.
//
// Floating-point faults are errors. A division by zero, an overflow or an
// invalid operation (inf - inf, 0 / 0, the logarithm or square root of a
// negative number, an ordered comparison with a NaN) throws FloatingPointError
// at the operation where it happens; underflow and inexact results are not
// faults. A NaN argument passes through plain arithmetic unchanged, as it does
// in hardware, and faults at the first comparison or logarithm that meets it.
// The module catches nothing. Each function lists the domain its caller keeps
// to; at the edge of that domain the listed fault is raised.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace physics {

// Base of every error the module raises.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Fault { DivisionByZero, Overflow, InvalidOperation };

// A floating-point fault; what() names it ("Floating-point division by zero",
// "Floating-point overflow", "Invalid floating-point operation").
class FloatingPointError : public Error {
public:
    explicit FloatingPointError(Fault fault);
    Fault fault() const noexcept { return fault_; }

private:
    Fault fault_;
};

// getTs found no surface temperature that closes the balance: the trial
// temperature stopped moving, or the search reached kMaxTsPasses.
class NoBalanceError : public Error {
public:
    NoBalanceError();
};

// ---------------------------------------------------------------------------
// Moist-air properties

// Density of moist air, kg/m3.
// 1.293 * (273.15 / (T + 273.15)) * (P / 1013.25) * (1 - (e / P) * 0.378)
// T deg C, P hPa, e hPa. Domain: T != -273.15, P != 0.
double getRho(double T, double P, double e);

// Specific heat of air at constant pressure, J/(kg K): 1005 + 0.05 * T.
double getCp(double T);

// Latent heat of vaporisation, J/kg: 2500000 - 2400 * T.
double getL(double T);

// Pressure at height z (m) above a reference level with pressure P0 and air
// temperature T (deg C), in the unit of P0. Barometric formula with a lapse
// rate of 0.0065 K/m: P0 * ((Tk - 0.0065 z) / Tk) ^ (9.8066 / 287 / 0.0065).
// Domain: T != -273.15 and 0.0065 * z < T + 273.15.
double getPz(double P0, double T, double z);

// Saturation vapour pressure over water, hPa (Tetens, base 10):
// 6.1078 * 10 ^ (7.5 T / (237.3 + T)). Domain: T != -237.3; within about
// 6 K below -237.3 the power overflows.
double getEs(double T);

// Saturation specific humidity, kg/kg: getQ(getEs(T), P).
// Domain: that of getEs, P != 0 and 0.378 * getEs(T) != P.
double getQs(double T, double P);

// Slope of the saturation vapour pressure, hPa/K, by Clausius-Clapeyron with
// the Tetens pressure: 10 ^ a * (A / B), a = 7.5 T / (237.3 + T),
// A = (2500 - 2.4 T) * 6.1078 (L in J/g), B = 0.4615 (T + 273.15)^2.
// Domain: T != -273.15, T != -237.3.
double getDes(double T);

// Slope of the saturation specific humidity, 1/K:
// getDes(T) * 0.622 * P / d^2 with d = P - 0.378 * getEs(T).
// Domain: that of getDes, 0.378 * getEs(T) != P.
double getDqs(double T, double P);

// Specific humidity from vapour pressure, kg/kg: 0.622 r / (1 - 0.378 r),
// r = e / P. Domain: P != 0, 0.378 * e != P.
double getQ(double e, double P);

// Vapour pressure from specific humidity, hPa: q P / (0.622 + 0.378 q).
// Domain: 0.622 + 0.378 q != 0.
double getE(double q, double P);

// Vapour pressure from relative humidity f (fraction, not per cent), hPa:
// f * getEs(T). Domain: that of getEs.
double getErh(double f, double T);

// Vapour pressure of the air from a psychrometer's dry and wet bulbs, hPa:
// getEs(Twet) - 0.00066 (1 + 0.00115 Twet)(Tdry - Twet) P.
// Domain: that of getEs at Twet.
double getEwet(double Tdry, double Twet, double P);

// Dew point, deg C: 237.3 x / (7.5 - x), x = log10(e / 6.11) (6.11 hPa, not
// 6.1078, is the reference here). For e not greater than 0 (NaN included) it
// first writes the line
//   getTdew: warning: "e" is 0.0 (hPa).
// to standard error, then goes on and faults in the logarithm (division by
// zero for e = 0, invalid operation otherwise). Domain: e > 0, x != 7.5.
double getTdew(double e);

// ---------------------------------------------------------------------------
// Surface temperature solver

// One pass of the getTs search, as seen by an observer.
struct TsPass {
    int pass;       // 1 for the first pass
    double Ts;      // trial surface temperature of this pass, deg C
    double Lu;      // W/m2
    double H;       // W/m2
    double lE;      // W/m2
    double R;       // residual Q - Lu - H - lE, W/m2
    double step;    // step after this pass, K
};
using TsObserver = std::function<void(const TsPass&)>;

// The search gives up after this many passes. A converging search needs a
// few dozen passes after its first crossing; walking to the crossing at 20 K a
// pass, this allows two million kelvin.
inline constexpr int kMaxTsPasses = 100000;

// Ground surface temperature (deg C) at which the surface energy balance
// Q = Lu + H + lE closes to within 0.0005 W/m2.
//   Q     available energy Rs - Rsu + Ld - G, W/m2
//   u     wind velocity, m/s
//   Ta    air temperature, deg C
//   qa    specific humidity of the air, kg/kg
//   pa    atmospheric pressure, hPa
//   ch    bulk transfer coefficient
//   beta  evaporative efficiency
//   Lu, H, lE (out) upward long-wave radiation (black body), sensible and
//         latent heat flux of the last pass, W/m2; written once, after the
//         search, and left untouched when the call throws.
// Air properties are taken at Ta. The search starts at Ta + 10 with a step of
// -20 K and turns back with half the stride at each change of sign of the
// residual. The result is the temperature whose black-body emission is the
// last Lu. Throws NoBalanceError when the trial temperature stops moving or
// after kMaxTsPasses passes (for example u = 0 with Q < 0), and
// FloatingPointError on a fault in the formulas (Ta = -273.15, a trial
// temperature at -237.3, a NaN residual).
double getTs(double Q, double u, double Ta, double qa, double pa, double ch,
             double beta, double& Lu, double& H, double& lE);

// The same search, reporting every pass to observe (which may be empty).
double getTs(double Q, double u, double Ta, double qa, double pa, double ch,
             double beta, double& Lu, double& H, double& lE,
             const TsObserver& observe);

// ---------------------------------------------------------------------------
// Radiation and evaporation estimates. B(T) below is the black-body emission
// (T + 273.15) * 5.67e-8 * (T + 273.15) * (T + 273.15) * (T + 273.15), W/m2.

// Clear-sky downward long-wave radiation, W/m2: B(T) * emissivity, the
// emissivity (0.19 x + 0.74) + 0.07 x^2 with x = log10(getW(getTdew(e))).
// T deg C, e hPa. Domain: e > 0 (else getTdew warns and faults).
double getLdown0(double T, double e);

// Downward long-wave radiation corrected for cloud, W/m2: b (1 - k (1 - L0/b))
// with b = B(T), L0 = getLdown0(T, e) and the cloud weight
// k = ((0.826 s^3) - (1.234 s^2)) + 1.135 s + 0.298 (0.2235 when s is exactly 0).
// s is the clearness ratio, 0 fully clouded to 1 clear (not limited).
// Domain: that of getLdown0, T != -273.15.
double getLdown(double T, double e, double s);

// Precipitable water from the dew point Td (deg C), cm: 10 ^ (0.0315 Td - 0.1836).
double getW(double Td);

// Precipitable water, second coefficient set, cm: 10 ^ (0.0312 Td - 0.0963).
double getW2(double Td);

// Equilibrium partition of the available energy Q (W/m2) at a surface at the
// air temperature T (deg C) and pressure P (hPa). With g = cp/L and
// d = getDqs(T, P): H = g/(g+d) (Q - B(T)), lE = d/(g+d) (Q - B(T)),
// Lu = Q - H - lE; writes Lu, H, lE (out, W/m2) in that order and returns the
// temperature whose black-body emission is Lu (T to rounding).
// Domain: that of getDqs, T != 2500000 / 2400.
double getTsEq(double Q, double T, double P, double& Lu, double& H, double& lE);

// Penman evaporation: D/(D+gamma) (Q/L) + (getEs(T) - e) (gamma/(D+gamma) f),
// gamma = 0.66 hPa/K, f = (0.54 u + 1) 0.26, D = getDes(T), L = getL(T).
// Q in J/m2 per day gives mm per day. reserved is not read.
// T deg C, u m/s, e hPa. Domain: that of getDes, T != 2500000 / 2400.
double getEpen(double Q, double reserved, double T, double u, double e);

// Priestley-Taylor evaporation, mm per period of Q (J/m2 per period):
// (1.26 D) / (D + gamma) * (Q / L). reserved is not read.
double getEpt(double Q, double reserved, double T);

// Scaled product: (7.500000000000001e-05 * a) * b.
double getProd(double a, double b);

// Linear conversion 1.234 x - 0.021.
double getLinUp(double x);

// Linear conversion 0.808 x + 0.021 (close to, not exactly, getLinUp's inverse).
double getLinDown(double x);

}  // namespace physics
