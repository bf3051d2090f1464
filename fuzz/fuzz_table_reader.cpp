// libFuzzer target for the batch program's table reader. The first byte picks
// how many bytes each read hands out, so records straddle chunk boundaries;
// the rest is the table. Checks:
//   - the reader ends, either with records or with a CsvError;
//   - writing the records back as CSV and reading that gives the same cells;
//   - a cell that reads as a number is finite.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "table_reader.h"
#include "table.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}

Records readAll(const char* data, std::size_t size, std::size_t step) {
    std::size_t pos = 0;
    batch::CsvReader reader(
        [&](char* out, std::size_t room) {
            const std::size_t n = std::min({step, room, size - pos});
            std::memcpy(out, data + pos, n);
            pos += n;
            return n;
        },
        16 + step);
    Records records;
    batch::Cells cells;
    while (const std::size_t n = reader.read(cells)) {
        if (n > cells.size())
            fail("more cells counted than read");
        records.emplace_back();
        for (std::size_t i = cells.size() - n; i < cells.size(); ++i)
            records.back().emplace_back(cells[i]);
        if (pos > size)
            fail("read past the end");
    }
    return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t step = 1 + data[0] % 64;
    const char* table = reinterpret_cast<const char*>(data + 1);
    Records records;
    try {
        records = readAll(table, size - 1, step);
    } catch (const batch::CsvError& error) {
        if (error.line() == 0)
            fail("an error on line 0");
        return 0;
    }
    std::string written;
    for (const auto& record : records) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            if (i > 0)
                written.push_back(',');
            batch::appendCell(written, record[i]);
            if (const auto value = batch::readCell(record[i]); value && !std::isfinite(*value))
                fail("a cell read as a number that is not finite");
        }
        written.push_back('\n');
    }
    // A record of one empty cell is written as a blank line, which the reader
    // skips; every other record reads back as it was.
    Records expected;
    for (const auto& record : records)
        if (!(record.size() == 1 && record[0].empty()))
            expected.push_back(record);
    if (readAll(written.data(), written.size(), 7) != expected)
        fail("records written back read differently");
    return 0;
}
