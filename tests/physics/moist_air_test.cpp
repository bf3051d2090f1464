// Moist-air properties: reference figures, identities, inverse pairs and the
// dew-point warning line.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "figures.h"
#include "heat_balance.h"

namespace {

using namespace physics;
using terravel_test::Figure;
using terravel_test::kExact;
using terravel_test::Relation;

const std::string kMoistAir = "moist-air reference figures";
const std::string kExample = "set-up of the worked example of the default inputs";

// Central difference of getEs over +-0.0005 K: the numerical slope that the
// Clausius-Clapeyron slope getDes is compared with.
double numericalSlopeOfEs(double T) {
    const double h = 0.0005;
    return (getEs(T + h) - getEs(T - h)) / (2.0 * h);
}

// Vapour pressure whose dew point is T by the 6.11 hPa reference of getTdew.
double dewPointPressure(double T) {
    return 6.11 * std::pow(10.0, 7.5 * T / (237.3 + T));
}

double defaultAirVapourPressure() { return getErh(0.6, 15.0); }

// -------------------------------------------------------------------------
class MoistAirFigures : public testing::TestWithParam<Figure> {};

TEST_P(MoistAirFigures, MatchesTheReferenceFigure) {
    terravel_test::expectFigure(GetParam());
}

const std::vector<Figure> kMoistAirFigures = {
    // Saturation vapour pressure, Tetens base 10.
    {"getEs_at_0_is_exactly_6_1078", [] { return getEs(0.0); }, 6.1078, kExact, kMoistAir},
    {"getEs_at_20", [] { return getEs(20.0); }, 23.38094, 5e-6, kMoistAir},
    {"getEs_at_minus10", [] { return getEs(-10.0); }, 2.857093, 5e-7, kMoistAir},
    {"getEs_at_100_not_forced_to_standard_pressure", [] { return getEs(100.0); },
     1021.938, 5e-4, kMoistAir},
    // Clausius-Clapeyron slope, a little below the numerical slope of getEs.
    {"getDes_at_0", [] { return getDes(0.0); }, 0.4434562, 5e-8, kMoistAir},
    {"getDes_at_20", [] { return getDes(20.0); }, 1.445542, 5e-7, kMoistAir},
    {"numerical_slope_of_getEs_at_0", [] { return numericalSlopeOfEs(0.0); },
     0.4444921, 5e-8, kMoistAir},
    {"numerical_slope_of_getEs_at_20", [] { return numericalSlopeOfEs(20.0); },
     1.447295, 5e-7, kMoistAir},
    // Saturation specific humidity and its slope.
    {"getQs_at_20_and_1013_25", [] { return getQs(20.0, 1013.25); }, 0.01447906, 5e-9,
     kMoistAir},
    {"getDqs_at_20_and_1013_25", [] { return getDqs(20.0, 1013.25); }, 0.0009030547,
     5e-11, kMoistAir},
    // Humidity conversions.
    {"getQ_of_10_at_1000", [] { return getQ(10.0, 1000.0); }, 0.006243601, 5e-10, kMoistAir},
    {"getE_of_0_01_at_1000", [] { return getE(0.01, 1000.0); }, 15.98006, 5e-6, kMoistAir},
    // Density.
    {"getRho_of_dry_air_at_0_is_exactly_1_293", [] { return getRho(0.0, 1013.25, 0.0); },
     1.293, kExact, kMoistAir},
    {"getRho_of_dry_air_at_15", [] { return getRho(15.0, 1013.25, 0.0); }, 1.225691, 5e-7,
     kMoistAir},
    {"getRho_of_saturated_air_at_20", [] { return getRho(20.0, 1013.25, getEs(20.0)); },
     1.194277, 5e-7, kMoistAir},
    // Specific heat and latent heat: lines whose values here are whole numbers.
    {"getCp_at_0", [] { return getCp(0.0); }, 1005.0, kExact, kMoistAir},
    {"getCp_at_20", [] { return getCp(20.0); }, 1006.0, kExact, kMoistAir},
    {"getL_at_0", [] { return getL(0.0); }, 2500000.0, kExact, kMoistAir},
    {"getL_at_20", [] { return getL(20.0); }, 2452000.0, kExact, kMoistAir},
    // Pressure at a height.
    {"getPz_1000_m_above_1013_25_at_15", [] { return getPz(1013.25, 15.0, 1000.0); },
     898.7263, 5e-5, kMoistAir},
    // The calculator's default air: 15 deg C, 60 %, 1033.2 hPa.
    {"getErh_of_default_air", [] { return defaultAirVapourPressure(); }, 10.23137, 5e-6,
     kMoistAir},
    {"getQ_of_default_air", [] { return getQ(defaultAirVapourPressure(), 1033.2); },
     0.006182562, 5e-10, kMoistAir},
    // Psychrometer.
    {"getEwet_dry_25_wet_20", [] { return getEwet(25.0, 20.0, 1013.25); }, 19.96030, 5e-6,
     kMoistAir},
    // Dew point: 6.11 hPa is its reference, so it lies just below the
    // temperature whose getEs it is given.
    {"getTdew_of_6_11_is_0", [] { return getTdew(6.11); }, 0.0, kExact, kMoistAir},
    {"getTdew_of_getEs_at_20", [] { return getTdew(getEs(20.0)); }, 19.99418, 5e-6,
     kMoistAir},
    {"getTdew_of_10", [] { return getTdew(10.0); }, 6.968451, 5e-7, kMoistAir},
    {"getTdew_of_getEs_at_0_lies_0_0049_below", [] { return getTdew(getEs(0.0)) - 0.0; },
     -0.0049, 5e-5, kMoistAir},
    {"getTdew_of_getEs_at_20_lies_0_0058_below", [] { return getTdew(getEs(20.0)) - 20.0; },
     -0.0058, 5e-5, kMoistAir},
    // Air properties that getTs takes at the default air temperature.
    {"example_cp_at_15", [] { return getCp(15.0); }, 1005.75, kExact, kExample},
    {"example_e_from_qa",
     [] { return getE(terravel_test::defaultInputs().qa, 1033.2); }, 10.2314, 5e-5, kExample},
    {"example_rho",
     [] { return getRho(15.0, 1033.2, getE(terravel_test::defaultInputs().qa, 1033.2)); },
     1.245146, 5e-7, kExample},
    {"example_L_at_15", [] { return getL(15.0); }, 2464000.0, kExact, kExample},
};

INSTANTIATE_TEST_SUITE_P(MoistAir, MoistAirFigures, testing::ValuesIn(kMoistAirFigures),
                         terravel_test::rowName<Figure>);

// -------------------------------------------------------------------------
// Identities that hold exactly in floating point, and the inverse pairs.
class MoistAirRelations : public testing::TestWithParam<Relation> {};

TEST_P(MoistAirRelations, Holds) { terravel_test::expectRelation(GetParam()); }

// getE(getQ(e, P), P) and back: a few units in the last place of the value.
double inverseTolerance(double value) { return 4.0 * DBL_EPSILON * std::fabs(value); }

// getTdew inverts the Tetens formula written with 6.11: the rounding of x, a
// few units in its last place, is scaled by 237.3 * 7.5 / (7.5 - x)^2, about
// 32 K per unit of x near 0 deg C. 1e-12 K leaves room for that.
constexpr double kDewPointRoundTrip = 1e-12;

const std::vector<Relation> kMoistAirRelations = {
    {"getErh_of_1_is_getEs", [] { return getErh(1.0, 15.0); }, [] { return getEs(15.0); },
     kExact, "f = 1 is saturation"},
    {"getErh_of_0_is_0", [] { return getErh(0.0, 15.0); }, [] { return 0.0; }, kExact,
     "f = 0 is dry air"},
    {"getEwet_with_equal_bulbs_is_getEs", [] { return getEwet(20.0, 20.0, 1013.25); },
     [] { return getEs(20.0); }, kExact, "no psychrometer depression"},
    {"getPz_at_height_0_is_P0", [] { return getPz(1013.25, 15.0, 0.0); },
     [] { return 1013.25; }, kExact, "the reference level itself"},
    {"getPz_at_height_0_is_P0_cold", [] { return getPz(987.6, -30.0, 0.0); },
     [] { return 987.6; }, kExact, "the reference level itself"},
    {"getQs_is_getQ_of_getEs", [] { return getQs(25.0, 1000.0); },
     [] { return getQ(getEs(25.0), 1000.0); }, kExact, "saturation specific humidity"},
    // getQ and getE are inverses at one pressure.
    {"getE_of_getQ_of_10_at_1000", [] { return getE(getQ(10.0, 1000.0), 1000.0); },
     [] { return 10.0; }, inverseTolerance(10.0), "getE inverts getQ"},
    {"getE_of_getQ_of_0_001_at_1033_2", [] { return getE(getQ(0.001, 1033.2), 1033.2); },
     [] { return 0.001; }, inverseTolerance(0.001), "getE inverts getQ"},
    {"getE_of_getQ_of_50_at_500", [] { return getE(getQ(50.0, 500.0), 500.0); },
     [] { return 50.0; }, inverseTolerance(50.0), "getE inverts getQ"},
    {"getE_of_getQ_of_300_at_500", [] { return getE(getQ(300.0, 500.0), 500.0); },
     [] { return 300.0; }, inverseTolerance(300.0), "getE inverts getQ"},
    {"getE_of_getQ_of_0_at_1000", [] { return getE(getQ(0.0, 1000.0), 1000.0); },
     [] { return 0.0; }, kExact, "dry air stays dry"},
    {"getQ_of_getE_of_0_02_at_850", [] { return getQ(getE(0.02, 850.0), 850.0); },
     [] { return 0.02; }, inverseTolerance(0.02), "getQ inverts getE"},
    // getTdew inverts the Tetens formula with 6.11 hPa at 0 deg C.
    {"getTdew_inverts_tetens_6_11_at_20", [] { return getTdew(dewPointPressure(20.0)); },
     [] { return 20.0; }, kDewPointRoundTrip, "getTdew inverts Tetens with 6.11"},
    {"getTdew_inverts_tetens_6_11_at_minus20",
     [] { return getTdew(dewPointPressure(-20.0)); }, [] { return -20.0; },
     kDewPointRoundTrip, "getTdew inverts Tetens with 6.11"},
    {"getTdew_inverts_tetens_6_11_at_15", [] { return getTdew(dewPointPressure(15.0)); },
     [] { return 15.0; }, kDewPointRoundTrip, "getTdew inverts Tetens with 6.11"},
    {"getTdew_inverts_tetens_6_11_at_35", [] { return getTdew(dewPointPressure(35.0)); },
     [] { return 35.0; }, kDewPointRoundTrip, "getTdew inverts Tetens with 6.11"},
    {"getTdew_inverts_tetens_6_11_at_60", [] { return getTdew(dewPointPressure(60.0)); },
     [] { return 60.0; }, kDewPointRoundTrip, "getTdew inverts Tetens with 6.11"},
};

INSTANTIATE_TEST_SUITE_P(MoistAir, MoistAirRelations, testing::ValuesIn(kMoistAirRelations),
                         terravel_test::rowName<Relation>);

// -------------------------------------------------------------------------
// The warning line of getTdew: written once, before the logarithm faults, for
// a vapour pressure that is not greater than 0; nothing for a valid one.
struct DewPointWarningCase {
    std::string name;
    double e;
    std::string expectedStderr;
    std::optional<Fault> expectedFault;
};

void PrintTo(const DewPointWarningCase& row, std::ostream* os) { *os << row.name; }

const std::string kWarningLine = "getTdew: warning: \"e\" is 0.0 (hPa).\n";

class DewPointWarning : public testing::TestWithParam<DewPointWarningCase> {};

TEST_P(DewPointWarning, WritesTheLineOnlyForAVapourPressureNotAboveZero) {
    const DewPointWarningCase& row = GetParam();
    std::optional<Fault> fault;
    testing::internal::CaptureStderr();
    try {
        getTdew(row.e);
    } catch (const FloatingPointError& error) {
        fault = error.fault();
    }
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, row.expectedStderr);
    EXPECT_EQ(fault, row.expectedFault);
}

const std::vector<DewPointWarningCase> kDewPointWarningCases = {
    {"zero", 0.0, kWarningLine, Fault::DivisionByZero},
    {"negative", -1.0, kWarningLine, Fault::InvalidOperation},
    {"not_a_number", std::numeric_limits<double>::quiet_NaN(), kWarningLine,
     Fault::InvalidOperation},
    {"reference_6_11", 6.11, "", std::nullopt},
    {"tetens_6_11_at_20", dewPointPressure(20.0), "", std::nullopt},
    {"saturation_at_20", 23.38094, "", std::nullopt},
    {"ten", 10.0, "", std::nullopt},
    {"tiny_positive", 1e-300, "", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(MoistAir, DewPointWarning, testing::ValuesIn(kDewPointWarningCases),
                         terravel_test::rowName<DewPointWarningCase>);

}  // namespace
