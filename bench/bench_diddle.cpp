// Speed of the constant diddle, one run at a time against runs in parallel.
//
//   diddle/J  a whole sweep (DiddleConsts) with J worker threads: the reference run and
//             every run of 16 marked constants, each run a grain-2 prediction of one
//             date, 0 ... 23 h UTC, written to a scratch file and scored against the
//             contest file. Wall-clock time (UseRealTime).
//
// The contest file is the prediction of the same day for a solar flux of 120, while the
// sweep predicts for 150, so the runs score differently and each constant's sweep takes
// two to four runs, as a real one does. The report of every sweep is compared with the
// first one; apart from the time stamps they must be the same for any number of jobs,
// and the program fails (exit status 1) when they are not.
//
// After the benchmarks the program prints the jobs-1 / jobs-2 ratio of the median wall
// times. Build the release preset and run
//   ./build/release/bench/bench_diddle --benchmark_repetitions=3
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "base/messages.h"
#include "base/report.h"
#include "model/constants.h"
#include "model/model.h"
#include "run/driver.h"
#include "run/sweep.h"
#include "tuning/diddle.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kMarked[] = {"sf_index", "g0_d_2", "g2_d_2", "t9_d_1", "noon_1", "g0_n_2",
                                   "a1_3",     "x_1",    "h_d_7",  "h_n_7",  "fe_3",   "ls_1",
                                   "clof_2",   "m9_1",   "te_1",   "maxhop"};

// The sweep's settings: 5 March, 0 to 23 h, grain 2, flux 150, the marked constants.
skywave::Model sweep_model() {
    skywave::Model m;
    skywave::init_consts(m.consts);
    m.CalcInitDone = 1;
    m.consts.display_grain = 2;
    m.dates = {5, 3, 5, 3, 1, 1};
    m.consts.start_time = 0;
    m.consts.stop_time = 23;
    m.consts.step_time = 1;
    m.consts.sf_index = 150;
    for (const char* name : kMarked)
        m.diddle_flag[std::size_t(skywave::find_constant(name))] = 1;
    return m;
}

// The scratch folder with the contest file, made once.
struct Setup {
    fs::path folder;
    std::string contest;
    Setup() {
        char tmpl[] = "/tmp/skywave-bench-diddle-XXXXXX";
        if (!mkdtemp(tmpl)) throw std::runtime_error("no scratch folder");
        folder = tmpl;
        contest = (folder / "observed.prp").string();
        skywave::Model o = sweep_model();
        o.consts.sf_index = 120;
        skywave::MessageLog log;
        skywave::RunHooks hooks;
        if (!skywave::InitCalc(o, log) ||
            skywave::MainCalcs(o, contest, hooks, log) != skywave::RunOutcome::completed)
            throw std::runtime_error("the contest file could not be made");
        skywave::EndCalc(o);
    }
    ~Setup() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

class CountingHooks : public skywave::SweepHooks {
public:
    void progress(long done, long) override { runs = std::max(runs, done); }
    long runs = 0;
};

std::string without_times(const std::string& report) {
    static const std::regex stamp(R"([A-Z][a-z]{2} [A-Z][a-z]{2} \d{2} \d{2}:\d{2}:\d{2} \d{4})");
    static const std::regex elapsed(R"(ELAPSED TIME: \d+ SECONDS)");
    return std::regex_replace(std::regex_replace(report, stamp, "<T>"), elapsed,
                              "ELAPSED TIME: <N> SECONDS");
}

std::optional<std::string> g_first_report;
bool g_reports_differ = false;

void diddle(benchmark::State& state) {
    const int jobs = int(state.range(0));
    Setup& s = setup();
    const std::string report_name =
        (s.folder / ("report-" + std::to_string(jobs) + ".did")).string();
    const std::string scratch = (s.folder / ("scratch-" + std::to_string(jobs) + ".mof")).string();
    long runs = 0;
    for (auto _ : state) {
        skywave::Model m = sweep_model();
        skywave::MessageLog log;
        CountingHooks hooks;
        std::unique_ptr<skywave::Report> report = skywave::Report::create(report_name);
        if (!report) {
            state.SkipWithError("the report cannot be created");
            break;
        }
        const bool finished =
            skywave::DiddleConsts(m, skywave::read_file_text(s.contest), *report, scratch, jobs,
                                  hooks, log) == skywave::SweepOutcome::scored;
        if (!report->close() || !finished || !log.entries.empty()) {
            state.SkipWithError("the sweep did not complete");
            break;
        }
        runs = hooks.runs;

        state.PauseTiming();
        std::ifstream in(report_name, std::ios::binary);
        const std::string text = without_times(std::string(std::istreambuf_iterator<char>(in), {}));
        if (!g_first_report) g_first_report = text;
        const bool same = text == *g_first_report;
        state.ResumeTiming();
        if (!same) {
            g_reports_differ = true;
            state.SkipWithError("the report differs from the first sweep's");
            break;
        }
    }
    state.counters["runs"] = double(runs);
}

BENCHMARK(diddle)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// Keeps the wall time of every repetition of every benchmark, and the medians when
// repetitions are aggregated.
class Capture : public benchmark::ConsoleReporter {
public:
    Capture() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.error_occurred) continue;
            if (r.run_type == Run::RT_Iteration)
                times[r.run_name.args].push_back(r.GetAdjustedRealTime());
            else if (r.aggregate_name == "median")
                medians[r.run_name.args] = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The median wall time of the benchmark with this argument ("1", "2"), or 0.
    double median(const std::string& args) const {
        if (const auto m = medians.find(args); m != medians.end()) return m->second;
        const auto t = times.find(args);
        if (t == times.end() || t->second.empty()) return 0;
        std::vector<double> v = t->second;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

private:
    std::map<std::string, std::vector<double>> times;
    std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Capture capture;
    benchmark::RunSpecifiedBenchmarks(&capture);
    benchmark::Shutdown();
    if (g_reports_differ) {
        std::fprintf(stderr,
                     "FAILED: the diddle reports differ between sweeps (time stamps aside)\n");
        return 1;
    }
    const double t1 = capture.median("1"), t2 = capture.median("2");
    if (t1 > 0 && t2 > 0)
        std::printf("jobs 1: %.0f ms, jobs 2: %.0f ms, ratio %.2f (median wall time)\n", t1, t2,
                    t1 / t2);
    return 0;
}
