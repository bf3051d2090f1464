// The calculator window without Qt, for the fuzzer and its replay test.
//
// WindowModel holds what the window holds: the texts of the 26 edit fields
// and the working and remembered values. It writes fields by the window's
// rule: a write of the text a field already shows does nothing; any other
// write replaces the text and runs the field's change handler at once (an
// input field reads its new text back through applyInputText).
//
// play() decodes a byte string into user actions, plays them on a fresh
// window and checks after every action what must always hold. The input is a
// sequence of lines ('\n'-terminated, the last may be open); the first byte
// of a line chooses the action:
//   c          "calculate"          m  "memory"          r  "restore"
//   0-9 TEXT   TEXT replaces the whole text of input field n, counted in the
//              order of calculator::kInputs (0 = Ta ... 9 = G), as a paste
//   k n TEXT   TEXT typed after the field's current text, one change per byte
//   x n TEXT   TEXT repeated to at least kLongText bytes replaces the text
// Any other line is skipped; the rest of a c, m or r line is ignored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calculator.h"

namespace fuzzing {

// The texts of the edit fields, indexed by field number (Edit1 = 1).
using FieldTexts = std::array<std::string, 27>;

class WindowModel {
public:
    // Program start (all values 0, every field its placeholder text "EditN")
    // followed by window creation: defaults remembered, then restore.
    WindowModel();

    // The user sets the text of input field kInputs[input].
    void type(std::size_t input, std::string text);

    // "calculate": computes the twelve results and writes the 26 fields.
    // Returns the working values as the computation left them, before the
    // writes fed rounded texts back into the inputs. Throws physics::Error
    // (nothing written) when the computation fails.
    calculator::WorkValues calculate();

    void memory();   // "memory"
    void restore();  // "restore"

    const FieldTexts& texts() const { return texts_; }
    const calculator::WorkValues& work() const { return work_; }
    const calculator::MemoryValues& remembered() const { return memory_; }

private:
    void writeAll(calculator::WriteKind kind);
    void setText(int edit, std::string text);

    FieldTexts texts_;
    calculator::WorkValues work_{};
    calculator::MemoryValues memory_{};
};

// Length that an x line repeats its text to.
inline constexpr std::size_t kLongText = 10000;

// Lines after this many are not played.
inline constexpr std::size_t kMaxActions = 200;

// Plays the actions that data encodes on a fresh window. Returns an empty
// string when every check held, else a description of the first violation.
// Exceptions other than physics::Error are violations too.
std::string play(std::string_view data);

}  // namespace fuzzing
