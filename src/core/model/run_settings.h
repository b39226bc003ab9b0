// What a run is asked to do: the constants in force (which hold the QTH, the dates'
// start, the times, the solar indices and the grain), the sweep marks, the grid the
// grain selects and the date rectangle. One plain value: a sweep's worker copies it
// whole, so a setting added here reaches every thread.
#pragma once

#include "model/constants.h"
#include "model/grid.h"

namespace skywave {

// The date rectangle of a run: days start_day ... stop_day of each month
// start_month ... stop_month, in steps.
struct RunDates {
    float start_day = 0, start_month = 0;
    float stop_day = 0, stop_month = 0;
    float step_day = 0, step_month = 0;
};

struct RunSettings {
    Constants consts;
    DiddleFlags diddle_flag{};
    // Follows display_grain; a grain out of range keeps the grid in force.
    Grid grid;
    RunDates dates;
    // set once the constants have been brought into their starting state
    int CalcInitDone = 0;
};

}  // namespace skywave
