// The row engine alone, for the Python package's overhead figure: computes
// the rows of a file of doubles (ten inputs a row, in the order of
// calculator::kInputNames, native byte order) with computeRow on one thread,
// and prints the best time of a few passes.
//
//   row_engine POINTS_FILE [passes, default 3]
//
// Prints "engine: N points, best of P passes: S s, X ns/point, sum of Ts: T".
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <vector>

#include "row.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: row_engine POINTS_FILE [passes]\n");
        return 2;
    }
    const int passes = argc > 2 ? std::atoi(argv[2]) : 3;
    std::ifstream file(argv[1], std::ios::binary);
    std::vector<calculator::RowInputs> rows;
    calculator::RowInputs row;
    while (file.read(reinterpret_cast<char*>(row.data()), sizeof row))
        rows.push_back(row);
    if (rows.empty()) {
        std::fprintf(stderr, "row_engine: no rows in %s\n", argv[1]);
        return 1;
    }
    std::vector<calculator::RowResults> results(rows.size());
    std::vector<std::uint8_t> status(rows.size());

    double best = std::numeric_limits<double>::infinity();
    for (int pass = 0; pass < passes; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < rows.size(); ++i)
            status[i] = static_cast<std::uint8_t>(calculator::computeRow(rows[i], results[i]).status);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    double sumTs = 0.0;
    for (const auto& r : results)
        if (r[3] == r[3])  // points without balance are NaN
            sumTs += r[3];
    std::printf("engine: %zu points, best of %d passes: %.3f s, %.1f ns/point, sum of the balanced Ts: %.17g\n",
                rows.size(), passes, best, best * 1e9 / static_cast<double>(rows.size()), sumTs);
}
