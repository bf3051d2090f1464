// A streaming reader and writer of CSV tables as RFC 4180 has them: comma
// separated cells, cells in double quotes may hold commas, line breaks and
// doubled quotes, lines end in LF or CRLF, and a UTF-8 byte-order mark before
// the first cell is passed over. Blank lines are skipped. The reader holds one
// chunk of input at a time, however long the table is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace batch {

// A table that breaks the format: what is wrong and the line it starts on.
class CsvError : public std::runtime_error {
public:
    CsvError(std::uint64_t line, const std::string& what)
        : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}
    std::uint64_t line() const { return line_; }

private:
    std::uint64_t line_;
};

// Reads up to `size` bytes into `data`; returns the count, 0 at the end of
// the input. Throws on a read error.
using CsvSource = std::function<std::size_t(char* data, std::size_t size)>;

// The cells of records, one after another in one buffer: cell i of the
// buffer is text[ends[i-1] .. ends[i]) (from 0 for the first). The reader
// appends; the caller clears when it has used them.
struct Cells {
    std::string text;
    std::vector<std::size_t> ends;

    std::size_t size() const { return ends.size(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(text).substr(begin, ends[i] - begin);
    }
    void clear() {
        text.clear();
        ends.clear();
    }
};

class CsvReader {
public:
    explicit CsvReader(CsvSource source, std::size_t chunk = 1 << 16);

    // Appends the next record's cells (unquoted) to `cells` and returns their
    // count; 0 at the end of the table. Throws CsvError for a quote that is
    // never closed or text after a closing quote.
    std::size_t read(Cells& cells);

    // The line the record last read starts on (1 for the first line).
    std::uint64_t recordLine() const { return recordLine_; }
    // Bytes taken from the source so far.
    std::uint64_t bytesRead() const { return bytesRead_; }

private:
    bool fill();  // false at the end of the input
    void skipByteOrderMark();
    std::size_t endCell(Cells& cells, std::size_t count);

    CsvSource source_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    bool start_ = true;
    bool skipLineFeed_ = false;  // a CR ended the last line
    std::uint64_t line_ = 1;
    std::uint64_t recordLine_ = 0;
    std::uint64_t bytesRead_ = 0;
};

// Appends a cell to `out`, in double quotes (inner quotes doubled) when it
// holds a comma, a quote or a line break, or starts with a byte-order mark.
void appendCell(std::string& out, std::string_view cell);

// True when appendCell would quote the cell.
bool needsQuotes(std::string_view cell);

}  // namespace batch
