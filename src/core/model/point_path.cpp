#include "model/point_path.h"

#include <cmath>

#include "base/numbers.h"
#include "model/geomag.h"
#include "model/model.h"
#include "model/path.h"

namespace skywave {

namespace {

PointPath path_of(Model& m, const PathTarget& target, bool long_path, bool switched_on) {
    const PathTrace t = trace_path(m, target, long_path, false);
    PointPath p;
    p.distance_km = D(t.pathlen) * kEarthRadiusKm;
    p.bearing_deg = D(t.azim) * kDegPerRad;
    if (!switched_on) return p;
    p.mof = t.mof;
    p.lof = t.lof;
    p.hops = t.khop;
    return p;
}

}  // namespace

PointPaths point_paths(Model& m, float lat, float lon_west) {
    const Constants& k = m.consts;
    // The geometry pass's arithmetic, for this one point.
    range_azim tx{k.rlat, k.rlon, lat, lon_west, 0, 0};
    compute_range_azim(&tx);
    const Grid& g = m.grid;
    const PathTarget target{tx.range, tx.azim,
                            cell_index((D(kHalfPi) - lat) * g.rows_per_rad, g.n_rows),
                            cell_index(D(lon_west) * g.cols_per_rad, g.n_cols), lat};
    return {path_of(m, target, false, k.sp_flag != 0), path_of(m, target, true, k.lp_flag != 0)};
}

}  // namespace skywave
