#include "window_model.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <exception>
#include <utility>

#include "heat_balance.h"

namespace fuzzing {

using calculator::FieldWrite;
using calculator::Input;
using calculator::kInputs;
using calculator::kWriteOrder;
using calculator::MemoryValues;
using calculator::WorkValues;
using calculator::WriteKind;

// ---------------------------------------------------------------------------
// The window

WindowModel::WindowModel() {
    for (std::size_t edit = 1; edit < texts_.size(); ++edit)
        texts_[edit] = "Edit" + std::to_string(edit);
    calculator::setDefaults(memory_);
    restore();
}

void WindowModel::setText(int edit, std::string text) {
    std::string& shown = texts_[static_cast<std::size_t>(edit)];
    if (shown == text)
        return;  // an unchanged text raises no change event
    shown = std::move(text);
    if (const Input* input = calculator::inputForEdit(edit))
        calculator::applyInputText(*input, shown, work_);
}

void WindowModel::writeAll(WriteKind kind) {
    // Each value is read at the moment of its own write: an earlier write's
    // change handler may have changed it (Edit25 repeats G after Edit20).
    for (const FieldWrite& write : kWriteOrder)
        setText(write.edit, calculator::fieldText(write, work_, kind));
}

void WindowModel::type(std::size_t input, std::string text) {
    setText(kInputs[input].edit, std::move(text));
}

WorkValues WindowModel::calculate() {
    calculator::calculate(work_);
    const WorkValues computed = work_;
    writeAll(WriteKind::Calculate);
    return computed;
}

void WindowModel::memory() { calculator::remember(work_, memory_); }

void WindowModel::restore() {
    calculator::restoreInputs(memory_, work_);
    writeAll(WriteKind::Restore);
}

// ---------------------------------------------------------------------------
// The checks

namespace {

using Member = double WorkValues::*;

constexpr Member kResults[] = {
    &WorkValues::ea, &WorkValues::qa, &WorkValues::Ts, &WorkValues::es,
    &WorkValues::qs, &WorkValues::Rsu, &WorkValues::Lu, &WorkValues::Rn,
    &WorkValues::H, &WorkValues::lE, &WorkValues::bowen, &WorkValues::evap,
};

// Bit for bit, so that a NaN equals itself and -0 differs from +0.
bool same(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

std::string show(double x) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", x);
    return buffer;
}

std::string name(const Input& input) { return "Edit" + std::to_string(input.edit); }

class Checker {
public:
    explicit Checker(std::string& failure) : failure_(failure) {}

    // Records the first violation; later ones add nothing.
    void fail(const std::string& what) {
        if (failure_.empty())
            failure_ = action_ + ": " + what;
    }
    void setAction(std::string action) { action_ = std::move(action); }

    // Every working input satisfies its field's check. Typing stores only
    // accepted values, and memory holds only earlier working inputs or the
    // defaults, so this holds whatever the actions were.
    void inputsAccepted(const WorkValues& w) {
        for (const Input& input : kInputs)
            if (!calculator::accepts(input.check, w.*input.work))
                fail(name(input) + " holds " + show(w.*input.work) +
                     ", which its check refuses");
    }

    void resultsUnchanged(const WorkValues& before, const WorkValues& after) {
        for (Member result : kResults)
            if (!same(before.*result, after.*result))
                fail("a result changed from " + show(before.*result) + " to " +
                     show(after.*result));
    }

    void textsUnchanged(const FieldTexts& before, const FieldTexts& after) {
        for (std::size_t edit = 1; edit < before.size(); ++edit)
            if (before[edit] != after[edit])
                fail("Edit" + std::to_string(edit) + " changed from \"" + before[edit] +
                     "\" to \"" + after[edit] + "\"");
    }

    // After restore or calculate every field shows its value in its display
    // format, or "***" where that write hides it.
    void textsShowValues(const WindowModel& window, WriteKind kind) {
        for (const FieldWrite& write : kWriteOrder) {
            const std::string expected = calculator::fieldText(write, window.work(), kind);
            const std::string& shown = window.texts()[static_cast<std::size_t>(write.edit)];
            if (shown != expected)
                fail("Edit" + std::to_string(write.edit) + " shows \"" + shown +
                     "\" for \"" + expected + "\"");
        }
    }

    // A written input field holds either the value it had or the value read
    // back from its new text.
    void inputsKeptOrReadBack(const WorkValues& before, const WindowModel& window) {
        for (const Input& input : kInputs) {
            const double now = window.work().*input.work;
            const std::string& text = window.texts()[static_cast<std::size_t>(input.edit)];
            if (!same(now, before.*input.work) &&
                !same(now, calculator::readNumber(text)))
                fail(name(input) + " holds " + show(now) + ", neither its old value " +
                     show(before.*input.work) + " nor its text \"" + text + "\"");
        }
    }

    void balanceCloses(const WorkValues& v) {
        const double closing = v.Rn - v.H - v.lE - v.G;
        double largest = 0.0;
        for (double term : {v.Rs, v.Ld, v.Rsu, v.G, v.Lu, v.H, v.lE})
            largest = std::fmax(largest, std::fabs(term));
        // The solver closes Q - Lu - H - lE to 0.0005 W/m2; Rn - H - lE - G is
        // the same sum in another order, so it may differ by the rounding of
        // its terms: a few units in the last place of the largest one.
        const double allowance = 0.0005 + 8.0 * DBL_EPSILON * largest;
        if (!(std::fabs(closing) <= allowance))
            fail("the balance is off by " + show(closing) + " W/m2 (Rn " + show(v.Rn) +
                 ", H " + show(v.H) + ", lE " + show(v.lE) + ", G " + show(v.G) + ")");
    }

private:
    std::string& failure_;
    std::string action_ = "window creation";
};

bool sameInputs(const WorkValues& a, const WorkValues& b, const Input* except) {
    for (const Input& input : kInputs)
        if (&input != except && !same(a.*input.work, b.*input.work))
            return false;
    return true;
}

bool sameMemory(const MemoryValues& a, const MemoryValues& b) {
    for (const Input& input : kInputs)
        if (!same(a.*input.memory, b.*input.memory))
            return false;
    return true;
}

struct Action {
    char kind;          // 'c', 'm', 'r', 't' (set text) or 'k' (keystrokes)
    std::size_t input;  // for 't' and 'k'
    std::string text;
};

// The action of one line, or kind 0 for a line that encodes none.
Action decode(std::string_view line) {
    if (line.empty())
        return {0, 0, {}};
    const char op = line[0];
    if (op == 'c' || op == 'm' || op == 'r')
        return {op, 0, {}};
    if (op >= '0' && op <= '9')
        return {'t', static_cast<std::size_t>(op - '0'), std::string(line.substr(1))};
    if ((op == 'k' || op == 'x') && line.size() >= 2 && line[1] >= '0' && line[1] <= '9') {
        const auto input = static_cast<std::size_t>(line[1] - '0');
        std::string text(line.substr(2));
        if (op == 'k')
            return {'k', input, std::move(text)};
        std::string longText;
        while (!text.empty() && longText.size() < kLongText)
            longText += text;
        return {'t', input, std::move(longText)};
    }
    return {0, 0, {}};
}

void typeText(WindowModel& window, Checker& check, std::size_t inputIndex,
              const std::string& text) {
    const Input& input = kInputs[inputIndex];
    const WorkValues before = window.work();
    FieldTexts expected = window.texts();
    expected[static_cast<std::size_t>(input.edit)] = text;

    window.type(inputIndex, text);

    check.textsUnchanged(expected, window.texts());
    if (!sameInputs(before, window.work(), &input))
        check.fail("typing into " + name(input) + " changed another input");
    check.resultsUnchanged(before, window.work());
    const double now = window.work().*input.work;
    if (!same(now, before.*input.work) && !same(now, calculator::readNumber(text)))
        check.fail(name(input) + " holds " + show(now) + ", not read from its text");
}

void playAction(WindowModel& window, Checker& check, const Action& action) {
    const WorkValues before = window.work();
    const FieldTexts textsBefore = window.texts();
    const MemoryValues memoryBefore = window.remembered();

    switch (action.kind) {
    case 't':
        typeText(window, check, action.input, action.text);
        break;
    case 'k': {
        std::string text = window.texts()[static_cast<std::size_t>(kInputs[action.input].edit)];
        for (char c : action.text) {
            text += c;
            typeText(window, check, action.input, text);
        }
        break;
    }
    case 'm':
        window.memory();
        check.textsUnchanged(textsBefore, window.texts());
        if (!sameInputs(before, window.work(), nullptr))
            check.fail("memory changed an input");
        for (const Input& input : kInputs)
            if (!same(window.remembered().*input.memory, before.*input.work))
                check.fail("memory did not remember " + name(input));
        break;
    case 'r':
        window.restore();
        check.resultsUnchanged(before, window.work());
        check.textsShowValues(window, WriteKind::Restore);
        for (const Input& input : kInputs) {
            const double now = window.work().*input.work;
            const std::string& text = window.texts()[static_cast<std::size_t>(input.edit)];
            if (!same(now, window.remembered().*input.memory) &&
                !same(now, calculator::readNumber(text)))
                check.fail(name(input) + " holds " + show(now) +
                           ", neither remembered nor read from \"" + text + "\"");
        }
        break;
    case 'c':
        try {
            const WorkValues computed = window.calculate();
            if (!sameInputs(before, computed, nullptr))
                check.fail("the computation changed an input");
            check.balanceCloses(computed);
            check.textsShowValues(window, WriteKind::Calculate);
            check.inputsKeptOrReadBack(before, window);
        } catch (const physics::Error&) {
            // A failed computation writes no field and touches no input.
            check.textsUnchanged(textsBefore, window.texts());
            if (!sameInputs(before, window.work(), nullptr))
                check.fail("a failed computation changed an input");
        }
        break;
    default:
        break;
    }

    if (action.kind != 'm' && !sameMemory(memoryBefore, window.remembered()))
        check.fail("the remembered inputs changed without \"memory\"");
    check.inputsAccepted(window.work());
}

}  // namespace

std::string play(std::string_view data) {
    std::string failure;
    Checker check(failure);
    try {
        WindowModel window;
        check.textsShowValues(window, WriteKind::Restore);
        for (const Input& input : kInputs)
            if (!same(window.work().*input.work, input.defaultValue))
                check.fail(name(input) + " does not start at its default");

        std::size_t number = 0;
        while (!data.empty() && number < kMaxActions && failure.empty()) {
            const std::size_t end = data.find('\n');
            const std::string_view line = data.substr(0, end);
            data = end == std::string_view::npos ? std::string_view{} : data.substr(end + 1);
            const Action action = decode(line);
            if (action.kind == 0)
                continue;
            ++number;
            check.setAction("action " + std::to_string(number) + " '" +
                            std::string(1, line[0]) + "'");
            playAction(window, check, action);
        }
    } catch (const std::exception& e) {
        check.fail(std::string("unexpected exception: ") + e.what());
    } catch (...) {
        check.fail("unexpected exception of unknown type");
    }
    return failure;
}

}  // namespace fuzzing
