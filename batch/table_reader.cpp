#include "table_reader.h"

#include <array>
#include <cstring>

namespace batch {

namespace {

// The bytes that end an unquoted cell's text.
constexpr std::array<bool, 256> kStops = [] {
    std::array<bool, 256> stops{};
    stops[static_cast<unsigned char>(',')] = true;
    stops[static_cast<unsigned char>('\n')] = true;
    stops[static_cast<unsigned char>('\r')] = true;
    return stops;
}();

}  // namespace

CsvReader::CsvReader(CsvSource source, std::size_t chunk)
    : source_(std::move(source)), buffer_(chunk < 16 ? 16 : chunk) {}

bool CsvReader::fill() {
    if (eof_)
        return false;
    pos_ = 0;
    end_ = source_(buffer_.data(), buffer_.size());
    bytesRead_ += end_;
    eof_ = end_ == 0;
    return !eof_;
}

void CsvReader::skipByteOrderMark() {
    // The source may hand out fewer bytes than asked: gather three.
    while (end_ < 3 && !eof_) {
        const std::size_t got = source_(buffer_.data() + end_, buffer_.size() - end_);
        bytesRead_ += got;
        end_ += got;
        eof_ = got == 0;
    }
    if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0)
        pos_ = 3;
    eof_ = false;  // fill() reports the end again when it is reached
}

std::size_t CsvReader::endCell(Cells& cells, std::size_t count) {
    cells.ends.push_back(cells.text.size());
    return count + 1;
}

std::size_t CsvReader::read(Cells& cells) {
    if (start_) {
        start_ = false;
        skipByteOrderMark();
    }
    // Blank lines between records are skipped.
    for (;;) {
        if (pos_ == end_ && !fill())
            return 0;
        const char c = buffer_[pos_];
        if (c == '\n' && skipLineFeed_) {
            ++pos_;
        } else if (c == '\n' || c == '\r') {
            ++pos_;
            ++line_;
        } else {
            skipLineFeed_ = false;
            break;
        }
        skipLineFeed_ = c == '\r';
    }

    recordLine_ = line_;
    std::size_t count = 0;
    for (;;) {  // one cell a turn
        if (pos_ == end_ && !fill())
            return endCell(cells, count);  // the table ends after a comma
        if (buffer_[pos_] == '"') {
            ++pos_;
            for (;;) {
                if (pos_ == end_ && !fill())
                    throw CsvError(recordLine_, "a quoted cell is never closed");
                const char* from = buffer_.data() + pos_;
                const auto* quote =
                    static_cast<const char*>(std::memchr(from, '"', end_ - pos_));
                const std::size_t span =
                    quote ? static_cast<std::size_t>(quote - from) : end_ - pos_;
                for (std::size_t i = 0; i < span; ++i)
                    line_ += from[i] == '\n';
                cells.text.append(from, span);
                pos_ += span;
                if (!quote)
                    continue;
                ++pos_;  // past the quote: a doubled one, or the closing one
                if (pos_ == end_ && !fill())
                    return endCell(cells, count);
                const char c = buffer_[pos_];
                if (c == '"') {
                    cells.text.push_back('"');
                    ++pos_;
                    continue;
                }
                ++pos_;
                if (c == ',') {
                    count = endCell(cells, count);
                    break;
                }
                if (c == '\n' || c == '\r') {
                    ++line_;
                    skipLineFeed_ = c == '\r';
                    return endCell(cells, count);
                }
                throw CsvError(line_, "text after the closing quote of a cell");
            }
            continue;
        }
        // An unquoted cell runs to the next comma or line end. A quote inside
        // it is taken as text.
        for (;;) {
            if (pos_ == end_ && !fill())
                return endCell(cells, count);
            const char* from = buffer_.data() + pos_;
            std::size_t span = 0;
            const std::size_t left = end_ - pos_;
            while (span < left && !kStops[static_cast<unsigned char>(from[span])])
                ++span;
            cells.text.append(from, span);
            pos_ += span;
            if (span == left)
                continue;
            const char c = buffer_[pos_++];
            if (c == ',') {
                count = endCell(cells, count);
                break;
            }
            ++line_;
            skipLineFeed_ = c == '\r';
            return endCell(cells, count);
        }
    }
}

bool needsQuotes(std::string_view cell) {
    // A cell that starts like a byte-order mark is quoted, or a reader would
    // drop those bytes from the first cell of a table.
    if (cell.starts_with('"') || cell.starts_with("\xEF\xBB\xBF"))
        return true;
    for (const char c : cell)
        if (c == ',' || c == '"' || c == '\n' || c == '\r')
            return true;
    return false;
}

void appendCell(std::string& out, std::string_view cell) {
    if (!needsQuotes(cell)) {
        out.append(cell);
        return;
    }
    out.push_back('"');
    for (const char c : cell) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

}  // namespace batch
