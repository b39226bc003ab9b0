#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "base/numbers.h"
#include "base/power.h"

using namespace skywave;

namespace {

bool same_bits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

// Roots of floats where the library's pow is not the square root: the cases a plain
// sqrt would get wrong, and the reason power exists.
TEST(Power, RootsOfFloatsArePowsBitsWhereSqrtsAreNot) {
    int sqrt_differs = 0;
    for (std::uint32_t b = std::bit_cast<std::uint32_t>(1.0f);
         b < (std::bit_cast<std::uint32_t>(1.0f) + (1u << 21)); ++b) {
        const double x = std::bit_cast<float>(b);
        if (!same_bits(std::pow(x, 0.5), std::sqrt(x))) ++sqrt_differs;
        ASSERT_TRUE(same_bits(power(x, 0.5), std::pow(x, 0.5))) << x;
        ASSERT_TRUE(same_bits(power(x, -0.5), std::pow(x, -0.5))) << x;
        ASSERT_TRUE(same_bits(power(x, 2), std::pow(x, 2.0))) << x;
    }
    EXPECT_GT(sqrt_differs, 100);  // the scan does meet the hard cases
}

TEST(Power, EveryExponentAndMagnitudeGivesPowsBits) {
    std::mt19937_64 random(7);
    const double exponents[] = {1, 2, 0.5, -0.5, 0.3333, -0.4, 1.125};
    for (int i = 0; i < 200000; ++i) {
        // Doubles of every mantissa across 2^-600 ... 2^600, either sign.
        const std::uint64_t bits = (random() & 0x800f'ffff'ffff'ffffu) |
                                   (std::uint64_t(0x3ff - 600 + int(random() % 1200)) << 52);
        const double x = std::bit_cast<double>(bits);
        for (double e : exponents)
            ASSERT_TRUE(same_bits(power(x, e), std::pow(x, e))) << x << "^" << e;
    }
    const double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {0.0,
                               -0.0,
                               1.0,
                               4.0,
                               0.25,
                               -4.0,
                               inf,
                               -inf,
                               std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::denorm_min(),
                               0x1p-1000,
                               0x1p1000};
    for (double x : specials)
        for (double e : exponents)
            EXPECT_TRUE(same_bits(power(x, e), std::pow(x, e))) << x << "^" << e;
}

}  // namespace

// A value known to within a slack stands for another only if every double that close
// rounds to the same float: the ends of the interval do, on either side of a power of
// two too, for an absolute and a relative slack; a value on a float midpoint, a zero or
// a non-finite value gives none; and with a slack far below a float's ulp nearly every
// value gives one.
TEST(FloatWithin, EveryValueWithinTheSlackRoundsToTheFloatGiven) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    long given = 0, tried = 0;
    for (int i = 0; i < 400000; ++i) {
        double v = std::ldexp(1 + unit(random), int(random() % 120) - 60);
        if (i % 4 == 0) v = std::ldexp(1 - unit(random) * 0x1p-20, int(random() % 40) - 20);
        if (i % 2 == 0) v = -v;
        const double rel = std::ldexp(1.0, -30 - int(random() % 24));
        const double slack = std::fabs(v) * rel;
        ++tried;
        for (const std::optional<float> f :
             {float_within(v, slack), float_within_relative(v, rel)}) {
            if (!f) continue;
            ++given;
            for (const double w : {v - slack, v + slack, v + (2 * unit(random) - 1) * slack})
                ASSERT_EQ(float(w), *f) << v << " slack " << slack;
        }
    }
    EXPECT_GT(given, tried);  // both give a float for most values
    for (int i = 0; i < 1000; ++i) {
        const float f = float(std::ldexp(1 + unit(random), int(random() % 60) - 30));
        const double midpoint = (double(f) + double(std::nextafter(f, 2 * f))) / 2;
        EXPECT_FALSE(float_within(midpoint, 0x1p-80));
        EXPECT_FALSE(float_within_relative(midpoint, 0x1p-60));
    }
    EXPECT_TRUE(float_within(1.0 + 0x1p-40, 0x1p-60));
    for (const double v : {0.0, -0.0, std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(), 0x1p-120, 0x1p120})
        EXPECT_FALSE(float_within(v, 0) || float_within_relative(v, 0)) << v;
}
