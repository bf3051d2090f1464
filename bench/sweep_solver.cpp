// Convergence sweep of the surface temperature solver through the calculate
// command. Walks a grid over the inputs the calculator accepts, extremes
// included (no wind, no transfer, no evaporation, huge ground heat flux,
// negative solar radiation), and checks that every point either closes the
// balance Rn = H + lE + G or ends in one of the module's documented errors.
// A point that runs longer than kHangSeconds ends the program.
//
// Prints the count of each outcome, the largest number of solver passes and
// the slowest point. Exit status 0 when every point behaved, 1 otherwise.
//
//   sweep_solver [random points, default 4000]
#include <algorithm>
#include <array>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "calculator.h"
#include "heat_balance.h"

namespace {

using calculator::WorkValues;

constexpr unsigned kHangSeconds = 20;

// The values each input takes, from one end of what its field accepts to the
// other. The first and last of each list are the corners of the grid.
struct Axis {
    const char* name;
    double WorkValues::*value;
    std::vector<double> values;
};

const std::array<Axis, 10> kAxes{{
    {"Ta", &WorkValues::Ta, {-273.15, -100.0, -40.0, 0.0, 15.0, 40.0, 60.0, 200.0}},
    {"rh", &WorkValues::rh, {0.0, 30.0, 60.0, 100.0}},
    {"u", &WorkValues::u, {0.0, 0.5, 2.0, 10.0, 50.0, 1000.0}},
    {"pa", &WorkValues::pa, {0.5, 300.0, 700.0, 1033.2, 1100.0, 100000.0}},
    {"albedo", &WorkValues::albedo, {0.0, 0.1, 0.5, 1.0}},
    {"ch", &WorkValues::ch, {0.0, 0.0001, 0.001, 0.005, 0.1, 1.0}},
    {"beta", &WorkValues::beta, {0.0, 0.2, 1.0, 5.0, 100.0}},
    {"Rs", &WorkValues::Rs, {-500.0, 0.0, 300.0, 1000.0, 10000.0}},
    {"Ld", &WorkValues::Ld, {0.0, 100.0, 300.0, 500.0, 10000.0}},
    {"G", &WorkValues::G, {10000.0, -200.0, 0.0, 50.0, 300.0, -10000.0}},
}};

WorkValues defaults() {
    calculator::MemoryValues memory{};
    calculator::setDefaults(memory);
    WorkValues w{};
    calculator::restoreInputs(memory, w);
    return w;
}

std::string describe(const WorkValues& w) {
    std::string text;
    for (const Axis& axis : kAxes) {
        char item[64];
        std::snprintf(item, sizeof item, "%s%s=%.6g", text.empty() ? "" : " ", axis.name,
                      w.*axis.value);
        text += item;
    }
    return text;
}

// The point being computed, for the hang alarm to name.
char gCurrent[512];

extern "C" void onHang(int) {
    const char prefix[] = "HANG: no result within the time limit at ";
    (void)!write(STDERR_FILENO, prefix, sizeof prefix - 1);
    (void)!write(STDERR_FILENO, gCurrent, std::strlen(gCurrent));
    (void)!write(STDERR_FILENO, "\n", 1);
    _exit(2);
}

// Passes of the solver on the inputs of w, counted through its observer.
int countPasses(const WorkValues& inputs) {
    WorkValues w = inputs;
    int passes = 0;
    try {
        w.ea = physics::getErh(w.rh * 0.01, w.Ta);
        w.qa = physics::getQ(w.ea, w.pa);
        const double Rsu = w.Rs * w.albedo;
        const double Q = w.Rs - Rsu + w.Ld - w.G;
        physics::getTs(Q, w.u, w.Ta, w.qa, w.pa, w.ch, w.beta, w.Lu, w.H, w.lE,
                       [&](const physics::TsPass& pass) { passes = pass.pass; });
    } catch (const physics::Error&) {
    }
    return passes;
}

const char* faultName(physics::Fault fault) {
    switch (fault) {
    case physics::Fault::DivisionByZero: return "division by zero";
    case physics::Fault::Overflow: return "overflow";
    case physics::Fault::InvalidOperation: break;
    }
    return "invalid operation";
}

struct Outcome {
    long count = 0;
    std::string example;
};

struct Sweep {
    std::map<std::string, Outcome> outcomes;
    long points = 0;
    long violations = 0;
    int mostPassesClosed = 0;
    std::string mostPassesClosedAt;
    int mostPasses = 0;
    std::string mostPassesAt;
    double slowest = 0.0;  // seconds
    std::string slowestAt;
    WorkValues slowestInputs{};
    double totalSeconds = 0.0;
    std::vector<int> closedPasses;

    void run(const WorkValues& inputs) {
        ++points;
        const std::string where = describe(inputs);
        std::snprintf(gCurrent, sizeof gCurrent, "%s", where.c_str());

        WorkValues w = inputs;
        constexpr double kUnset = -1.0e300;  // no result ever takes this value
        w.ea = w.qa = w.Ts = w.es = w.qs = w.Rsu = w.Lu = w.Rn = w.H = w.lE = w.bowen =
            w.evap = kUnset;

        std::string outcome;
        alarm(kHangSeconds);
        const auto start = std::chrono::steady_clock::now();
        try {
            calculator::calculate(w);
            const double closing = w.Rn - w.H - w.lE - w.G;
            double largest = 0.0;
            for (double term : {w.Rs, w.Ld, w.Rsu, w.G, w.Lu, w.H, w.lE})
                largest = std::fmax(largest, std::fabs(term));
            const double allowance = 0.0005 + 8.0 * DBL_EPSILON * largest;
            if (std::fabs(closing) <= allowance) {
                outcome = "closed";
            } else {
                outcome = "VIOLATION: balance off";
                ++violations;
            }
        } catch (const physics::FloatingPointError& e) {
            const char* stage = w.Rsu == kUnset ? "before the solver"
                                : w.Ts == kUnset ? "in the solver"
                                                 : "after the solver";
            outcome = std::string("FloatingPointError: ") + faultName(e.fault()) + ", " + stage;
        } catch (const physics::NoBalanceError&) {
            outcome = "NoBalanceError";  // refined below by its pass count
        } catch (const std::exception& e) {
            outcome = std::string("VIOLATION: unexpected exception: ") + e.what();
            ++violations;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        alarm(0);

        totalSeconds += seconds;
        const int passes = countPasses(inputs);
        if (outcome == "NoBalanceError")
            outcome += passes >= physics::kMaxTsPasses ? ", at the pass bound"
                                                       : ", the step stopped moving the trial temperature";
        Outcome& o = outcomes[outcome];
        if (o.count++ == 0)
            o.example = where;
        if (outcome == "closed")
            closedPasses.push_back(passes);
        if (seconds > slowest) {
            slowest = seconds;
            slowestAt = where + " (" + outcome + ")";
            slowestInputs = inputs;
        }

        if (passes > mostPasses) {
            mostPasses = passes;
            mostPassesAt = where + " (" + outcome + ")";
        }
        if (outcome == "closed" && passes > mostPassesClosed) {
            mostPassesClosed = passes;
            mostPassesClosedAt = where;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    const long randomPoints = argc > 1 ? std::atol(argv[1]) : 4000;
    std::signal(SIGALRM, onHang);
    Sweep sweep;

    // Each input alone across its whole list, the others at their defaults.
    for (const Axis& axis : kAxes)
        for (double value : axis.values) {
            WorkValues w = defaults();
            w.*axis.value = value;
            sweep.run(w);
        }

    // Every corner of the grid: each input at the first or last of its list.
    for (unsigned corner = 0; corner < (1u << kAxes.size()); ++corner) {
        WorkValues w = defaults();
        for (std::size_t i = 0; i < kAxes.size(); ++i)
            w.*kAxes[i].value = (corner >> i & 1u) ? kAxes[i].values.back()
                                                   : kAxes[i].values.front();
        sweep.run(w);
    }

    // Random points of the grid, and between its values: each input a value
    // of its list, or with odds 1 in 4 a value drawn evenly between two
    // neighbours of the list. Fixed seed, so every run walks the same points.
    std::mt19937_64 random(20240611);
    for (long n = 0; n < randomPoints; ++n) {
        WorkValues w = defaults();
        for (const Axis& axis : kAxes) {
            const auto& list = axis.values;
            std::uniform_int_distribution<std::size_t> pick(0, list.size() - 1);
            const std::size_t i = pick(random);
            double value = list[i];
            if (i + 1 < list.size() && std::uniform_int_distribution<int>(0, 3)(random) == 0)
                value = std::uniform_real_distribution<double>(
                    std::min(list[i], list[i + 1]), std::max(list[i], list[i + 1]))(random);
            w.*axis.value = value;
        }
        sweep.run(w);
    }

    std::printf("points: %ld in %.3f s\n\noutcomes:\n", sweep.points, sweep.totalSeconds);
    for (const auto& [outcome, o] : sweep.outcomes)
        std::printf("  %6ld  %s\n          e.g. %s\n", o.count, outcome.c_str(), o.example.c_str());
    std::printf("\nmost solver passes of a closed balance: %d\n  at %s\n",
                sweep.mostPassesClosed, sweep.mostPassesClosedAt.c_str());
    if (!sweep.closedPasses.empty()) {
        auto& p = sweep.closedPasses;
        std::sort(p.begin(), p.end());
        std::printf("solver passes of a closed balance: median %d, 99th percentile %d\n",
                    p[p.size() / 2], p[p.size() * 99 / 100]);
    }
    std::printf("most solver passes of any point: %d (bound %d)\n  at %s\n", sweep.mostPasses,
                physics::kMaxTsPasses, sweep.mostPassesAt.c_str());
    // One timing can catch the machine busy: time the slowest point again
    // and report the best of five as well.
    double best = sweep.slowest;
    for (int repeat = 0; repeat < 5; ++repeat) {
        WorkValues w = sweep.slowestInputs;
        const auto start = std::chrono::steady_clock::now();
        try {
            calculator::calculate(w);
        } catch (const physics::Error&) {
        }
        best = std::min(best, std::chrono::duration<double>(
                                  std::chrono::steady_clock::now() - start).count());
    }
    std::printf("slowest point: %.3f ms (best of 5 more runs: %.3f ms)\n  at %s\n",
                sweep.slowest * 1e3, best * 1e3, sweep.slowestAt.c_str());
    std::printf("\nviolations: %ld\n", sweep.violations);
    return sweep.violations == 0 ? 0 : 1;
}
