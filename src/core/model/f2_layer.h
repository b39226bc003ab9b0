// The F2 layer at one grid point (the G model): mid-latitude critical frequency and
// reflection height, in one of three regimes: day, night or polar night.
#pragma once

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

// The cell (lat_idx, lon_idx), with the values of its row.
void calc_g2(Model& m, const G2Row& row);
void calc_g2(Model& m);
// calc_g2 for every column of row lat_idx (the same floats, fewer library calls).
void calc_g2_row(Model& m, const G2Row& row);

}  // namespace skywave
