#include <benchmark/benchmark.h>
#include "heat_balance.h"
static void BM_placeholder(benchmark::State& s){ for (auto _ : s) benchmark::DoNotOptimize(physics::getEs(15.0)); }
BENCHMARK(BM_placeholder);
