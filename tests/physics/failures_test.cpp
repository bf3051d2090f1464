// Failure modes of the formula module: the edge of every formula's domain,
// non-finite inputs, and the bound of the surface temperature search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "figures.h"
#include "heat_balance.h"

namespace {

using namespace physics;
using terravel_test::defaultInputs;
using terravel_test::SolverInputs;

enum class Expect { DivisionByZero, Overflow, InvalidOperation, NoBalance };

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// What the error's message must say, in lower case.
std::string messageWord(Expect expect) {
    switch (expect) {
    case Expect::DivisionByZero: return "division by zero";
    case Expect::Overflow: return "overflow";
    case Expect::InvalidOperation: return "invalid";
    case Expect::NoBalance: return "no surface temperature balances";
    }
    return {};
}

Fault faultOf(Expect expect) {
    switch (expect) {
    case Expect::DivisionByZero: return Fault::DivisionByZero;
    case Expect::Overflow: return Fault::Overflow;
    default: return Fault::InvalidOperation;
    }
}

// Runs call and checks that it throws the expected error with a message that
// names it. Anything getTdew writes to standard error is swallowed here; its
// warning line has its own test.
void expectFailure(const std::function<void()>& call, Expect expect) {
    bool threw = false;
    testing::internal::CaptureStderr();
    try {
        call();
    } catch (const FloatingPointError& error) {
        threw = true;
        EXPECT_NE(expect, Expect::NoBalance) << "floating-point error: " << error.what();
        if (expect != Expect::NoBalance) {
            EXPECT_EQ(error.fault(), faultOf(expect)) << error.what();
        }
        EXPECT_NE(lowercase(error.what()).find(messageWord(expect)), std::string::npos)
            << error.what();
    } catch (const NoBalanceError& error) {
        threw = true;
        EXPECT_EQ(expect, Expect::NoBalance) << "no balance: " << error.what();
        EXPECT_NE(lowercase(error.what()).find(messageWord(expect)), std::string::npos)
            << error.what();
    }
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(threw) << "expected an error naming \"" << messageWord(expect) << "\"";
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Inputs at which a divisor rounds to exactly zero.
// 1 - 0.378 * (1000 / 378) is exactly 0.
constexpr double kVapourAtQPole = 1000.0;
constexpr double kPressureAtQPole = 378.0;
// 0.622 + 0.378 q is exactly 0.
const double kHumidityAtEPole = -0.622 / 0.378;
// 1 - 0.378 * (getEs(0) / P) is exactly 0 at this pressure.
constexpr double kPressureAtQsPole = 2.3087483999999998;
// P - 0.378 * getEs(0) is exactly 0.
double pressureAtDqsPole() { return 0.378 * getEs(0.0); }
// log10(e / 6.11) is exactly 7.5.
const double kVapourAtDewPointPole = 6.11 * std::pow(10.0, 7.5);
// 2500000 - 2400 T is exactly 0.
constexpr double kTemperatureAtZeroLatentHeat = 2500000.0 / 2400.0;

// -------------------------------------------------------------------------
struct FormulaFault {
    std::string name;
    std::function<void()> call;
    Expect expect;
};

void PrintTo(const FormulaFault& row, std::ostream* os) { *os << row.name; }

class FormulaFaults : public testing::TestWithParam<FormulaFault> {};

TEST_P(FormulaFaults, RaiseTheFaultAndNameIt) { expectFailure(GetParam().call, GetParam().expect); }

const std::vector<FormulaFault> kFormulaFaults = {
    // Moist-air properties.
    {"getRho_at_absolute_zero", [] { getRho(-273.15, 1013.25, 0.0); }, Expect::DivisionByZero},
    {"getRho_at_zero_pressure", [] { getRho(15.0, 0.0, 10.0); }, Expect::DivisionByZero},
    {"getPz_at_absolute_zero", [] { getPz(1013.25, -273.15, 1000.0); },
     Expect::DivisionByZero},
    {"getPz_above_the_top_of_the_lapse_rate", [] { getPz(1013.25, 15.0, 50000.0); },
     Expect::InvalidOperation},
    {"getEs_at_minus237_3", [] { getEs(-237.3); }, Expect::DivisionByZero},
    {"getEs_in_the_overflow_window", [] { getEs(-240.0); }, Expect::Overflow},
    {"getEs_at_the_low_end_of_the_overflow_window", [] { getEs(-243.2); }, Expect::Overflow},
    {"getDes_at_absolute_zero", [] { getDes(-273.15); }, Expect::DivisionByZero},
    {"getDes_at_minus237_3", [] { getDes(-237.3); }, Expect::DivisionByZero},
    {"getQs_at_minus237_3", [] { getQs(-237.3, 1000.0); }, Expect::DivisionByZero},
    {"getDqs_at_minus237_3", [] { getDqs(-237.3, 1000.0); }, Expect::DivisionByZero},
    {"getErh_at_minus237_3", [] { getErh(0.5, -237.3); }, Expect::DivisionByZero},
    {"getEwet_wet_bulb_at_minus237_3", [] { getEwet(0.0, -237.3, 1000.0); },
     Expect::DivisionByZero},
    {"getQ_at_zero_pressure", [] { getQ(10.0, 0.0); }, Expect::DivisionByZero},
    {"getQ_where_0_378_e_is_P", [] { getQ(kVapourAtQPole, kPressureAtQPole); },
     Expect::DivisionByZero},
    {"getQs_at_zero_pressure", [] { getQs(15.0, 0.0); }, Expect::DivisionByZero},
    {"getQs_where_0_378_es_is_P", [] { getQs(0.0, kPressureAtQsPole); },
     Expect::DivisionByZero},
    {"getDqs_where_0_378_es_is_P", [] { getDqs(0.0, pressureAtDqsPole()); },
     Expect::DivisionByZero},
    {"getE_where_0_622_plus_0_378_q_is_0", [] { getE(kHumidityAtEPole, 1000.0); },
     Expect::DivisionByZero},
    {"getTdew_of_0", [] { getTdew(0.0); }, Expect::DivisionByZero},
    {"getTdew_of_minus1", [] { getTdew(-1.0); }, Expect::InvalidOperation},
    {"getTdew_of_nan", [] { getTdew(kNaN); }, Expect::InvalidOperation},
    {"getTdew_where_x_is_7_5", [] { getTdew(kVapourAtDewPointPole); },
     Expect::DivisionByZero},
    // Estimates.
    {"getLdown0_of_dry_air", [] { getLdown0(15.0, 0.0); }, Expect::DivisionByZero},
    {"getLdown0_of_negative_vapour_pressure", [] { getLdown0(15.0, -1.0); },
     Expect::InvalidOperation},
    // At absolute zero both b and the clear-sky value L0 are 0: L0 / b is 0 / 0.
    {"getLdown_at_absolute_zero", [] { getLdown(-273.15, 10.23137, 0.5); },
     Expect::InvalidOperation},
    // Comparing the clearness ratio with 0 meets the NaN.
    {"getLdown_with_nan_clearness", [] { getLdown(15.0, 10.23137, kNaN); },
     Expect::InvalidOperation},
    {"getTsEq_where_L_is_0",
     [] {
         double Lu = 0.0, H = 0.0, lE = 0.0;
         getTsEq(520.0, kTemperatureAtZeroLatentHeat, 1033.2, Lu, H, lE);
     },
     Expect::DivisionByZero},
    {"getEpen_where_L_is_0",
     [] { getEpen(44928000.0, 0.0, kTemperatureAtZeroLatentHeat, 2.0, 10.0); },
     Expect::DivisionByZero},
    {"getEpt_where_L_is_0", [] { getEpt(44928000.0, 0.0, kTemperatureAtZeroLatentHeat); },
     Expect::DivisionByZero},
};

INSTANTIATE_TEST_SUITE_P(Failures, FormulaFaults, testing::ValuesIn(kFormulaFaults),
                         terravel_test::rowName<FormulaFault>);

// Just above -237.3 the power of ten underflows to 0: no fault.
TEST(Failures, SaturationJustAboveTheTetensPoleUnderflowsQuietly) {
    EXPECT_EQ(getEs(-235.0), 0.0);
    EXPECT_GT(getEs(-231.7), 0.0);
}

// -------------------------------------------------------------------------
// getTs: faults in the search and the bound on it. Out-parameters keep what
// they held whenever the call throws.
struct SolverFailure {
    std::string name;
    SolverInputs inputs;
    Expect expect;
    std::string reason;
};

void PrintTo(const SolverFailure& row, std::ostream* os) { *os << row.name; }

class SolverFailures : public testing::TestWithParam<SolverFailure> {};

TEST_P(SolverFailures, ThrowAndLeaveTheOutParametersUntouched) {
    const SolverFailure& row = GetParam();
    SCOPED_TRACE(row.reason);
    const SolverInputs& in = row.inputs;
    const double kept = -12345.0;
    double Lu = kept, H = kept, lE = kept;
    expectFailure(
        [&] { getTs(in.Q, in.u, in.Ta, in.qa, in.pa, in.ch, in.beta, Lu, H, lE); },
        row.expect);
    EXPECT_EQ(Lu, kept);
    EXPECT_EQ(H, kept);
    EXPECT_EQ(lE, kept);
}

SolverInputs with(SolverInputs in, double Q, double u, double Ta, double ch) {
    in.Q = Q;
    in.u = u;
    in.Ta = Ta;
    in.ch = ch;
    return in;
}

const std::vector<SolverFailure> kSolverFailures = {
    {"air_at_absolute_zero", with(defaultInputs(), 520.0, 2.0, -273.15, 0.001),
     Expect::DivisionByZero, "getRho divides by Ta + 273.15"},
    {"first_trial_at_minus237_3", with(defaultInputs(), 520.0, 2.0, -247.3, 0.001),
     Expect::DivisionByZero, "Ta + 10 = -237.3 is the pole of the Tetens exponent"},
    {"trial_in_the_overflow_window", with(defaultInputs(), 0.0, 0.0, 10.0, 0.001),
     Expect::Overflow, "the walk 20, 0, ..., -220 reaches -240, where 10^a overflows"},
    {"residual_not_a_number", with(defaultInputs(), kNaN, 2.0, 15.0, 0.001),
     Expect::InvalidOperation, "the sign test of a NaN residual"},
    {"transfer_too_large_to_close", with(defaultInputs(), 520.0, 1e14, 15.0, 0.001),
     Expect::NoBalance, "u = 1e14: the step falls below the spacing of doubles at Ts"},
    {"no_wind_and_negative_energy", with(defaultInputs(), -1.0, 0.0, 15.0, 0.001),
     Expect::NoBalance, "u = 0, Q < 0: only Lu >= 0 remains, the walk goes down forever"},
    {"no_transfer_and_negative_energy", with(defaultInputs(), -50.0, 2.0, 15.0, 0.0),
     Expect::NoBalance, "ch = 0, Q < 0: only Lu >= 0 remains, the walk goes down forever"},
};

INSTANTIATE_TEST_SUITE_P(Failures, SolverFailures, testing::ValuesIn(kSolverFailures),
                         terravel_test::rowName<SolverFailure>);

// The observer overload reports every pass before the one that faults, each
// once, and not that one; both overloads end in the same error. The faults
// fall in different places of a pass: in its fluxes, in the sign test after
// them, or nowhere, an infinite input running on quietly to the bound.
struct FaultAfterPasses {
    std::string name;
    SolverInputs inputs;
    Expect expect;
    int passes;        // passes reported before the error
    double lastTrial;  // trial temperature of the last one reported, exact
    std::string reason;
};

void PrintTo(const FaultAfterPasses& row, std::ostream* os) { *os << row.name; }

class FaultsAfterPasses : public testing::TestWithParam<FaultAfterPasses> {};

TEST_P(FaultsAfterPasses, ReportEveryPassBeforeTheFaultOnce) {
    const FaultAfterPasses& row = GetParam();
    SCOPED_TRACE(row.reason);
    const SolverInputs& in = row.inputs;
    std::vector<TsPass> passes;
    double Lu = 0.0, H = 0.0, lE = 0.0;
    expectFailure(
        [&] {
            getTs(in.Q, in.u, in.Ta, in.qa, in.pa, in.ch, in.beta, Lu, H, lE,
                  [&passes](const TsPass& pass) { passes.push_back(pass); });
        },
        row.expect);
    expectFailure([&] { getTs(in.Q, in.u, in.Ta, in.qa, in.pa, in.ch, in.beta, Lu, H, lE); },
                  row.expect);
    ASSERT_EQ(passes.size(), static_cast<std::size_t>(row.passes));
    for (std::size_t i = 0; i < passes.size(); ++i) {
        ASSERT_EQ(passes[i].pass, static_cast<int>(i + 1));
    }
    if (!passes.empty()) {
        EXPECT_EQ(passes.back().Ts, row.lastTrial);
    }
}

const std::vector<FaultAfterPasses> kFaultsAfterPasses = {
    {"pole_of_the_tetens_exponent_after_four_passes",
     with(defaultInputs(), 0.0, 0.0, -167.3, 0.001), Expect::DivisionByZero, 4, -217.3,
     "Q = 0, u = 0: the walk -157.3, ..., -217.3 reaches -237.3, where 237.3 + Ts is 0"},
    {"power_overflow_after_thirteen_passes", with(defaultInputs(), 0.0, 0.0, 10.0, 0.001),
     Expect::Overflow, 13, -220.0, "the walk 20, 0, ..., -220 reaches -240, where 10^a overflows"},
    {"sign_test_overflow_in_the_first_pass", with(defaultInputs(), 1e308, 2.0, 15.0, 0.001),
     Expect::Overflow, 0, 0.0, "R is about 1e308 and the sign test's R * -20 overflows"},
    {"residual_not_a_number_in_the_first_pass", with(defaultInputs(), kNaN, 2.0, 15.0, 0.001),
     Expect::InvalidOperation, 0, 0.0, "the sign test of a NaN residual"},
    {"infinite_energy_walks_up_to_the_bound",
     with(defaultInputs(), std::numeric_limits<double>::infinity(), 2.0, 15.0, 0.001),
     Expect::NoBalance, kMaxTsPasses, 15.0 + 10.0 * kMaxTsPasses,
     "R = +inf in every pass, quietly: the first sign test turns the step to +10 K"},
};

INSTANTIATE_TEST_SUITE_P(Failures, FaultsAfterPasses, testing::ValuesIn(kFaultsAfterPasses),
                         terravel_test::rowName<FaultAfterPasses>);

// Where the search gives up: as soon as the step no longer moves the trial
// temperature, and otherwise after kMaxTsPasses passes.
TEST(Failures, SearchGivesUpAtItsBound) {
    struct Bound {
        std::string name;
        SolverInputs inputs;
        bool trialStopsMoving;
    };
    const std::vector<Bound> bounds = {
        {"transfer too large to close", with(defaultInputs(), 520.0, 1e14, 15.0, 0.001), true},
        {"no wind and negative energy", with(defaultInputs(), -1.0, 0.0, 15.0, 0.001), false},
    };
    for (const Bound& bound : bounds) {
        SCOPED_TRACE(bound.name);
        const SolverInputs& in = bound.inputs;
        TsPass last{};
        double Lu = 0.0, H = 0.0, lE = 0.0;
        EXPECT_THROW(getTs(in.Q, in.u, in.Ta, in.qa, in.pa, in.ch, in.beta, Lu, H, lE,
                           [&last](const TsPass& pass) { last = pass; }),
                     NoBalanceError);
        if (bound.trialStopsMoving) {
            EXPECT_LT(last.pass, kMaxTsPasses);
            EXPECT_EQ(last.Ts + last.step, last.Ts);
        } else {
            EXPECT_EQ(last.pass, kMaxTsPasses);
            EXPECT_NE(last.Ts + last.step, last.Ts);
        }
    }
}

}  // namespace
