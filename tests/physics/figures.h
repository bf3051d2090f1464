// Shared pieces of the formula-module tests: rows of reference figures and of
// relations between functions, and the calculator's default inputs.
//
// Tolerances: a figure given to a number of digits is checked to half a unit
// in its last digit, so a row passes exactly when the value rounds to the
// figure as written. A figure that is exact (a value the arithmetic produces
// without rounding, or one written out in full) has tolerance 0 and is
// compared with EXPECT_EQ.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "heat_balance.h"

namespace terravel_test {

inline constexpr double kExact = 0.0;

// One reference figure: the value a call yields, to the digits given.
struct Figure {
    std::string name;  // test name: letters, digits and underscores
    std::function<double()> value;
    double expected;
    double tolerance;  // kExact, or half a unit in the last digit given
    std::string source;
};

inline void PrintTo(const Figure& row, std::ostream* os) { *os << row.name; }

inline void expectFigure(const Figure& row) {
    SCOPED_TRACE("figure from: " + row.source);
    const double actual = row.value();
    if (row.tolerance == kExact)
        EXPECT_EQ(actual, row.expected);
    else
        EXPECT_NEAR(actual, row.expected, row.tolerance);
}

// One relation: two computations that agree, exactly or to a tolerance.
struct Relation {
    std::string name;
    std::function<double()> lhs;
    std::function<double()> rhs;
    double tolerance;  // kExact, or the rounding the two paths may differ by
    std::string reason;
};

inline void PrintTo(const Relation& row, std::ostream* os) { *os << row.name; }

inline void expectRelation(const Relation& row) {
    SCOPED_TRACE(row.reason);
    const double lhs = row.lhs();
    const double rhs = row.rhs();
    if (row.tolerance == kExact)
        EXPECT_EQ(lhs, rhs);
    else
        EXPECT_NEAR(lhs, rhs, row.tolerance);
}

template <class Row>
std::string rowName(const testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

// The inputs of getTs in the order it takes them.
struct SolverInputs {
    double Q;     // W/m2
    double u;     // m/s
    double Ta;    // deg C
    double qa;    // kg/kg
    double pa;    // hPa
    double ch;
    double beta;
};

// The calculator's defaults: Ta 15 deg C, rh 60 %, u 2 m/s, pa 1033.2 hPa,
// ch 0.001, beta 0.2 and Q = Rs - albedo Rs + Ld - G = 300 - 30 + 300 - 50.
inline SolverInputs defaultInputs() {
    const double pa = 1033.2;
    return {520.0, 2.0, 15.0, physics::getQ(physics::getErh(0.6, 15.0), pa), pa,
            0.001, 0.2};
}

// Black-body emission at T deg C, W/m2, multiplied left to right as the
// module does, so that a residual against it can be exactly zero.
inline double blackBody(double T) {
    return (T + 273.15) * 5.67e-8 * (T + 273.15) * (T + 273.15) * (T + 273.15);
}

}  // namespace terravel_test
