#include "table.h"

#include <charconv>
#include <cmath>

namespace batch {

using calculator::kInputNames;
using calculator::kInputs;
using calculator::kResultNames;
using calculator::kResultValues;
using calculator::RowStatus;

namespace {

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Decimals of each result in the window, from its field.
const std::array<int, 12> kWindowDecimals = [] {
    std::array<int, 12> decimals{};
    for (std::size_t r = 0; r < kResultValues.size(); ++r)
        for (const calculator::FieldWrite& write : calculator::kWriteOrder)
            if (write.value == kResultValues[r]) {
                decimals[r] = write.decimals;
                break;
            }
    return decimals;
}();

void appendNumber(std::string& out, double value, int decimals, Notation notation) {
    char buffer[calculator::kFormatBuffer];
    const auto [end, error] =
        notation == Notation::Shortest
            ? std::to_chars(buffer, buffer + sizeof buffer, value)
            : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                            decimals);
    if (error == std::errc{})
        out.append(buffer, end);
}

std::size_t inputIndex(std::string_view name) {
    for (std::size_t i = 0; i < kInputNames.size(); ++i)
        if (kInputNames[i] == name)
            return i;
    return kInputNames.size();
}

}  // namespace

namespace {

enum class Reading { Number, Empty, NotANumber, NotFinite };

// What a cell holds; value is set for a Number.
Reading readInto(std::string_view cell, double& value) {
    std::string_view text = trimBlanks(cell);
    if (text.empty())
        return Reading::Empty;
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size())
        return Reading::NotANumber;
    // A number too small for a double reads as what it rounds to (0 or a
    // subnormal), as it does in the window; one too large is refused.
    if (error == std::errc::result_out_of_range)
        value = calculator::readNumber(text);
    else if (error != std::errc{})
        return Reading::NotANumber;
    return std::isfinite(value) ? Reading::Number : Reading::NotFinite;
}

}  // namespace

std::optional<double> readCell(std::string_view cell) {
    double value = 0.0;
    if (readInto(cell, value) != Reading::Number)
        return std::nullopt;
    return value;
}

std::string unreadableMessage(std::string_view column, std::string_view cell) {
    double value = 0.0;
    const Reading reading = readInto(cell, value);
    std::string text(column);
    if (reading == Reading::Empty)
        return text + " is empty";
    text.append(" = \"").append(cell).append("\"");
    return text + (reading == Reading::NotFinite ? " is not a finite number" : " is not a number");
}

Layout makeLayout(const Cells& header, const std::array<std::optional<double>, 10>& sets) {
    Layout layout;
    layout.columns = header.size();
    layout.column.fill(-1);
    layout.constants = calculator::defaultRowInputs();
    for (std::size_t c = 0; c < header.size(); ++c) {
        const std::size_t i = inputIndex(header[c]);
        if (i == kInputNames.size())
            continue;
        if (layout.column[i] >= 0)
            throw CsvError(1, "two columns are named " + std::string(kInputNames[i]));
        layout.column[i] = static_cast<int>(c);
    }
    for (std::size_t i = 0; i < kInputNames.size(); ++i) {
        if (layout.column[i] >= 0) {
            if (sets[i])
                layout.unusedSets.emplace_back(kInputNames[i]);
        } else if (sets[i]) {
            layout.constants[i] = *sets[i];
        } else {
            layout.defaulted.push_back(std::string(kInputNames[i]) + " = " +
                                       calculator::shortestText(layout.constants[i]));
        }
    }
    return layout;
}

std::pair<std::size_t, double> parseSet(std::string_view assignment) {
    const std::size_t equals = assignment.find('=');
    const std::string_view name = assignment.substr(0, equals);
    const std::size_t i = inputIndex(name);
    if (equals == std::string_view::npos || i == kInputNames.size())
        throw UsageError("--set " + std::string(assignment) +
                         ": expected NAME=VALUE with NAME one of Ta, rh, u, pa, albedo, ch, "
                         "beta, Rs, Ld, G");
    const std::string_view text = assignment.substr(equals + 1);
    const std::optional<double> value = readCell(text);
    if (!value)
        throw UsageError("--set " + std::string(assignment) + ": " +
                         unreadableMessage(name, text));
    if (!calculator::accepts(kInputs[i].check, *value)) {
        calculator::RowInputs inputs = calculator::defaultRowInputs();
        inputs[i] = *value;
        throw UsageError("--set " + std::string(assignment) + ": " +
                         calculator::rowMessage({RowStatus::OutOfRange, static_cast<std::int8_t>(i)},
                                                inputs));
    }
    return {i, *value};
}

void appendHeader(std::string& out, const Cells& header) {
    for (std::size_t c = 0; c < header.size(); ++c) {
        appendCell(out, header[c]);
        out.push_back(',');
    }
    for (const std::string_view name : kResultNames) {
        out.append(name);
        out.push_back(',');
    }
    out.append("error\n");
}

void Tally::add(const Tally& other) {
    rows += other.rows;
    unreadable += other.unreadable;
    for (std::size_t s = 0; s < status.size(); ++s)
        status[s] += other.status[s];
}

void appendRow(std::string& out, const Layout& layout, const Cells& cells, std::size_t first,
               Notation notation, Tally& tally) {
    for (std::size_t c = 0; c < layout.columns; ++c) {
        appendCell(out, cells[first + c]);
        out.push_back(',');
    }
    ++tally.rows;

    calculator::RowInputs inputs = layout.constants;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (layout.column[i] < 0)
            continue;
        const std::string_view cell = cells[first + static_cast<std::size_t>(layout.column[i])];
        const std::optional<double> value = readCell(cell);
        if (!value) {
            ++tally.unreadable;
            out.append(kResultNames.size(), ',');
            appendCell(out, unreadableMessage(kInputNames[i], cell));
            out.push_back('\n');
            return;
        }
        inputs[i] = *value;
    }

    calculator::RowResults results;
    const calculator::RowOutcome outcome = calculator::computeRow(inputs, results);
    ++tally.status[static_cast<std::size_t>(outcome.status)];
    if (!outcome.balanced()) {
        out.append(kResultNames.size(), ',');
        appendCell(out, calculator::rowMessage(outcome, inputs));
        out.push_back('\n');
        return;
    }
    for (std::size_t r = 0; r < results.size(); ++r) {
        if (!std::isnan(results[r]))  // bowen where lE is exactly 0
            appendNumber(out, results[r], kWindowDecimals[r], notation);
        out.push_back(',');
    }
    out.push_back('\n');
}

}  // namespace batch
