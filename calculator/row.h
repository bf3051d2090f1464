// The row engine: one point of the calculation from ten numbers, for the
// front ends that compute many points (the batch program, the Python
// package). It applies the window's input checks, runs the same calculate
// command on a record of its own, and reports a failure as a status instead
// of an exception, so one bad point never stops the rest. No toolkit code and
// no shared state: rows may be computed on any number of threads at once.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "calculator.h"

namespace calculator {

// Names of the ten inputs, in the order of kInputs: the batch program's
// column names and the Python keywords. Units as in the window (rh in %).
inline constexpr std::array<std::string_view, 10> kInputNames{
    "Ta", "rh", "u", "pa", "albedo", "ch", "beta", "Rs", "Ld", "G"};

// Names of the twelve results, in the order a row reports them.
inline constexpr std::array<std::string_view, 12> kResultNames{
    "ea", "qa", "Rsu", "Ts", "Lu", "H", "lE", "es", "qs", "Rn", "bowen", "evap"};

// Units of the results, in the order of kResultNames.
inline constexpr std::array<std::string_view, 12> kResultUnits{
    "hPa", "kg/kg", "W/m2", "degC", "W/m2", "W/m2", "W/m2", "hPa", "kg/kg", "W/m2",
    "1", "mm/day"};

// The working value behind each result, in the order of kResultNames.
extern const std::array<double WorkValues::*, 12> kResultValues;

using RowInputs = std::array<double, 10>;
using RowResults = std::array<double, 12>;

// How a row ended. The numbers are stable: front ends publish them as codes.
enum class RowStatus : std::uint8_t {
    Balanced = 0,
    OutOfRange = 1,        // an input its field's check refuses
    DivisionByZero = 2,
    Overflow = 3,
    InvalidOperation = 4,
    NoBalance = 5,         // no surface temperature closes the balance
};
inline constexpr int kRowStatusCount = 6;

struct RowOutcome {
    RowStatus status = RowStatus::Balanced;
    // For OutOfRange: the index (into kInputs) of the first refused input.
    std::int8_t input = -1;

    bool balanced() const { return status == RowStatus::Balanced; }
};

// One row. On balance, results holds the twelve results, with bowen NaN where
// lE is exactly 0 (the window shows -1 there, which is no ratio). On any
// failure every result is NaN. The inputs are checked in the order of
// kInputs; the first refused one is reported.
RowOutcome computeRow(const RowInputs& inputs, RowResults& results) noexcept;

// The default inputs, those the window starts with.
RowInputs defaultRowInputs();

// What went wrong, in words: "rh = 150 is outside 0 to 100" for an input out
// of range, the window's error message for a fault, "" for a balanced row.
std::string rowMessage(RowOutcome outcome, const RowInputs& inputs);

// A short name of a status for summaries: "balanced", "out of range",
// "division by zero", "overflow", "invalid operation", "no balance".
std::string_view statusName(RowStatus status);

// The error message the window shows for a fault status ("" otherwise).
std::string faultMessage(RowStatus status);

// Shortest text that reads back to the same double ("150", "0.001", "nan").
std::string shortestText(double value);

}  // namespace calculator
