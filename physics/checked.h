// Checked floating-point arithmetic for the formula module (internal).
//
// A Real is a double whose every operation checks its result: a NaN made from
// operands that are not NaN is an invalid operation, an infinity made from
// finite operands an overflow (or a division by zero), and a NaN operand
// passes through quietly. The checks look at values, not at the status
// flags, so the optimiser cannot move them away from the operation they guard.
// Operators evaluate exactly as written, left to right, one rounding each.
#pragma once

#include <cmath>

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

// Black-body emission of a surface at T deg C, W/m2, multiplied left to right.
inline Real blackBody(Real T) {
    return (T + 273.15) * 5.67e-8 * (T + 273.15) * (T + 273.15) * (T + 273.15);
}

// Temperature (deg C) whose black-body emission is the emission given: the
// square root of the square root of emission / 5.67e-8, minus 273.15.
inline Real blackBodyTemperature(Real emission) {
    return sqrt(sqrt(emission * 17636684.30335097)) - 273.15;
}

}  // namespace physics::detail
