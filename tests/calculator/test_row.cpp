// The row engine: the window's checks and calculation for one point, with
// every failure reported as a status and message instead of an exception.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "row.h"

using namespace calculator;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::size_t indexOf(std::string_view name) {
    for (std::size_t i = 0; i < kInputNames.size(); ++i)
        if (kInputNames[i] == name)
            return i;
    throw std::logic_error("no input " + std::string(name));
}

RowInputs with(std::initializer_list<std::pair<std::string_view, double>> changes) {
    RowInputs in = defaultRowInputs();
    for (const auto& [name, value] : changes)
        in[indexOf(name)] = value;
    return in;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Balanced rows give the window's own numbers, bit for bit.
TEST(Row, BalancedRowsAreTheCalculateCommandsBits) {
    const RowInputs points[] = {
        defaultRowInputs(),
        with({{"u", 0.0}}),
        with({{"rh", 30.0}, {"Rs", 0.0}, {"G", 0.0}}),   // negative Bowen ratio
        with({{"ch", 0.0012345}, {"Ta", -5.25}}),
        with({{"rh", 100.0}, {"albedo", 1.0}, {"pa", 500.0}}),
    };
    for (const RowInputs& in : points) {
        WorkValues w{};
        for (std::size_t i = 0; i < kInputs.size(); ++i)
            w.*kInputs[i].work = in[i];
        calculate(w);
        RowResults out{};
        const RowOutcome outcome = computeRow(in, out);
        ASSERT_TRUE(outcome.balanced());
        for (std::size_t r = 0; r < out.size(); ++r) {
            SCOPED_TRACE(std::string(kResultNames[r]));
            const double expected = w.*kResultValues[r];
            if (r == 10 && w.lE == 0.0)
                EXPECT_TRUE(std::isnan(out[r]));  // the window's -1: no ratio
            else
                EXPECT_TRUE(sameBits(out[r], expected));
        }
        EXPECT_EQ(rowMessage(outcome, in), "");
    }
    RowResults out{};
    computeRow(defaultRowInputs(), out);
    EXPECT_EQ(out[3], 28.03466796875);  // Ts of the window's defaults
}

// Where lE is exactly 0 there is no ratio: NaN, not the window's -1.
TEST(Row, BowenRatioIsNaNWithoutLatentHeat) {
    RowResults out{};
    ASSERT_TRUE(computeRow(with({{"beta", 0.0}}), out).balanced());
    EXPECT_EQ(out[6], 0.0);
    EXPECT_TRUE(std::isnan(out[10]));
    ASSERT_TRUE(computeRow(with({{"rh", 30.0}, {"Rs", 0.0}, {"G", 0.0}}), out).balanced());
    EXPECT_LT(out[10], 0.0);  // a negative ratio is a number
}

TEST(Row, EveryFailureIsAStatusAMessageAndNaNResults) {
    struct Case {
        const char* name;
        RowInputs in;
        RowStatus status;
        const char* message;
    } const cases[] = {
        {"humidity above 100", with({{"rh", 150.0}}), RowStatus::OutOfRange,
         "rh = 150 is outside 0 to 100"},
        {"negative humidity", with({{"rh", -0.5}}), RowStatus::OutOfRange,
         "rh = -0.5 is outside 0 to 100"},
        {"negative wind", with({{"u", -1.0}}), RowStatus::OutOfRange, "u = -1 is below 0"},
        {"zero pressure", with({{"pa", 0.0}}), RowStatus::OutOfRange, "pa = 0 is not above 0"},
        {"albedo above 1", with({{"albedo", 1.5}}), RowStatus::OutOfRange,
         "albedo = 1.5 is outside 0 to 1"},
        {"tiny negative ch", with({{"ch", -1e-05}}), RowStatus::OutOfRange,
         "ch = -1e-05 is outside 0 to 1"},
        {"negative beta", with({{"beta", -0.2}}), RowStatus::OutOfRange,
         "beta = -0.2 is below 0"},
        {"NaN humidity", with({{"rh", kNaN}}), RowStatus::OutOfRange, "rh = nan is not a number"},
        {"first refused input is named", with({{"beta", -1.0}, {"u", -1.0}}),
         RowStatus::OutOfRange, "u = -1 is below 0"},
        {"absolute zero", with({{"Ta", -273.15}}), RowStatus::DivisionByZero,
         "Floating-point division by zero"},
        {"Bowen ratio overflows", with({{"beta", 1e-320}}), RowStatus::Overflow,
         "Floating-point overflow"},
        {"NaN ground heat", with({{"G", kNaN}}), RowStatus::InvalidOperation,
         "Invalid floating-point operation"},
        {"infinite solar radiation", with({{"Rs", kInf}}), RowStatus::InvalidOperation,
         "Invalid floating-point operation"},
        {"no wind, more ground heat than received", with({{"u", 0.0}, {"G", 1000.0}}),
         RowStatus::NoBalance,
         "No surface temperature balances these inputs: the search for the ground "
         "surface temperature does not converge."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RowResults out{};
        out.fill(1.0);
        const RowOutcome outcome = computeRow(c.in, out);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(rowMessage(outcome, c.in), c.message);
        for (double r : out)
            EXPECT_TRUE(std::isnan(r));
    }
}

// No shared state: rows on several threads give the bits of one thread.
TEST(Row, ThreadsGiveTheSameBits) {
    std::vector<RowInputs> points;
    for (int i = 0; i < 400; ++i)
        points.push_back(with({{"Ta", -20.0 + 0.1 * i}, {"u", 0.05 * (i % 50)}}));
    std::vector<RowResults> serial(points.size()), parallel(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        computeRow(points[i], serial[i]);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (std::size_t i = t; i < points.size(); i += 4)
                computeRow(points[i], parallel[i]);
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(std::memcmp(serial.data(), parallel.data(), serial.size() * sizeof serial[0]), 0);
}

}  // namespace
