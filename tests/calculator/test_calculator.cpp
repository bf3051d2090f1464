// The calculator core without a window: number reading, input checks,
// display formats, memory, and the computation of the twelve results.
#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "calculator.h"
#include "heat_balance.h"

using namespace calculator;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

WorkValues defaults() {
    MemoryValues m{};
    setDefaults(m);
    WorkValues w{};
    restoreInputs(m, w);
    return w;
}

// ---------------------------------------------------------------------------
// Reading typed text

struct ReadRow {
    const char* text;
    double expected;
};

TEST(ReadNumber, ReadsTheLongestLeadingNumberLikeAtof) {
    const ReadRow rows[] = {
        {"", 0.0},
        {"15.0", 15.0},
        {"  -3.5", -3.5},        // leading blanks skipped
        {"\t+2", 2.0},
        {"0,5", 0.0},            // a comma ends the number
        {"12abc", 12.0},         // the rest is ignored
        {"abc", 0.0},
        {"-", 0.0},              // a lone sign is no number
        {".", 0.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"1e2", 100.0},
        {"1E-2x", 0.01},
        {"1e", 1.0},             // an exponent needs digits
        {"1e+", 1.0},
        {"1033.2", 1033.2},
        {"0.00100", 0.001},
        {"1e999", kInf},         // out of range reads as infinity
        {"-inf", -kInf},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(std::string("text \"") + row.text + "\"");
        EXPECT_EQ(readNumber(row.text), row.expected);
    }
    EXPECT_TRUE(std::isnan(readNumber("nan")));
}

TEST(ReadNumber, UsesTheFullStopUnderAnyLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale on this machine";
    EXPECT_EQ(readNumber("1033.2"), 1033.2);
    EXPECT_EQ(readNumber("0,5"), 0.0);
    EXPECT_EQ(formatValue(1033.2, 1), "1033.2");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// ---------------------------------------------------------------------------
// Input checks

struct CheckRow {
    const char* name;
    Check check;
    double x;
    bool accepted;
};

TEST(Accepts, BoundsAreExactAndNaNIsRejectedWhereThereIsACheck) {
    const CheckRow rows[] = {
        {"percent 0", Check::Percent, 0.0, true},
        {"percent 100", Check::Percent, 100.0, true},
        {"percent just above 100", Check::Percent, 100.00000000000001, false},
        {"percent -0.1", Check::Percent, -0.1, false},
        {"percent NaN", Check::Percent, kNaN, false},
        {"non-negative 0", Check::NonNegative, 0.0, true},
        {"non-negative -0", Check::NonNegative, -0.0, true},
        {"non-negative -5", Check::NonNegative, -5.0, false},
        {"non-negative infinity", Check::NonNegative, kInf, true},
        {"non-negative NaN", Check::NonNegative, kNaN, false},
        {"positive 0", Check::Positive, 0.0, false},
        {"positive smallest", Check::Positive, DBL_TRUE_MIN, true},
        {"positive NaN", Check::Positive, kNaN, false},
        {"fraction 1", Check::Fraction, 1.0, true},
        {"fraction 1.01", Check::Fraction, 1.01, false},
        {"fraction NaN", Check::Fraction, kNaN, false},
        {"any NaN", Check::Any, kNaN, true},
        {"any -infinity", Check::Any, -kInf, true},
    };
    for (const CheckRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(accepts(row.check, row.x), row.accepted);
    }
}

TEST(ApplyInputText, RejectedTextLeavesTheWorkingValueAlone) {
    WorkValues w = defaults();
    const Input& pressure = *inputForEdit(4);
    applyInputText(pressure, "", w);     // empty reads as 0, which a pressure refuses
    EXPECT_EQ(w.pa, 1033.2);
    applyInputText(pressure, "0.5", w);
    EXPECT_EQ(w.pa, 0.5);
    const Input& humidity = *inputForEdit(2);
    applyInputText(humidity, "nan", w);
    EXPECT_EQ(w.rh, 60.0);
    EXPECT_EQ(inputForEdit(5), nullptr);  // a result field has no input
}

// ---------------------------------------------------------------------------
// Display

TEST(FormatValue, FixedPointWithTheGivenDecimals) {
    struct Row { double value; int decimals; const char* text; } const rows[] = {
        {15.0, 1, "15.0"},
        {0.1, 2, "0.10"},
        {0.001, 5, "0.00100"},
        {0.006182562, 4, "0.0062"},
        {0.125, 2, "0.12"},      // exact half rounds to even, as printf does
        {0.04, 1, "0.0"},
        {-0.04, 1, "-0.0"},
        {1.5706433, 3, "1.571"},
        {-17.42501, 1, "-17.4"},
        {kInf, 1, "inf"},
        {-kInf, 1, "-inf"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(formatValue(row.value, row.decimals), row.text);
    }
    const std::string largest = formatValue(-DBL_MAX, 5);
    EXPECT_EQ(largest.size(), 316u);  // the longest text any format gives
    EXPECT_EQ(largest.substr(0, 8), "-1797693");
}

TEST(FieldText, RestoreHidesResultsAndCalculateHidesANegativeBowenRatio) {
    WorkValues w = defaults();
    w.bowen = -17.42501;
    w.Ts = 28.03466796875;
    for (const FieldWrite& write : kWriteOrder) {
        SCOPED_TRACE("Edit" + std::to_string(write.edit));
        const std::string restored = fieldText(write, w, WriteKind::Restore);
        if (write.input)
            EXPECT_EQ(restored, formatValue(w.*write.value, write.decimals));
        else
            EXPECT_EQ(restored, "***");
    }
    const auto& bowenWrite = kWriteOrder[20];
    ASSERT_EQ(bowenWrite.edit, 21);
    EXPECT_EQ(fieldText(bowenWrite, w, WriteKind::Calculate), "***");
    w.bowen = 0.0;
    EXPECT_EQ(fieldText(bowenWrite, w, WriteKind::Calculate), "0.000");
    EXPECT_EQ(fieldText(kWriteOrder[9], w, WriteKind::Calculate), "28.0");
}

TEST(WriteOrder, EveryFieldOnceInTheWindowsOrder) {
    const int expected[26] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13,
                              14, 15, 16, 17, 18, 19, 20, 21, 26, 22, 23, 24, 25};
    for (std::size_t i = 0; i < kWriteOrder.size(); ++i)
        EXPECT_EQ(kWriteOrder[i].edit, expected[i]) << "write " << i + 1;
}

// ---------------------------------------------------------------------------
// Memory

TEST(Memory, RememberAndRestoreCarryAllTenInputsAndNoResult) {
    WorkValues w = defaults();
    w.G = -12.5;
    w.albedo = 0.123;
    w.Ts = 99.0;
    MemoryValues m{};
    remember(w, m);
    WorkValues other = defaults();
    other.Ts = 1.0;
    restoreInputs(m, other);
    EXPECT_EQ(other.G, -12.5);
    EXPECT_EQ(other.albedo, 0.123);
    EXPECT_EQ(other.Ts, 1.0);  // results are not remembered
}

// ---------------------------------------------------------------------------
// The computation

TEST(Calculate, DefaultInputs) {
    WorkValues w = defaults();
    calculate(w);
    struct Row { const char* name; double value, expected, tolerance; } const rows[] = {
        {"ea", w.ea, 10.23137, 5e-6},
        {"qa", w.qa, 0.006182562, 5e-10},
        {"Rsu", w.Rsu, 30.0, 0.0},
        {"Ts", w.Ts, 28.03466796875, 0.0},
        {"Lu", w.Lu, 466.5675, 5e-5},
        {"H", w.H, 32.64677, 5e-6},
        {"lE", w.lE, 20.78561, 5e-6},
        {"es", w.es, 37.87198, 5e-6},
        {"qs", w.qs, 0.02311977, 5e-9},
        {"Rn", w.Rn, 103.4325, 5e-5},
        {"bowen", w.bowen, 1.570643, 5e-7},
        {"evap", w.evap, 0.7288460, 5e-8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(row.value, row.expected, row.tolerance);
    }
    // The balance closes to the search tolerance.
    EXPECT_LE(std::fabs(w.Rn - w.H - w.lE - w.G), 0.0005);
}

// Scenarios on the default inputs with one or more inputs changed; the
// figures are the one-decimal texts the window shows.
TEST(Calculate, Scenarios) {
    struct Row {
        const char* name;
        void (*change)(WorkValues&);
        double Ts, Rn, H, lE, bowen;
    } const rows[] = {
        {"no evaporation", [](WorkValues& w) { w.beta = 0.0; }, 30.4, 88.6, 38.6, 0.0, -1.0},
        {"no wind", [](WorkValues& w) { w.u = 0.0; }, 36.3, 50.0, 0.0, 0.0, -1.0},
        {"dry, dark, no ground flux",
         [](WorkValues& w) { w.rh = 30.0; w.Rs = 0.0; w.G = 0.0; }, 2.8, -28.8, -30.6, 1.8, -17.42501},
        {"larger transfer coefficient", [](WorkValues& w) { w.ch = 0.0012345; },
         26.9, 110.3, 36.9, 23.4, 1.574},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WorkValues w = defaults();
        row.change(w);
        calculate(w);
        EXPECT_EQ(formatValue(w.Ts, 1), formatValue(row.Ts, 1));
        EXPECT_EQ(formatValue(w.Rn, 1), formatValue(row.Rn, 1));
        EXPECT_EQ(formatValue(w.H, 1), formatValue(row.H, 1));
        EXPECT_EQ(formatValue(w.lE, 1), formatValue(row.lE, 1));
        if (row.bowen == -1.0)
            EXPECT_EQ(w.bowen, -1.0);  // latent heat exactly 0
        else
            EXPECT_NEAR(w.bowen, row.bowen, 5e-4);
    }
}

// A fault ends the computation where it happens: what came before is stored,
// what comes after keeps its old value.
TEST(Calculate, FaultKeepsEarlierResultsAndOldLaterOnes) {
    constexpr double kOld = 123.0;
    auto stale = [] {
        WorkValues w = defaults();
        w.ea = w.qa = w.Rsu = w.Ts = w.es = w.qs = w.Lu = w.Rn = w.H = w.lE = w.bowen =
            w.evap = kOld;
        return w;
    };
    // The floating-point fault calculate ends in.
    auto faultOf = [](WorkValues& w) -> std::optional<physics::Fault> {
        try {
            calculate(w);
        } catch (const physics::FloatingPointError& e) {
            return e.fault();
        }
        return std::nullopt;
    };

    {
        SCOPED_TRACE("air temperature at the pole of the saturation formula");
        WorkValues w = stale();
        w.Ta = -237.3;
        EXPECT_EQ(faultOf(w), physics::Fault::DivisionByZero);
        EXPECT_EQ(w.ea, kOld);
        EXPECT_EQ(w.evap, kOld);
    }
    {
        SCOPED_TRACE("no wind and more ground heat than the surface receives");
        WorkValues w = stale();
        w.u = 0.0;
        w.G = 1000.0;
        EXPECT_THROW(calculate(w), physics::NoBalanceError);
        EXPECT_NE(w.ea, kOld);
        EXPECT_NE(w.qa, kOld);
        EXPECT_EQ(w.Rsu, 30.0);
        for (double later : {w.Ts, w.Lu, w.H, w.lE, w.es, w.qs, w.Rn, w.bowen, w.evap})
            EXPECT_EQ(later, kOld);
    }
    {
        SCOPED_TRACE("NaN air temperature faults at the solver's first comparison");
        WorkValues w = stale();
        w.Ta = kNaN;
        EXPECT_EQ(faultOf(w), physics::Fault::InvalidOperation);
        EXPECT_TRUE(std::isnan(w.ea));
        EXPECT_EQ(w.Ts, kOld);
    }
    {
        SCOPED_TRACE("infinite solar radiation: inf - inf in the available energy");
        WorkValues w = stale();
        w.Rs = kInf;
        EXPECT_EQ(faultOf(w), physics::Fault::InvalidOperation);
        EXPECT_EQ(w.Rsu, kInf);
        EXPECT_EQ(w.Ts, kOld);
    }
}

}  // namespace
