// MOF and LOF of the radio path from the QTH to a target point, sampling the
// ionosphere of the step at the grid cells under the hop midpoints.
#pragma once

namespace skywave {

struct Constants;
struct Model;

// The target of a path: the short path's length and azimuth (radians) from the QTH,
// the grid cell that holds the target and its latitude (radians).
struct PathTarget {
    float pathlen, azim;
    int row, col;
    float lat;
};

// Everything the computation of one path finds.
struct PathTrace {
    float pathlen = 0, azim = 0;  // of this path (the long one goes the other way round)
    float cmof = 0, clof = 0;     // before a blackout is applied
    float mof = 0, lof = 0;       // as the model reports them
    int khop = 0;
    float half_hop = 0, h_calc = 0, calc_maxhop = 0;
    float phi = 0, m9 = 0, takeoff = 0, sex = 0;
    bool blackout = false;
};

// The LOF of a path whose hops' absorption adds up to x (scaled by the take-off
// factor): clof_3 x^clof_4 + clof_2 x + clof_1, before its clamp.
float lof_of_absorption(const Constants& k, float x);

// The short (long_path false) or long path to the target, for the step whose
// ionosphere the model's arrays hold. cached: the hop midpoints are remembered in the
// path cache under the target's cell (only for grid points, whose path is the cell's);
// the pass must have called the cache's begin_pass with the constants in force.
PathTrace trace_path(Model& m, const PathTarget& target, bool long_path, bool cached);

// The path to the grid point (p_lat_idx, p_lon_idx): 'S' for the short great-circle
// path, 'L' for the long one, into the result arrays. Cached, as trace_path.
void path_mof(Model& m, char path);

// Both paths to the grid point, traced side by side into the result arrays: the same
// as path_mof(m, 'S') followed by path_mof(m, 'L').
void path_mofs(Model& m);

}  // namespace skywave
