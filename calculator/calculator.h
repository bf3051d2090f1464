// Terravel calculator: the working values, the remembered inputs, the value
// table that binds each value to its fields, format and input check, and the
// calculate command's computation. No toolkit code lives here.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace calculator {

// The 22 working values: ten inputs the user types and twelve results.
// Units: deg C, per cent, m/s, hPa, kg/kg, W/m2, mm/day as in the value table.
struct WorkValues {
    double Ta, rh, u, pa, ea, qa, albedo, ch, beta, Ts, es, qs,
           Rs, Ld, Rsu, Lu, Rn, H, lE, G, bowen, evap;
};

// The ten remembered inputs, in the order of WorkValues.
struct MemoryValues {
    double Ta, rh, u, pa, albedo, ch, beta, Rs, Ld, G;
};

// The one instance of each for the whole process; both start at 0.0.
inline WorkValues Work{};
inline MemoryValues Memory{};

// What an input field accepts, x being the number read from its text.
enum class Check {
    Any,          // any value, NaN and infinities included
    Percent,      // 0 <= x <= 100
    NonNegative,  // 0 <= x
    Positive,     // 0 < x
    Fraction,     // 0 <= x <= 1
};

// True when the check accepts x. A NaN is rejected by every check but Any.
bool accepts(Check check, double x);

// One of the ten input fields: its edit field number (Edit1 = 1), its
// working and remembered value, its default, its decimals and its check.
struct Input {
    int edit;
    double WorkValues::*work;
    double MemoryValues::*memory;
    double defaultValue;
    int decimals;
    Check check;
};

// The ten inputs in the order of WorkValues: Edit1, 2, 3, 4, 7, 8, 9, 13, 14, 20.
extern const std::array<Input, 10> kInputs;

// The input bound to edit field number `edit`, or nullptr for a result field.
const Input* inputForEdit(int edit);

// One write of a field's text: which field, which value, its decimals, and
// whether the field is an input field. Results in hideNegative fields show
// "***" when below 0 (the Bowen ratio).
struct FieldWrite {
    int edit;
    double WorkValues::*value;
    int decimals;
    bool input;
    bool hideNegative;
};

// The order in which restore and calculate write the 26 fields.
extern const std::array<FieldWrite, 26> kWriteOrder;

// The text of a result field whose value is not shown.
inline constexpr std::string_view kHidden = "***";

// Size of the buffer each value is formatted into.
inline constexpr std::size_t kFormatBuffer = 1024;

// value in fixed-point notation with `decimals` digits after a full stop,
// whatever the process's locale (the "%.Nf" conversion of the C locale).
std::string formatValue(double value, int decimals);

// The text a write puts into the field: after restore every result field is
// hidden; after calculate a hideNegative field is hidden below 0.
enum class WriteKind { Restore, Calculate };
std::string fieldText(const FieldWrite& write, const WorkValues& values, WriteKind kind);

// atof of the C locale: leading white space skipped, the longest leading
// number converted, the rest ignored; no number reads as 0. The full stop is
// the only decimal mark.
double readNumber(std::string_view text);

// A change of an input field's text: read it, and store it into the working
// value if the field's check accepts it.
void applyInputText(const Input& input, std::string_view text, WorkValues& values);

// Remembered inputs to their defaults.
void setDefaults(MemoryValues& memory);

// Remembered inputs into the working inputs (results untouched).
void restoreInputs(const MemoryValues& memory, WorkValues& values);

// Working inputs into the remembered inputs.
void remember(const WorkValues& values, MemoryValues& memory);

// The calculate command's computation: the twelve results from the ten inputs,
// each stored as soon as it is computed. Throws physics::Error (a
// floating-point fault or no balance), leaving the results stored so far.
void calculate(WorkValues& values);

}  // namespace calculator
