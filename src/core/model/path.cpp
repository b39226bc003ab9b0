#include "model/path.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "base/numbers.h"
#include "base/power.h"
#include "model/geomag.h"
#include "model/great_circle_cells.h"
#include "model/model.h"
#include "model/path_cache.h"

namespace skywave {

namespace {

constexpr double kEarthRadius = 6371.0;  // km

int sign_of(float v) {
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// The grid cells under the hop midpoints of the path from start split into khop
// hops, row * MAX_COLS + column, into cells; found by `fast` where it is given, which
// takes the sine and cosine of the half hop.
void midpoint_cells(const Grid& grid, const GreatCircleCells* fast, range_azim& cp,
                    const GreatCircleStart& start, int khop, float half_hop, double sin_half_hop,
                    double cos_half_hop, std::uint16_t* cells) {
    if (fast) {
        fast->midpoint_cells(cp, start, khop, half_hop, sin_half_hop, cos_half_hop, cells);
        return;
    }
    for (int hop_counter = 1; hop_counter <= khop; ++hop_counter) {
        const float hop_fraction = float(2 * hop_counter - 1);
        cells[hop_counter - 1] = point_cell(grid, cp, start, float(D(half_hop) * hop_fraction));
    }
}

// Ray geometry of one hop reflected at height h_calc: the angle of incidence at the
// layer (from the vertical) and the take-off angle at the ground.
struct HopGeometry {
    float phi, m9, takeoff, sex;
    double sex_factor;  // |sex| ^ sex_4
};

// sin_hh and cos_hh are the sine and cosine of the half hop. With a cache, what
// follows from the height or from one angle alone is remembered under its bits.
HopGeometry hop_geometry(const Constants& k, float h_calc, double sin_hh, double cos_hh,
                         PathCache* cache) {
    HopGeometry g;
    const D R = kEarthRadius;
    g.phi = clamp_to(float(std::atan(sin_hh / ((R + h_calc) / R - cos_hh))), k.min_phi, k.max_phi);
    PathCache::ScalarMemo* by_phi = cache ? &cache->memo(PathCache::kByPhi, g.phi) : nullptr;
    if (by_phi && PathCache::holds(*by_phi, g.phi)) {
        g.m9 = by_phi->f;
    } else {
        g.m9 = float(D(k.m9_1) / std::cos(D(g.phi)));
        if (by_phi) PathCache::fill(*by_phi, g.phi, g.m9, 0);
    }
    // At zero range the quotient's denominator is sin 0: the arctangent of the
    // infinite quotient is pi/2, and the clamp takes it to max_takeoff.
    g.takeoff = clamp_to(float(std::atan((cos_hh - R / (h_calc + R)) / sin_hh)), k.min_takeoff,
                         k.max_takeoff);
    PathCache::ScalarMemo* by_takeoff =
        cache ? &cache->memo(PathCache::kByTakeoff, g.takeoff) : nullptr;
    if (by_takeoff && PathCache::holds(*by_takeoff, g.takeoff)) {
        g.sex = by_takeoff->f;
        g.sex_factor = by_takeoff->d;
    } else {
        g.sex = float(D(k.sex_1) - D(k.sex_2) * power(std::cos(D(g.takeoff)), D(k.sex_3)));
        g.sex_factor = power(std::fabs(D(g.sex)), D(k.sex_4));
        if (by_takeoff) PathCache::fill(*by_takeoff, g.takeoff, g.sex, g.sex_factor);
    }
    return g;
}

// The hop range of a ray that leaves the ground horizontally and is reflected at h_calc.
float hop_range(const Constants& k, float h_calc, PathCache* cache) {
    if (k.recalc_maxhop_flag == 0) return k.maxhop;
    PathCache::ScalarMemo* by_height = cache ? &cache->memo(PathCache::kByHeight, h_calc) : nullptr;
    if (by_height && PathCache::holds(*by_height, h_calc)) return by_height->f;
    const float range = float(2 * std::acos(kEarthRadius / (h_calc + kEarthRadius)));
    if (by_height) PathCache::fill(*by_height, h_calc, range, 0);
    return range;
}

// The trans-equatorial enhancement applies to a short path whose ends lie on
// opposite sides of the (magnetic) equator within a band of latitude, heading
// towards the equator.
bool trans_equatorial(const Model& m, const PathTarget& t, float azim) {
    const Constants& k = m.consts;
    const ResultArrays& a = *m.arrays;
    float rmlat, tmlat;
    if (k.te_magflag != 0) {
        const int r = cell_index((D(kHalfPi) - k.rlat) * m.grid.rows_per_rad, m.grid.n_rows);
        const int c = cell_index(D(k.rlon) * m.grid.cols_per_rad, m.grid.n_cols);
        rmlat = a.mlat[r][c];
        tmlat = a.mlat[t.row][t.col];
    } else {
        rmlat = k.rlat;
        tmlat = t.lat;
    }
    if (sign_of(tmlat) == sign_of(rmlat)) return false;
    const auto in_band = [&](float lat) {
        return k.te_minlat <= std::fabs(lat) && std::fabs(lat) <= k.te_maxlat;
    };
    if (!in_band(tmlat) || !in_band(rmlat)) return false;
    if (k.rlat > 0) return D(kPi) - k.te_azim < azim && azim < D(kPi) + k.te_azim;
    if (k.rlat < 0) return azim < k.te_azim || azim > D(kTwoPi) - k.te_azim;
    return false;
}

}  // namespace

PathTrace trace_path(Model& m, const PathTarget& t, bool long_path, bool cached) {
    const Constants& k = m.consts;
    const ResultArrays& a = *m.arrays;
    PathTrace p;
    float pathlen = t.pathlen;
    float azim = t.azim;
    float clof = 0;
    float cmof = 100.0f;
    if (long_path) {
        azim = float(D(azim) + kPi);
        if (azim > kTwoPi) azim = float(D(azim) - kTwoPi);
        pathlen = float(D(kTwoPi) - pathlen);
    }
    p.pathlen = pathlen;
    p.azim = azim;
    PathCache::Entry* entry = nullptr;
    if (cached) {
        entry = &m.path_cache.select(long_path ? 1 : 0, t.row, t.col, pathlen, azim);
    }
    // Room for the midpoints of any hop count hop_count gives.
    std::uint16_t scratch[1000];
    const GreatCircleCells* fast = m.path_cache.great_circle_cells(k.rlon, m.grid);

    // First split, with the constant hop range: where does the path reflect?
    range_azim cp{k.rlat, k.rlon, 0, 0, 0, azim};
    std::optional<GreatCircleStart> start;  // worked out when a split needs it
    const auto start_of_path = [&]() -> const GreatCircleStart& {
        if (!start) start = great_circle_start(cp);
        return *start;
    };
    float h_avg = 0;
    float h_min = 1000.0f;
    int khop;
    float half_hop;
    const std::uint16_t* cells;
    if (entry && entry->khop1 != 0) {
        khop = entry->khop1;
        cells = m.path_cache.cells(entry->cells1);
    } else {
        khop = hop_count(D(pathlen) / k.maxhop);
        half_hop = float(D(pathlen) / (2 * D(khop)));
        const double sin_hh = std::sin(D(half_hop)), cos_hh = std::cos(D(half_hop));
        midpoint_cells(m.grid, fast, cp, start_of_path(), khop, half_hop, sin_hh, cos_hh, scratch);
        cells = scratch;
        // Kept as the hops of their count: a second split with as many hops (the same
        // half hop) finds them there.
        if (entry && khop <= PathCache::kMaxHops) {
            entry->khop1 = khop;
            entry->cells1 = m.path_cache.store_hops(*entry, khop, scratch, sin_hh, cos_hh).cells;
        }
    }
    // These sums and the mean are taken in float: a sum or quotient of two floats
    // worked out in double and rounded to float is the float sum or quotient itself
    // (double carries more than twice the float's digits), and it saves the
    // conversions on the chain from one hop to the next.
    // A cell's number is its offset in an array's block of MAX_ROWS x MAX_COLS.
    const float* const layer_height = &a.h[0][0];
    for (int i = 0; i < khop; ++i) {
        const float h = layer_height[cells[i]];
        h_avg += h;
        if (h < h_min) h_min = h;
    }
    h_avg /= float(khop);
    const float h_calc = k.h_min_flag != 0 ? h_min : h_avg;

    // Second split, with the range of a hop that leaves the ground horizontally and
    // is reflected at that height. All of it follows from the height, so a height the
    // path has seen before gives back what it gave then.
    const PathCache::Geometry* known = entry ? PathCache::find_geometry(*entry, h_calc) : nullptr;
    PathCache::Geometry g;
    if (known) {
        g = *known;
        cells = m.path_cache.cells(g.cells);
    } else {
        PathCache* cache = entry ? &m.path_cache : nullptr;
        g.calc_maxhop = hop_range(k, h_calc, cache);
        g.khop = hop_count(D(pathlen) / g.calc_maxhop);
        g.half_hop = float(D(pathlen) / (2 * D(g.khop)));
        const PathCache::HopSlot* known_hops =
            entry ? PathCache::find_hops(*entry, g.khop) : nullptr;
        PathCache::HopSlot hops{};
        if (known_hops) {
            hops = *known_hops;
        } else {
            hops.sin_half_hop = std::sin(D(g.half_hop));
            hops.cos_half_hop = std::cos(D(g.half_hop));
            midpoint_cells(m.grid, fast, cp, start_of_path(), g.khop, g.half_hop, hops.sin_half_hop,
                           hops.cos_half_hop, scratch);
        }
        const HopGeometry geo =
            hop_geometry(k, h_calc, hops.sin_half_hop, hops.cos_half_hop, cache);
        g.phi = geo.phi;
        g.m9 = geo.m9;
        g.takeoff = geo.takeoff;
        g.sex = geo.sex;
        g.sex_factor = geo.sex_factor;
        if (entry && g.khop <= PathCache::kMaxHops) {
            if (!known_hops)
                hops = m.path_cache.store_hops(*entry, g.khop, scratch, hops.sin_half_hop,
                                               hops.cos_half_hop);
            g.cells = hops.cells;
            g.h_bits = bits_of(h_calc);
            m.path_cache.store_geometry(*entry, g);
            cells = m.path_cache.cells(g.cells);
        } else {
            cells = known_hops ? m.path_cache.cells(hops.cells) : scratch;
        }
    }
    khop = g.khop;
    half_hop = g.half_hop;

    // The MOF is set by the weakest F2 layer along the path, the LOF by the sum of
    // the absorption at every hop.
    const float* const f2_mof = &a.g2[0][0];
    const float* const absorption = &a.ls[0][0];
    for (int i = 0; i < khop; ++i) {
        const float g2 = f2_mof[cells[i]];
        if (g2 < cmof) cmof = g2;
        clof += absorption[cells[i]];  // in float, as the heights above
    }
    // The point cursor is left on the last midpoint's cell.
    m.lat_idx = cells[khop - 1] / MAX_COLS;
    m.lon_idx = cells[khop - 1] % MAX_COLS;

    if (!long_path && trans_equatorial(m, t, azim)) cmof = float(D(k.te_1) * cmof);
    cmof = clamp_to(float(D(g.m9) * cmof), 1.0f, 50.0f);
    clof = float(D(clof) * g.sex_factor);
    clof = float(D(k.clof_3) * power(D(clof), D(k.clof_4)) + D(k.clof_2) * clof + k.clof_1);
    clof = clamp_to(clof, 1.0f, 50.0f);

    p.cmof = cmof;
    p.clof = clof;
    p.khop = khop;
    p.half_hop = half_hop;
    p.h_calc = h_calc;
    p.calc_maxhop = g.calc_maxhop;
    p.phi = g.phi;
    p.m9 = g.m9;
    p.takeoff = g.takeoff;
    p.sex = g.sex;
    p.blackout = cmof < clof;
    p.mof = cmof;
    p.lof = clof;
    if (p.blackout && (long_path ? k.lp_bo_flag : k.bo_flag) != 0) {
        p.mof = 0;
        p.lof = 50.0f;
    }
    return p;
}

void path_mof(Model& m, char path) {
    ResultArrays& a = *m.arrays;
    const int pr = m.p_lat_idx, pc = m.p_lon_idx;
    const bool long_path = path == 'L';
    const PathTarget target{a.pathlen[pr][pc], a.azim[pr][pc], pr, pc, m.p_lat};
    const PathTrace p = trace_path(m, target, long_path, true);
    (long_path ? a.longmof : a.mof)[pr][pc] = p.mof;
    (long_path ? a.longlof : a.lof)[pr][pc] = p.lof;
    if (m.exam_flag) {
        (long_path ? a.m9_lp : a.m9)[pr][pc] = p.m9;
        (long_path ? a.h_calc_lp : a.h_calc)[pr][pc] = p.h_calc;
        (long_path ? a.longphi : a.phi)[pr][pc] = p.phi;
        (long_path ? a.halfhoplp : a.half_hop)[pr][pc] = p.half_hop;
        (long_path ? a.khop_lp : a.khop)[pr][pc] = float(p.khop);
        (long_path ? a.lptakeoff : a.takeoff)[pr][pc] = p.takeoff;
        (long_path ? a.longsex : a.sex)[pr][pc] = p.sex;
        (long_path ? a.longmaxhp : a.maxhop)[pr][pc] = p.calc_maxhop;
        (long_path ? a.lpblack : a.blackout)[pr][pc] = p.blackout ? 1.0f : 0.0f;
    }
}

}  // namespace skywave
