#include "base/power.h"

#include <cmath>
#include <cstdint>

#include "base/numbers.h"

namespace skywave {

namespace {

// Inside this range nothing of the tests below overflows, underflows or is subnormal.
bool moderate(double v) {
    return v >= 0x1p-500 && v <= 0x1p500;
}

// Whether a positive normal r is pow's answer for the exact value r + num / den (den
// > 0): the offset within 0.45 ulp of r. Just above a power of two the double below lies
// only half an ulp away: pow decides there, unless r is exact.
bool nearest_by_margin(double r, double num, double den) {
    if ((bits_of(r) & 0x000f'ffff'ffff'ffffu) == 0) return num == 0;
    return std::fabs(num) < 0.45 * ulp_of(r) * den;
}

[[gnu::always_inline]] inline double power_with(double x, double e) {
    if (e == 1) return x;  // pow returns x itself
    if (e == 2) {
        const double p = x * x;
        if (moderate(p)) {
            const double error = std::fma(x, x, -p);  // x*x - p, exactly
            if (nearest_by_margin(p, error, 1)) return p;
        }
    } else if (e == 0.5) {
        if (moderate(x)) {
            const double s = std::sqrt(x);
            const double rest = std::fma(-s, s, x);  // x - s*s, exactly
            // The exact root is s + rest / 2s, to far below an ulp.
            if (nearest_by_margin(s, rest, 2 * s)) return s;
        }
    } else if (e == -0.5) {
        if (moderate(x)) {
            // t = y*y*x - 1 to far below an ulp: y*y = a + b and a*x = c + d exactly,
            // and c is so near 1 that c - 1 is exact. The exact value is then
            // y (1 + t)^-1/2 = y - y t / 2, to far below an ulp.
            const auto offset = [x](double y) {
                const double a = y * y, b = std::fma(y, y, -a);
                const double c = a * x, d = std::fma(a, x, -c);
                return (c - 1) + (d + b * x);
            };
            const double y = 1 / std::sqrt(x);  // within about an ulp of the exact value
            const double t = offset(y);
            if (nearest_by_margin(y, -y * t, 2)) return y;
            // A third of the time the two roundings land on a neighbour: the corrected
            // value is then the nearest double, checked the same way.
            const double y2 = std::fma(-0.5 * y, t, y);
            if (y2 != y && moderate(y2) && nearest_by_margin(y2, -y2 * offset(y2), 2)) return y2;
        }
    }
    return std::pow(x, e);
}

// Where the processor has a fused multiply-add, the exact rounding errors above take
// one instruction; elsewhere the library's fma works out the same exact values.
#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target("fma")]] double power_fma(double x, double e) {
    return power_with(x, e);
}
const bool kHasFma = (__builtin_cpu_init(), __builtin_cpu_supports("fma"));
#endif

}  // namespace

double power_of_special(double x, double e) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (kHasFma) return power_fma(x, e);
#endif
    return power_with(x, e);
}

}  // namespace skywave
