// "calculate" through the window: the 26 texts it writes, the rounded inputs
// it feeds back, inputs that differ from their shown texts, and every kind of
// fault it can meet, each shown by the error display while the window stays
// as it was and usable. Runs under the C and a German locale.
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "window_test.h"

using calculator::WorkValues;
using window_test::Typing;

// {edit field number, text} pairs.
using Texts = std::vector<std::pair<int, const char*>>;

class CalculateTest : public window_test::WindowTest {
    Q_OBJECT

private slots:
    void defaults();
    void roundedInputFedBack();
    void refusedTextReplaced();
    void results_data();
    void results();
    void inputDifferingFromItsText();
    void divisionByZero();
    void faults_data();
    void faults();

private:
    // The texts after start with `changes` as {edit, text} pairs applied.
    static QStringList texts(const Texts& changes, QStringList base = window_test::startTexts()) {
        for (const auto& [edit, text] : changes)
            base[edit - 1] = QString::fromUtf8(text);
        return base;
    }
};

namespace {

// The defaults' balance: ea 10.23137 hPa, Ts 28.03466796875 deg C after 20
// passes of the surface temperature search, Lu 466.5675, H 32.64677,
// lE 20.78561 and Rn 103.4325 W/m2, bowen 1.570643, evap 0.7288460 mm/day.
const Texts kDefaultResults = {
    {5, "10.2"},   {6, "0.0062"},  {10, "28.0"},  {11, "37.9"},  {12, "0.0231"},
    {15, "30.0"},  {16, "466.6"},  {17, "103.4"}, {18, "32.6"},  {19, "20.8"},
    {21, "1.571"}, {26, "0.73"},   {22, "103.4"}, {23, "32.6"},  {24, "20.8"},
    {25, "50.0"},
};

// The twelve results, in the order the command computes them.
constexpr std::pair<const char*, double WorkValues::*> kResults[] = {
    {"ea", &WorkValues::ea}, {"qa", &WorkValues::qa}, {"Rsu", &WorkValues::Rsu},
    {"Ts", &WorkValues::Ts}, {"Lu", &WorkValues::Lu}, {"H", &WorkValues::H},
    {"lE", &WorkValues::lE}, {"es", &WorkValues::es}, {"qs", &WorkValues::qs},
    {"Rn", &WorkValues::Rn}, {"bowen", &WorkValues::bowen}, {"evap", &WorkValues::evap},
};

double WorkValues::*result(std::string_view name) {
    for (const auto& [key, member] : kResults)
        if (name == key)
            return member;
    qFatal("no result named %s", name.data());
}

// Inputs typed over the defaults and what one press then shows.
struct Scenario {
    const char* name;
    Texts typed;  // typed in this order
    Texts shown;  // texts other than those of the defaults' press
    struct Value {
        const char* result;
        double expected;
        double tolerance;  // 0: compared exactly
    };
    std::vector<Value> values;
};

// Texts checked by hand: Lu = 5.67e-8 (Ts + 273.15)^4, Rn = Rs + Ld - Rsu - Lu,
// es by Tetens at the shown Ts, qs = 0.622 es / pa / (1 - 0.378 es / pa).
const Scenario kScenarios[] = {
    // No evaporation: lE is exactly 0, so the Bowen ratio is -1 and hidden.
    {"efficiency 0",
     {{9, "0"}},
     {{9, "0.00"}, {10, "30.4"}, {11, "43.4"}, {12, "0.0266"}, {16, "481.4"}, {17, "88.6"},
      {18, "38.6"}, {19, "0.0"}, {21, "***"}, {26, "0.00"}, {22, "88.6"}, {23, "38.6"},
      {24, "0.0"}},
     {{"lE", 0.0, 0.0}, {"bowen", -1.0, 0.0}, {"evap", 0.0, 0.0}}},
    // Calm: no turbulent flux at all; the surface sheds Q by emission alone,
    // 36.3104248046875 deg C after 22 passes with Lu 520.0002 W/m2.
    {"wind 0",
     {{3, "0"}},
     {{3, "0.0"}, {10, "36.3"}, {11, "60.4"}, {12, "0.0372"}, {16, "520.0"}, {17, "50.0"},
      {18, "0.0"}, {19, "0.0"}, {21, "***"}, {26, "0.00"}, {22, "50.0"}, {23, "0.0"},
      {24, "0.0"}},
     {{"H", 0.0, 0.0}, {"lE", 0.0, 0.0}, {"bowen", -1.0, 0.0}}},
    // No sun and dry air: the surface ends colder than the air and still
    // evaporates; the true negative ratio -17.42501 is hidden.
    {"humidity 30, solar radiation 0, ground heat flux 0",
     {{2, "30"}, {13, "0"}, {20, "0"}},
     {{2, "30.0"}, {5, "5.1"}, {6, "0.0031"}, {10, "2.8"}, {11, "7.5"}, {12, "0.0045"},
      {13, "0.0"}, {15, "0.0"}, {16, "328.8"}, {17, "-28.8"}, {18, "-30.6"}, {19, "1.8"},
      {20, "0.0"}, {21, "***"}, {26, "0.06"}, {22, "-28.8"}, {23, "-30.6"}, {24, "1.8"},
      {25, "0.0"}},
     {{"Rsu", 0.0, 0.0}, {"bowen", -17.42501, 5e-6}}},
};

// Inputs typed over the defaults on which "calculate" fails, what the error
// display says, and the results the steps before the fault stored, to 7
// significant digits (QString::number(x, 'g', 7): "nan" and "inf" included).
// The ground heat flux is 50 W/m2 throughout unless typed.
struct FaultCase {
    const char* name;
    Texts typed;
    const char* message;  // part of the message, in any case
    std::vector<std::pair<const char*, const char*>> stored;
};

const char kNoBalance[] = "no surface temperature balances";

const FaultCase kFaults[] = {
    // The step falls below the spacing of doubles at Ts while the residual
    // stays at a few tenths of a W/m2.
    {"wind 1e14: the search stops moving",
     {{3, "1e14"}},
     kNoBalance,
     {{"ea", "10.23137"}, {"qa", "0.006182562"}, {"Rsu", "30"}}},
    // Only emission is left to shed Q = -430 W/m2: the walk down never
    // crosses the balance and ends at the pass bound.
    {"wind 0, ground heat flux 1000: the search never crosses",
     {{3, "0"}, {20, "1000"}},
     kNoBalance,
     {{"ea", "10.23137"}, {"qa", "0.006182562"}, {"Rsu", "30"}}},
    // NaN passes through the humidity steps and faults at the solver's first
    // sign test of the residual.
    {"air temperature nan: invalid in the solver",
     {{1, "nan"}},
     "invalid",
     {{"ea", "nan"}, {"qa", "nan"}, {"Rsu", "30"}}},
    // A NaN available energy: the humidity is sound, the residual is not.
    {"ground heat flux nan: invalid in the solver",
     {{20, "nan"}},
     "invalid",
     {{"ea", "10.23137"}, {"qa", "0.006182562"}, {"Rsu", "30"}}},
    // Rsu = inf x 0.1 is stored; Q = (inf - inf) + Ld - G is not.
    {"solar radiation inf: inf - inf in the available energy",
     {{13, "inf"}},
     "invalid",
     {{"ea", "10.23137"}, {"qa", "0.006182562"}, {"Rsu", "inf"}}},
    // T + 273.15 is exactly 0 in the air density of the solver's set-up.
    {"air temperature -273.15: zero divisor in the air density",
     {{1, "-273.15"}},
     "division by zero",
     {{"ea", "5.109607e+57"}, {"qa", "-1.645503"}, {"Rsu", "30"}}},
    // A denormal efficiency leaves a denormal lE that is not 0, so the
    // Bowen ratio H / lE overflows after everything before it was stored;
    // the balance is that of an efficiency of 0.
    {"efficiency 1e-320: the Bowen ratio overflows",
     {{9, "1e-320"}},
     "overflow",
     {{"ea", "10.23137"}, {"qa", "0.006182562"}, {"Rsu", "30"}, {"Ts", "30.40352"},
      {"Lu", "481.42"}, {"H", "38.57982"}, {"lE", "1.250376e-318"}, {"es", "43.4182"},
      {"qs", "0.02656023"}, {"Rn", "88.57998"}}},
};

}  // namespace

// The input texts equal what window creation wrote, so no change handler
// runs and the working inputs stay the defaults bit for bit.
void CalculateTest::defaults() {
    const WorkValues before = calculator::Work;
    click(form->Button1);
    QCOMPARE(window_test::fieldTexts(*form), texts(kDefaultResults));
    COMPARE_EXACTLY(calculator::Work.Ts, 28.03466796875);
    for (double WorkValues::*input : {&WorkValues::Ta, &WorkValues::rh, &WorkValues::u,
                                      &WorkValues::pa, &WorkValues::albedo, &WorkValues::ch,
                                      &WorkValues::beta, &WorkValues::Rs, &WorkValues::Ld,
                                      &WorkValues::G})
        COMPARE_EXACTLY(calculator::Work.*input, before.*input);
}

// The first press computes with the typed 0.0012345 and writes 0.00123 back,
// which becomes the working value; the second press computes with that.
void CalculateTest::roundedInputFedBack() {
    window_test::type(form->Edit8, Typing::OverAll, "0.0012345");
    COMPARE_EXACTLY(calculator::Work.ch, 0.0012345);

    click(form->Button1);
    const QStringList first = texts(
        {{8, "0.00123"}, {10, "26.9"}, {11, "35.5"}, {12, "0.0216"}, {16, "459.7"},
         {17, "110.3"}, {22, "110.3"}, {18, "36.9"}, {23, "36.9"}, {19, "23.4"},
         {24, "23.4"}, {21, "1.574"}, {26, "0.82"}},
        texts(kDefaultResults));
    QCOMPARE(window_test::fieldTexts(*form), first);
    COMPARE_EXACTLY(calculator::Work.ch, 0.00123);

    click(form->Button1);
    QCOMPARE(window_test::fieldTexts(*form),
             texts({{12, "0.0217"}, {16, "459.8"}, {17, "110.2"}, {22, "110.2"},
                    {18, "36.8"}, {23, "36.8"}},
                   first));
}

// 150 typed over the humidity: 1 and 15 were accepted, 150 refused; the
// press computes with 15 and replaces the refused text.
void CalculateTest::refusedTextReplaced() {
    window_test::type(form->Edit2, Typing::OverAll, "150");
    COMPARE_EXACTLY(calculator::Work.rh, 15.0);
    click(form->Button1);
    QCOMPARE(form->Edit2->text(), QStringLiteral("15.0"));
    COMPARE_EXACTLY(calculator::Work.rh, 15.0);
    QCOMPARE(form->Edit5->text(), QStringLiteral("2.6"));  // 15 % of 17.05 hPa
}

void CalculateTest::results_data() {
    QTest::addColumn<int>("row");
    for (int row = 0; row < int(std::size(kScenarios)); ++row)
        QTest::newRow(kScenarios[row].name) << row;
}

void CalculateTest::results() {
    QFETCH(int, row);
    const Scenario& scenario = kScenarios[row];
    for (const auto& [edit, text] : scenario.typed)
        window_test::type(form->editField(edit), Typing::OverAll, QString::fromUtf8(text));

    click(form->Button1);
    QCOMPARE(window_test::fieldTexts(*form), texts(scenario.shown, texts(kDefaultResults)));
    for (const Scenario::Value& value : scenario.values) {
        const double actual = calculator::Work.*result(value.result);
        if (value.tolerance == 0.0)
            COMPARE_EXACTLY(actual, value.expected);
        else
            QVERIFY2(qAbs(actual - value.expected) <= value.tolerance,
                     qPrintable(QStringLiteral("%1 = %2").arg(QString::fromUtf8(value.result))
                                    .arg(actual, 0, 'g', 17)));
    }
}

// An albedo of 0.123 remembered and restored twice: the field shows 0.12,
// the working value is 0.123, and the press computes with 0.123. Every text
// it shows is that of 0.123 (with 0.12: Ts 27.5, Rsu 36.0, Lu 463.0, ...),
// and writing 0.12 over 0.12 leaves the albedo 0.123.
void CalculateTest::inputDifferingFromItsText() {
    const double albedo = 0.123;
    window_test::type(form->Edit7, Typing::OverAll, "0.123");
    click(form->Button4);
    click(form->Button3);
    click(form->Button3);
    QCOMPARE(form->Edit7->text(), QStringLiteral("0.12"));
    COMPARE_EXACTLY(calculator::Work.albedo, albedo);

    click(form->Button1);
    COMPARE_EXACTLY(calculator::Work.Rsu, 300.0 * albedo);
    COMPARE_EXACTLY(calculator::Work.albedo, albedo);
    QCOMPARE(window_test::fieldTexts(*form),
             texts({{7, "0.12"}, {10, "27.4"}, {11, "36.4"}, {12, "0.0222"}, {15, "36.9"},
                    {16, "462.4"}, {17, "100.7"}, {18, "31.0"}, {19, "19.7"}, {21, "1.573"},
                    {26, "0.69"}, {22, "100.7"}, {23, "31.0"}, {24, "19.7"}},
                   texts(kDefaultResults)));
}

// Ta = -237.3 divides by zero in the saturation vapour pressure: the error
// display says so, no field and no working value changes, and the window
// goes on working.
void CalculateTest::divisionByZero() {
    click(form->Button1);
    window_test::type(form->Edit1, Typing::OverAll, "-237.3");
    const QStringList shown = window_test::fieldTexts(*form);
    const WorkValues values = calculator::Work;

    click(form->Button1);
    QCOMPARE(errors.size(), std::size_t{1});
    QVERIFY2(errors.front().find("division by zero") != std::string::npos, errors.front().c_str());
    errors.clear();
    QCOMPARE(window_test::fieldTexts(*form), shown);
    QVERIFY(window_test::sameBits(calculator::Work, values));

    window_test::type(form->Edit1, Typing::OverAll, "15");
    click(form->Button1);
    QCOMPARE(window_test::fieldTexts(*form), texts(kDefaultResults));
    QVERIFY(errors.empty());
}

void CalculateTest::faults_data() {
    QTest::addColumn<int>("row");
    for (int row = 0; row < int(std::size(kFaults)); ++row)
        QTest::newRow(kFaults[row].name) << row;
}

// A failed press: the error display names the fault, no field is written,
// the steps before the fault keep what they stored and the later ones the
// results of the press before; then sound inputs calculate as ever.
void CalculateTest::faults() {
    QFETCH(int, row);
    const FaultCase& fault = kFaults[row];
    click(form->Button1);  // the defaults' results in every result field
    for (const auto& [edit, text] : fault.typed)
        window_test::type(form->editField(edit), Typing::OverAll, QString::fromUtf8(text));
    // Mark the results of the earlier press so that anything stored shows.
    for (std::size_t i = 0; i < std::size(kResults); ++i)
        calculator::Work.*kResults[i].second = -1000.0 - double(i);
    const QStringList shown = window_test::fieldTexts(*form);
    WorkValues expected = calculator::Work;

    click(form->Button1);
    QCOMPARE(errors.size(), std::size_t{1});
    QVERIFY2(QString::fromStdString(errors.front())
                 .contains(QString::fromUtf8(fault.message), Qt::CaseInsensitive),
             errors.front().c_str());
    errors.clear();
    QCOMPARE(window_test::fieldTexts(*form), shown);
    for (const auto& [name, value] : fault.stored) {
        const QString stored = QString::number(calculator::Work.*result(name), 'g', 7);
        QVERIFY2(stored == QString::fromUtf8(value),
                 qPrintable(QStringLiteral("%1 = %2").arg(QString::fromUtf8(name), stored)));
        expected.*result(name) = calculator::Work.*result(name);
    }
    // Every other result keeps its mark bit for bit; no input changed either.
    for (const auto& [name, member] : kResults)
        QVERIFY2(std::memcmp(&(calculator::Work.*member), &(expected.*member), sizeof(double)) == 0,
                 name);
    QVERIFY(window_test::sameBits(calculator::Work, expected));

    for (const auto& [edit, text] : fault.typed)
        window_test::type(form->editField(edit), Typing::OverAll,
                          window_test::startTexts()[edit - 1]);
    click(form->Button1);
    QCOMPARE(window_test::fieldTexts(*form), texts(kDefaultResults));
}

TERRAVEL_WINDOW_TEST_MAIN(CalculateTest)
#include "calculate_test.moc"
