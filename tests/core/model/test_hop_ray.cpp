#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "base/numbers.h"
#include "base/power.h"
#include "model/constants.h"
#include "model/hop_ray.h"

using namespace skywave;

namespace {

// The hop's angles as the library formulas give them.
struct LibraryRay {
    float phi, m9, takeoff, sex;
};
LibraryRay library_ray(const Constants& k, float h, double s, double c) {
    const D R = kEarthRadiusKm;
    LibraryRay r;
    r.phi = clamp_to(float(std::atan(s / ((R + h) / R - c))), k.min_phi, k.max_phi);
    r.m9 = float(D(k.m9_1) / std::cos(D(r.phi)));
    r.takeoff = clamp_to(float(std::atan((c - R / (h + R)) / s)), k.min_takeoff, k.max_takeoff);
    r.sex = float(D(k.sex_1) - D(k.sex_2) * power(std::cos(D(r.takeoff)), D(k.sex_3)));
    return r;
}

}  // namespace

// Bit for bit the library formulas: heights from the ground to beyond the ionosphere
// (and odd ones), half hops from a few metres to half the world, the default constants
// and random ones that clamp the angles or change the slant factor. A million rays meet
// the floats' rounding edges thousands of times; the quick values must still be the
// library's.
TEST(HopRay, GivesTheLibraryFormulasBits) {
    std::mt19937_64 rng(20261208);
    std::uniform_real_distribution<double> unit(0, 1);
    Constants defaults;
    init_consts(defaults);
    const float odd_heights[] = {0, -5, 1e-3f, 6371, 7000, 1e9f};
    for (int i = 0; i < 1'000'000; ++i) {
        Constants k = defaults;
        if (i % 4 == 1) {
            k.min_phi = float(unit(rng) * 0.5);
            k.max_phi = float(1 + unit(rng) * 0.6);
            k.min_takeoff = float(unit(rng) * 0.1);
            k.max_takeoff = float(0.5 + unit(rng));
            k.m9_1 = float(0.5 + 2 * unit(rng));
            k.sex_1 = float(2 * unit(rng));
            k.sex_2 = float(2 * unit(rng) - 0.5);
        } else if (i % 4 == 2) {
            k.sex_3 = float(3 * unit(rng));
        }
        float h = float(80 + 520 * unit(rng));
        if (i % 50 == 0) h = odd_heights[i / 50 % 6];
        const float half_hop = float(i % 10 == 0 ? unit(rng) * 3.1416 : unit(rng) * 0.4);
        const double s = std::sin(D(half_hop)), c = std::cos(D(half_hop));
        const LibraryRay want = library_ray(k, h, s, c);
        const HopRay ray(h, half_hop, s, c);
        const float phi = ray.phi(k), takeoff = ray.takeoff(k);
        const auto same = [](float a, float b) { return bits_of(a) == bits_of(b); };
        ASSERT_TRUE(same(phi, want.phi)) << i << " h " << h << " half hop " << half_hop;
        ASSERT_TRUE(same(ray.m9(k, phi), want.m9)) << i << " h " << h << " half hop " << half_hop;
        ASSERT_TRUE(same(takeoff, want.takeoff)) << i << " h " << h << " half hop " << half_hop;
        ASSERT_TRUE(same(ray.sex(k, takeoff), want.sex))
            << i << " h " << h << " half hop " << half_hop;
    }
}
