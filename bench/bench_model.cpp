// Speed of the propagation model.
//
//   warm_step/G  one time step at grain G in the steady state of a run: the ionosphere
//                pass, the short and the long path of every grid point and the screen
//                written to the prediction file, with the path cache holding the hop
//                midpoints, as it does for every step after the first of a run.
//   cold_step/G  the first step of a run: the same work right after InitCalc, with an
//                empty path cache, so every midpoint is found on the great circle.
//   day/G/J      a whole run of one date, 0 ... 23 h: InitCalc, MainCalcs (geometry
//                pass and 24 steps) and EndCalc, on J threads (skywave run -j J).
//   month/G/J    1 ... 30 March, 0 ... 23 h, on J threads.
//
// A step is timed from the driver's SetTime hook (the start of the step) to its
// step_done hook (the screen is written); the date's geometry pass and the opening of
// the file, which the driver does once per date and run, are outside that interval.
// Each iteration of warm_step is a call of MainCalcs for a single step on a model that
// has already run a whole day; the hour advances by one each iteration.
//
// Counters: ms_per_step, ns_per_point_step (grid points = n_rows x n_cols, both paths
// of a point), point_steps_per_s, and allocs_per_step, the number of operator new calls
// during a step. That count is the same at every grain, so nothing in the per-point
// and per-row loops allocates; what it counts are the step's status and header texts.
//
// Build the release preset and run
//   ./build/release/bench/bench_model --benchmark_min_time=2
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

#include "base/messages.h"
#include "model/constants.h"
#include "model/model.h"
#include "run/driver.h"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

// Every operator new of this program is counted; the array and nothrow forms go
// through this one. The replacements are kept out of line so that the compiler pairs
// new with delete, not malloc with free.
[[gnu::noinline]] void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using namespace skywave;
using Clock = std::chrono::steady_clock;

// A folder of its own under the system's temporary folder, removed at exit.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "bench_model.XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

const ScratchDir& scratch() {
    static ScratchDir dir;
    return dir;
}

// Times each step of a run and counts the allocations in it.
class StepHooks : public RunHooks {
public:
    void SetTime(float) override {
        allocations_at_start_ = g_allocations.load(std::memory_order_relaxed);
        start_ = Clock::now();
    }
    void step_done(Model&) override {
        last_seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        last_allocations = g_allocations.load(std::memory_order_relaxed) - allocations_at_start_;
        ++steps;
    }

    double last_seconds = 0;
    long last_allocations = 0;
    long steps = 0;

private:
    Clock::time_point start_;
    long allocations_at_start_ = 0;
};

// A model set up for runs of 5 March at one grain, writing to the scratch folder.
class Bench {
public:
    explicit Bench(int grain) {
        init_consts(m.consts);
        m.consts.display_grain = float(grain);
        m.dates = {5, 3, 5, 3, 1, 1};
        file = (scratch().path() / ("bench_" + std::to_string(grain) + ".mof")).string();
    }

    void init() {
        if (!InitCalc(m, log)) throw std::runtime_error("InitCalc failed");
    }
    void end() { EndCalc(m); }

    // Computes the hours first ... last of the dates on the model as it is.
    void run(int first, int last, int jobs = 1) {
        m.consts.start_time = float(first);
        m.consts.stop_time = float(last);
        m.consts.step_time = 1;
        if (MainCalcs(m, file, hooks, log, jobs) != RunOutcome::completed)
            throw std::runtime_error("run failed");
    }

    long points() const { return long(m.grid.n_rows) * m.grid.n_cols; }

    Model m;
    std::string file;  // the prediction file the runs write
    StepHooks hooks;
    MessageLog log;
};

void set_step_counters(benchmark::State& state, const Bench& b, double seconds, long steps) {
    const double per_step = seconds / double(steps);
    state.counters["ms_per_step"] = per_step * 1e3;
    state.counters["ns_per_point_step"] = per_step * 1e9 / double(b.points());
    state.counters["point_steps_per_s"] = double(b.points()) / per_step;
}

void warm_step(benchmark::State& state) {
    Bench b(int(state.range(0)));
    b.init();
    b.run(0, 23);  // the first day fills the path cache, as a run's first steps do
    double seconds = 0;
    long steps = 0, allocations = 0;
    int hour = 0;
    for (auto _ : state) {
        b.run(hour, hour);
        state.SetIterationTime(b.hooks.last_seconds);
        seconds += b.hooks.last_seconds;
        allocations += b.hooks.last_allocations;
        ++steps;
        hour = (hour + 1) % 24;
    }
    b.end();
    set_step_counters(state, b, seconds, steps);
    state.counters["allocs_per_step"] = double(allocations) / double(steps);
}

void cold_step(benchmark::State& state) {
    Bench b(int(state.range(0)));
    double seconds = 0;
    long steps = 0, allocations = 0;
    for (auto _ : state) {
        b.init();  // fresh arrays, empty path cache
        b.run(0, 0);
        b.end();
        state.SetIterationTime(b.hooks.last_seconds);
        seconds += b.hooks.last_seconds;
        allocations += b.hooks.last_allocations;
        ++steps;
    }
    set_step_counters(state, b, seconds, steps);
    state.counters["allocs_per_step"] = double(allocations) / double(steps);
}

// Whole runs of `days` dates of March from the 1st (5 March for one date), timed on
// the wall clock; the counters give point-steps per second of wall time.
void whole_run(benchmark::State& state, int days) {
    Bench b(int(state.range(0)));
    const int jobs = int(state.range(1));
    if (days > 1) b.m.dates = {1, 3, float(days), 3, 1, 1};
    double seconds = 0;
    long steps = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        b.init();
        b.run(0, 23, jobs);
        b.end();
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        steps += 24L * days;
    }
    set_step_counters(state, b, seconds, steps);
}

void day(benchmark::State& state) {
    whole_run(state, 1);
}

void month(benchmark::State& state) {
    whole_run(state, 30);
}

BENCHMARK(warm_step)->DenseRange(1, 3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(cold_step)->DenseRange(1, 3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(day)
    ->ArgsProduct({{1, 2, 3}, {1, 2}})
    ->ArgNames({"grain", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(month)
    ->ArgsProduct({{2}, {1, 2}})
    ->ArgNames({"grain", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
