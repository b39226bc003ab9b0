// The model's result arrays: one float per grid point (or per row) for every stage's
// output, fixed blocks of MAX_ROWS x MAX_COLS whatever the grain.
#pragma once

#include <array>
#include <cstddef>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "base/large_pages.h"
#include "model/grid.h"

namespace skywave {

using Array2D = float[MAX_ROWS][MAX_COLS];
using Array1D = float[MAX_ROWS];

struct ResultArrays {
    // geometry
    Array2D pathlen, azim, mlat, mlon;
    Array1D c_sol_zen, day_len;
    Array2D sol_angle, t_noon, t_sunrise, t_sunset;
    // E layer
    Array2D fe, ex, ls;
    // F2 layer
    Array2D t9, u, u1, g8, g9, g0_n, g2a_n, g0_d, cf_noon, g2a_d, g2a, h;
    // polar F2
    Array2D ff, plr, g2;
    // path results and intermediates
    Array2D mof, lof, longmof, longlof;
    Array2D h_calc, maxhop, khop, half_hop, phi, takeoff, m9, sex, blackout;
    Array2D h_calc_lp, longmaxhp, khop_lp, halfhoplp, longphi, lptakeoff, m9_lp, longsex, lpblack;
    // scratch for showing a per-row array as a map
    Array2D work_array;

    // Over half a megabyte, cleared or copied whole when made: one large page.
    static void* operator new(std::size_t bytes) { return large_page_block(bytes); }
    static void operator delete(void* p) { large_page_release(p); }
};

// The examinable arrays, in the order the examination lists them.
struct disp_array {
    const char* title;
    Array2D ResultArrays::*array2d;  // set for type 1
    Array1D ResultArrays::*array1d;  // set for type 2
    int type;                        // 1 = per point, 2 = per row, 50 = the "other" values
    float scale_factor;              // 57.29578 for angles, shown in degrees
};

inline constexpr int kDispArrayCount = 51;
extern const std::array<disp_array, kDispArrayCount> disp_arrays;

// The index of the examinable array with this title, if any.
std::optional<int> find_disp_array(std::string_view title);

// The value of a listed array at a grid point (per-row arrays repeat along the row).
float disp_value(const ResultArrays& a, const disp_array& d, int row, int col);

}  // namespace skywave
