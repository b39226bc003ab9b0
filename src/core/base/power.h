// Powers with exactly the bits of the C library's pow, found faster where that is sure.
//
// The model's exponents are mostly 1, 2, 1/2 and -1/2 (a square, a root, an inverse
// root), and pow is among the dearest calls of a step. pow is not a square root: it is
// only within 0.54 ulp of the exact power (the bound of glibc's pow), and where the
// exact value lies near the midpoint between two doubles it may return the other one;
// among the floats alone over a million roots differ that way. So the cheap result is
// taken only where it is the double nearest to the exact value by a clear margin: when
// the exact value lies within 0.45 ulp of it, every other double is more than 0.55 ulp
// away, and pow cannot return one of those. A square and a square root are rounded
// once, and one fused multiply-add gives their rounding error exactly; that tells how
// far the exact value lies from the rounded one. Elsewhere (near a midpoint, beside a
// power of two, outside moderate magnitudes, zeros, NaNs) pow itself is called.
#pragma once

#include <cmath>

namespace skywave {

// pow(x, e) for the exponents 2, 1/2 and -1/2, bit for bit.
double power_of_special(double x, double e);

// pow(x, e), bit for bit. An exponent of 1 (pow returns x itself) costs no call, and
// any other but the three above goes to pow straight away.
inline double power(double x, double e) {
    if (e == 1) return x;
    if (e == 2 || e == 0.5 || e == -0.5) return power_of_special(x, e);
    return std::pow(x, e);
}

// pow(f, e) of a float: its square is exact in double (as pow returns it), so it needs
// no check at all.
inline double power_of_float(float f, double e) {
    if (e == 2) return double(f) * f;
    return power(f, e);
}

}  // namespace skywave
