#include "model/polar_f2.h"

#include <cmath>

#include "base/numbers.h"
#include "model/model.h"

namespace skywave {

void f0f2_plr(Model& m) {
    const Constants& k = m.consts;
    ResultArrays& arr = *m.arrays;
    const int r = m.lat_idx, c = m.lon_idx;

    float g2 = arr.g2a[r][c];
    const float mlat = arr.mlat[r][c];
    const float mlon = arr.mlon[r][c];
    if (k.plr_flag == 0) {
        arr.g2[r][c] = g2;
        if (m.exam_flag) {
            arr.ff[r][c] = 0;
            arr.plr[r][c] = 0;
        }
        return;
    }

    // Local mean time and its hour angle from local midnight.
    float lmt = m.cur_lon;
    if (m.cur_lon < 0) lmt = float(D(m.cur_lon) + kTwoPi);
    lmt = float(D(k.calc_time) - D(lmt) * kDegPerRad * (1.0 / 15));
    if (lmt < 0)
        lmt = float(D(lmt) + 24);
    else if (lmt >= 24)
        lmt = float(D(lmt) - 24);
    const float phi = float(D(lmt) * kPi / 12);

    // Season as a fractional month.
    const float tmo = float((D(k.calc_time) / 24 + k.day) / 30 + k.month - 0.5);
    const float t = float(D(kPi) * tmo / 12);
    const float v = float(std::sin(D(t)));
    const float cmlat = float(std::cos(D(mlat)));

    float plr;
    if (mlat >= 0) {
        plr = float(
            (D(k.nplr_5) + D(k.nplr_6) * v) * (D(k.nplr_1) + D(k.nplr_2) * m.ssn) *
            std::exp(D(k.nplr_3) * (std::cos(D(mlat) + D(k.nplr_4) * std::cos(D(phi))) - cmlat)));
    } else {
        const float u = float(std::cos(D(t) * t));
        const float y = float(std::sin(D(mlon) / 2));
        const float ys = float(std::cos(D(mlon) / 2 - 0.05 * kPi));
        const float z = float(std::sin(D(mlon)));
        const float za = float(std::sqrt(std::fabs(D(z))));
        const float am = float(1 + D(v));
        const D z_over_za = z == 0 ? 0.0 : D(z) / za;
        const float b = float(((D(y) - z) * 0.5 - std::pow(D(y), 8.0)) * v -
                              std::exp(-4 * D(y) * y) * (D(am) * u * z_over_za));
        const float ys4 = float(std::pow(D(ys), 4.0));
        plr =
            float((D(k.splr_1) + m.ssn / D(k.splr_2)) +
                  u * (D(k.splr_3) + ys4 * (D(k.splr_4) + D(k.splr_5) * m.ssn)) +
                  (D(k.splr_6) + D(k.splr_7) * m.ssn) * std::cos(D(phi) - kPi * (D(k.splr_8) + b)) +
                  std::exp(-D(v) * ys4) * (D(k.splr_9) + D(k.splr_10) * (k.splr_11 - D(v) * v)));
    }

    // Blending factor: near 1 close to the geomagnetic pole, falling off steeply
    // towards lower latitudes; long days and disturbance widen the polar cap.
    float x1 = clamp_to(float((D(arr.day_len[r]) - k.x_5) * k.x_6), 0, 1);
    x1 = float(D(x1) * k.x_7);
    const float x2 = float(D(k.x_8) * m.ak_factor);
    const float x =
        float(cmlat * (D(k.x_1) + (D(k.x_2) + m.ssn / D(k.x_3)) * std::sin(D(mlat)) + x1 + x2));
    float xx = float(std::pow(std::fabs(D(x)), D(k.x_4)));
    if (xx > 75) xx = 75;
    const float ff = float(std::exp(-D(xx)));

    float qqq = float((1 - D(ff)) * g2 * g2 / k.g2_8 + D(k.g2_9) * ff * plr);
    if (qqq < 0) qqq = 0;
    g2 = float(std::sqrt(D(qqq)) * k.g2_7);

    arr.g2[r][c] = g2;
    if (m.exam_flag) {
        arr.ff[r][c] = ff;
        arr.plr[r][c] = float(D(plr) * ff);
    }
}

}  // namespace skywave
