#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

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
