#include "model/f2_layer.h"

#include <cmath>

#include "base/numbers.h"
#include "model/model.h"

namespace skywave {

namespace {

float at_least(float x, float lo) {
    if (x < lo) x = lo;
    return x;
}

// (1 - ak1 ak) scaled F2 value from a profile g0: (p1 + p2 g0^(p3 + ak2 ak))^(p4 + ak3 ak).
double f2_power(float p1, float p2, float p3, float p4, float ak1, float ak2, float ak3, float g0,
                float ak) {
    return std::pow(D(p1) + D(p2) * std::pow(D(g0), D(p3) + D(ak2) * ak), D(p4) + D(ak3) * ak) *
           (1 - D(ak1) * ak);
}

float night_a1(const Constants& k) {
    return float(
        (D(k.a1_1) + D(k.a1_2) * k.sf_index + D(k.a1_3) * std::pow(D(k.sf_index), D(k.a1_4))) /
        k.a1_5);
}

}  // namespace

void calc_g2(Model& m) {
    const Constants& k = m.consts;
    ResultArrays& arr = *m.arrays;
    const int r = m.lat_idx, c = m.lon_idx;

    const float day_length = arr.day_len[r];
    const float c_sol_zen = arr.c_sol_zen[r];
    const float t_sunrise = arr.t_sunrise[r][c];
    const float t_sunset = arr.t_sunset[r][c];
    const float abs_c_sol_zen = std::fabs(c_sol_zen);
    const float calc_time = k.calc_time;
    const float ak = m.ak_factor;
    float temp_calc_time = calc_time;
    float g9 = 0, t9 = 0, g8 = 0, u = 0, u1 = 0;
    float g0_d = 0, g0_n = 0, g2a_d = 0, g2a_n = 0, cf_noon_month = 0;
    float g2a, h;

    enum { kPolarNight, kNight, kDay } regime;
    if (c_sol_zen <= std::cos(D(k.dn_1))) {
        regime = kPolarNight;  // the noon sun stays below dn_1
    } else if (t_sunset < t_sunrise) {
        // daylight spans 0 h UTC: night lies strictly between sunset and sunrise
        regime = (D(calc_time) - t_sunset) * (D(t_sunrise) - calc_time) > 0 ? kNight : kDay;
    } else {
        regime = (D(calc_time) - t_sunrise) * (D(t_sunset) - calc_time) > 0 ? kDay : kNight;
    }

    if (regime == kNight) {
        // Decay from the evening value, in units of the day length since sunset.
        if (t_sunset > calc_time) temp_calc_time = float(D(calc_time) + 24);
        g9 = float((D(temp_calc_time) - t_sunset) / day_length);
        t9 = float(D(k.t9_n_1) * std::pow(D(std::fmax(abs_c_sol_zen, k.t9_n_2)), D(k.t9_n_3)));
        t9 = at_least(t9, k.t9_n_4);
        g8 = float(D(k.g8_n_1) * t9 / day_length);
        u1 = clamp_to(float(D(k.u1_n_1) * day_length / t9), -75, 75);
        u = clamp_to(float((D(temp_calc_time) - t_sunset) * k.u_n_1 * 0.5), -75, 75);
        g0_n = float((std::exp(D(u1)) + k.g0_n_1) * g8 * (D(k.g0_n_3) * abs_c_sol_zen) *
                     std::exp(D(u)) / (D(g8) * g8 + k.g0_n_2));
        m.a1 = night_a1(k);
        g2a_n = float(f2_power(k.g2_n_1, k.g2_n_2, k.g2_n_3, k.g2_n_4, k.g0_n_ak1, k.g0_n_ak2,
                               k.g0_n_ak3, g0_n, ak) *
                      m.a1);
        g2a = g2a_n;
        const float h1 =
            float((std::pow(D(k.h_n_1) * c_sol_zen + k.h_n_2, D(k.h_n_3)) + k.h_n_4) / k.h_n_5);
        const float h2 = float(std::sin(D(kPi) * std::pow(D(g9), D(k.h_n_6))));
        h = float(D(k.h_n_8) * h1 * h2 + k.h_n_7 + D(k.h_n_9) * m.ssn + D(k.h_n_10) * ak);
    } else if (regime == kDay) {
        // Rise from sunrise towards the seasonally corrected noon value.
        m.cf_noon_max = float(D(k.noon_1) + D(k.noon_2) * k.sf_index +
                              D(k.noon_3) * std::pow(D(k.sf_index), D(k.noon_4)));
        float dl = day_length;
        if (dl > k.noon_maxday) dl = k.noon_maxday;
        if (dl < k.noon_minday) dl = k.noon_minday;
        cf_noon_month = float(1 - (D(k.noon_m3) + D(k.noon_m4) * k.sf_index) *
                                      (1 - (D(k.noon_m1) + D(k.noon_m2) * dl)));
        if (t_sunrise > calc_time) temp_calc_time = float(D(calc_time) + 24);
        g9 = float((D(temp_calc_time) - t_sunrise) / day_length);
        t9 = float(D(k.t9_d_1) * std::pow(D(std::fmax(abs_c_sol_zen, k.t9_d_2)), D(k.t9_d_3)));
        t9 = at_least(t9, k.t9_d_4);
        g8 = float(D(k.g8_d_1) * t9 / day_length);
        u1 = 0;
        u = clamp_to(float((D(temp_calc_time) - t_sunrise) * k.u_day_1 / t9), -87, 87);
        g0_d = float(D(k.g0_d_2) * abs_c_sol_zen *
                         (std::sin(D(kPi) * std::pow(D(g9), D(k.g0_d_4))) +
                          g8 * (std::exp(D(u)) - std::cos(D(kPi) * std::pow(D(g9), D(k.g0_d_5))))) /
                         (D(g8) * g8 + k.g0_d_1) +
                     k.g0_d_3);
        g2a_d = float(f2_power(k.g2_d_1, k.g2_d_2, k.g2_d_3, k.g2_d_4, k.g0_d_ak1, k.g0_d_ak2,
                               k.g0_d_ak3, g0_d, ak) *
                      (D(m.cf_noon_max) * cf_noon_month));
        g2a = g2a_d;
        const float h1 =
            float((std::pow(D(k.h_d_1) * c_sol_zen + k.h_d_2, D(k.h_d_3)) + k.h_d_4) / k.h_d_5);
        const float h2 = float(std::sin(D(kPi) * std::pow(D(g9), D(k.h_d_6))));
        h = float(D(k.h_d_8) * h1 * h2 + k.h_d_7 + D(k.h_d_9) * m.ssn + D(k.h_d_10) * ak);
    } else {
        // Polar night: no sun at all, a fixed height and the night value of an empty profile.
        h = k.h_n;
        m.a1 = night_a1(k);
        g2a_n = float(f2_power(k.g2_n_1, k.g2_n_2, k.g2_n_3, k.g2_n_4, k.g0_n_ak1, k.g0_n_ak2,
                               k.g0_n_ak3, g0_n, ak) *
                      m.a1);
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
