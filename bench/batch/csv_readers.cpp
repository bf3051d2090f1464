// terravel-batch's table reader against Debian's libcsv on the same table:
// both split a file held in memory into cells, 64 KiB at a time, into the
// same Cells buffer the batch program uses. Prints MB/s, best of five.
//
//   csv_readers rows.csv
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include <csv.h>

#include "table_reader.h"

namespace {

constexpr std::size_t kChunk = 1 << 16;
constexpr std::size_t kRowsPerBlock = 2048;

double best(const std::function<std::size_t()>& run, std::size_t& cells) {
    double fastest = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        cells = run();
        fastest = std::min(
            fastest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return fastest;
}

struct LibcsvState {
    batch::Cells cells;
    std::size_t rows = 0;
    std::size_t total = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TABLE.csv\n", argv[0]);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const double megabytes = static_cast<double>(text.size()) / 1e6;

    std::size_t ours = 0;
    const double oursTime = best(
        [&] {
            std::size_t pos = 0;
            batch::CsvReader reader(
                [&](char* data, std::size_t size) {
                    const std::size_t n = std::min(size, text.size() - pos);
                    std::memcpy(data, text.data() + pos, n);
                    pos += n;
                    return n;
                },
                kChunk);
            batch::Cells cells;
            std::size_t total = 0, rows = 0;
            while (const std::size_t n = reader.read(cells)) {
                total += n;
                if (++rows % kRowsPerBlock == 0)
                    cells.clear();
            }
            return total;
        },
        ours);

    std::size_t theirs = 0;
    const double theirsTime = best(
        [&] {
            csv_parser parser;
            csv_init(&parser, CSV_STRICT | CSV_APPEND_NULL);
            LibcsvState state;
            auto cell = [](void* data, std::size_t size, void* user) {
                auto& s = *static_cast<LibcsvState*>(user);
                s.cells.text.append(static_cast<const char*>(data), size);
                s.cells.ends.push_back(s.cells.text.size());
                ++s.total;
            };
            auto row = [](int, void* user) {
                auto& s = *static_cast<LibcsvState*>(user);
                if (++s.rows % kRowsPerBlock == 0)
                    s.cells.clear();
            };
            char chunk[kChunk];
            for (std::size_t pos = 0; pos < text.size(); pos += kChunk) {
                const std::size_t n = std::min(kChunk, text.size() - pos);
                std::memcpy(chunk, text.data() + pos, n);  // as a read() would
                csv_parse(&parser, chunk, n, cell, row, &state);
            }
            csv_fini(&parser, cell, row, &state);
            csv_free(&parser);
            return state.total;
        },
        theirs);

    std::printf("terravel-batch's reader: %.0f MB/s (%zu cells)\n", megabytes / oursTime, ours);
    std::printf("libcsv:                  %.0f MB/s (%zu cells)\n", megabytes / theirsTime, theirs);
    return ours == theirs ? 0 : 1;
}
