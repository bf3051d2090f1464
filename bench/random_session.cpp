// A long random session on the real window, on Qt's offscreen platform.
//
// From a fixed seed it plays user actions on TForm1: texts typed key by key
// into random input fields (sound numbers, edge numbers and junk, non-ASCII
// included), over a selection, at the end or where a click put the cursor;
// Backspace; select-all; pastes; and clicks on "calculate", "memory" and
// "restore". Error boxes go to a recorder instead of a modal box. After every
// action a cheap oracle checks what must always hold:
//   - nothing escapes an action, and only "calculate" reports an error, one
//     of the formula module's own;
//   - an edit changes only its own field's text and working value, and a
//     changed text that its check accepts leaves the number it reads as;
//   - the remembered inputs change only on "memory", which copies the working
//     inputs bit for bit and writes no field;
//   - "restore" shows the remembered inputs in their formats and "***" in
//     every result field;
//   - a failed "calculate" changes no field; a successful one closes the
//     balance: Rn - H - lE - G within 0.0005 W/m2 plus the rounding of large
//     values.
// It measures the wall time and the resident memory (VmRSS) after the first
// 1,000 actions and at the end, which must be within 2 MB of each other.
//
//   random_session [ACTIONS [SEED]]     defaults: 100000 actions, seed 20261211
//
// Exit status: 0 when all held, 1 when the oracle failed, 2 when the memory
// grew past the bound, 3 on a bad command line.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <locale.h>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "calculator.h"
#include "heat_balance.h"
#include "tform1.h"
#include "toolkit.h"

namespace {

using calculator::Input;
using calculator::MemoryValues;
using calculator::WorkValues;

constexpr long kDefaultActions = 100000;
constexpr unsigned long kDefaultSeed = 20261211;
constexpr long kWarmUpActions = 1000;
constexpr long kRssBoundKiB = 2048;

// The values a user would sensibly type into each field, by edit number.
struct Range {
    int edit;
    double low, high;
    int minDecimals, maxDecimals;
};
constexpr Range kSoundRanges[] = {
    {1, -30.0, 45.0, 0, 2},   {2, 0.0, 100.0, 0, 1},    {3, 0.0, 15.0, 0, 2},
    {4, 600.0, 1100.0, 0, 1}, {7, 0.0, 1.0, 1, 3},      {8, 0.0, 0.01, 4, 6},
    {9, 0.0, 1.0, 1, 3},      {13, 0.0, 1200.0, 0, 1},  {14, 150.0, 500.0, 0, 1},
    {20, -100.0, 200.0, 0, 1},
};

// Numbers at the edges of the checks, of the doubles and of the formulas.
const char* const kEdgeTexts[] = {
    "0", "-0", "100", "100.0", "100.00001", "1", "1.0", "1.000001", "0.0001",
    "1e-320", "4.9e-324", "-4.9e-324", "2.2250738585072014e-308",
    "1.7976931348623157e308", "1e308", "1e309", "-1e309", "inf", "-inf", "INF",
    "infinity", "nan", "NAN", "-nan", "-237.3", "-273.15", "-1", "1e5", "-1e5",
    "99999999999999999999", "0.000000000000000000001", "1e2", "-100.1",
};

// Texts that are no sound number at all.
const char* const kJunkTexts[] = {
    "", " ", "abc", "-", "+", ".", "e", "E5", "1e", "1e+", "--5", "+-1", "1,5",
    "0,25", "1.2.3", "12abc", "0x1A", "0x1p-2", "  42", "42  ", "..", "1e-",
    "nan(0x1)", "0b101", "1_000", "\xc3\xa9", "\xc2\xbd", "\xe2\x88\x92" "3",
    "\xd9\xa3", "\xf0\x9f\x8c\xa1", "25 \xc2\xb0" "C",
};

enum class Action {
    TypeOverAll,   // select all, then type
    TypeAtEnd,     // End, then type
    TypeAtClick,   // click somewhere in the field, then type
    Backspace,
    SelectAll,
    Paste,         // select all, then Ctrl+V
    Calculate,
    Memory,
    Restore,
};
constexpr int kActionKinds = 9;
constexpr const char* kActionNames[kActionKinds] = {
    "type over all", "type at end", "type at click", "backspace", "select all",
    "paste",         "calculate",   "memory",        "restore",
};
constexpr int kActionWeights[kActionKinds] = {20, 10, 6, 10, 6, 4, 18, 8, 8};

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

// printf's "%.Nf" in the C locale.
std::string printed(double value, int decimals) {
    const locale_t previous = uselocale(cLocale());
    char text[1024];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    uselocale(previous);
    return text;
}

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Types `text` key by key: ASCII through its key, anything else as the text
// of a key event, one code point at a time.
void typeText(QLineEdit* field, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 128) {
            QTest::keyClick(field, static_cast<char>(c.unicode()));
            continue;
        }
        QString codePoint(c);
        if (c.isHighSurrogate() && i + 1 < text.size())
            codePoint += text.at(++i);
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, codePoint, Qt::NoModifier);
    }
}

class Session {
public:
    Session(TForm1& form, unsigned long seed) : form_(form), random_(seed) {
        for (const Fault fault : {physics::Fault::DivisionByZero, physics::Fault::Overflow,
                                  physics::Fault::InvalidOperation})
            known_.insert({physics::FloatingPointError(fault).what(), 0});
        known_.insert({physics::NoBalanceError().what(), 0});
    }

    // Plays one action and checks it; false with failure() set when a check
    // failed.
    bool step(long number);

    void reportError(const std::string& message) { ++errorCount_; lastError_ = message; }

    const std::string& failure() const { return failure_; }
    const std::array<long, kActionKinds>& counts() const { return counts_; }
    long balanced() const { return balanced_; }
    const std::map<std::string, long>& calculateErrors() const { return known_; }

private:
    using Fault = physics::Fault;

    const Input& randomInput() { return calculator::kInputs[pick(calculator::kInputs.size())]; }
    std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
    Action randomAction();
    QString randomText(int edit);
    bool fail(const std::string& what) { failure_ = what; return false; }

    bool play(Action action, const Input* input, const QString& text);
    bool checkEdit(const Input& input, const std::vector<QString>& textsBefore,
                   const WorkValues& before);
    bool checkRestore(const std::vector<QString>& textsBefore);
    bool checkCalculate(const std::vector<QString>& textsBefore, const WorkValues& before,
                        long errorsBefore);

    std::vector<QString> texts() const {
        std::vector<QString> all;
        for (int edit = 1; edit <= 26; ++edit)
            all.push_back(form_.editField(edit)->text());
        return all;
    }

    TForm1& form_;
    std::mt19937_64 random_;
    std::map<std::string, long> known_;  // calculate's errors, by message
    std::array<long, kActionKinds> counts_{};
    long balanced_ = 0;
    long errorCount_ = 0;
    std::string lastError_;
    std::string failure_;
};

Action Session::randomAction() {
    int total = 0;
    for (const int weight : kActionWeights)
        total += weight;
    int roll = std::uniform_int_distribution<int>(0, total - 1)(random_);
    for (int kind = 0; kind < kActionKinds; ++kind) {
        if (roll < kActionWeights[kind])
            return static_cast<Action>(kind);
        roll -= kActionWeights[kind];
    }
    return Action::Calculate;
}

QString Session::randomText(int edit) {
    const int kind = std::uniform_int_distribution<int>(0, 99)(random_);
    QString text;
    if (kind < 50) {
        for (const Range& range : kSoundRanges) {
            if (range.edit != edit)
                continue;
            const double x = std::uniform_real_distribution<double>(range.low, range.high)(random_);
            const int decimals =
                std::uniform_int_distribution<int>(range.minDecimals, range.maxDecimals)(random_);
            text = QString::fromStdString(printed(x, decimals));
        }
    } else if (kind < 75) {
        text = QString::fromUtf8(kEdgeTexts[pick(std::size(kEdgeTexts))]);
    } else {
        text = QString::fromUtf8(kJunkTexts[pick(std::size(kJunkTexts))]);
    }
    if (pick(10) == 0)  // now and then two texts run together
        text += randomText(edit);
    return text;
}

bool Session::step(long number) {
    const Action action = randomAction();
    ++counts_[static_cast<std::size_t>(action)];
    const Input* input = nullptr;
    QString text;
    switch (action) {
    case Action::TypeOverAll:
    case Action::TypeAtEnd:
    case Action::TypeAtClick:
    case Action::Paste:
        input = &randomInput();
        text = randomText(input->edit);
        break;
    case Action::Backspace:
    case Action::SelectAll:
        input = &randomInput();
        break;
    default:
        break;
    }
    bool held = false;
    try {
        held = play(action, input, text);
    } catch (const std::exception& error) {
        held = fail(std::string("an exception escaped: ") + error.what());
    } catch (...) {
        held = fail("an unknown exception escaped");
    }
    if (!held) {
        failure_ = "action " + std::to_string(number) + " (" +
                   kActionNames[static_cast<std::size_t>(action)] +
                   (input ? " in Edit" + std::to_string(input->edit) : std::string()) +
                   (text.isEmpty() && input == nullptr ? std::string()
                                                       : ", text \"" + text.toStdString() + "\"") +
                   "): " + failure_;
    }
    return held;
}

bool Session::play(Action action, const Input* input, const QString& text) {
    const std::vector<QString> textsBefore = texts();
    const WorkValues before = calculator::Work;
    const MemoryValues memoryBefore = calculator::Memory;
    const long errorsBefore = errorCount_;
    QLineEdit* field = input ? form_.editField(input->edit) : nullptr;

    switch (action) {
    case Action::TypeOverAll:
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        typeText(field, text);
        break;
    case Action::TypeAtEnd:
        QTest::keyClick(field, Qt::Key_End);
        typeText(field, text);
        break;
    case Action::TypeAtClick: {
        const int x = static_cast<int>(pick(static_cast<std::size_t>(field->width())));
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(x, field->height() / 2));
        typeText(field, text);
        break;
    }
    case Action::Backspace:
        QTest::keyClick(field, Qt::Key_Backspace);
        break;
    case Action::SelectAll:
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        break;
    case Action::Paste:
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        break;
    case Action::Calculate:
        QTest::mouseClick(form_.Button1, Qt::LeftButton);
        break;
    case Action::Memory:
        QTest::mouseClick(form_.Button4, Qt::LeftButton);
        break;
    case Action::Restore:
        QTest::mouseClick(form_.Button3, Qt::LeftButton);
        break;
    }
    QCoreApplication::processEvents();  // as the event loop would between actions

    if (errorCount_ != errorsBefore) {
        if (action != Action::Calculate)
            return fail("an error was shown: " + lastError_);
        if (errorCount_ != errorsBefore + 1)
            return fail("more than one error was shown");
        const auto known = known_.find(lastError_);
        if (known == known_.end())
            return fail("an error that is no formula fault was shown: " + lastError_);
        ++known->second;
    }
    if (action != Action::Memory &&
        std::memcmp(&calculator::Memory, &memoryBefore, sizeof memoryBefore) != 0)
        return fail("the remembered inputs changed");

    switch (action) {
    case Action::Memory:
        for (const Input& in : calculator::kInputs)
            if (!sameBits(calculator::Memory.*in.memory, calculator::Work.*in.work))
                return fail("Edit" + std::to_string(in.edit) + "'s value was not remembered");
        if (texts() != textsBefore || std::memcmp(&calculator::Work, &before, sizeof before) != 0)
            return fail("memory changed a field or a working value");
        return true;
    case Action::Restore:
        return checkRestore(textsBefore);
    case Action::Calculate:
        return checkCalculate(textsBefore, before, errorsBefore);
    default:
        return checkEdit(*input, textsBefore, before);
    }
}

bool Session::checkEdit(const Input& input, const std::vector<QString>& textsBefore,
                        const WorkValues& before) {
    const std::vector<QString> now = texts();
    for (int edit = 1; edit <= 26; ++edit)
        if (edit != input.edit && now[static_cast<std::size_t>(edit - 1)] !=
                                      textsBefore[static_cast<std::size_t>(edit - 1)])
            return fail("Edit" + std::to_string(edit) + " changed");
    WorkValues others = calculator::Work;
    others.*input.work = before.*input.work;
    if (std::memcmp(&others, &before, sizeof before) != 0)
        return fail("another working value changed");
    // A text the edit did not change may show a value other than the working
    // one (restore and calculate leave an unchanged text alone).
    const QString& text = now[static_cast<std::size_t>(input.edit - 1)];
    if (text == textsBefore[static_cast<std::size_t>(input.edit - 1)])
        return true;
    const std::string shown = text.toStdString();
    const double x = calculator::readNumber(shown);
    if (calculator::accepts(input.check, x) && !sameBits(calculator::Work.*input.work, x))
        return fail("the accepted text \"" + shown + "\" did not become the working value");
    return true;
}

bool Session::checkRestore(const std::vector<QString>& textsBefore) {
    for (const Input& in : calculator::kInputs) {
        const double remembered = calculator::Memory.*in.memory;
        const QString shown = form_.editField(in.edit)->text();
        if (shown.toStdString() != printed(remembered, in.decimals))
            return fail("Edit" + std::to_string(in.edit) + " shows \"" + shown.toStdString() +
                        "\" for the remembered " + printed(remembered, 17));
        const double now = calculator::Work.*in.work;
        const bool rewritten = shown != textsBefore[static_cast<std::size_t>(in.edit - 1)];
        if (!sameBits(now, remembered) &&
            !(rewritten && sameBits(now, calculator::readNumber(shown.toStdString()))))
            return fail("Edit" + std::to_string(in.edit) + "'s remembered value was lost");
    }
    for (int edit = 1; edit <= 26; ++edit)
        if (calculator::inputForEdit(edit) == nullptr &&
            form_.editField(edit)->text() != QLatin1String("***"))
            return fail("result field Edit" + std::to_string(edit) + " is not hidden");
    return true;
}

bool Session::checkCalculate(const std::vector<QString>& textsBefore, const WorkValues& before,
                             long errorsBefore) {
    const WorkValues& w = calculator::Work;
    if (errorCount_ != errorsBefore) {
        if (texts() != textsBefore)
            return fail("a failed calculate changed a field");
        for (const Input& in : calculator::kInputs)
            if (!sameBits(w.*in.work, before.*in.work))
                return fail("a failed calculate changed an input");
        return true;
    }
    ++balanced_;
    // Rn, H and lE are results; G as the computation read it, before the
    // write of its field fed back the rounded text.
    const double imbalance = w.Rn - w.H - w.lE - before.G;
    const double scale = std::fabs(before.Rs) + std::fabs(before.Ld) + std::fabs(w.Rsu) +
                         std::fabs(w.Lu) + std::fabs(w.H) + std::fabs(w.lE) + std::fabs(before.G);
    if (!(std::fabs(imbalance) <= 0.0005 + 8 * DBL_EPSILON * scale))
        return fail("the balance does not close: Rn - H - lE - G = " + printed(imbalance, 9));
    if (form_.Edit17->text().toStdString() != printed(w.Rn, 1) ||
        form_.Edit22->text() != form_.Edit17->text())
        return fail("the net radiation fields do not show Rn");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    long actions = kDefaultActions;
    unsigned long seed = kDefaultSeed;
    if (argc > 1)
        actions = std::strtol(argv[1], nullptr, 10);
    if (argc > 2)
        seed = std::strtoul(argv[2], nullptr, 10);
    if (argc > 3 || actions <= 0) {
        std::fprintf(stderr, "usage: random_session [ACTIONS [SEED]]\n");
        return 3;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    toolkit::Application application(argc, argv);
    Session* session = nullptr;
    toolkit::setErrorPresenter([&session](const std::string& message) {
        if (session)
            session->reportError(message);
    });

    TForm1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "random_session: the window was not shown\n");
        return 1;
    }
    Session play(form, seed);
    session = &play;

    long rssWarm = -1;
    long done = 0;
    bool held = true;
    const auto start = std::chrono::steady_clock::now();
    while (done < actions && held) {
        held = play.step(done + 1);
        ++done;
        if (done == std::min(kWarmUpActions, actions))
            rssWarm = residentKiB();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long rssEnd = residentKiB();
    if (rssWarm < 0)
        rssWarm = rssEnd;

    std::printf("random session on the real window, seed %lu\n", seed);
    std::printf("actions            %ld of %ld\n", done, actions);
    for (int kind = 0; kind < kActionKinds; ++kind)
        std::printf("  %-16s %ld\n", kActionNames[kind], play.counts()[static_cast<std::size_t>(kind)]);
    std::printf("calculate          %ld balanced\n", play.balanced());
    for (const auto& [message, count] : play.calculateErrors())
        std::printf("  %6ld  %s\n", count, message.c_str());
    std::printf("wall time          %.2f s (%.0f actions/s)\n", seconds, double(done) / seconds);
    std::printf("VmRSS after %ld    %ld kB\n", std::min(kWarmUpActions, actions), rssWarm);
    std::printf("VmRSS at the end   %ld kB (%+ld kB; bound +%ld kB)\n", rssEnd, rssEnd - rssWarm,
                kRssBoundKiB);
    if (!held) {
        std::printf("oracle             FAILED at %s\n", play.failure().c_str());
        return 1;
    }
    std::printf("oracle             held\n");
    if (rssEnd - rssWarm > kRssBoundKiB) {
        std::printf("memory             FAILED: grew by more than %ld kB\n", kRssBoundKiB);
        return 2;
    }
    std::printf("memory             within the bound\n");
    return 0;
}
