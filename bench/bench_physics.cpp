// Timings of the formula module: one surface temperature solve with the
// calculator's default inputs (the work of one "calculate"), the same solve
// in plain unchecked doubles as a reference for the cost of the fault
// checks, and the saturation vapour pressure that every pass of the solve
// calls.
//
//   cmake --preset release && cmake --build --preset release --target bench_physics
//   build/release/bench/bench_physics
#include <benchmark/benchmark.h>

#include "checked.h"
#include "heat_balance.h"

namespace {

using Solve = double (*)(double, double, double, double, double, double, double, double&,
                         double&, double&);

// Ta 15 deg C, rh 60 %, u 2 m/s, pa 1033.2 hPa, ch 0.001, beta 0.2,
// Q = 300 - 30 + 300 - 50 W/m2: 20 passes, 28.03466796875 deg C.
void solveDefaultInputs(benchmark::State& state, Solve solve) {
    const double Q = 520.0;
    const double u = 2.0;
    const double Ta = 15.0;
    const double pa = 1033.2;
    const double qa = physics::getQ(physics::getErh(0.6, Ta), pa);
    const double ch = 0.001;
    const double beta = 0.2;
    double Lu = 0.0, H = 0.0, lE = 0.0;
    if (solve(Q, u, Ta, qa, pa, ch, beta, Lu, H, lE) != 28.03466796875) {
        state.SkipWithError("the solve does not end at 28.03466796875 deg C");
        return;
    }
    for (auto _ : state) {
        const double Ts = solve(Q, u, Ta, qa, pa, ch, beta, Lu, H, lE);
        benchmark::DoNotOptimize(Ts);
        benchmark::DoNotOptimize(Lu);
        benchmark::DoNotOptimize(H);
        benchmark::DoNotOptimize(lE);
    }
}

void BM_getTs_defaultInputs(benchmark::State& state) {
    solveDefaultInputs(state, [](double Q, double u, double Ta, double qa, double pa,
                                 double ch, double beta, double& Lu, double& H, double& lE) {
        return physics::getTs(Q, u, Ta, qa, pa, ch, beta, Lu, H, lE);
    });
}
BENCHMARK(BM_getTs_defaultInputs);

// Reference only, not the program's code: the same search with the same
// arithmetic in plain doubles, no fault checked. getTs should stay within
// 1.3 x this figure.
void BM_getTs_defaultInputs_plainReference(benchmark::State& state) {
    solveDefaultInputs(state, physics::detail::getTsReference);
}
BENCHMARK(BM_getTs_defaultInputs_plainReference);

void BM_getEs(benchmark::State& state) {
    double T = 15.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(T);
        const double es = physics::getEs(T);
        benchmark::DoNotOptimize(es);
    }
}
BENCHMARK(BM_getEs);

}  // namespace
