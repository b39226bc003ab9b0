#include "model/f2_layer.h"

#include <cmath>
#include <optional>

#include "base/numbers.h"
#include "base/power.h"
#include "model/model.h"

namespace skywave {

namespace {

float at_least(float x, float lo) {
    if (x < lo) x = lo;
    return x;
}

float night_a1(const Constants& k) {
    return float(
        (D(k.a1_1) + D(k.a1_2) * k.sf_index + D(k.a1_3) * std::pow(D(k.sf_index), D(k.a1_4))) /
        k.a1_5);
}

// (1 - ak1 ak) scaled F2 value from a profile g0: (p1 + p2 g0^(p3 + ak2 ak))^(p4 + ak3 ak).
// inner, outer and scale are the exponents and the factor, worked out per run.
double f2_power(float p1, float p2, float g0, double inner, double outer, double scale) {
    return power(D(p1) + D(p2) * power(D(g0), inner), outer) * scale;
}

// float(f2_power(...) * factor). For a root (outer 1/2, the night's default) the square
// root stands for the power: the two lie within an ulp of each other (pow within 0.52
// ulp of the exact root, the square root within half), so with the two products'
// roundings the value lies within 2^-50 of the library's, and is taken where no float
// edge lies near that.
float f2_value(float p1, float p2, float g0, double inner, double outer, double scale,
               double factor) {
    if (outer == 0.5) {
        const double base = D(p1) + D(p2) * power(D(g0), inner);
        if (base > 0) {
            const double v = std::sqrt(base) * scale * factor;
            if (const std::optional<float> f = float_within_relative(v, 0x1p-46)) return *f;
        }
    }
    return float(f2_power(p1, p2, g0, inner, outer, scale) * factor);
}

}  // namespace

G2Row g2_row(const Model& m, int r) {
    const Constants& k = m.consts;
    const ResultArrays& arr = *m.arrays;
    const float ak = m.ak_factor;
    G2Row w{};
    w.day_length = arr.day_len[r];
    w.c_sol_zen = arr.c_sol_zen[r];
    w.abs_c_sol_zen = std::fabs(w.c_sol_zen);
    w.polar_night = w.c_sol_zen <= std::cos(D(k.dn_1));  // the noon sun stays below dn_1
    const float day_length = w.day_length, abs_c_sol_zen = w.abs_c_sol_zen;

    w.h_ssn_n = D(k.h_n_9) * m.ssn;
    w.h_ak_n = D(k.h_n_10) * ak;
    w.h_ssn_d = D(k.h_d_9) * m.ssn;
    w.h_ak_d = D(k.h_d_10) * ak;
    w.n_inner = D(k.g2_n_3) + D(k.g0_n_ak2) * ak;
    w.n_outer = D(k.g2_n_4) + D(k.g0_n_ak3) * ak;
    w.n_scale = 1 - D(k.g0_n_ak1) * ak;
    w.d_inner = D(k.g2_d_3) + D(k.g0_d_ak2) * ak;
    w.d_outer = D(k.g2_d_4) + D(k.g0_d_ak3) * ak;
    w.d_scale = 1 - D(k.g0_d_ak1) * ak;

    // Night: decay from the evening value, in units of the day length since sunset.
    w.a1 = night_a1(k);
    w.t9_n = float(D(k.t9_n_1) * std::pow(D(std::fmax(abs_c_sol_zen, k.t9_n_2)), D(k.t9_n_3)));
    w.t9_n = at_least(w.t9_n, k.t9_n_4);
    w.g8_n = float(D(k.g8_n_1) * w.t9_n / day_length);
    w.u1 = clamp_to(float(D(k.u1_n_1) * day_length / w.t9_n), -75, 75);
    w.g0_n_num = (std::exp(D(w.u1)) + k.g0_n_1) * w.g8_n * (D(k.g0_n_3) * abs_c_sol_zen);
    w.g0_n_den = D(w.g8_n) * w.g8_n + k.g0_n_2;
    w.h1_n = float((power(D(k.h_n_1) * w.c_sol_zen + k.h_n_2, D(k.h_n_3)) + k.h_n_4) / k.h_n_5);
    w.h81_n = D(k.h_n_8) * w.h1_n;
    // Polar night: the night value of an empty profile.
    w.g2a_polar = float(f2_power(k.g2_n_1, k.g2_n_2, 0, w.n_inner, w.n_outer, w.n_scale) * w.a1);

    // Day: rise from sunrise towards the seasonally corrected noon value.
    w.cf_noon_max = float(D(k.noon_1) + D(k.noon_2) * k.sf_index +
                          D(k.noon_3) * std::pow(D(k.sf_index), D(k.noon_4)));
    float dl = day_length;
    if (dl > k.noon_maxday) dl = k.noon_maxday;
    if (dl < k.noon_minday) dl = k.noon_minday;
    w.cf_noon_month = float(1 - (D(k.noon_m3) + D(k.noon_m4) * k.sf_index) *
                                    (1 - (D(k.noon_m1) + D(k.noon_m2) * dl)));
    w.t9_d = float(D(k.t9_d_1) * std::pow(D(std::fmax(abs_c_sol_zen, k.t9_d_2)), D(k.t9_d_3)));
    w.t9_d = at_least(w.t9_d, k.t9_d_4);
    w.g8_d = float(D(k.g8_d_1) * w.t9_d / day_length);
    w.g0_d_scale = D(k.g0_d_2) * abs_c_sol_zen;
    w.g0_d_den = D(w.g8_d) * w.g8_d + k.g0_d_1;
    w.cf_d = D(w.cf_noon_max) * w.cf_noon_month;
    w.h1_d = float((power(D(k.h_d_1) * w.c_sol_zen + k.h_d_2, D(k.h_d_3)) + k.h_d_4) / k.h_d_5);
    w.h81_d = D(k.h_d_8) * w.h1_d;
    return w;
}

void calc_g2(Model& m) {
    calc_g2(m, g2_row(m, m.lat_idx));
}

void calc_g2(Model& m, const G2Row& w) {
    const Constants& k = m.consts;
    ResultArrays& arr = *m.arrays;
    const int r = m.lat_idx, c = m.lon_idx;

    const float day_length = w.day_length;
    const float t_sunrise = arr.t_sunrise[r][c];
    const float t_sunset = arr.t_sunset[r][c];
    const float calc_time = k.calc_time;
    float temp_calc_time = calc_time;
    float g9 = 0, t9 = 0, g8 = 0, u = 0, u1 = 0;
    float g0_d = 0, g0_n = 0, g2a_d = 0, g2a_n = 0, cf_noon_month = 0;
    float g2a, h;

    enum { kPolarNight, kNight, kDay } regime;
    if (w.polar_night) {
        regime = kPolarNight;
    } else if (t_sunset < t_sunrise) {
        // daylight spans 0 h UTC: night lies strictly between sunset and sunrise
        regime = (D(calc_time) - t_sunset) * (D(t_sunrise) - calc_time) > 0 ? kNight : kDay;
    } else {
        regime = (D(calc_time) - t_sunrise) * (D(t_sunset) - calc_time) > 0 ? kDay : kNight;
    }

    if (regime == kNight) {
        if (t_sunset > calc_time) temp_calc_time = float(D(calc_time) + 24);
        g9 = float((D(temp_calc_time) - t_sunset) / day_length);
        t9 = w.t9_n;
        g8 = w.g8_n;
        u1 = w.u1;
        u = clamp_to(float((D(temp_calc_time) - t_sunset) * k.u_n_1 * 0.5), -75, 75);
        g0_n = float(w.g0_n_num * std::exp(D(u)) / w.g0_n_den);
        m.a1 = w.a1;
        g2a_n = f2_value(k.g2_n_1, k.g2_n_2, g0_n, w.n_inner, w.n_outer, w.n_scale, m.a1);
        g2a = g2a_n;
        // Without the night's height term (h_n_8 = 0, the default) the product is a
        // zero of either sign, which added to a non-zero h_n_7 leaves h_n_7 exactly:
        // the sine is then not needed, unless its argument is not finite (NaN then).
        const double arg = D(kPi) * power_of_float(g9, D(k.h_n_6));
        double base;
        if (w.h81_n == 0 && k.h_n_7 != 0 && std::isfinite(arg)) {
            base = k.h_n_7;
        } else {
            const float h2 = float(std::sin(arg));
            base = w.h81_n * h2 + k.h_n_7;
        }
        h = float(base + w.h_ssn_n + w.h_ak_n);
    } else if (regime == kDay) {
        m.cf_noon_max = w.cf_noon_max;
        cf_noon_month = w.cf_noon_month;
        if (t_sunrise > calc_time) temp_calc_time = float(D(calc_time) + 24);
        g9 = float((D(temp_calc_time) - t_sunrise) / day_length);
        t9 = w.t9_d;
        g8 = w.g8_d;
        u1 = 0;
        u = clamp_to(float((D(temp_calc_time) - t_sunrise) * k.u_day_1 / t9), -87, 87);
        g0_d =
            float(w.g0_d_scale *
                      (std::sin(D(kPi) * power_of_float(g9, D(k.g0_d_4))) +
                       g8 * (std::exp(D(u)) - std::cos(D(kPi) * power_of_float(g9, D(k.g0_d_5))))) /
                      w.g0_d_den +
                  k.g0_d_3);
        g2a_d = f2_value(k.g2_d_1, k.g2_d_2, g0_d, w.d_inner, w.d_outer, w.d_scale, w.cf_d);
        g2a = g2a_d;
        const float h2 = float(std::sin(D(kPi) * power_of_float(g9, D(k.h_d_6))));
        h = float(w.h81_d * h2 + k.h_d_7 + w.h_ssn_d + w.h_ak_d);
    } else {
        // Polar night: no sun at all, a fixed height and the night value of an empty profile.
        h = k.h_n;
        m.a1 = w.a1;
        g2a_n = w.g2a_polar;
        g2a = g2a_n;
    }

    arr.g2a[r][c] = g2a;
    arr.h[r][c] = clamp_to(h, k.h_min, k.h_max);
    if (m.exam_flag) {
        arr.g0_d[r][c] = g0_d;
        arr.g0_n[r][c] = g0_n;
        arr.g2a_d[r][c] = g2a_d;
        arr.g2a_n[r][c] = g2a_n;
        arr.g9[r][c] = g9;
        arr.g8[r][c] = g8;
        arr.t9[r][c] = t9;
        arr.u[r][c] = u;
        arr.u1[r][c] = u1;
        arr.cf_noon[r][c] = cf_noon_month;
    }
}

}  // namespace skywave
