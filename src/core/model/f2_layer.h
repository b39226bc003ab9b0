// The F2 layer at one grid point (the G model): mid-latitude critical frequency and
// reflection height, in one of three regimes: day, night or polar night.
#pragma once

#include <cstdint>

#include "model/constants.h"
#include "model/grid.h"

namespace skywave {

struct Model;

// What the F2 layer of a cell takes from its row and the run: the noon sun and the
// day length are a row's, the solar and magnetic indices the run's. Worked out once
// per row, exactly as the per-cell formulas would (the same operations in the same
// order), so a cell only does the arithmetic that depends on its hour.
struct G2Row {
    float day_length, c_sol_zen, abs_c_sol_zen;
    bool polar_night;
    // the indices' terms of the height, and the exponents and scale of the profile
    double h_ssn_n, h_ak_n, h_ssn_d, h_ak_d;
    double n_inner, n_outer, n_scale, d_inner, d_outer, d_scale;
    // night
    float a1, t9_n, g8_n, u1, h1_n, g2a_polar;
    double g0_n_num, g0_n_den, h81_n;
    // day
    float cf_noon_max, cf_noon_month, t9_d, g8_d, h1_d;
    double g0_d_scale, g0_d_den, cf_d, h81_d;
};

// The row values of row r (its day length and noon zenith cosine must be computed).
G2Row g2_row(const Model& m, int r);

// The row values of every row through a date's steps: they do not change with the
// hour, only with a row's day length and noon sun, the indices and the constants.
// Each is kept under the exact bits of those and handed back while they stay.
class G2Rows {
public:
    // Forgets every row if an index or a constant changed (the hour and the date
    // aside, which the row values do not read): once per pass, before row().
    void begin_pass(const Model& m);
    const G2Row& row(const Model& m, int r);

private:
    struct Kept {
        std::uint32_t day_length, c_sol_zen;
        bool valid = false;
        G2Row row;
    };
    Kept rows_[MAX_ROWS];
    // What every row's values were worked out from: the constants and the indices.
    Constants consts_;
    float ssn_ = 0, ak_factor_ = 0;
};

// The cell (lat_idx, lon_idx), with the values of its row.
void calc_g2(Model& m, const G2Row& row);
void calc_g2(Model& m);
// calc_g2 for every column of row lat_idx (the same floats, fewer library calls).
void calc_g2_row(Model& m, const G2Row& row);

}  // namespace skywave
