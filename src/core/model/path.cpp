#include "model/path.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "base/numbers.h"
#include "base/power.h"
#include "model/geomag.h"
#include "model/great_circle_cells.h"
#include "model/hop_ray.h"
#include "model/model.h"
#include "model/path_cache.h"

namespace skywave {

namespace {

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

// The angles of one hop reflected at height h_calc and their factors, into g (phi, m9,
// takeoff, sex, sex_factor); sin_hh and cos_hh are the sine and cosine of the half hop.
// With a cache, what follows from the take-off angle alone is remembered under its bits.
void hop_geometry(const Constants& k, float h_calc, float half_hop, double sin_hh, double cos_hh,
                  PathCache* cache, PathCache::Geometry& g) {
    const HopRay ray(h_calc, half_hop, sin_hh, cos_hh);
    g.phi = ray.phi(k);
    g.m9 = ray.m9(k, g.phi);
    g.takeoff = ray.takeoff(k);
    PathCache::ScalarMemo* by_takeoff =
        cache ? &cache->memo(PathCache::kByTakeoff, g.takeoff) : nullptr;
    if (by_takeoff && PathCache::holds(*by_takeoff, g.takeoff)) {
        g.sex = by_takeoff->f;
        g.sex_factor = by_takeoff->d;
    } else {
        g.sex = ray.sex(k, g.takeoff);
        g.sex_factor = power(std::fabs(D(g.sex)), D(k.sex_4));
        if (by_takeoff) PathCache::fill(*by_takeoff, g.takeoff, g.sex, g.sex_factor);
    }
}

// The hop range of a ray that leaves the ground horizontally and is reflected at h_calc.
float hop_range(const Constants& k, float h_calc, PathCache* cache) {
    if (k.recalc_maxhop_flag == 0) return k.maxhop;
    PathCache::ScalarMemo* by_height = cache ? &cache->memo(PathCache::kByHeight, h_calc) : nullptr;
    if (by_height && PathCache::holds(*by_height, h_calc)) return by_height->f;
    const float range = float(2 * std::acos(kEarthRadiusKm / (h_calc + kEarthRadiusKm)));
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

// One path traced in stages: where it reflects (the first split), its hop geometry
// (the second split) and what the ionosphere gives along it. The path pass runs the
// short and the long path of a target stage by stage side by side: the two are
// independent, and the processor overlaps their chains of loads and divisions.
class PathTracer {
public:
    PathTracer(Model& m, const PathTarget& t, bool long_path, bool cached);
    void find_reflection_height();
    void find_geometry();
    PathTrace finish();

private:
    // The midpoint cells of the current split. They are kept as an offset into the
    // path cache's arena, which the other path of a pair may enlarge (and move).
    const std::uint16_t* cells() const {
        return in_scratch_ ? scratch_ : m_.path_cache.cells(cells_at_);
    }
    // The cells under khop hop midpoints into scratch_; the start of the great circle
    // and the placement table are looked up for the first split that needs them.
    void place_midpoints(int khop, float half_hop, double sin_hh, double cos_hh) {
        if (!start_) {
            cp_ = range_azim{k_.rlat, k_.rlon, 0, 0, 0, azim_};
            start_ = great_circle_start(cp_);
            fast_ = m_.path_cache.great_circle_cells(k_.rlon, m_.grid);
        }
        midpoint_cells(m_.grid, fast_, cp_, *start_, khop, half_hop, sin_hh, cos_hh, scratch_);
    }

    Model& m_;
    const Constants& k_;
    const PathTarget& t_;
    bool long_path_;
    float pathlen_, azim_;
    PathCache::Entry* entry_ = nullptr;
    const GreatCircleCells* fast_ = nullptr;
    range_azim cp_{};
    std::optional<GreatCircleStart> start_;  // worked out when a split needs it
    int khop_ = 0;
    float h_calc_ = 0;
    PathCache::Geometry g_{};                    // worked out here, or
    const PathCache::Geometry* geometry_ = &g_;  // the one the cache knew
    bool in_scratch_ = false;
    std::uint32_t cells_at_ = 0;
    // Room for the midpoints of any hop count hop_count gives.
    std::uint16_t scratch_[1000];
};

PathTracer::PathTracer(Model& m, const PathTarget& t, bool long_path, bool cached)
    : m_(m), k_(m.consts), t_(t), long_path_(long_path), pathlen_(t.pathlen), azim_(t.azim) {
    if (long_path) {
        azim_ = float(D(azim_) + kPi);
        if (azim_ > kTwoPi) azim_ = float(D(azim_) - kTwoPi);
        pathlen_ = float(D(kTwoPi) - pathlen_);
    }
    if (cached) entry_ = &m.path_cache.select(long_path ? 1 : 0, t.row, t.col, pathlen_, azim_);
}

// First split, with the constant hop range: where does the path reflect?
void PathTracer::find_reflection_height() {
    PathCache& cache = m_.path_cache;
    if (entry_ && entry_->khop1 != 0) {
        khop_ = entry_->khop1;
        cells_at_ = entry_->cells1;
    } else {
        khop_ = hop_count(D(pathlen_) / k_.maxhop);
        const float half_hop = float(D(pathlen_) / (2 * D(khop_)));
        const double sin_hh = std::sin(D(half_hop)), cos_hh = std::cos(D(half_hop));
        place_midpoints(khop_, half_hop, sin_hh, cos_hh);
        in_scratch_ = true;
        // Kept as the hops of their count: a second split with as many hops (the same
        // half hop) finds them there.
        if (entry_ && khop_ <= PathCache::kMaxHops) {
            entry_->khop1 = std::uint16_t(khop_);
            entry_->cells1 =
                cache.store_hops(*entry_, khop_, scratch_, half_hop, sin_hh, cos_hh).cells;
            cells_at_ = entry_->cells1;
            in_scratch_ = false;
        }
    }
    // These sums and the mean are taken in float: a sum or quotient of two floats
    // worked out in double and rounded to float is the float sum or quotient itself
    // (double carries more than twice the float's digits), and it saves the
    // conversions on the chain from one hop to the next.
    // A cell's number is its offset in an array's block of MAX_ROWS x MAX_COLS.
    const float* const layer_height = &m_.arrays->h[0][0];
    const std::uint16_t* const cells = this->cells();
    float h_avg = 0;
    float h_min = 1000.0f;
    for (int i = 0; i < khop_; ++i) {
        const float h = layer_height[cells[i]];
        h_avg += h;
        if (h < h_min) h_min = h;
    }
    h_avg /= float(khop_);
    h_calc_ = k_.h_min_flag != 0 ? h_min : h_avg;
}

// Second split, with the range of a hop that leaves the ground horizontally and is
// reflected at that height. All of it follows from the height, so a height the path
// has seen before gives back what it gave then.
void PathTracer::find_geometry() {
    if (const PathCache::Geometry* known =
            entry_ ? PathCache::find_geometry(*entry_, h_calc_) : nullptr) {
        geometry_ = known;  // in the entry, which the other path of a pair leaves alone
        cells_at_ = known->cells;
        in_scratch_ = false;
        return;
    }
    PathCache* cache = entry_ ? &m_.path_cache : nullptr;
    PathCache::Geometry& g = g_;
    g.calc_maxhop = hop_range(k_, h_calc_, cache);
    g.khop = hop_count(D(pathlen_) / g.calc_maxhop);
    const PathCache::HopSlot* known_hops = entry_ ? PathCache::find_hops(*entry_, g.khop) : nullptr;
    PathCache::HopSlot hops{};
    if (known_hops) {
        hops = *known_hops;
        g.half_hop = hops.half_hop;
    } else {
        g.half_hop = float(D(pathlen_) / (2 * D(g.khop)));
        hops.sin_half_hop = std::sin(D(g.half_hop));
        hops.cos_half_hop = std::cos(D(g.half_hop));
        place_midpoints(g.khop, g.half_hop, hops.sin_half_hop, hops.cos_half_hop);
    }
    hop_geometry(k_, h_calc_, g.half_hop, hops.sin_half_hop, hops.cos_half_hop, cache, g);
    if (entry_ && g.khop <= PathCache::kMaxHops) {
        if (!known_hops)
            hops = m_.path_cache.store_hops(*entry_, g.khop, scratch_, g.half_hop,
                                            hops.sin_half_hop, hops.cos_half_hop);
        g.cells = hops.cells;
        m_.path_cache.store_geometry(*entry_, h_calc_, g);
    }
    // Cells neither known nor kept stay in the scratch space.
    in_scratch_ = !(known_hops || (entry_ && g.khop <= PathCache::kMaxHops));
    cells_at_ = hops.cells;
}

PathTrace PathTracer::finish() {
    const ResultArrays& a = *m_.arrays;
    const PathCache::Geometry& g = *geometry_;
    const int khop = g.khop;
    // The MOF is set by the weakest F2 layer along the path, the LOF by the sum of
    // the absorption at every hop.
    const float* const f2_mof = &a.g2[0][0];
    const float* const absorption = &a.ls[0][0];
    const std::uint16_t* const cells = this->cells();
    float clof = 0;
    float cmof = 100.0f;
    for (int i = 0; i < khop; ++i) {
        const float g2 = f2_mof[cells[i]];
        if (g2 < cmof) cmof = g2;
        clof += absorption[cells[i]];  // in float, as the heights above
    }
    // The point cursor is left on the last midpoint's cell.
    m_.lat_idx = cells[khop - 1] / MAX_COLS;
    m_.lon_idx = cells[khop - 1] % MAX_COLS;

    const Constants& k = k_;
    if (!long_path_ && trans_equatorial(m_, t_, azim_)) cmof = float(D(k.te_1) * cmof);
    cmof = clamp_to(float(D(g.m9) * cmof), 1.0f, 50.0f);
    clof = clamp_to(lof_of_absorption(k, float(D(clof) * g.sex_factor)), 1.0f, 50.0f);

    PathTrace p;
    p.pathlen = pathlen_;
    p.azim = azim_;
    p.cmof = cmof;
    p.clof = clof;
    p.khop = khop;
    p.half_hop = g.half_hop;
    p.h_calc = h_calc_;
    p.calc_maxhop = g.calc_maxhop;
    p.phi = g.phi;
    p.m9 = g.m9;
    p.takeoff = g.takeoff;
    p.sex = g.sex;
    p.blackout = cmof < clof;
    p.mof = cmof;
    p.lof = clof;
    if (p.blackout && (long_path_ ? k.lp_bo_flag : k.bo_flag) != 0) {
        p.mof = 0;
        p.lof = 50.0f;
    }
    return p;
}

// A path's results in the result arrays of its grid point.
void store_path(Model& m, const PathTrace& p, bool long_path) {
    ResultArrays& a = *m.arrays;
    const int pr = m.p_lat_idx, pc = m.p_lon_idx;
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

PathTarget grid_point_target(const Model& m) {
    const ResultArrays& a = *m.arrays;
    const int pr = m.p_lat_idx, pc = m.p_lon_idx;
    return {a.pathlen[pr][pc], a.azim[pr][pc], pr, pc, m.p_lat};
}

}  // namespace

// The LOF from the path's absorption x: clof_3 x^clof_4 + clof_2 x + clof_1. For a
// root (clof_4 = 1/2, the default) the square root stands for the power: both lie
// within an ulp of each other (pow within 0.52 ulp of the exact root, the square root
// within half), so with the roundings of the sum the value lies within 2^-50 of the
// terms' sizes of the library's, and is taken where no float edge lies near that.
float lof_of_absorption(const Constants& k, float x) {
    if (k.clof_4 == 0.5f && x > 0) {
        const double root = std::sqrt(D(x));
        const double v = D(k.clof_3) * root + D(k.clof_2) * x + k.clof_1;
        const double size =
            std::fabs(D(k.clof_3) * root) + std::fabs(D(k.clof_2) * x) + std::fabs(D(k.clof_1));
        // Without cancellation (the default curve has none) the bound is relative.
        if (size <= 4 * std::fabs(v)) {
            if (const std::optional<float> f = float_within_relative(v, 0x1p-44)) return *f;
        } else if (const std::optional<float> f = float_within(v, size * 0x1p-46)) {
            return *f;
        }
    }
    return float(D(k.clof_3) * power(D(x), D(k.clof_4)) + D(k.clof_2) * x + k.clof_1);
}

PathTrace trace_path(Model& m, const PathTarget& t, bool long_path, bool cached) {
    PathTracer path(m, t, long_path, cached);
    path.find_reflection_height();
    path.find_geometry();
    return path.finish();
}

void path_mof(Model& m, char path) {
    const bool long_path = path == 'L';
    const PathTarget target = grid_point_target(m);
    store_path(m, trace_path(m, target, long_path, true), long_path);
}

void path_mofs(Model& m) {
    const PathTarget target = grid_point_target(m);
    PathTracer short_path(m, target, false, true), long_path(m, target, true, true);
    short_path.find_reflection_height();
    long_path.find_reflection_height();
    short_path.find_geometry();
    long_path.find_geometry();
    store_path(m, short_path.finish(), false);
    store_path(m, long_path.finish(), true);
}

}  // namespace skywave
