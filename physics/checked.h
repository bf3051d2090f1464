// Checked floating-point arithmetic for the formula module (internal).
//
// A Real is a double whose every operation checks its result: a NaN made from
// operands that are not NaN is an invalid operation, an infinity made from
// finite operands an overflow (or a division by zero), and a NaN operand
// passes through quietly. The checks look at values, not at the status
// flags, so the optimiser cannot move them away from the operation they guard.
// Operators evaluate exactly as written, left to right, one rounding each.
//
// Two more number types share Real's operators for formulas written once as
// templates: Traced, plain arithmetic that notes a non-finite value on the
// way, for a pass that is redone with Real only when it went wrong; and
// Plain, unchecked arithmetic, the benchmarks' reference. A formula template
// names its number type, which is never deduced and is Real by default, so
// that a formula called with doubles is always checked.
#pragma once

#include <cmath>
#include <type_traits>

#include "heat_balance.h"

namespace physics::detail {

[[noreturn]] void raise(Fault fault);

// Cold path of every check: r is not finite.
[[noreturn, gnu::cold]] void raiseFor(double r, double a, double b);

inline double check(double r, double a, double b) {
    if (std::isfinite(r)) [[likely]]
        return r;
    if (std::isnan(a) || std::isnan(b))
        return r;  // a NaN operand propagates quietly
    if (std::isinf(r) && (std::isinf(a) || std::isinf(b)))
        return r;  // an infinite operand propagates
    raiseFor(r, a, b);
}

struct Real {
    double v;
    Real(double x) : v(x) {}  // NOLINT: implicit by design, constants mix in
};

inline Real operator+(Real a, Real b) { return check(a.v + b.v, a.v, b.v); }
inline Real operator-(Real a, Real b) { return check(a.v - b.v, a.v, b.v); }
inline Real operator*(Real a, Real b) { return check(a.v * b.v, a.v, b.v); }
inline Real operator-(Real a) { return -a.v; }
inline Real operator/(Real a, Real b) {
    if (b.v == 0.0 && std::isfinite(a.v) && a.v != 0.0) [[unlikely]]
        raise(Fault::DivisionByZero);
    return check(a.v / b.v, a.v, b.v);
}

// Ordered comparison: a NaN on either side is an invalid operation.
inline bool less(Real a, Real b) {
    if (std::isnan(a.v) || std::isnan(b.v)) [[unlikely]]
        raise(Fault::InvalidOperation);
    return a.v < b.v;
}
inline bool greater(Real a, Real b) { return less(b, a); }

// Equality test: a NaN on either side is an invalid operation too.
inline bool equal(Real a, Real b) {
    if (std::isnan(a.v) || std::isnan(b.v)) [[unlikely]]
        raise(Fault::InvalidOperation);
    return a.v == b.v;
}

// base ^ exponent with the standard library's pow.
inline Real power(Real base, Real exponent) {
    const double r = std::pow(base.v, exponent.v);
    if (std::isfinite(r)) [[likely]]
        return r;
    if (base.v == 0.0 && exponent.v < 0.0)
        raise(Fault::DivisionByZero);
    return check(r, base.v, exponent.v);
}

// Base-10 logarithm; zero is a division by zero, anything else that is not
// positive (NaN included) an invalid operation.
inline Real log10(Real x) {
    if (!(x.v > 0.0)) [[unlikely]]
        raise(x.v == 0.0 ? Fault::DivisionByZero : Fault::InvalidOperation);
    return std::log10(x.v);
}

inline Real sqrt(Real x) {
    if (x.v < 0.0) [[unlikely]]
        raise(Fault::InvalidOperation);
    return std::sqrt(x.v);
}

inline Real abs(Real x) { return std::fabs(x.v); }

// ---------------------------------------------------------------------------
// Traced: a double computed in plain arithmetic. A non-finite operand of +, -
// or * always makes a non-finite result, and so does a non-finite dividend;
// where one can vanish instead (a divisor: x / inf is 0; a power: 10 ^ -inf
// is 0), lost takes up 0 * the operand (0 * base * exponent for a power), a
// NaN for an infinity or a NaN. lost is -0.0 or a NaN and is carried into
// every result (x + -0.0 is x, so a constant costs nothing). A clean value is
// one that no non-finite value went into: Real would have raised nothing on
// the way and given the same bits.
struct Traced {
    double v;
    double lost = -0.0;
    Traced(double x) : v(x) {}  // NOLINT: implicit by design, constants mix in
    Traced(double x, double lostOnTheWay) : v(x), lost(lostOnTheWay) {}
};

inline Traced operator+(Traced a, Traced b) { return {a.v + b.v, a.lost + b.lost}; }
inline Traced operator-(Traced a, Traced b) { return {a.v - b.v, a.lost + b.lost}; }
inline Traced operator*(Traced a, Traced b) { return {a.v * b.v, a.lost + b.lost}; }
inline Traced operator-(Traced a) { return {-a.v, a.lost}; }
inline Traced operator/(Traced a, Traced b) {
    return {a.v / b.v, a.lost + b.lost + 0.0 * b.v};
}
inline Traced power(Traced base, Traced exponent) {
    return {std::pow(base.v, exponent.v),
            base.lost + exponent.lost + 0.0 * base.v * exponent.v};
}

inline bool clean(Traced x) { return std::isfinite(x.v + x.lost); }

// Comparisons as of doubles: a Traced search looks at clean() before it acts.
inline bool less(Traced a, Traced b) { return a.v < b.v; }
inline bool greater(Traced a, Traced b) { return a.v > b.v; }
inline Traced abs(Traced x) { return {std::fabs(x.v), x.lost}; }

// A Real raises where a value goes wrong: it has nothing left to redo.
inline bool clean(Real) { return true; }

// ---------------------------------------------------------------------------
// Plain: unchecked arithmetic, for the benchmarks' reference search only.
struct Plain {
    double v;
    Plain(double x) : v(x) {}  // NOLINT: implicit by design, constants mix in
};

inline Plain operator+(Plain a, Plain b) { return a.v + b.v; }
inline Plain operator-(Plain a, Plain b) { return a.v - b.v; }
inline Plain operator*(Plain a, Plain b) { return a.v * b.v; }
inline Plain operator-(Plain a) { return -a.v; }
inline Plain operator/(Plain a, Plain b) { return a.v / b.v; }
inline Plain power(Plain base, Plain exponent) { return std::pow(base.v, exponent.v); }
inline bool less(Plain a, Plain b) { return a.v < b.v; }
inline bool greater(Plain a, Plain b) { return a.v > b.v; }
inline Plain sqrt(Plain x) { return std::sqrt(x.v); }
inline Plain abs(Plain x) { return std::fabs(x.v); }
inline bool clean(Plain) { return true; }  // a reference search is never redone

// ---------------------------------------------------------------------------
// Formulas for every number type. The number type N is named at the call
// (blackBody<Traced>(T)); blackBody(T) is Real.
template <class N>
using Number = std::type_identity_t<N>;

// Black-body emission of a surface at T deg C, W/m2, multiplied left to right.
template <class N = Real>
N blackBody(Number<N> T) {
    return (T + 273.15) * 5.67e-8 * (T + 273.15) * (T + 273.15) * (T + 273.15);
}

// Temperature (deg C) whose black-body emission is the emission given: the
// square root of the square root of emission / 5.67e-8, minus 273.15.
template <class N = Real>
N blackBodyTemperature(Number<N> emission) {
    return sqrt(sqrt(emission * 17636684.30335097)) - 273.15;
}

// The surface temperature search of getTs in Plain arithmetic, no fault
// checked: the reference the benchmarks hold getTs against, not for the
// program. Without a fault it gives what getTs gives.
double getTsReference(double Q, double u, double Ta, double qa, double pa, double ch,
                      double beta, double& Lu, double& H, double& lE);

}  // namespace physics::detail
