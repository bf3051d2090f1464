// Radiation and evaporation estimates: reference figures and relations.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "figures.h"
#include "heat_balance.h"

namespace {

using namespace physics;
using terravel_test::blackBody;
using terravel_test::Figure;
using terravel_test::kExact;
using terravel_test::Relation;

const std::string kEstimates = "reference figures for the estimates";

// The calculator's default air: 15 deg C with a vapour pressure of 10.23137 hPa.
constexpr double kT = 15.0;
constexpr double kE = 10.23137;
constexpr double kP = 1033.2;
// 520 W/m2 over a day, J/m2 per day.
constexpr double kDailyQ = 520.0 * 86400.0;

// Cloud weight k(s) recovered from getLdown = b - k (b - L0).
double cloudWeight(double s) {
    const double b = blackBody(kT);
    return (b - getLdown(kT, kE, s)) / (b - getLdown0(kT, kE));
}

struct Partition {
    double Ts, Lu, H, lE;
};

Partition partition(double Q, double T, double P) {
    Partition p{};
    p.Ts = getTsEq(Q, T, P, p.Lu, p.H, p.lE);
    return p;
}

// Penman terms, taken apart through the function itself: with e = es the
// wind term vanishes, with Q = 0 the radiation term does.
double penmanRadiationTerm() { return getEpen(kDailyQ, 0.0, kT, 2.0, getEs(kT)); }
double penmanWindTerm(double u) { return getEpen(0.0, 0.0, kT, u, kE); }

// -------------------------------------------------------------------------
class EstimateFigures : public testing::TestWithParam<Figure> {};

TEST_P(EstimateFigures, MatchesTheReferenceFigure) { terravel_test::expectFigure(GetParam()); }

const std::vector<Figure> kEstimateFigures = {
    // Precipitable water.
    {"getW_at_0", [] { return getW(0.0); }, 0.655239, 5e-7, kEstimates},
    {"getW_at_10", [] { return getW(10.0); }, 1.353318, 5e-7, kEstimates},
    {"getW_at_20", [] { return getW(20.0); }, 2.795117, 5e-7, kEstimates},
    {"getW2_at_0", [] { return getW2(0.0); }, 0.801124, 5e-7, kEstimates},
    {"getW2_at_10", [] { return getW2(10.0); }, 1.643236, 5e-7, kEstimates},
    {"getW2_gives_about_21_percent_more_at_10", [] { return getW2(10.0) / getW(10.0); },
     1.21, 5e-3, kEstimates},
    // Clear-sky long-wave radiation of the default air, step by step.
    {"getLdown0_dew_point", [] { return getTdew(kE); }, 7.30194, 5e-6, kEstimates},
    {"getLdown0_precipitable_water", [] { return getW(getTdew(kE)); }, 1.112785, 5e-7,
     kEstimates},
    {"getLdown0_log10_of_water", [] { return std::log10(getW(getTdew(kE))); }, 0.0464112,
     5e-8, kEstimates},
    {"black_body_emission_at_15", [] { return blackBody(kT); }, 390.8927, 5e-5, kEstimates},
    {"getLdown0_emissivity", [] { return getLdown0(kT, kE) / blackBody(kT); }, 0.748969,
     5e-7, kEstimates},
    {"getLdown0_of_default_air", [] { return getLdown0(kT, kE); }, 292.766, 5e-4,
     kEstimates},
    // Cloud-corrected long-wave radiation and its cloud weight.
    {"getLdown_fully_clouded", [] { return getLdown(kT, kE, 0.0); }, 368.961, 5e-4,
     kEstimates},
    {"getLdown_just_above_fully_clouded", [] { return getLdown(kT, kE, 1e-9); }, 361.651,
     5e-4, kEstimates},
    {"getLdown_half_clear", [] { return getLdown(kT, kE, 0.5); }, 326.105, 5e-4, kEstimates},
    {"getLdown_clear", [] { return getLdown(kT, kE, 1.0); }, 290.313, 5e-4, kEstimates},
    {"cloud_weight_at_0_is_the_special_value", [] { return cloudWeight(0.0); }, 0.2235,
     5e-5, kEstimates},
    {"cloud_weight_just_above_0", [] { return cloudWeight(1e-9); }, 0.298, 5e-4, kEstimates},
    {"cloud_weight_at_0_5", [] { return cloudWeight(0.5); }, 0.66025, 5e-6, kEstimates},
    {"cloud_weight_at_1", [] { return cloudWeight(1.0); }, 1.025, 5e-4, kEstimates},
    {"cloud_weight_at_2_is_not_clamped", [] { return cloudWeight(2.0); }, 4.24, 5e-3,
     kEstimates},
    // Equilibrium partition at 15 deg C and 1033.2 hPa.
    {"getTsEq_Lu", [] { return partition(520.0, kT, kP).Lu; }, 390.893, 5e-4, kEstimates},
    {"getTsEq_H", [] { return partition(520.0, kT, kP).H; }, 48.949, 5e-4, kEstimates},
    {"getTsEq_lE", [] { return partition(520.0, kT, kP).lE; }, 80.158, 5e-4, kEstimates},
    {"getTsEq_cp_over_L", [] { return getCp(kT) / getL(kT); }, 0.000408178, 5e-10,
     kEstimates},
    {"getTsEq_slope_of_qs", [] { return getDqs(kT, kP); }, 0.000668430, 5e-10, kEstimates},
    {"getTsEq_bowen_ratio",
     [] {
         const Partition p = partition(520.0, kT, kP);
         return p.H / p.lE;
     },
     0.610651, 5e-7, kEstimates},
    {"getTsEq_without_energy_H", [] { return partition(0.0, kT, kP).H; }, -148.200, 5e-4,
     kEstimates},
    {"getTsEq_without_energy_lE", [] { return partition(0.0, kT, kP).lE; }, -242.692, 5e-4,
     kEstimates},
    // Penman and Priestley-Taylor for 520 W/m2 over a day.
    {"getEpen_slope_D", [] { return getDes(kT); }, 1.096514, 5e-7, kEstimates},
    {"getEpen_wind_function_at_2",
     [] { return 0.26 * penmanWindTerm(2.0) / penmanWindTerm(0.0); }, 0.5408, 5e-5,
     kEstimates},
    {"getEpen_radiation_term", [] { return penmanRadiationTerm(); }, 11.3825, 5e-5,
     kEstimates},
    {"getEpen_wind_term", [] { return penmanWindTerm(2.0); }, 1.3860, 5e-5, kEstimates},
    {"getEpen_of_default_day", [] { return getEpen(kDailyQ, 0.0, kT, 2.0, kE); }, 12.7686,
     5e-5, kEstimates},
    {"getEpt_of_default_day", [] { return getEpt(kDailyQ, 0.0, kT); }, 14.3420, 5e-5,
     kEstimates},
    // Scaled product and linear conversions.
    {"getProd_of_1_1_is_the_stored_factor", [] { return getProd(1.0, 1.0); },
     7.500000000000001e-05, kExact, kEstimates},
    {"getProd_of_10_2000", [] { return getProd(10.0, 2000.0); }, 1.5, kExact, kEstimates},
    {"getLinUp_at_0", [] { return getLinUp(0.0); }, -0.021, kExact, kEstimates},
    {"getLinUp_at_1", [] { return getLinUp(1.0); }, 1.213, 5e-4, kEstimates},
    {"getLinDown_at_0", [] { return getLinDown(0.0); }, 0.021, kExact, kEstimates},
    {"getLinDown_at_1", [] { return getLinDown(1.0); }, 0.829, 5e-4, kEstimates},
    {"getLinDown_of_getLinUp_is_not_the_identity", [] { return getLinDown(getLinUp(0.5)); },
     0.502568, 5e-7, kEstimates},
};

INSTANTIATE_TEST_SUITE_P(Estimates, EstimateFigures, testing::ValuesIn(kEstimateFigures),
                         terravel_test::rowName<Figure>);

// -------------------------------------------------------------------------
class EstimateRelations : public testing::TestWithParam<Relation> {};

TEST_P(EstimateRelations, Holds) { terravel_test::expectRelation(GetParam()); }

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// getTsEq gives back T through the fourth root of Lu = Q - H - lE. Lu carries
// the rounding of the larger of Q, H and lE; for these rows that is far
// below 1e-12 K.
constexpr double kTsEqRoundTrip = 1e-12;

const std::vector<Relation> kEstimateRelations = {
    {"getTsEq_returns_T_at_15", [] { return partition(520.0, 15.0, kP).Ts; },
     [] { return 15.0; }, kTsEqRoundTrip, "the surface is taken at T"},
    {"getTsEq_returns_T_at_minus40", [] { return partition(520.0, -40.0, kP).Ts; },
     [] { return -40.0; }, kTsEqRoundTrip, "the surface is taken at T"},
    {"getTsEq_returns_T_at_40_with_negative_Q", [] { return partition(-200.0, 40.0, kP).Ts; },
     [] { return 40.0; }, kTsEqRoundTrip, "the surface is taken at T"},
    {"getTsEq_returns_T_at_0_without_energy", [] { return partition(0.0, 0.0, 1000.0).Ts; },
     [] { return 0.0; }, kTsEqRoundTrip, "the surface is taken at T"},
    {"getTsEq_mirrors_T_below_absolute_zero",
     [] { return partition(0.0, -280.0, kP).Ts; }, [] { return -273.15 + 6.85; },
     kTsEqRoundTrip, "-280 comes back as -273.15 + |-280 + 273.15|"},
    {"getTsEq_Lu_is_the_emission_at_T", [] { return partition(520.0, kT, kP).Lu; },
     [] { return blackBody(kT); }, 1e-12, "Lu = Q - H - lE equals B(T) to rounding"},
    // Penman's wind term without wind, and with saturated air.
    {"getEpen_wind_term_without_wind", [] { return penmanWindTerm(0.0); },
     [] { return 0.26 * 0.66 / (getDes(kT) + 0.66) * (getEs(kT) - kE); }, 1e-15,
     "0.26 gamma / (D + gamma) (es - e): the two orders differ by rounding"},
    {"getEpen_wind_term_of_saturated_air_is_0",
     [] { return getEpen(0.0, 0.0, kT, 2.0, getEs(kT)); }, [] { return 0.0; }, kExact,
     "es - e = 0"},
    {"getEpt_is_1_26_times_the_radiation_term", [] { return getEpt(kDailyQ, 0.0, kT); },
     [] { return 1.26 * penmanRadiationTerm(); }, 1e-13,
     "same terms, multiplied in another order"},
    // The reserved argument is never read.
    {"getEpen_ignores_reserved_nan", [] { return getEpen(kDailyQ, kNaN, kT, 2.0, kE); },
     [] { return getEpen(kDailyQ, 0.0, kT, 2.0, kE); }, kExact, "reserved is not read"},
    {"getEpen_ignores_reserved_huge", [] { return getEpen(kDailyQ, -1e300, kT, 2.0, kE); },
     [] { return getEpen(kDailyQ, 0.0, kT, 2.0, kE); }, kExact, "reserved is not read"},
    {"getEpt_ignores_reserved_nan", [] { return getEpt(kDailyQ, kNaN, kT); },
     [] { return getEpt(kDailyQ, 0.0, kT); }, kExact, "reserved is not read"},
};

INSTANTIATE_TEST_SUITE_P(Estimates, EstimateRelations, testing::ValuesIn(kEstimateRelations),
                         terravel_test::rowName<Relation>);

}  // namespace
