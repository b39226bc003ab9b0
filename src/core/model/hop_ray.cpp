#include "model/hop_ray.h"

#include <cmath>

#include "base/numbers.h"
#include "base/power.h"
#include "model/constants.h"

namespace skywave {

namespace {

constexpr double kRightAngle = 0x1.921fb54442d18p0;  // pi/2, within 2^-54

}  // namespace

// The bounds below are sixteen or more times what the roundings can reach; the
// library's arctangent, sine and cosine lie within an ulp of the exact values. With s,
// c the half hop's sine and cosine and rise = (R + h) / R - c:
// - the tangent s / rise carries a relative error below 2^-51.5 / rise, which moves its
//   arctangent by half that; the cosine and sine of the incidence from the secant lie
//   within 2^-50.7 of the exact ones;
// - the library's take-off angle, the arctangent of (c - R / (R + h)) / s, lies within
//   2^-52 s / (s^2 + (c - R/(R+h))^2) <= 2^-52 / s of the exact one; the triangle holds
//   for s^2 + c^2 = 1 only, and the sine and cosine's roundings move it by up to
//   2^-51 (R + h) / R / s; the subtraction from pi/2 adds below 2^-51.
HopRay::HopRay(float h_calc, float half_hop, double sin_half_hop, double cos_half_hop)
    : h_calc_(h_calc), sin_hh_(sin_half_hop), cos_hh_(cos_half_hop) {
    const D R = kEarthRadiusKm;
    const double rise = (R + h_calc) / R - cos_half_hop;
    const double tangent = sin_half_hop / rise;
    incidence_ = std::atan(tangent);
    // Heights between the ground and an earth radius keep (R + h) / R within [1, 2].
    usable_ = tangent >= 0x1p-60 && tangent <= 0x1p14 && h_calc >= 0 && h_calc <= R;
    if (!usable_) return;
    tangent_ = tangent;
    secant_ = std::sqrt(1 + tangent * tangent);
    takeoff_ = (kRightAngle - D(half_hop)) - incidence_;
    takeoff_slack_ = 0x1p-44 + 0x1p-46 / sin_half_hop + 0x1p-48 / rise;
}

float HopRay::phi(const Constants& k) const {
    return clamp_to(float(incidence_), k.min_phi, k.max_phi);
}

// cos(phi) is the incidence's cosine turned by the float's offset d from the incidence
// (below 2^-24 of it, so d is exact and d^3 negligible): (1 - d^2/2 - tan d) / sec. Its
// relative error stays below 2^-49.5 + tan 2^-51.4 (the library's arctangent lies
// within an ulp of the exact angle, which the tangent turns into the cosine's share).
float HopRay::m9(const Constants& k, float phi) const {
    if (usable_ && phi == float(incidence_)) {
        const double d = D(phi) - incidence_;
        const double m9 = D(k.m9_1) * secant_ / (1 - d * d / 2 - tangent_ * d);
        if (const auto f = float_within_relative(m9, 0x1p-46 * (1 + tangent_))) return *f;
    }
    return float(D(k.m9_1) / std::cos(D(phi)));
}

float HopRay::takeoff(const Constants& k) const {
    std::optional<float> t;
    if (usable_) t = float_within(takeoff_, takeoff_slack_);
    if (!t) t = float(std::atan((cos_hh_ - kEarthRadiusKm / (h_calc_ + kEarthRadiusKm)) / sin_hh_));
    return clamp_to(*t, k.min_takeoff, k.max_takeoff);
}

// cos(takeoff) is sin(half hop + incidence) turned by the float's offset from the
// angle worked out above (within 2^-50 of pi/2 - half hop - incidence): within 2^-48.5
// of the library's cosine, so its square within 2^-47.5 of the library's power.
float HopRay::sex(const Constants& k, float takeoff) const {
    if (usable_ && k.sex_3 == 2 && takeoff_ >= 0x1p-20 && takeoff == float(takeoff_)) {
        const double d = D(takeoff) - takeoff_;
        const double cos_i = 1 / secant_, sin_i = tangent_ * cos_i;
        const double cos_psi = sin_hh_ * cos_i + cos_hh_ * sin_i;
        const double sin_psi = cos_hh_ * cos_i - sin_hh_ * sin_i;
        const double c = cos_psi * (1 - d * d / 2) - sin_psi * d;
        const double sex = D(k.sex_1) - D(k.sex_2) * (c * c);
        const double slack = std::fabs(D(k.sex_2)) * 0x1p-43 +
                             (std::fabs(D(k.sex_1)) + std::fabs(D(k.sex_2))) * 0x1p-48;
        if (const auto f = float_within(sex, slack)) return *f;
    }
    return float(D(k.sex_1) - D(k.sex_2) * power(std::cos(D(takeoff)), D(k.sex_3)));
}

}  // namespace skywave
