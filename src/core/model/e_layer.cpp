#include "model/e_layer.h"

#include <cmath>
#include <optional>

#include "base/numbers.h"
#include "base/power.h"
#include "base/vector_math.h"
#include "model/model.h"

namespace skywave {

namespace {

// The absorption index follows from the critical frequency.
void store_fe(Model& m, int r, int c, float fe, float ex) {
    const Constants& k = m.consts;
    ResultArrays& a = *m.arrays;
    a.ls[r][c] = float(D(k.ls_1) * power_of_float(fe, D(k.ls_2)));
    a.ex[r][c] = ex;
    a.fe[r][c] = fe;
}

// The cap at 89.99 degrees keeps the day's cosine positive should fe_1 be moved past
// the horizon.
float day_angle(float chi) {
    const D cap = 89.99 * kRadPerDeg;
    return chi > cap ? float(cap) : chi;
}

// The night's degrees past fe_1, offset by fe_10.
float night_degrees(const Constants& k, float chi) {
    return float((D(chi) - k.fe_1 + k.fe_10) * kDegPerRad);
}

}  // namespace

void calc_fe(Model& m) {
    const Constants& k = m.consts;
    const int r = m.lat_idx, c = m.lon_idx;
    const float chi = m.arrays->sol_angle[r][c];
    float ex, fe;
    if (chi < k.fe_1) {
        // Day: a power of the zenith angle's cosine.
        ex = k.fe_2;
        fe = float(std::pow(std::cos(D(day_angle(chi))), D(ex)) * k.fe_3 *
                   (D(k.fe_4) + D(k.fe_5) * m.ssn));
    } else {
        // Night: a falling power of the degrees past fe_1.
        ex = k.fe_6;
        fe = float(std::pow(D(night_degrees(k, chi)), D(ex)) * k.fe_7 *
                   (D(k.fe_8) + D(k.fe_9) * m.ssn));
    }
    store_fe(m, r, c, fe, ex);
}

// The cosines and powers of a row go through the vector functions. Each differs from
// the scalar one by at most 5 ulp (4 + 1), the power's base by as much again, which
// the power scales by its exponent: with the two products' roundings in each, the
// value lies within (5 |ex| + 7) 2^-52 of the scalar formula's, below kVectorMathSlack
// for exponents up to 16. A cell whose value lies nearer a float's edge than that, or
// whose base is not a positive finite number, takes the scalar formula.
void calc_fe_row(Model& m) {
    const Constants& k = m.consts;
    const ResultArrays& a = *m.arrays;
    const int r = m.lat_idx, n = m.grid.n_cols;
    const auto scalar = [&](int c) {
        m.lon_idx = c;
        calc_fe(m);
    };
    if (!(std::fabs(k.fe_2) <= 16 && std::fabs(k.fe_6) <= 16)) {
        for (int c = 0; c < n; ++c)
            scalar(c);
        m.lon_idx = n;
        return;
    }
    // Day cells first, night cells from the end.
    int column[MAX_COLS];
    double base[MAX_COLS], power[MAX_COLS];
    int days = 0, nights = n;
    for (int c = 0; c < n; ++c) {
        const float chi = a.sol_angle[r][c];
        if (chi < k.fe_1) {
            column[days] = c;
            base[days++] = D(day_angle(chi));
        } else {
            column[--nights] = c;
            base[nights] = D(night_degrees(k, chi));
        }
    }
    cos_each(base, base, days);
    pow_each(base, D(k.fe_2), power, days);
    pow_each(base + nights, D(k.fe_6), power + nights, n - nights);
    const double day_scale = D(k.fe_4) + D(k.fe_5) * m.ssn;
    const double night_scale = D(k.fe_8) + D(k.fe_9) * m.ssn;
    for (int i = 0; i < n; ++i) {
        const bool day = i < days;
        if (!(base[i] > 0 && base[i] < HUGE_VAL)) {
            scalar(column[i]);
            continue;
        }
        const double v = day ? power[i] * k.fe_3 * day_scale : power[i] * k.fe_7 * night_scale;
        if (const std::optional<float> fe = float_within_relative(v, vector_math_slack()))
            store_fe(m, r, column[i], *fe, day ? k.fe_2 : k.fe_6);
        else
            scalar(column[i]);
    }
    m.lon_idx = n;
}

}  // namespace skywave
