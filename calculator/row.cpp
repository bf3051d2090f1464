#include "row.h"

#include <charconv>
#include <limits>

#include "heat_balance.h"

namespace calculator {

using W = WorkValues;

const std::array<double WorkValues::*, 12> kResultValues{
    &W::ea, &W::qa, &W::Rsu, &W::Ts, &W::Lu, &W::H,
    &W::lE, &W::es, &W::qs, &W::Rn, &W::bowen, &W::evap};

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

RowStatus statusOf(physics::Fault fault) {
    switch (fault) {
    case physics::Fault::DivisionByZero: return RowStatus::DivisionByZero;
    case physics::Fault::Overflow: return RowStatus::Overflow;
    case physics::Fault::InvalidOperation: break;
    }
    return RowStatus::InvalidOperation;
}

RowOutcome fail(RowOutcome outcome, RowResults& results) {
    results.fill(kNaN);
    return outcome;
}

}  // namespace

RowOutcome computeRow(const RowInputs& inputs, RowResults& results) noexcept {
    WorkValues values{};
    for (std::size_t i = 0; i < kInputs.size(); ++i) {
        if (!accepts(kInputs[i].check, inputs[i]))
            return fail({RowStatus::OutOfRange, static_cast<std::int8_t>(i)}, results);
        values.*kInputs[i].work = inputs[i];
    }
    try {
        calculate(values);
    } catch (const physics::FloatingPointError& error) {
        return fail({statusOf(error.fault())}, results);
    } catch (const physics::NoBalanceError&) {
        return fail({RowStatus::NoBalance}, results);
    }
    if (values.lE == 0.0)
        values.bowen = kNaN;
    for (std::size_t i = 0; i < kResultValues.size(); ++i)
        results[i] = values.*kResultValues[i];
    return {};
}

RowInputs defaultRowInputs() {
    RowInputs inputs{};
    for (std::size_t i = 0; i < kInputs.size(); ++i)
        inputs[i] = kInputs[i].defaultValue;
    return inputs;
}

std::string shortestText(double value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc{} ? std::string(buffer, end) : std::string("?");
}

std::string_view statusName(RowStatus status) {
    switch (status) {
    case RowStatus::Balanced: return "balanced";
    case RowStatus::OutOfRange: return "out of range";
    case RowStatus::DivisionByZero: return "division by zero";
    case RowStatus::Overflow: return "overflow";
    case RowStatus::InvalidOperation: return "invalid operation";
    case RowStatus::NoBalance: return "no balance";
    }
    return "unknown";
}

std::string faultMessage(RowStatus status) {
    switch (status) {
    case RowStatus::DivisionByZero:
        return physics::FloatingPointError(physics::Fault::DivisionByZero).what();
    case RowStatus::Overflow:
        return physics::FloatingPointError(physics::Fault::Overflow).what();
    case RowStatus::InvalidOperation:
        return physics::FloatingPointError(physics::Fault::InvalidOperation).what();
    case RowStatus::NoBalance: return physics::NoBalanceError().what();
    case RowStatus::Balanced:
    case RowStatus::OutOfRange: break;
    }
    return {};
}

std::string rowMessage(RowOutcome outcome, const RowInputs& inputs) {
    if (outcome.status != RowStatus::OutOfRange)
        return faultMessage(outcome.status);
    const auto i = static_cast<std::size_t>(outcome.input);
    const double x = inputs[i];
    std::string text = std::string(kInputNames[i]) + " = " + shortestText(x);
    if (x != x)
        return text + " is not a number";
    switch (kInputs[i].check) {
    case Check::Percent: return text + " is outside 0 to 100";
    case Check::Fraction: return text + " is outside 0 to 1";
    case Check::NonNegative: return text + " is below 0";
    case Check::Positive: return text + " is not above 0";
    case Check::Any: break;
    }
    return text + " is refused";
}

}  // namespace calculator
