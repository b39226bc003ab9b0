// Speed of the map pictures.
//
//   replay_rect/G   one replayed screen composed at grain G in the rectangular view with
//                   every overlay: the world map, the cells of both paths merged, the sun
//                   symbols, the great circles and the QTH marker.
//   replay_polar_north, replay_polar_qth
//                   the same at grain 1, then turned into the polar view around the North
//                   Pole or around the QTH (one great-circle computation per disc pixel).
//
// The screens come from a real run written to a scratch folder beforehand; only the
// composition is timed.
//
//   ./build/release/bench/bench_map --benchmark_min_time=2
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/messages.h"
#include "files/replay.h"
#include "map/map_view.h"
#include "model/constants.h"
#include "model/model.h"
#include "run/driver.h"

namespace {

using namespace skywave;

// A model replaying screen 13 (12 UTC on 5 March) of a run at the given grain.
struct Replayed {
    Model m;
    ReplayScreen screen;

    explicit Replayed(int grain) {
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() / "skywave-bench-map";
        std::filesystem::create_directories(dir);
        Model run;
        init_consts(run.consts);
        run.CalcInitDone = 1;
        run.consts.display_grain = float(grain);
        run.dates = {5, 3, 5, 3, 1, 1};
        const std::string file = (dir / ("g" + std::to_string(grain) + ".mof")).string();
        MessageLog log;
        RunHooks hooks;
        if (!InitCalc(run, log) || MainCalcs(run, file, hooks, log) != RunOutcome::completed)
            std::abort();
        EndCalc(run);
        ReplayFile replay;
        if (!replay.open(file, m, log)) std::abort();
        for (int i = 0; i < 13; ++i)
            replay.ReadScreen(m, screen);
    }
};

ViewState everything(ViewState::Projection projection) {
    ViewState v;
    v.map = v.qth = v.sun = v.great_circles = true;
    v.short_path = v.long_path = true;
    v.projection = projection;
    return v;
}

void compose(benchmark::State& state, int grain, ViewState::Projection projection) {
    Replayed r(grain);
    MapSurfaces surfaces;
    const ViewState view = everything(projection);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DrawReplay(surfaces, r.m, r.screen, view));
        benchmark::ClobberMemory();
    }
}

void replay_rect(benchmark::State& state) {
    compose(state, int(state.range(0)), ViewState::rectangular);
}
void replay_polar_north(benchmark::State& state) {
    compose(state, 1, ViewState::polar_north);
}
void replay_polar_qth(benchmark::State& state) {
    compose(state, 1, ViewState::polar_qth);
}

}  // namespace

BENCHMARK(replay_rect)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(replay_polar_north)->Unit(benchmark::kMillisecond);
BENCHMARK(replay_polar_qth)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
