// The model of one run: its settings and the state the run computes — the result
// arrays, the values of the date, the point being computed and the path caches. Two
// models never share state, so two runs can proceed on two threads.
#pragma once

#include <memory>
#include <string>

#include "model/f2_layer.h"
#include "model/path_cache.h"
#include "model/polar_f2.h"
#include "model/result_arrays.h"
#include "model/run_settings.h"

namespace skywave {

class MessageSink;

struct Model : RunSettings {
    RunSettings& settings() { return *this; }
    const RunSettings& settings() const { return *this; }

    std::unique_ptr<ResultArrays> arrays;  // present between InitCalc and EndCalc
    PathCache path_cache;
    PolarCells polar_cells;
    G2Rows g2_rows;

    // values of the date being computed
    float ssn = 0, ak_factor = 0, julian_date = 0, sol_lat = 0;
    float a1 = 0, cf_noon_max = 0;

    // the point being computed: geometry and ionosphere passes ...
    int lat_idx = 0, lon_idx = 0;
    float cur_lat = 0, cur_lon = 0;
    // ... and the path pass and the screen writer
    int p_lat_idx = 0, p_lon_idx = 0;
    float p_lat = 0, p_lon = 0;

    // switches, as read for the current step
    int exam_flag = 0;
    int change_flag = 0;

    // the header of the step computed (or replayed) last, with its line end
    std::string header_line;
};

// Sets up the grid from display_grain and gets cleared result arrays for a run.
// Reports and returns false when the memory cannot be had.
bool InitCalc(Model& m, MessageSink& messages);
// Releases the result arrays.
void EndCalc(Model& m);

}  // namespace skywave
