#include "model/f2_layer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "base/numbers.h"
#include "base/power.h"
#include "base/vector_math.h"
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

void G2Rows::begin_pass(const Model& m) {
    Constants k = m.consts;
    k.calc_time = consts_.calc_time;
    k.day = consts_.day;
    k.month = consts_.month;
    if (std::memcmp(&k, &consts_, sizeof k) != 0 || bits_of(m.ssn) != bits_of(ssn_) ||
        bits_of(m.ak_factor) != bits_of(ak_factor_)) {
        for (Kept& kept : rows_)
            kept.valid = false;
        consts_ = k;
        ssn_ = m.ssn;
        ak_factor_ = m.ak_factor;
    }
}

const G2Row& G2Rows::row(const Model& m, int r) {
    Kept& kept = rows_[r];
    const std::uint32_t day_length = bits_of(m.arrays->day_len[r]);
    const std::uint32_t c_sol_zen = bits_of(m.arrays->c_sol_zen[r]);
    if (!kept.valid || kept.day_length != day_length || kept.c_sol_zen != c_sol_zen) {
        kept.row = g2_row(m, r);
        kept.day_length = day_length;
        kept.c_sol_zen = c_sol_zen;
        kept.valid = true;
    }
    return kept.row;
}

void calc_g2(Model& m) {
    calc_g2(m, g2_row(m, m.lat_idx));
}

namespace {

enum class Regime { polar_night, night, day };

// A cell's regime and the terms of its hour that its library calls take.
struct G2Hours {
    Regime regime;
    float g9 = 0, t9 = 0, g8 = 0, u = 0, u1 = 0;
};

G2Hours g2_hours(const Model& m, const G2Row& w, int r, int c) {
    const Constants& k = m.consts;
    const ResultArrays& arr = *m.arrays;
    const float day_length = w.day_length;
    const float t_sunrise = arr.t_sunrise[r][c];
    const float t_sunset = arr.t_sunset[r][c];
    const float calc_time = k.calc_time;
    float temp_calc_time = calc_time;
    G2Hours t;
    if (w.polar_night) {
        t.regime = Regime::polar_night;
    } else if (t_sunset < t_sunrise) {
        // daylight spans 0 h UTC: night lies strictly between sunset and sunrise
        t.regime = (D(calc_time) - t_sunset) * (D(t_sunrise) - calc_time) > 0 ? Regime::night
                                                                              : Regime::day;
    } else {
        t.regime = (D(calc_time) - t_sunrise) * (D(t_sunset) - calc_time) > 0 ? Regime::day
                                                                              : Regime::night;
    }
    if (t.regime == Regime::night) {
        if (t_sunset > calc_time) temp_calc_time = float(D(calc_time) + 24);
        t.g9 = float((D(temp_calc_time) - t_sunset) / day_length);
        t.t9 = w.t9_n;
        t.g8 = w.g8_n;
        t.u1 = w.u1;
        t.u = clamp_to(float((D(temp_calc_time) - t_sunset) * k.u_n_1 * 0.5), -75, 75);
    } else if (t.regime == Regime::day) {
        if (t_sunrise > calc_time) temp_calc_time = float(D(calc_time) + 24);
        t.g9 = float((D(temp_calc_time) - t_sunrise) / day_length);
        t.t9 = w.t9_d;
        t.g8 = w.g8_d;
        t.u1 = 0;
        t.u = clamp_to(float((D(temp_calc_time) - t_sunrise) * k.u_day_1 / t.t9), -87, 87);
    }
    return t;
}

// The arguments of the day's profile: the rise's sine, the fall's cosine.
double day_rise_angle(const Constants& k, float g9) {
    return D(kPi) * power_of_float(g9, D(k.g0_d_4));
}
double day_fall_angle(const Constants& k, float g9) {
    return D(kPi) * power_of_float(g9, D(k.g0_d_5));
}
double day_height_angle(const Constants& k, float g9) {
    return D(kPi) * power_of_float(g9, D(k.h_d_6));
}

float day_height(const Constants& k, const G2Row& w, float h2) {
    return float(w.h81_d * h2 + k.h_d_7 + w.h_ssn_d + w.h_ak_d);
}

// Without the night's height term (h_n_8 = 0, the default) the product is a zero of
// either sign, which added to a non-zero h_n_7 leaves h_n_7 exactly: the sine is then
// not needed, unless its argument is not finite (NaN then).
bool night_height_needs_sine(const Constants& k, const G2Row& w, double arg) {
    return !(w.h81_n == 0 && k.h_n_7 != 0 && std::isfinite(arg));
}
double night_height_angle(const Constants& k, float g9) {
    return D(kPi) * power_of_float(g9, D(k.h_n_6));
}

float night_height(const Constants& k, const G2Row& w, float g9) {
    const double arg = night_height_angle(k, g9);
    double base;
    if (!night_height_needs_sine(k, w, arg)) {
        base = k.h_n_7;
    } else {
        const float h2 = float(std::sin(arg));
        base = w.h81_n * h2 + k.h_n_7;
    }
    return float(base + w.h_ssn_n + w.h_ak_n);
}

void store_g2(Model& m, int r, int c, float g2a, float h) {
    const Constants& k = m.consts;
    ResultArrays& arr = *m.arrays;
    arr.g2a[r][c] = g2a;
    arr.h[r][c] = clamp_to(h, k.h_min, k.h_max);
}

}  // namespace

void calc_g2(Model& m, const G2Row& w) {
    const Constants& k = m.consts;
    ResultArrays& arr = *m.arrays;
    const int r = m.lat_idx, c = m.lon_idx;
    const G2Hours t = g2_hours(m, w, r, c);
    float g0_d = 0, g0_n = 0, g2a_d = 0, g2a_n = 0, cf_noon_month = 0;
    float g2a, h;
    if (t.regime == Regime::night) {
        // Night: decay from the evening value, in units of the day length since sunset.
        g0_n = float(w.g0_n_num * std::exp(D(t.u)) / w.g0_n_den);
        m.a1 = w.a1;
        g2a_n = f2_value(k.g2_n_1, k.g2_n_2, g0_n, w.n_inner, w.n_outer, w.n_scale, m.a1);
        g2a = g2a_n;
        h = night_height(k, w, t.g9);
    } else if (t.regime == Regime::day) {
        // Day: rise from sunrise towards the seasonally corrected noon value.
        m.cf_noon_max = w.cf_noon_max;
        cf_noon_month = w.cf_noon_month;
        g0_d = float(w.g0_d_scale *
                         (std::sin(day_rise_angle(k, t.g9)) +
                          t.g8 * (std::exp(D(t.u)) - std::cos(day_fall_angle(k, t.g9)))) /
                         w.g0_d_den +
                     k.g0_d_3);
        g2a_d = f2_value(k.g2_d_1, k.g2_d_2, g0_d, w.d_inner, w.d_outer, w.d_scale, w.cf_d);
        g2a = g2a_d;
        const float h2 = float(std::sin(day_height_angle(k, t.g9)));
        h = day_height(k, w, h2);
    } else {
        // Polar night: no sun at all, a fixed height and the night value of an empty profile.
        h = k.h_n;
        m.a1 = w.a1;
        g2a_n = w.g2a_polar;
        g2a = g2a_n;
    }

    store_g2(m, r, c, g2a, h);
    if (m.exam_flag) {
        arr.g0_d[r][c] = g0_d;
        arr.g0_n[r][c] = g0_n;
        arr.g2a_d[r][c] = g2a_d;
        arr.g2a_n[r][c] = g2a_n;
        arr.g9[r][c] = t.g9;
        arr.g8[r][c] = t.g8;
        arr.t9[r][c] = t.t9;
        arr.u[r][c] = t.u;
        arr.u1[r][c] = t.u1;
        arr.cf_noon[r][c] = cf_noon_month;
    }
}

namespace {

// An exponent the power takes from pow itself (power() shortcuts 1, 2 and +-1/2).
bool plain_exponent(double e) {
    return !(e == 1 || e == 2 || e == 0.5 || e == -0.5);
}

}  // namespace

// A row's exponentials, sines, cosines and the profile's power go through the vector
// functions, each within 5 ulp (4 + 1) of the scalar function's result. Through a few
// products and sums that makes a value's difference from the scalar formula's at most
// 16 2^-52 of the size of its terms (7 2^-52 of the value itself where there is no
// sum, 20 2^-52 through the night's root), below kVectorMathSlack; a value is used only
// where every number that near rounds to the same float, and a cell whose value lies
// nearer a float's edge, whose terms are not finite, or whose regime or constants the
// vector forms do not cover goes through calc_g2. With the arrays examined the row
// takes calc_g2 throughout.
void calc_g2_row(Model& m, const G2Row& w) {
    const Constants& k = m.consts;
    const int r = m.lat_idx, n = m.grid.n_cols;
    bool scalar[MAX_COLS] = {};
    const auto finish_scalar = [&] {
        for (int c = 0; c < n; ++c)
            if (scalar[c]) {
                m.lon_idx = c;
                calc_g2(m, w);
            }
        m.lon_idx = n;
    };
    const bool day_power = w.d_inner == 1 && plain_exponent(w.d_outer);
    const bool night_power = w.n_outer == 0.5 && plain_exponent(w.n_inner);
    if (m.exam_flag || !(day_power || night_power)) {
        std::fill(scalar, scalar + n, true);
        return finish_scalar();
    }

    // The hours; the arguments of the library calls.
    G2Hours hours[MAX_COLS];
    double e_arg[MAX_COLS] = {}, e_val[MAX_COLS];
    double rise[MAX_COLS] = {}, fall[MAX_COLS] = {}, height[MAX_COLS] = {};
    int column[MAX_COLS];
    int days = 0, nights = n;  // day cells from the front, night cells from the back
    for (int c = 0; c < n; ++c) {
        const G2Hours t = g2_hours(m, w, r, c);
        hours[c] = t;
        if (t.regime == Regime::day && day_power) {
            rise[days] = day_rise_angle(k, t.g9);
            fall[days] = day_fall_angle(k, t.g9);
            height[days] = day_height_angle(k, t.g9);
            e_arg[days] = D(t.u);
            column[days++] = c;
        } else if (t.regime == Regime::night && night_power &&
                   !night_height_needs_sine(k, w, night_height_angle(k, t.g9))) {
            e_arg[--nights] = D(t.u);
            column[nights] = c;
        } else {
            scalar[c] = true;  // polar night, or a form not covered
        }
    }
    exp_each(e_arg, e_val, days);
    exp_each(e_arg + nights, e_val + nights, n - nights);
    sin_each(rise, rise, days);
    cos_each(fall, fall, days);
    sin_each(height, height, days);

    // The profile values g0, then their powers.
    float g0[MAX_COLS];
    double base[MAX_COLS] = {}, power[MAX_COLS];
    const auto give_up = [&](int i) {
        scalar[column[i]] = true;
        base[i] = 1;  // a harmless argument for the power below
    };
    for (int i = 0; i < days; ++i) {
        const G2Hours& t = hours[column[i]];
        const double v =
            w.g0_d_scale * (rise[i] + t.g8 * (e_val[i] - fall[i])) / w.g0_d_den + k.g0_d_3;
        const double size = std::fabs(w.g0_d_scale) *
                                (std::fabs(rise[i]) +
                                 std::fabs(D(t.g8)) * (std::fabs(e_val[i]) + std::fabs(fall[i]))) /
                                std::fabs(w.g0_d_den) +
                            std::fabs(D(k.g0_d_3));
        const std::optional<float> f = float_within(v, size * vector_math_slack());
        if (!f) {
            give_up(i);
            continue;
        }
        g0[i] = *f;
        base[i] = D(k.g2_d_1) + D(k.g2_d_2) * D(g0[i]);  // the inner power is g0 itself
        if (!(base[i] > 0 && base[i] < HUGE_VAL)) give_up(i);
    }
    for (int i = nights; i < n; ++i) {
        const std::optional<float> f =
            float_within_relative(w.g0_n_num * e_val[i] / w.g0_n_den, vector_math_slack());
        if (!f || !(*f > 0 && *f < HUGE_VALF)) {
            give_up(i);
            continue;
        }
        g0[i] = *f;
        base[i] = D(g0[i]);
    }
    pow_each(base, w.d_outer, power, days);
    pow_each(base + nights, w.n_inner, power + nights, n - nights);

    for (int i = 0; i < days; ++i) {
        const int c = column[i];
        if (scalar[c]) continue;
        const std::optional<float> g2a =
            float_within_relative(power[i] * w.d_scale * w.cf_d, vector_math_slack());
        const std::optional<float> h2 = float_within_relative(height[i], vector_math_slack());
        if (!g2a || !h2) {
            scalar[c] = true;
            continue;
        }
        m.cf_noon_max = w.cf_noon_max;
        store_g2(m, r, c, *g2a, day_height(k, w, *h2));
    }
    for (int i = nights; i < n; ++i) {
        const int c = column[i];
        if (scalar[c]) continue;
        // The night's root, as f2_value takes it, where the sum has no cancellation.
        const double term = D(k.g2_n_2) * power[i];
        const double sum = D(k.g2_n_1) + term;
        std::optional<float> g2a;
        if (sum > 0 && std::fabs(D(k.g2_n_1)) + std::fabs(term) <= 4 * sum)
            g2a = float_within_relative(std::sqrt(sum) * w.n_scale * w.a1, vector_math_slack());
        if (!g2a) {
            scalar[c] = true;
            continue;
        }
        m.a1 = w.a1;
        store_g2(m, r, c, *g2a, night_height(k, w, hours[c].g9));
    }
    finish_scalar();
}

}  // namespace skywave
