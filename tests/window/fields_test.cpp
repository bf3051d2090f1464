// The fields as the user sees and types them: the texts at first sight, typed
// texts and the working values they leave, and memory and restore. Runs under
// the C locale and again under a German one, where the full stop must stay
// the decimal mark both ways.
#include <QLocale>

#include <cstdio>

#include "window_test.h"

using calculator::WorkValues;
using window_test::Typing;

Q_DECLARE_METATYPE(window_test::Typing)

class FieldsTest : public window_test::WindowTest {
    Q_OBJECT

private slots:
    void germanLocaleInEffect();
    void firstSight();
    void typing_data();
    void typing();
    void restoreBeforeMemoryBringsDefaults();
    void memoryTypingRestore();
    void memoryWritesNoField();
    void roundedTextRestoredTwice();
    void restoredTextFailingItsCheck();
};

namespace {

double WorkValues::*member(const QString& name) {
    const std::pair<const char*, double WorkValues::*> inputs[] = {
        {"Ta", &WorkValues::Ta},         {"rh", &WorkValues::rh}, {"u", &WorkValues::u},
        {"pa", &WorkValues::pa},         {"albedo", &WorkValues::albedo},
        {"ch", &WorkValues::ch},         {"beta", &WorkValues::beta},
        {"Rs", &WorkValues::Rs},         {"Ld", &WorkValues::Ld}, {"G", &WorkValues::G},
    };
    for (const auto& [key, value] : inputs)
        if (name == QLatin1String(key))
            return value;
    qFatal("no input named %s", qPrintable(name));
}

constexpr WorkValues kDefaults = [] {
    WorkValues w{};
    w.Ta = 15.0; w.rh = 60.0; w.u = 2.0; w.pa = 1033.2; w.albedo = 0.1;
    w.ch = 0.001; w.beta = 0.2; w.Rs = 300.0; w.Ld = 300.0; w.G = 50.0;
    return w;
}();

}  // namespace

// The German run means something only if the locale really is German.
void FieldsTest::germanLocaleInEffect() {
    if (qEnvironmentVariable("TERRAVEL_TEST_LOCALE") != QLatin1String("de_DE"))
        QSKIP("C locale run");
    QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
    if (!window_test::germanCLocale())
        QSKIP("de_DE.UTF-8 is not installed; Qt's locale alone is German");
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    QCOMPARE(QString::fromLatin1(text), QStringLiteral("1,5"));
}

// Window creation writes every field before the window is shown: the layout's
// own texts (the fields' names) are never seen.
void FieldsTest::firstSight() {
    calculator::Work = {};
    calculator::Memory = {};
    TForm1 hidden;
    QVERIFY(!hidden.isVisible());
    QCOMPARE(window_test::fieldTexts(hidden), window_test::startTexts());
    QVERIFY(window_test::sameBits(calculator::Work, kDefaults));
}

void FieldsTest::typing_data() {
    QTest::addColumn<int>("edit");
    QTest::addColumn<Typing>("how");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("expected");

    // Every keystroke reads the whole text again: a rejected text leaves the
    // value of the last accepted one, which may come from a shorter text.
    struct Row {
        const char* name;
        int edit;
        Typing how;
        const char* typed;
        const char* value;
        double expected;
    };
    const Row rows[] = {
        {"humidity cleared reads 0", 2, Typing::IntoEmptied, "", "rh", 0.0},
        {"pressure cleared keeps its value", 4, Typing::IntoEmptied, "", "pa", 1033.2},
        {"air temperature cleared reads 0", 1, Typing::IntoEmptied, "", "Ta", 0.0},
        {"humidity 100 accepted", 2, Typing::OverAll, "100", "rh", 100.0},
        {"humidity 100.1 refused, 100 stays", 2, Typing::OverAll, "100.1", "rh", 100.0},
        {"humidity 101 into emptied field leaves 10", 2, Typing::IntoEmptied, "101", "rh", 10.0},
        {"humidity 1e2 is 100", 2, Typing::OverAll, "1e2", "rh", 100.0},
        {"wind minus in front refused", 3, Typing::InFront, "-", "u", 2.0},
        {"wind -5 refused after the lone sign read 0", 3, Typing::OverAll, "-5", "u", 0.0},
        {"albedo 1 accepted", 7, Typing::OverAll, "1", "albedo", 1.0},
        {"albedo 1.01 refused", 7, Typing::OverAll, "1.01", "albedo", 1.0},
        {"albedo 0,5 is 0: the comma ends the number", 7, Typing::OverAll, "0,5", "albedo", 0.0},
        {"transfer coefficient 1 accepted", 8, Typing::OverAll, "1", "ch", 1.0},
        {"transfer coefficient 1.01 refused", 8, Typing::OverAll, "1.01", "ch", 1.0},
        {"pressure 0 refused", 4, Typing::OverAll, "0", "pa", 1033.2},
        {"pressure 0.5 accepted", 4, Typing::OverAll, "0.5", "pa", 0.5},
        {"efficiency 5 accepted", 9, Typing::OverAll, "5", "beta", 5.0},
        {"air temperature negative", 1, Typing::OverAll, "-12.5", "Ta", -12.5},
        {"solar radiation negative", 13, Typing::OverAll, "-100", "Rs", -100.0},
        {"atmospheric radiation negative", 14, Typing::OverAll, "-1", "Ld", -1.0},
        {"ground heat flux negative", 20, Typing::OverAll, "-20.5", "G", -20.5},
        {"12abc is 12", 1, Typing::OverAll, "12abc", "Ta", 12.0},
        {"abc is 0", 1, Typing::OverAll, "abc", "Ta", 0.0},
        {"leading spaces skipped", 1, Typing::OverAll, "   7.25", "Ta", 7.25},
        {"humidity 150 leaves 15", 2, Typing::OverAll, "150", "rh", 15.0},
    };
    for (const Row& row : rows)
        QTest::newRow(row.name) << row.edit << row.how << QString::fromUtf8(row.typed)
                                << QString::fromUtf8(row.value) << row.expected;
}

// Typing changes the field's own working value and nothing else: no other
// field, no other working value, no result.
void FieldsTest::typing() {
    QFETCH(int, edit);
    QFETCH(Typing, how);
    QFETCH(QString, typed);
    QFETCH(QString, value);
    QFETCH(double, expected);

    QLineEdit* field = form->editField(edit);
    QStringList texts = window_test::fieldTexts(*form);
    WorkValues values = calculator::Work;

    window_test::type(field, how, typed);

    texts[edit - 1] = how == Typing::InFront ? typed + texts[edit - 1] : typed;
    values.*member(value) = expected;
    QCOMPARE(window_test::fieldTexts(*form), texts);
    COMPARE_EXACTLY(calculator::Work.*member(value), expected);
    QVERIFY(window_test::sameBits(calculator::Work, values));
}

void FieldsTest::restoreBeforeMemoryBringsDefaults() {
    window_test::type(form->Edit1, Typing::OverAll, "33");
    window_test::type(form->Edit4, Typing::OverAll, "900");
    window_test::type(form->Edit20, Typing::OverAll, "-7");
    click(form->Button3);
    QCOMPARE(window_test::fieldTexts(*form), window_test::startTexts());
    QVERIFY(window_test::sameBits(calculator::Work, kDefaults));
}

// "memory" keeps every input, the ground heat flux included; "restore" brings
// them back and hides every result, while the results' values stay.
void FieldsTest::memoryTypingRestore() {
    click(form->Button1);  // results to keep
    const WorkValues calculated = calculator::Work;

    const std::pair<QLineEdit*, const char*> remembered[] = {
        {form->Edit1, "20.5"}, {form->Edit2, "45"},   {form->Edit3, "3.5"},
        {form->Edit4, "990"},  {form->Edit7, "0.25"}, {form->Edit8, "0.002"},
        {form->Edit9, "0.6"},  {form->Edit13, "500"}, {form->Edit14, "250"},
        {form->Edit20, "-10"},
    };
    for (const auto& [field, text] : remembered)
        window_test::type(field, Typing::OverAll, QString::fromUtf8(text));
    click(form->Button4);
    for (QLineEdit* field : {form->Edit1, form->Edit2, form->Edit4, form->Edit20})
        window_test::type(field, Typing::OverAll, "1");
    click(form->Button3);

    QStringList expected(26, QStringLiteral("***"));
    const std::pair<int, const char*> shown[] = {
        {1, "20.5"}, {2, "45.0"}, {3, "3.5"},   {4, "990.0"},  {7, "0.25"},
        {8, "0.00200"}, {9, "0.60"}, {13, "500.0"}, {14, "250.0"}, {20, "-10.0"},
    };
    for (const auto& [edit, text] : shown)
        expected[edit - 1] = QString::fromUtf8(text);
    QCOMPARE(window_test::fieldTexts(*form), expected);

    WorkValues values = calculated;
    values.Ta = 20.5; values.rh = 45.0; values.u = 3.5; values.pa = 990.0; values.albedo = 0.25;
    values.ch = 0.002; values.beta = 0.6; values.Rs = 500.0; values.Ld = 250.0; values.G = -10.0;
    QVERIFY(window_test::sameBits(calculator::Work, values));
}

void FieldsTest::memoryWritesNoField() {
    window_test::type(form->Edit2, Typing::OverAll, "70.04");
    const QStringList texts = window_test::fieldTexts(*form);
    const WorkValues values = calculator::Work;
    click(form->Button4);
    QCOMPARE(window_test::fieldTexts(*form), texts);
    QVERIFY(window_test::sameBits(calculator::Work, values));
    COMPARE_EXACTLY(calculator::Memory.rh, 70.04);
}

// Restore writes 0.12 and the change handler reads it back; a second restore
// writes the text the field already shows, so the remembered 0.123 stays in
// the working value, and "calculate" leaves it so too.
void FieldsTest::roundedTextRestoredTwice() {
    window_test::type(form->Edit7, Typing::OverAll, "0.123");
    click(form->Button4);
    click(form->Button3);
    QCOMPARE(form->Edit7->text(), QStringLiteral("0.12"));
    COMPARE_EXACTLY(calculator::Work.albedo, 0.12);
    click(form->Button3);
    QCOMPARE(form->Edit7->text(), QStringLiteral("0.12"));
    COMPARE_EXACTLY(calculator::Work.albedo, 0.123);
    click(form->Button1);
    QCOMPARE(form->Edit7->text(), QStringLiteral("0.12"));
    COMPARE_EXACTLY(calculator::Work.albedo, 0.123);
    QCOMPARE(form->Edit15->text(), QStringLiteral("36.9"));  // 300 x 0.123
}

// 0.04 is shown as 0.0, which the pressure check refuses: pa stays 0.04.
void FieldsTest::restoredTextFailingItsCheck() {
    window_test::type(form->Edit4, Typing::OverAll, "0.04");
    COMPARE_EXACTLY(calculator::Work.pa, 0.04);
    click(form->Button4);
    click(form->Button3);
    QCOMPARE(form->Edit4->text(), QStringLiteral("0.0"));
    COMPARE_EXACTLY(calculator::Work.pa, 0.04);
}

TERRAVEL_WINDOW_TEST_MAIN(FieldsTest)
#include "fields_test.moc"
