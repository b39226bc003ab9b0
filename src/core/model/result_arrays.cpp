#include "model/result_arrays.h"

namespace skywave {

namespace {
constexpr float kDeg = 57.29578f;
#define A2(name, scale)                               \
    disp_array {                                      \
#name, &ResultArrays::name, nullptr, 1, scale \
    }
#define A1(name)                                  \
    disp_array {                                  \
#name, nullptr, &ResultArrays::name, 2, 1 \
    }
}  // namespace

const std::array<disp_array, kDispArrayCount> disp_arrays = {{
    A2(pathlen, kDeg),
    A2(azim, kDeg),
    A2(mlat, kDeg),
    A2(mlon, kDeg),
    A1(c_sol_zen),
    A2(sol_angle, kDeg),
    A1(day_len),
    A2(t_noon, 1),
    A2(t_sunrise, 1),
    A2(t_sunset, 1),
    A2(t9, 1),
    A2(u, 1),
    A2(u1, 1),
    A2(g8, 1),
    A2(g9, 1),
    A2(g0_n, 1),
    A2(g2a_n, 1),
    A2(g0_d, 1),
    A2(cf_noon, 1),
    A2(g2a_d, 1),
    A2(g2a, 1),
    A2(ff, 1),
    A2(plr, 1),
    A2(g2, 1),
    A2(h, 1),
    A2(fe, 1),
    A2(ex, 1),
    A2(ls, 1),
    A2(h_calc, 1),
    A2(maxhop, kDeg),
    A2(khop, 1),
    A2(half_hop, kDeg),
    A2(phi, kDeg),
    A2(takeoff, kDeg),
    A2(m9, 1),
    A2(sex, 1),
    A2(mof, 1),
    A2(lof, 1),
    A2(blackout, 1),
    A2(h_calc_lp, 1),
    A2(longmaxhp, kDeg),
    A2(khop_lp, 1),
    A2(halfhoplp, kDeg),
    A2(longphi, kDeg),
    A2(lptakeoff, kDeg),
    A2(m9_lp, 1),
    A2(longsex, 1),
    A2(longmof, 1),
    A2(longlof, 1),
    A2(lpblack, 1),
    disp_array{"other", nullptr, nullptr, 50, 1},
}};

#undef A1
#undef A2

std::optional<int> find_disp_array(std::string_view title) {
    for (int i = 0; i < kDispArrayCount; ++i)
        if (title == disp_arrays[i].title) return i;
    return std::nullopt;
}

float disp_value(const ResultArrays& a, const disp_array& d, int row, int col) {
    if (d.array2d) return (a.*d.array2d)[row][col];
    if (d.array1d) return (a.*d.array1d)[row];
    return 0;
}

}  // namespace skywave
