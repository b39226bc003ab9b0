// Checks power() against the C library's pow for every positive float, as doubles, and
// for random doubles of every magnitude: the exponents it takes a shortcut for (2, 1/2,
// -1/2) must give pow's bits everywhere. It also counts the floats whose square root
// is not pow's root, the cases a plain sqrt would get wrong.
//
//   check_power            every float (about two minutes), then 10^8 random doubles
//   check_power N          N random doubles only
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "base/power.h"

namespace {

bool same_bits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

std::uint64_t mismatches(double x) {
    std::uint64_t bad = 0;
    for (double e : {2.0, 0.5, -0.5})
        if (!same_bits(skywave::power(x, e), std::pow(x, e))) {
            if (bad == 0) std::printf("differs: %a ^ %g\n", x, e);
            ++bad;
        }
    return bad;
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t bad = 0;
    long long doubles = 100'000'000;
    if (argc > 1) {
        doubles = std::atoll(argv[1]);
    } else {
        std::uint64_t sqrt_differs = 0;
        for (std::uint32_t b = 1; b < 0x7f80'0000u; ++b) {
            const double x = std::bit_cast<float>(b);
            bad += mismatches(x);
            if (!same_bits(std::sqrt(x), std::pow(x, 0.5))) ++sqrt_differs;
        }
        std::printf("every positive float: %llu mismatches; sqrt is not pow for %llu\n",
                    (unsigned long long)bad, (unsigned long long)sqrt_differs);
    }
    std::mt19937_64 random(1);
    for (long long i = 0; i < doubles; ++i) {
        const std::uint64_t b = (random() & 0x800f'ffff'ffff'ffffu) |
                                (std::uint64_t(0x3ff - 700 + int(random() % 1400)) << 52);
        bad += mismatches(std::bit_cast<double>(b));
    }
    std::printf("%lld random doubles: done; %llu mismatches in all\n", doubles,
                (unsigned long long)bad);
    return bad == 0 ? 0 : 1;
}
