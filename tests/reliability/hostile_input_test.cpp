// Hostile texts pasted into every input field of the real window, each paste
// followed by "calculate", "memory" and "restore".
//
// A paste replaces the whole text in one change, so the working value is what
// the C library's atof makes of the whole text when the field's check accepts
// it, and its old value otherwise. "calculate" either closes the balance or
// reports its fault in the error display and changes no field; "memory" keeps
// the working inputs bit for bit (a NaN and a negative zero included); and
// "restore" shows the remembered inputs in their display formats ("inf",
// "nan") without losing any of them.
#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <locale.h>
#include <map>
#include <string>
#include <vector>

#include "window_test.h"

using calculator::MemoryValues;
using calculator::WorkValues;

class HostileInputTest : public window_test::WindowTest {
    Q_OBJECT

private slots:
    void pastedText_data();
    void pastedText();
    void cleanupTestCase();
};

namespace {

// The five input checks.
enum Check { Any, Percent, NonNegative, Positive, Fraction, kChecks };

struct Field {
    int edit;
    const char* name;
    double WorkValues::*work;
    double MemoryValues::*memory;
    int decimals;
    Check check;
};

constexpr Field kFields[] = {
    {1, "Ta", &WorkValues::Ta, &MemoryValues::Ta, 1, Any},
    {2, "rh", &WorkValues::rh, &MemoryValues::rh, 1, Percent},
    {3, "u", &WorkValues::u, &MemoryValues::u, 1, NonNegative},
    {4, "pa", &WorkValues::pa, &MemoryValues::pa, 1, Positive},
    {7, "albedo", &WorkValues::albedo, &MemoryValues::albedo, 2, Fraction},
    {8, "ch", &WorkValues::ch, &MemoryValues::ch, 5, Fraction},
    {9, "beta", &WorkValues::beta, &MemoryValues::beta, 2, NonNegative},
    {13, "Rs", &WorkValues::Rs, &MemoryValues::Rs, 1, Any},
    {14, "Ld", &WorkValues::Ld, &MemoryValues::Ld, 1, Any},
    {20, "G", &WorkValues::G, &MemoryValues::G, 1, Any},
};

const Field& fieldFor(int edit) {
    for (const Field& field : kFields)
        if (field.edit == edit)
            return field;
    qFatal("Edit%d is no input field", edit);
}

bool isInput(int edit) {
    return std::ranges::any_of(kFields, [edit](const Field& f) { return f.edit == edit; });
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One hostile text: the number atof reads from it in the C locale, and
// whether each check takes that number.
struct Row {
    const char* name;
    QString text;
    double value;
    std::array<bool, kChecks> accepted;  // Any, Percent, NonNegative, Positive, Fraction
};

constexpr bool Y = true;
constexpr bool N = false;

std::vector<Row> hostileRows() {
    // Clipboard-sized texts: a fraction of 10,000 characters, which must be
    // read to its correctly rounded double, and 10,000 nines, which overflow.
    const QString longThird = QStringLiteral("0.") + QString(9998, u'3');
    const QString longNines(10000, u'9');
    return {
        {"inf", "inf", kInf, {Y, N, Y, Y, N}},
        {"-inf", "-inf", -kInf, {Y, N, N, N, N}},
        {"nan", "nan", kNaN, {Y, N, N, N, N}},
        {"1e999 overflows to inf", "1e999", kInf, {Y, N, Y, Y, N}},
        {"-1e999 overflows to -inf", "-1e999", -kInf, {Y, N, N, N, N}},
        {"-0", "-0", -0.0, {Y, Y, Y, N, Y}},
        {"hexadecimal 0x1p3 is 8", "0x1p3", 8.0, {Y, Y, Y, Y, N}},
        {"leading spaces", "   7", 7.0, {Y, Y, Y, Y, N}},
        {"trailing spaces", "7   ", 7.0, {Y, Y, Y, Y, N}},
        {"comma ends the number", "1,5", 1.0, {Y, Y, Y, Y, Y}},
        {"empty", "", 0.0, {Y, Y, Y, N, Y}},
        {"lone plus", "+", 0.0, {Y, Y, Y, N, Y}},
        {"lone full stop", ".", 0.0, {Y, Y, Y, N, Y}},
        {"exponent without mantissa", "e5", 0.0, {Y, Y, Y, N, Y}},
        {"10000-character fraction", longThird, 1.0 / 3.0, {Y, Y, Y, Y, Y}},
        {"10000 nines overflow to inf", longNines, kInf, {Y, N, Y, Y, N}},
        {"typographic minus is no sign", QStringLiteral("\u22125"), 0.0, {Y, Y, Y, N, Y}},
        {"UTF-8 after a number", QStringLiteral("0.5 \u00b5m\u00b2 \U0001F321"), 0.5, {Y, Y, Y, Y, Y}},
    };
}

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The names of the working values in which a and b differ, bit for bit.
QString differences(const WorkValues& a, const WorkValues& b) {
    static constexpr std::pair<const char*, double WorkValues::*> kValues[] = {
        {"Ta", &WorkValues::Ta},       {"rh", &WorkValues::rh},       {"u", &WorkValues::u},
        {"pa", &WorkValues::pa},       {"ea", &WorkValues::ea},       {"qa", &WorkValues::qa},
        {"albedo", &WorkValues::albedo}, {"ch", &WorkValues::ch},     {"beta", &WorkValues::beta},
        {"Ts", &WorkValues::Ts},       {"es", &WorkValues::es},       {"qs", &WorkValues::qs},
        {"Rs", &WorkValues::Rs},       {"Ld", &WorkValues::Ld},       {"Rsu", &WorkValues::Rsu},
        {"Lu", &WorkValues::Lu},       {"Rn", &WorkValues::Rn},       {"H", &WorkValues::H},
        {"lE", &WorkValues::lE},       {"G", &WorkValues::G},         {"bowen", &WorkValues::bowen},
        {"evap", &WorkValues::evap},
    };
    QStringList names;
    for (const auto& [name, value] : kValues)
        if (!sameBits(a.*value, b.*value))
            names << QStringLiteral("%1 is %2, expected %3")
                         .arg(QLatin1String(name))
                         .arg(a.*value, 0, 'g', 17)
                         .arg(b.*value, 0, 'g', 17);
    return names.join(QStringLiteral("; "));
}

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

// printf's "%.Nf" in the C locale.
QString printed(double value, int decimals) {
    const locale_t previous = uselocale(cLocale());
    char text[1024];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    uselocale(previous);
    return QString::fromLatin1(text);
}

// atof in the C locale.
double atofC(const QString& text) {
    return strtod_l(text.toUtf8().constData(), nullptr, cLocale());
}

// Select all of the field's text and paste `text` over it: one change.
void paste(QLineEdit* field, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

// What the error display showed for "calculate", by message, over all rows.
std::map<std::string, QStringList> calculateErrors;

}  // namespace

void HostileInputTest::pastedText_data() {
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("accepted");
    for (const Row& row : hostileRows())
        for (const Field& field : kFields)
            QTest::addRow("%s into %s", row.name, field.name)
                << field.edit << row.text << row.value << row.accepted[field.check];
}

void HostileInputTest::pastedText() {
    QFETCH(int, edit);
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, accepted);
    const Field& field = fieldFor(edit);
    QLineEdit* line = form->editField(edit);

    // The paste: the field's own working value and nothing else.
    WorkValues expected = calculator::Work;
    if (accepted)
        expected.*field.work = value;
    paste(line, text);
    QCOMPARE(line->text(), text);
    QVERIFY2(window_test::sameBits(calculator::Work, expected),
             qPrintable(differences(calculator::Work, expected)));

    // "calculate": the balance closes, or the fault is shown and the window
    // is as it was.
    const QStringList shown = window_test::fieldTexts(*form);
    const WorkValues before = calculator::Work;
    click(form->Button1);
    QVERIFY(errors.size() <= 1);
    bool finiteInputs = true;
    for (const Field& f : kFields)
        finiteInputs = finiteInputs && std::isfinite(before.*f.work);
    if (!errors.empty()) {
        calculateErrors[errors.front()] << QString::fromUtf8(QTest::currentDataTag());
        errors.clear();
        QCOMPARE(window_test::fieldTexts(*form), shown);
        for (const Field& f : kFields)
            QVERIFY2(sameBits(calculator::Work.*f.work, before.*f.work), f.name);
    } else {
        QVERIFY2(finiteInputs, "the balance closed with an input that is not finite");
        const WorkValues& w = calculator::Work;
        const double scale = std::fabs(before.Rs) + std::fabs(before.Ld) + std::fabs(w.Rsu) +
                             std::fabs(w.Lu) + std::fabs(w.H) + std::fabs(w.lE) +
                             std::fabs(before.G);
        const double imbalance = w.Rn - w.H - w.lE - before.G;
        QVERIFY2(std::fabs(imbalance) <= 0.0005 + 8 * DBL_EPSILON * scale,
                 qPrintable(QStringLiteral("Rn - H - lE - G = %1").arg(imbalance, 0, 'g', 17)));
        QCOMPARE(form->Edit17->text(), printed(w.Rn, 1));
        QCOMPARE(form->Edit10->text(), printed(w.Ts, 1));
        for (const Field& f : kFields)
            QCOMPARE(form->editField(f.edit)->text(), printed(before.*f.work, f.decimals));
    }

    // "memory": the working inputs, bit for bit; nothing else changes.
    const QStringList calculated = window_test::fieldTexts(*form);
    const WorkValues working = calculator::Work;
    click(form->Button4);
    for (const Field& f : kFields)
        QVERIFY2(sameBits(calculator::Memory.*f.memory, working.*f.work), f.name);
    QCOMPARE(window_test::fieldTexts(*form), calculated);
    QVERIFY(window_test::sameBits(calculator::Work, working));

    // "restore": every remembered input shown in its format; the memory kept;
    // each working input the remembered one, or the number its rewritten
    // text reads as.
    const MemoryValues remembered = calculator::Memory;
    click(form->Button3);
    for (const Field& f : kFields) {
        const double kept = remembered.*f.memory;
        QVERIFY2(sameBits(calculator::Memory.*f.memory, kept), f.name);
        const QString restored = form->editField(f.edit)->text();
        QCOMPARE(restored, printed(kept, f.decimals));
        const double now = calculator::Work.*f.work;
        QVERIFY2(sameBits(now, kept) ||
                     (restored != calculated[f.edit - 1] && sameBits(now, atofC(restored))),
                 qPrintable(QStringLiteral("%1 is %2 after restore of %3")
                                .arg(QLatin1String(f.name))
                                .arg(now, 0, 'g', 17)
                                .arg(kept, 0, 'g', 17)));
    }
    for (int n = 1; n <= 26; ++n)
        if (!isInput(n))
            QCOMPARE(form->editField(n)->text(), QStringLiteral("***"));
    QVERIFY(errors.empty());
}

// The record of what "calculate" reported, for the reader of the log.
void HostileInputTest::cleanupTestCase() {
    for (const auto& [message, rows] : calculateErrors)
        qInfo("calculate reported \"%s\" for %lld rows: %s", message.c_str(),
              static_cast<long long>(rows.size()), qPrintable(rows.join(QStringLiteral(", "))));
}

TERRAVEL_WINDOW_TEST_MAIN(HostileInputTest)
#include "hostile_input_test.moc"
