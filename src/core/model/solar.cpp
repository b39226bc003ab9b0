#include "model/solar.h"

#include <cmath>
#include <optional>

#include "base/numbers.h"
#include "base/vector_math.h"
#include "model/column_memo.h"
#include "model/model.h"

namespace skywave {

void flux_to_ssn(Model& m) {
    const Constants& k = m.consts;
    // The root's argument turns negative for very low flux: no sunspots then.
    float ssn = float((std::sqrt(D(k.fms) - D(k.fm2) * (D(k.fm3) - k.sf_index)) - k.fm1) / k.fm4);
    if (ssn >= 250) ssn = 250;
    if (!(ssn > 0)) ssn = 0;
    m.ssn = ssn;
}

void calc_ak_factor(Model& m) {
    const Constants& k = m.consts;
    if (k.a_index > 0)
        m.ak_factor = float(D(k.ak_1) * k.k_index + D(k.ak_2) * std::log(D(k.a_index)));
    else
        m.ak_factor = k.k_index;
}

void calc_sol_lat(Model& m) {
    const Constants& k = m.consts;
    // A year of twelve 30.4-day months, measured as an angle that comes round on
    // 21 December, when the declination is furthest south.
    m.julian_date = float((30.4 * (D(k.month) - 1) + 10 + k.day) * kTwoPi * (1.0 / 365.25));
    m.sol_lat = float(-0.409 * std::cos(D(m.julian_date)));
}

void calc_c_sol_zen(Model& m) {
    m.arrays->c_sol_zen[m.lat_idx] = float(std::cos(D(m.cur_lat) - m.sol_lat));
}

void calc_day_length(Model& m) {
    const Constants& k = m.consts;
    const D lat = m.cur_lat;
    const D dec = -D(m.sol_lat);
    // Half the hours during which the zenith angle stays below day_length_1.
    float x = float((std::cos(D(k.day_length_1)) + std::sin(dec) * std::sin(lat)) /
                    (std::cos(dec) * std::cos(lat) + 0.001));
    if (x >= 1) x = 1;
    if (x <= -1) x = -1;
    m.arrays->day_len[m.lat_idx] = float(D(k.day_length_2) - D(k.day_length_3) * std::asin(D(x)));
}

float equation_of_time(const Model& m) {
    const D J = m.julian_date;
    return float(0.13 * (std::sin(J) + 1.2 * std::sin(2 * J)));
}

void calc_suntimes(Model& m) {
    calc_suntimes(m, equation_of_time(m));
}

void calc_suntimes(Model& m, float e) {
    ResultArrays& a = *m.arrays;
    const float d = a.day_len[m.lat_idx];
    // 3.82 hours per radian of west longitude.
    float noon = float(3.82 * D(m.cur_lon) + 12 + e);
    if (noon > 24)
        noon = float(D(noon) - 24);
    else if (noon <= 0)
        noon = float(D(noon) + 24);
    float rise = float(D(noon) - 0.5 * d);
    if (rise < 0) rise = float(D(rise) + 24);
    float set = float(D(noon) + 0.5 * d);
    if (set > 24) set = float(D(set) - 24);
    a.t_sunrise[m.lat_idx][m.lon_idx] = rise;
    a.t_sunset[m.lat_idx][m.lon_idx] = set;
    a.t_noon[m.lat_idx][m.lon_idx] = noon;
}

SolAngleRow sol_angle_row(const Model& m) {
    const D lat = m.cur_lat;
    const D dec = m.sol_lat;
    return {std::sin(lat) * std::sin(dec), std::cos(lat) * std::cos(dec)};
}

namespace {

// The cosine of the zenith angle at column c of row r.
double zenith_cosine(const Model& m, const SolAngleRow& row, ColumnCosines& hour_angle, int r,
                     int c) {
    const float h = float((D(m.consts.calc_time) - m.arrays->t_noon[r][c]) * 15 * kRadPerDeg);
    return row.sin_sin + row.cos_cos * hour_angle.cos(c, D(h));
}

}  // namespace

void calc_sol_angle(Model& m, const SolAngleRow& row, ColumnCosines& hour_angle) {
    m.arrays->sol_angle[m.lat_idx][m.lon_idx] =
        float(std::acos(zenith_cosine(m, row, hour_angle, m.lat_idx, m.lon_idx)));
}

// The vector arccosine lies within 5 ulp (4 + 1) of the scalar one, far below
// kVectorMathSlack: where no float edge lies that near, it gives the same float.
void calc_sol_angle_row(Model& m, const SolAngleRow& row, ColumnCosines& hour_angle) {
    ResultArrays& a = *m.arrays;
    const int r = m.lat_idx, n = m.grid.n_cols;
    double cosine[MAX_COLS] = {}, angle[MAX_COLS];
    for (int c = 0; c < n; ++c)
        cosine[c] = zenith_cosine(m, row, hour_angle, r, c);
    acos_each(cosine, angle, n);
    for (int c = 0; c < n; ++c) {
        const std::optional<float> f = float_within_relative(angle[c], vector_math_slack());
        a.sol_angle[r][c] = f ? *f : float(std::acos(cosine[c]));
    }
}

void calc_sol_angle(Model& m) {
    ColumnCosines hour_angle;
    calc_sol_angle(m, sol_angle_row(m), hour_angle);
}

void sun_locate(const Model& m, float lat, float time, int* rise_long, int* set_long) {
    const Constants& k = m.consts;
    // Its own declination: a sine over a 365-day year, zero 80 days into it.
    const float dec =
        float(23.5 * kRadPerDeg *
              std::sin((30.4 * (D(k.month) - 1) + k.day - 80) * 360 * kRadPerDeg * (1.0 / 365)));
    const double x = std::tan(D(dec)) * std::tan(D(lat));
    if (x > 1) {  // the sun never sets here
        *rise_long = 0;
        *set_long = -1;
        return;
    }
    if (x < -1) {  // the sun never rises here
        *rise_long = -1;
        *set_long = 0;
        return;
    }
    const float a = float(std::acos(x) * kDegPerRad);
    auto west_degree = [](double v) {
        std::optional<int> i = trunc_to_int(v);
        return i ? ((*i % 360) + 360) % 360 : -1;
    };
    *rise_long = west_degree(15 * D(time) + 360 - a);
    *set_long = west_degree(15 * D(time) + 360 + a);
}

}  // namespace skywave
