// The batch program's rows: which cell feeds which input, strict reading of
// a cell, and one output row from one input row through the row engine.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "table_reader.h"
#include "row.h"

namespace batch {

// A mistake in how the program was called (exit status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A cell as a number: the whole cell, blanks around it allowed, a finite
// decimal number with a full stop ("12", "-0.5", "+3", "1e-3", ".5").
// Empty cells, text, "nan", "inf" and numbers beyond a double are refused.
std::optional<double> readCell(std::string_view cell);

// Why readCell refused a cell, for the row's error message:
//   Ta is empty / Ta = "12x" is not a number / Ta = "1e999" is not a finite number
std::string unreadableMessage(std::string_view column, std::string_view cell);

// How results are written: the shortest text that reads back to the same
// double, or the window's fixed decimals.
enum class Notation { Shortest, Window };

// Where each input comes from: a column of the table or a constant.
struct Layout {
    std::size_t columns = 0;                       // cells in every row
    std::array<int, 10> column{};                  // -1: the input is a constant
    calculator::RowInputs constants{};             // for inputs without a column
    std::vector<std::string> defaulted;            // inputs given the window's default
    std::vector<std::string> unusedSets;           // --set of a column that exists
};

// Finds the ten inputs in the header by their exact names. An input without
// a column takes sets[i] when given, else the window's default. Throws
// CsvError for a name that two columns share.
Layout makeLayout(const Cells& header,
                  const std::array<std::optional<double>, 10>& sets);

// Parses "NAME=VALUE" of --set into the input's index and value; throws
// UsageError for an unknown name, an unreadable value, or one the input's
// check refuses.
std::pair<std::size_t, double> parseSet(std::string_view assignment);

// The output header: the input's cells, then the twelve results and "error".
void appendHeader(std::string& out, const Cells& header);

// What became of the rows: one count per row status, and rows whose cells
// could not be read as numbers.
struct Tally {
    std::uint64_t rows = 0;
    std::array<std::uint64_t, calculator::kRowStatusCount> status{};
    std::uint64_t unreadable = 0;

    std::uint64_t errors() const { return rows - status[0]; }
    void add(const Tally& other);
};

// One output row for the record whose cells start at cells[first]: its cells
// as they were, the results (empty where there are none, bowen empty where lE
// is exactly 0) and the error message, with a line feed.
void appendRow(std::string& out, const Layout& layout, const Cells& cells,
               std::size_t first, Notation notation, Tally& tally);

}  // namespace batch
