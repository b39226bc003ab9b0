#include "model/polar_f2.h"

#include <array>
#include <cfloat>
#include <cmath>

#include "base/numbers.h"
#include "model/model.h"

namespace skywave {

void plr_step(const Model& m, PlrStep& s) {
    const Constants& k = m.consts;
    // Season as a fractional month.
    s.tmo = float((D(k.calc_time) / 24 + k.day) / 30 + k.month - 0.5);
    s.t = float(D(kPi) * s.tmo / 12);
    s.v = float(std::sin(D(s.t)));
    s.u = float(std::cos(D(s.t) * s.t));
    s.am = float(1 + D(s.v));
    s.north_scale = (D(k.nplr_5) + D(k.nplr_6) * s.v) * (D(k.nplr_1) + D(k.nplr_2) * m.ssn);
    s.south_base = D(k.splr_1) + m.ssn / D(k.splr_2);
    s.south_amp = D(k.splr_6) + D(k.splr_7) * m.ssn;
    s.south_season = D(k.splr_9) + D(k.splr_10) * (k.splr_11 - D(s.v) * s.v);
    // The north's exponent is nplr_3 times a difference of two cosines, the south's
    // a sum of terms whose cosines, v and ys^4 stay within [-1, 1]. The factor covers
    // the roundings of the terms.
    constexpr double kRoundings = 1.0001;
    const double infinity = HUGE_VAL;
    s.north_bound = std::isfinite(k.nplr_4) ? std::fabs(s.north_scale) *
                                                  std::exp(2 * std::fabs(D(k.nplr_3))) * kRoundings
                                            : infinity;
    s.south_bound =
        std::isfinite(k.splr_8)
            ? (std::fabs(s.south_base) +
               std::fabs(D(s.u)) * (std::fabs(D(k.splr_3)) + std::fabs(D(k.splr_4)) +
                                    std::fabs(D(k.splr_5) * m.ssn)) +
               std::fabs(s.south_amp) + std::exp(std::fabs(D(s.v))) * std::fabs(s.south_season)) *
                  kRoundings
            : infinity;
}

namespace {

// Whether float(a + b) is float(a) for every |b| up to b_bound, a + b first rounded to
// double: every value within the bound and the double's rounding of a rounds as a does.
bool rounds_to_same_float(double a, double b_bound) {
    return a > 0 && float_within(a, b_bound + a * 0x1p-51).has_value();
}

}  // namespace

void PolarCells::begin_pass(const Model& m) {
    const Constants& k = m.consts;
    const std::array<float, kKeySize> key{m.ssn, m.ak_factor, k.x_1, k.x_2, k.x_3, k.x_4,
                                          k.x_5, k.x_6,       k.x_7, k.x_8, k.g2_9};
    if (cells_.empty()) cells_.assign(std::size_t(MAX_ROWS) * MAX_COLS, Cell{});
    if (keyed_ && std::memcmp(key_.data(), key.data(), sizeof key) == 0) return;
    for (Cell& c : cells_)
        c.valid = false;
    key_ = key;
    keyed_ = true;
}

const PolarCells::Cell& PolarCells::cell(const Model& m, int r, int c) {
    const ResultArrays& arr = *m.arrays;
    const float mlat = arr.mlat[r][c];
    const float mlon = arr.mlon[r][c];
    Cell& e = cells_[std::size_t(r) * MAX_COLS + c];
    // The cell's place gives the functions of its geomagnetic coordinates, which no
    // date changes; the row's day length (a date's) gives the blending factor.
    const bool same_place =
        e.valid && e.mlat_bits == bits_of(mlat) && e.mlon_bits == bits_of(mlon);
    if (same_place && e.day_len_bits == bits_of(arr.day_len[r])) return e;
    e.day_len_bits = bits_of(arr.day_len[r]);
    e.valid = true;
    if (!same_place) place(e, mlat, mlon);
    blend(m, e, arr.day_len[r]);
    return e;
}

void PolarCells::place(Cell& e, float mlat, float mlon) {
    e.mlat_bits = bits_of(mlat);
    e.mlon_bits = bits_of(mlon);
    e.cmlat = float(std::cos(D(mlat)));
    e.smlat = std::sin(D(mlat));
    if (!(mlat >= 0)) {  // as the southern branch below takes it
        const float y = float(std::sin(D(mlon) / 2));
        const float ys = float(std::cos(D(mlon) / 2 - 0.05 * kPi));
        const float z = float(std::sin(D(mlon)));
        const float za = float(std::sqrt(std::fabs(D(z))));
        e.z_over_za = z == 0 ? 0.0 : D(z) / za;
        e.south_b1 = (D(y) - z) * 0.5 - std::pow(D(y), 8.0);
        e.south_e = std::exp(-4 * D(y) * y);
        e.ys4 = float(std::pow(D(ys), 4.0));
    }
}

void PolarCells::blend(const Model& m, Cell& e, float day_len) {
    const Constants& k = m.consts;
    // Blending factor: near 1 close to the geomagnetic pole, falling off steeply
    // towards lower latitudes; long days and disturbance widen the polar cap.
    float x1 = clamp_to(float((D(day_len) - k.x_5) * k.x_6), 0, 1);
    x1 = float(D(x1) * k.x_7);
    const float x2 = float(D(k.x_8) * m.ak_factor);
    const float x = float(e.cmlat * (D(k.x_1) + (D(k.x_2) + m.ssn / D(k.x_3)) * e.smlat + x1 + x2));
    float xx = float(std::pow(std::fabs(D(x)), D(k.x_4)));
    if (xx > 75) xx = 75;
    e.ff = float(std::exp(-D(xx)));
}

void f0f2_plr(Model& m) {
    PlrStep step;
    plr_step(m, step);
    PolarCells cells;
    cells.begin_pass(m);
    f0f2_plr(m, step, cells);
}

void f0f2_plr(Model& m, PlrStep& s, PolarCells& cells) {
    const Constants& k = m.consts;
    ResultArrays& arr = *m.arrays;
    const int r = m.lat_idx, c = m.lon_idx;

    float g2 = arr.g2a[r][c];
    const float mlat = arr.mlat[r][c];
    if (k.plr_flag == 0) {
        arr.g2[r][c] = g2;
        if (m.exam_flag) {
            arr.ff[r][c] = 0;
            arr.plr[r][c] = 0;
        }
        return;
    }
    const PolarCells::Cell& e = cells.cell(m, r, c);
    const float ff = e.ff;
    // The blend: the mid-latitude value's share plus the polar term's. Away from the
    // geomagnetic pole ff is tiny and the polar share lies far below the last bit of
    // the float the sum is kept in, whatever the polar term: the float is then that of
    // the mid-latitude share, and the term is not needed (unless it is shown).
    const double mid_share = (1 - D(ff)) * g2 * g2 / k.g2_8;
    const double polar_factor = D(k.g2_9) * ff;
    const bool north = mlat >= 0;
    // The southern term's phase shift.
    const float b =
        north ? 0.0f : float(e.south_b1 * s.v - e.south_e * (D(s.am) * s.u * e.z_over_za));
    // The bounds hold for a finite cosine's argument (and in the south ys^4 within [0, 1]).
    const bool bounded = north ? mlat <= FLT_MAX : e.ys4 <= 1 && std::isfinite(b);
    const bool negligible =
        !m.exam_flag && bounded &&
        rounds_to_same_float(mid_share,
                             std::fabs(polar_factor) * (north ? s.north_bound : s.south_bound));

    float plr = 0;
    if (!negligible) {
        // Local mean time and its hour angle from local midnight.
        float lmt = m.cur_lon;
        if (m.cur_lon < 0) lmt = float(D(m.cur_lon) + kTwoPi);
        lmt = float(D(k.calc_time) - D(lmt) * kDegPerRad * (1.0 / 15));
        if (lmt < 0)
            lmt = float(D(lmt) + 24);
        else if (lmt >= 24)
            lmt = float(D(lmt) - 24);
        const float phi = float(D(lmt) * kPi / 12);

        if (north) {
            plr = float(s.north_scale *
                        std::exp(D(k.nplr_3) *
                                 (std::cos(D(mlat) + D(k.nplr_4) * s.local_time.cos(c, D(phi))) -
                                  e.cmlat)));
        } else {
            plr = float(s.south_base +
                        s.u * (D(k.splr_3) + e.ys4 * (D(k.splr_4) + D(k.splr_5) * m.ssn)) +
                        s.south_amp * std::cos(D(phi) - kPi * (D(k.splr_8) + b)) +
                        std::exp(-D(s.v) * e.ys4) * s.south_season);
        }
    }

    float qqq = float(negligible ? mid_share : mid_share + polar_factor * plr);
    if (qqq < 0) qqq = 0;
    g2 = float(std::sqrt(D(qqq)) * k.g2_7);

    arr.g2[r][c] = g2;
    if (m.exam_flag) {
        arr.ff[r][c] = ff;
        arr.plr[r][c] = float(D(plr) * ff);
    }
}

}  // namespace skywave
