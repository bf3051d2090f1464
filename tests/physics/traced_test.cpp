// Traced arithmetic, on which getTs runs a pass before any check: a result
// is clean exactly when neither its operands nor itself are infinite or NaN,
// and then Real, which checks every operation, raises nothing and gives the
// same bits; once a value is not clean, nothing computed from it is.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "checked.h"

namespace {

using physics::FloatingPointError;
using physics::detail::Real;
using physics::detail::Traced;

enum class Op { Add, Subtract, Multiply, Divide, Power };

const std::vector<Op> kOps = {Op::Add, Op::Subtract, Op::Multiply, Op::Divide, Op::Power};

const char* name(Op op) {
    switch (op) {
    case Op::Add: return "+";
    case Op::Subtract: return "-";
    case Op::Multiply: return "*";
    case Op::Divide: return "/";
    case Op::Power: return "^";
    }
    return "?";
}

template <class N>
N apply(Op op, N a, N b) {
    switch (op) {
    case Op::Add: return a + b;
    case Op::Subtract: return a - b;
    case Op::Multiply: return a * b;
    case Op::Divide: return a / b;
    case Op::Power: break;
    }
    return power(a, b);
}

// Zeros, ordinary values, the edges of the doubles and the non-finite ones.
const std::vector<double> kOperands = {
    0.0, -0.0, 1.0, -2.5, 10.0, 1e-310, 1e200, -1e200,
    std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
    std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::quiet_NaN()};

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string describe(Op op, double a, double b) {
    return std::to_string(a) + " " + name(op) + " " + std::to_string(b);
}

TEST(Traced, CleanExactlyWhenAllIsFiniteAndThenRealAgrees) {
    for (Op op : kOps)
        for (double a : kOperands)
            for (double b : kOperands) {
                SCOPED_TRACE(describe(op, a, b));
                const Traced traced = apply<Traced>(op, a, b);
                bool raised = false;
                double real = 0.0;
                try {
                    real = apply<Real>(op, a, b).v;
                } catch (const FloatingPointError&) {
                    raised = true;
                }
                EXPECT_EQ(clean(traced),
                          std::isfinite(a) && std::isfinite(b) && std::isfinite(traced.v));
                if (clean(traced)) {
                    EXPECT_FALSE(raised);
                    EXPECT_TRUE(sameBits(real, traced.v));
                }
            }
}

// x / inf and 10 ^ -inf are 0: the infinity vanishes from the value, and
// only lost keeps it.
TEST(Traced, NothingComputedFromAValueThatIsNotCleanIsClean) {
    for (Op first : kOps)
        for (double a : kOperands)
            for (double b : kOperands) {
                const Traced x = apply<Traced>(first, a, b);
                if (clean(x))
                    continue;
                for (Op then : kOps)
                    for (double c : kOperands) {
                        EXPECT_FALSE(clean(apply<Traced>(then, x, c)))
                            << "(" << describe(first, a, b) << ") " << name(then) << " " << c;
                        EXPECT_FALSE(clean(apply<Traced>(then, c, x)))
                            << c << " " << name(then) << " (" << describe(first, a, b) << ")";
                    }
            }
}

}  // namespace
