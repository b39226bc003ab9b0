// The world grid: latitude bands (rows) and longitude bands (columns).
//
// Longitudes are west-positive throughout the engine (0 ... 2 pi); row 0 is the
// northernmost band. The grain selects one of three resolutions.
#pragma once

namespace skywave {

inline constexpr int MAX_ROWS = 38;  // one more than the most rows of any grain
inline constexpr int MAX_COLS = 80;

struct Grid {
    int n_rows = 0;
    int n_cols = 0;
    int out_rows = 0;  // the last row written to a prediction file screen
    int cell_scale = 0;
    float rows_per_rad = 0;
    float cols_per_rad = 0;
    float lat_step = 0;
    float lon_step = 0;

    // Centre latitude of row r and centre (west) longitude of column c, radians.
    float row_lat(int r) const;
    float col_lon(int c) const;
};

// The grain table: n_rows, n_cols and cell_scale of grains 1 to 3.
struct GrainInfo {
    int n_rows;
    int n_cols;
    int cell_scale;
    const char* label;  // as the run settings show it
};
const GrainInfo* grain_info(int grain);

// Truncates display_grain; grains 1 to 3 select their resolution, anything else
// keeps the one in force. The derived steps are recomputed in every case.
void set_grain(Grid& g, float display_grain);

}  // namespace skywave
