// The surface temperature search of getTs, pass by pass.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "figures.h"
#include "heat_balance.h"

namespace {

using namespace physics;
using terravel_test::defaultInputs;
using terravel_test::kExact;
using terravel_test::SolverInputs;

// One getTs call through the observer overload, every pass recorded.
struct Search {
    double Ts = 0.0;
    double Lu = 0.0;
    double H = 0.0;
    double lE = 0.0;
    std::vector<TsPass> passes;
};

Search search(const SolverInputs& in) {
    Search s;
    s.Ts = getTs(in.Q, in.u, in.Ta, in.qa, in.pa, in.ch, in.beta, s.Lu, s.H, s.lE,
                 [&s](const TsPass& pass) { s.passes.push_back(pass); });
    return s;
}

SolverInputs with(SolverInputs in, double Q, double u, double Ta) {
    in.Q = Q;
    in.u = u;
    in.Ta = Ta;
    return in;
}

// -------------------------------------------------------------------------
// The worked example of the default inputs, pass by pass. Trial temperatures
// and steps are sums of 20 * 2^-k and are exact; the fluxes are given to
// 0.001 W/m2 and the residual to 0.0001 W/m2.
struct ExamplePass {
    double Ts;
    double Lu;
    double H;
    double lE;
    double R;
    double step;
};

const std::vector<ExamplePass> kDefaultSearch = {
    {25.0, 448.046, 25.046, 16.088, 30.8198, 10.0},
    {35.0, 511.248, 50.092, 34.821, -76.1610, -5.0},
    {30.0, 478.865, 37.569, 24.251, -20.6859, -5.0},
    {25.0, 448.046, 25.046, 16.088, 30.8198, 2.5},
    {27.5, 463.263, 31.308, 19.903, 5.5265, 2.5},
    {30.0, 478.865, 37.569, 24.251, -20.6859, -1.25},
    {28.75, 471.016, 34.438, 22.006, -7.4605, -1.25},
    {27.5, 463.263, 31.308, 19.903, 5.5265, 0.625},
    {28.125, 467.128, 32.873, 20.937, -0.9378, -0.3125},
    {27.8125, 465.192, 32.090, 20.416, 2.3016, 0.15625},
    {27.96875, 466.159, 32.482, 20.675, 0.6837, 0.15625},
    {28.125, 467.128, 32.873, 20.937, -0.9378, -0.078125},
    {28.046875, 466.643, 32.677, 20.806, -0.1266, -0.078125},
    {27.96875, 466.159, 32.482, 20.675, 0.6837, 0.0390625},
    {28.0078125, 466.401, 32.580, 20.741, 0.2787, 0.0390625},
    {28.046875, 466.643, 32.677, 20.806, -0.1266, -0.01953125},
    {28.02734375, 466.522, 32.628, 20.773, 0.0761, 0.009765625},
    {28.037109375, 466.583, 32.653, 20.790, -0.0252, -0.0048828125},
    {28.0322265625, 466.552, 32.641, 20.782, 0.0254, 0.00244140625},
    {28.03466796875, 466.568, 32.647, 20.786, 0.0001, 0.00244140625},
};

constexpr double kFluxDigits = 5e-4;      // W/m2, fluxes given to 0.001
constexpr double kResidualDigits = 5e-5;  // W/m2, residuals given to 0.0001

TEST(WorkedExample, DefaultInputsTakeTheTwentyPassesOfTheExample) {
    const Search s = search(defaultInputs());
    ASSERT_EQ(s.passes.size(), kDefaultSearch.size());
    for (std::size_t i = 0; i < kDefaultSearch.size(); ++i) {
        const ExamplePass& want = kDefaultSearch[i];
        const TsPass& got = s.passes[i];
        SCOPED_TRACE("worked example of the default inputs, pass " + std::to_string(i + 1));
        EXPECT_EQ(got.pass, static_cast<int>(i + 1));
        EXPECT_EQ(got.Ts, want.Ts);
        EXPECT_NEAR(got.Lu, want.Lu, kFluxDigits);
        EXPECT_NEAR(got.H, want.H, kFluxDigits);
        EXPECT_NEAR(got.lE, want.lE, kFluxDigits);
        EXPECT_NEAR(got.R, want.R, kResidualDigits);
        EXPECT_EQ(got.step, want.step);
    }
}

TEST(WorkedExample, ReturnsTheLastTrialWithItsFluxes) {
    const Search s = search(defaultInputs());
    ASSERT_FALSE(s.passes.empty());
    EXPECT_EQ(s.Ts, 28.03466796875);
    EXPECT_NEAR(s.Lu, 466.568, kFluxDigits);
    EXPECT_NEAR(s.H, 32.647, kFluxDigits);
    EXPECT_NEAR(s.lE, 20.786, kFluxDigits);
    // The out-parameters are those of the last pass, not of the trial the
    // step has moved on to.
    EXPECT_EQ(s.Lu, s.passes.back().Lu);
    EXPECT_EQ(s.H, s.passes.back().H);
    EXPECT_EQ(s.lE, s.passes.back().lE);
    EXPECT_NEAR(s.passes.back().R, 0.000107, 5e-7);  // final residual, W/m2
}

TEST(WorkedExample, OverloadWithoutObserverGivesTheSameResult) {
    const SolverInputs in = defaultInputs();
    double Lu = 0.0, H = 0.0, lE = 0.0;
    const double Ts = getTs(in.Q, in.u, in.Ta, in.qa, in.pa, in.ch, in.beta, Lu, H, lE);
    const Search observed = search(in);
    EXPECT_EQ(Ts, 28.03466796875);
    EXPECT_EQ(Lu, observed.Lu);
    EXPECT_EQ(H, observed.H);
    EXPECT_EQ(lE, observed.lE);

    double Lu2 = 0.0, H2 = 0.0, lE2 = 0.0;
    EXPECT_EQ(getTs(in.Q, in.u, in.Ta, in.qa, in.pa, in.ch, in.beta, Lu2, H2, lE2,
                    TsObserver{}),
              Ts);
}

// -------------------------------------------------------------------------
// Where other searches end: number of passes, last trial temperature (exact),
// returned temperature and last Lu.
struct SearchOutcome {
    std::string name;
    SolverInputs inputs;
    std::size_t passes;
    double lastTrial;
    double result;
    double resultTolerance;
    double Lu;
    double LuTolerance;
    std::string source;
};

void PrintTo(const SearchOutcome& row, std::ostream* os) { *os << row.name; }

class SearchOutcomes : public testing::TestWithParam<SearchOutcome> {};

TEST_P(SearchOutcomes, EndsWhereExpected) {
    const SearchOutcome& row = GetParam();
    SCOPED_TRACE(row.source);
    const Search s = search(row.inputs);
    ASSERT_EQ(s.passes.size(), row.passes);
    EXPECT_EQ(s.passes.back().Ts, row.lastTrial);
    if (row.resultTolerance == kExact)
        EXPECT_EQ(s.Ts, row.result);
    else
        EXPECT_NEAR(s.Ts, row.result, row.resultTolerance);
    if (row.LuTolerance == kExact)
        EXPECT_EQ(s.Lu, row.Lu);
    else
        EXPECT_NEAR(s.Lu, row.Lu, row.LuTolerance);
}

const std::vector<SearchOutcome> kSearchOutcomes = {
    {"default_inputs", defaultInputs(), 20, 28.03466796875, 28.03466796875, kExact, 466.568,
     5e-4, "worked example of the default inputs"},
    {"no_wind", with(defaultInputs(), 520.0, 0.0, 15.0), 22, 36.3104248046875,
     36.3104248046875, kExact, 520.0002, 5e-5,
     "default inputs with u = 0: only the long-wave emission balances Q"},
    {"no_wind_no_energy_walks_to_minus270", with(defaultInputs(), 0.0, 0.0, 20.0), 16,
     -270.0, -270.0, 5e-2, 5.6e-6, 5e-8,
     "Ta = 20, Q = 0, u = 0: down in 20 K strides until Lu is within the tolerance"},
    // Derived: from 25 deg C in 20 K strides the walk reaches -275 deg C,
    // where (Ts + 273.15)^4 is small enough; the temperature of that Lu is
    // -273.15 + |-275 + 273.15| = -271.3, mirrored above absolute zero.
    {"last_trial_below_absolute_zero_comes_back_mirrored",
     with(defaultInputs(), 0.0, 0.0, 15.0), 16, -275.0, -271.3, 1e-9,
     terravel_test::blackBody(-275.0), kExact, "mirror of a last trial below -273.15"},
};

INSTANTIATE_TEST_SUITE_P(Solver, SearchOutcomes, testing::ValuesIn(kSearchOutcomes),
                         terravel_test::rowName<SearchOutcome>);

TEST(Solver, WithoutWindNoPassCarriesSensibleOrLatentHeat) {
    const Search s = search(with(defaultInputs(), 520.0, 0.0, 15.0));
    for (const TsPass& pass : s.passes) {
        SCOPED_TRACE("pass " + std::to_string(pass.pass));
        EXPECT_EQ(pass.H, 0.0);
        EXPECT_EQ(pass.lE, 0.0);
    }
    EXPECT_EQ(s.H, 0.0);
    EXPECT_EQ(s.lE, 0.0);
}

TEST(Solver, ColdStillAirWalksDownInTwentyKelvinStrides) {
    // Ta = 20, Q = 0, u = 0: the residual -Lu never turns positive, so the
    // step stays -20 K from 30 down to -270 deg C.
    const Search s = search(with(defaultInputs(), 0.0, 0.0, 20.0));
    ASSERT_EQ(s.passes.size(), 16u);
    for (std::size_t i = 0; i < s.passes.size(); ++i) {
        SCOPED_TRACE("pass " + std::to_string(i + 1));
        EXPECT_EQ(s.passes[i].Ts, 30.0 - 20.0 * static_cast<double>(i));
        EXPECT_EQ(s.passes[i].step, -20.0);
    }
}

// -------------------------------------------------------------------------
// The first move: +10 K when the residual at Ta + 10 is positive (and no
// trial below Ta + 10 before the first crossing), Ta - 10 next when it is
// negative.
struct FirstMove {
    std::string name;
    SolverInputs inputs;
    double secondTrial;
    std::string reason;
};

void PrintTo(const FirstMove& row, std::ostream* os) { *os << row.name; }

class FirstMoves : public testing::TestWithParam<FirstMove> {};

TEST_P(FirstMoves, FollowTheSignOfTheFirstResidual) {
    const FirstMove& row = GetParam();
    SCOPED_TRACE(row.reason);
    const Search s = search(row.inputs);
    ASSERT_GE(s.passes.size(), 2u);
    const double start = row.inputs.Ta + 10.0;
    EXPECT_EQ(s.passes[0].Ts, start);
    EXPECT_EQ(s.passes[1].Ts, row.secondTrial);
    if (s.passes[0].R > 0.0) {
        for (const TsPass& pass : s.passes) {
            if (pass.R < 0.0)
                break;  // the first crossing
            SCOPED_TRACE("pass " + std::to_string(pass.pass));
            EXPECT_GE(pass.Ts, start);
            EXPECT_EQ(pass.step, 10.0);
        }
    }
}

const std::vector<FirstMove> kFirstMoves = {
    {"default_inputs_move_up", defaultInputs(), 35.0, "R(25) = +30.8 W/m2"},
    {"no_wind_moves_up_until_the_crossing", with(defaultInputs(), 520.0, 0.0, 15.0), 35.0,
     "R(25) = +72.0 W/m2, R(35) still positive"},
    {"strong_energy_walks_up_several_strides", with(defaultInputs(), 1500.0, 2.0, 15.0),
     35.0, "Q = 1500 W/m2: positive residual over several +10 K strides"},
    {"weak_energy_moves_down", with(defaultInputs(), 300.0, 2.0, 15.0), 5.0,
     "Q = 300 W/m2: R(25) is negative, the second trial is Ta - 10"},
    {"cold_still_air_moves_down", with(defaultInputs(), 0.0, 0.0, 20.0), 10.0,
     "Q = 0: R(30) = -Lu, the second trial is Ta - 10"},
};

INSTANTIATE_TEST_SUITE_P(Solver, FirstMoves, testing::ValuesIn(kFirstMoves),
                         terravel_test::rowName<FirstMove>);

// -------------------------------------------------------------------------
// The search ends once |R| is at most 0.0005 W/m2. A first trial at absolute
// zero (Ta = -283.15) emits nothing and, without wind, carries no heat, so
// its residual is exactly Q; a first trial whose emission is exactly Q has a
// residual of exactly zero, which leaves the step as it was.
struct ToleranceCase {
    std::string name;
    SolverInputs inputs;
    double firstResidual;  // W/m2, exact
    std::size_t passes;
};

void PrintTo(const ToleranceCase& row, std::ostream* os) { *os << row.name; }

class ToleranceBoundary : public testing::TestWithParam<ToleranceCase> {};

TEST_P(ToleranceBoundary, EndsTheSearchAtMostAtTheTolerance) {
    const ToleranceCase& row = GetParam();
    const Search s = search(row.inputs);
    ASSERT_FALSE(s.passes.empty());
    EXPECT_EQ(s.passes[0].R, row.firstResidual);
    EXPECT_EQ(s.passes.size(), row.passes);
}

SolverInputs atAbsoluteZero(double Q) { return with(defaultInputs(), Q, 0.0, -283.15); }

const double kJustAboveTolerance = std::nextafter(0.0005, 1.0);

const std::vector<ToleranceCase> kToleranceCases = {
    {"residual_exactly_zero", atAbsoluteZero(0.0), 0.0, 1},
    {"residual_exactly_plus_tolerance", atAbsoluteZero(0.0005), 0.0005, 1},
    {"residual_exactly_minus_tolerance", atAbsoluteZero(-0.0005), -0.0005, 1},
    {"residual_just_above_tolerance", atAbsoluteZero(kJustAboveTolerance),
     kJustAboveTolerance, 2},
    {"emission_exactly_balances_Q",
     with(defaultInputs(), terravel_test::blackBody(25.0), 0.0, 15.0), 0.0, 1},
};

INSTANTIATE_TEST_SUITE_P(Solver, ToleranceBoundary, testing::ValuesIn(kToleranceCases),
                         terravel_test::rowName<ToleranceCase>);

TEST(Solver, ZeroResidualReturnsTheFirstTrial) {
    const Search s = search(with(defaultInputs(), terravel_test::blackBody(25.0), 0.0, 15.0));
    ASSERT_EQ(s.passes.size(), 1u);
    EXPECT_EQ(s.passes[0].R, 0.0);
    EXPECT_EQ(s.passes[0].step, -20.0);  // a zero residual never turns the step
    EXPECT_NEAR(s.Ts, 25.0, 1e-12);      // the fourth root of Lu, to rounding
}

}  // namespace
