// The numeric ground rules of the model.
//
// Every stored quantity is a single-precision float, but the arithmetic is carried
// out in double: the operands are promoted before the first operation and the result
// is rounded to float only when it is assigned to a named quantity. The single-precision
// literals below are the model's own values of pi and of the degree/radian factors;
// they are floats on purpose and are promoted to double where they are used.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace skywave {

using D = double;

inline constexpr float kDegPerRad = 57.29578f;     // degrees per radian
inline constexpr float kRadPerDeg = 0.017453292f;  // radians per degree
inline constexpr float kRadPerDeg2 = 0.01745329f;  // the shorter factor used for file locations
inline constexpr float kPi = 3.1415927f;
inline constexpr float kTwoPi = 6.2831855f;
inline constexpr float kHalfPi = 1.5707964f;
inline constexpr float kThreeHalfPi = 4.712389f;
inline constexpr double kEarthRadiusKm = 6371.0;  // the Earth's mean radius

// The exact bits of a value, as the memos of the model key on them: equal bits give
// equal results, where equal values need not (0 and -0, NaNs).
inline std::uint32_t bits_of(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}
inline std::uint64_t bits_of(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The unit in the last place of a positive normal value: its power of two over the
// mantissa's 2^23 (float) or 2^52 (double).
inline float ulp_of(float v) {
    const std::uint32_t power = bits_of(v) & 0x7f80'0000u;
    float p;
    std::memcpy(&p, &power, sizeof p);
    return p * 0x1p-23f;
}
inline double ulp_of(double v) {
    const std::uint64_t power = bits_of(v) & 0x7ff0'0000'0000'0000u;
    double p;
    std::memcpy(&p, &power, sizeof p);
    return p * 0x1p-52;
}

// The float that every double within slack of v rounds to, if there is one: v lies
// farther than slack from both midpoints between its float and the neighbouring ones.
// A value known only to within slack of another then rounds exactly as that one does.
// None for values beyond 2^+-100 in size (zeros, NaNs, infinities among them).
inline std::optional<float> float_within(double v, double slack) {
    const double a = std::fabs(v);
    if (!(a >= 0x1p-100 && a <= 0x1p100)) return std::nullopt;
    const float f = float(a);
    const double ulp = ulp_of(f);
    const double up = double(f) + ulp / 2;
    // Below a power of two the next float lies only half an ulp away.
    const double down = double(f) - ((bits_of(f) & 0x007f'ffffu) == 0 ? ulp / 4 : ulp / 2);
    if (!(up - a > slack && a - down > slack)) return std::nullopt;
    return v < 0 ? -f : f;
}

// The same for a slack of rel |v| (rel at most 2^-30), told from the bits alone: v's
// distance to the midpoint in its float's spacing, counted in v's own ulps, must exceed
// rel 2^53 (|v| is below 2^53 of them). Cheaper where the bound is relative.
inline std::optional<float> float_within_relative(double v, double rel) {
    const std::uint64_t b = bits_of(v);
    const std::uint64_t exponent = (b >> 52) & 0x7ff;
    if (exponent < 1023 - 100 || exponent > 1023 + 100) return std::nullopt;
    // The 29 bits below a float's mantissa; the midpoint lies at 2^28.
    const std::int64_t from_midpoint = std::int64_t(b & 0x1fff'ffffu) - 0x1000'0000;
    const double margin = rel * 0x1p53;
    if (!(double(from_midpoint < 0 ? -from_midpoint : from_midpoint) > margin)) return std::nullopt;
    return float(v);
}

// Truncates toward zero. A value that has no integer meaning (NaN, infinity or beyond
// the range of int) gives no result, so callers decide what "no value" means instead
// of running into undefined behaviour.
inline std::optional<int> trunc_to_int(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::nullopt;
    return static_cast<int>(v);
}

// An index into a grid dimension of n cells: truncated toward zero and kept inside
// 0 ... n-1, so that a point on the outer edge reads the nearest edge cell.
inline int cell_index(double v, int n) {
    std::optional<int> i = trunc_to_int(v);
    if (!i || *i < 0) return 0;
    return *i < n ? *i : n - 1;
}

// The number of hops of a path: trunc(quotient) + 1, kept in 1 ... 1000 so that odd
// hand-set constants can neither divide by zero nor make a path take forever.
inline int hop_count(double quotient) {
    constexpr int kMaxHops = 1000;
    if (std::isnan(quotient) || quotient < 0) return 1;
    if (quotient >= kMaxHops) return kMaxHops;
    return static_cast<int>(quotient) + 1;
}

// Clamps as the model writes it: raise to the lower bound, then limit to the upper
// one (the upper bound wins if they cross). A NaN passes unchanged.
inline float clamp_to(float x, float lo, float hi) {
    if (x < lo) x = lo;
    if (x > hi) x = hi;
    return x;
}

}  // namespace skywave
