#include "model/grid.h"

#include "base/numbers.h"

namespace skywave {

namespace {
constexpr GrainInfo kGrains[3] = {
    {37, 80, 5, "1 = 37x80"},
    {24, 40, 8, "2 = 24x40"},
    {13, 20, 16, "3 = 13x20"},
};
}

const GrainInfo* grain_info(int grain) {
    return grain >= 1 && grain <= 3 ? &kGrains[grain - 1] : nullptr;
}

void set_grain(Grid& g, float display_grain) {
    std::optional<int> grain = trunc_to_int(display_grain);
    if (const GrainInfo* info = grain ? grain_info(*grain) : nullptr) {
        g.n_rows = info->n_rows;
        g.n_cols = info->n_cols;
        g.cell_scale = info->cell_scale;
    }
    g.out_rows = g.n_rows - 2;
    g.rows_per_rad = float(D(g.n_rows) * kDegPerRad * (1.0 / 180));
    g.cols_per_rad = float(D(g.n_cols) * kDegPerRad * (1.0 / 360));
    g.lat_step = float(1 / D(g.rows_per_rad));
    g.lon_step = float(1 / D(g.cols_per_rad));
}

float Grid::row_lat(int r) const {
    return float(D(kHalfPi) - r * D(lat_step) - D(lat_step) * 0.5);
}

float Grid::col_lon(int c) const {
    return float(c * D(lon_step) + D(lon_step) * 0.5);
}

}  // namespace skywave
