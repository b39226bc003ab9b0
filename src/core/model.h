// One complete model state: constants, grid, result arrays, run dates, the date and
// point values the stages share, and the run switches. Two models never share state,
// so two runs can proceed on two threads.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "constants.h"
#include "grid.h"
#include "path_cache.h"
#include "result_arrays.h"

namespace skywave {

class MessageSink;

// The date rectangle of a run: days start_day ... stop_day of each month
// start_month ... stop_month, in steps.
struct RunDates {
    float start_day = 0, start_month = 0;
    float stop_day = 0, stop_month = 0;
    float step_day = 0, step_month = 0;
};

struct Model {
    Constants consts;
    DiddleFlags diddle_flag{};
    Grid grid;
    std::unique_ptr<ResultArrays> arrays;  // present between InitCalc and EndCalc
    PathCache path_cache;

    RunDates dates;

    // values of the date being computed
    float ssn = 0, ak_factor = 0, julian_date = 0, sol_lat = 0;
    float a1 = 0, cf_noon_max = 0;

    // the point being computed: geometry and ionosphere passes ...
    int lat_idx = 0, lon_idx = 0;
    float cur_lat = 0, cur_lon = 0;
    // ... and the path pass and the file writer
    int p_lat_idx = 0, p_lon_idx = 0;
    float p_lat = 0, p_lon = 0;

    // switches, as read for the current step
    int file_flag = 0;
    int exam_flag = 0;
    int change_flag = 0;

    // set once the constants have been brought into their starting state
    int CalcInitDone = 0;

    // the prediction file
    std::string file_name;
    std::string header_line;
    std::FILE* data_file = nullptr;
    std::string screen_buffer;  // one screen, built before it is written

    // the comparison: file 2 of the score engine
    int compare_flag = 0;
    std::string compare_name;
};

// Sets up the grid from display_grain and gets cleared result arrays for a run.
// Reports and returns false when the memory cannot be had.
bool InitCalc(Model& m, MessageSink& messages);
// Releases the result arrays.
void EndCalc(Model& m);

}  // namespace skywave
