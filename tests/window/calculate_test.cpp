// "calculate" through the window: the 26 texts it writes, the rounded inputs
// it feeds back, and an arithmetic fault shown by the error display while the
// window stays as it was and usable. Runs under the C and a German locale.
#include "window_test.h"

using calculator::WorkValues;
using window_test::Typing;

class CalculateTest : public window_test::WindowTest {
    Q_OBJECT

private slots:
    void defaults();
    void roundedInputFedBack();
    void refusedTextReplaced();
    void divisionByZero();

private:
    // The texts after start with `changes` as {edit, text} pairs applied.
    static QStringList texts(std::initializer_list<std::pair<int, const char*>> changes,
                             QStringList base = window_test::startTexts()) {
        for (const auto& [edit, text] : changes)
            base[edit - 1] = QString::fromUtf8(text);
        return base;
    }
};

namespace {

// The defaults' balance: ea 10.23137 hPa, Ts 28.03466796875 deg C after 20
// passes of the surface temperature search, Lu 466.5675, H 32.64677,
// lE 20.78561 and Rn 103.4325 W/m2, bowen 1.570643, evap 0.7288460 mm/day.
const std::initializer_list<std::pair<int, const char*>> kDefaultResults = {
    {5, "10.2"},   {6, "0.0062"},  {10, "28.0"},  {11, "37.9"},  {12, "0.0231"},
    {15, "30.0"},  {16, "466.6"},  {17, "103.4"}, {18, "32.6"},  {19, "20.8"},
    {21, "1.571"}, {26, "0.73"},   {22, "103.4"}, {23, "32.6"},  {24, "20.8"},
    {25, "50.0"},
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

TERRAVEL_WINDOW_TEST_MAIN(CalculateTest)
#include "calculate_test.moc"
