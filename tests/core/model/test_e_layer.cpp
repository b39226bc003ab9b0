#include <gtest/gtest.h>

#include <cmath>

#include "base/numbers.h"
#include "model/e_layer.h"
#include "model/model.h"
#include "test_support.h"

using namespace skywave;

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180;

struct ELayer {
    float fe, ex, ls;
};

ELayer e_layer_at(Model& m, float chi) {
    m.lat_idx = 7;
    m.lon_idx = 11;
    m.arrays->sol_angle[7][11] = chi;
    calc_fe(m);
    const ResultArrays& a = *m.arrays;
    return {a.fe[7][11], a.ex[7][11], a.ls[7][11]};
}

}  // namespace

TEST(ELayer, DayAndNightWorkedValues) {
    Model m;
    test::setup_model(m);
    m.ssn = 100;
    // Sun 60 degrees from the zenith: the day formula.
    const ELayer day = e_layer_at(m, float(60 * kDeg));
    EXPECT_EQ(day.ex, m.consts.fe_2);
    EXPECT_NEAR(day.fe, 3.130, 0.001);
    EXPECT_NEAR(day.ls, 0.2744, 0.0001);
    // Sun 100 degrees from the zenith: 20 degrees past the night threshold plus offset.
    const ELayer night = e_layer_at(m, float(100 * kDeg));
    EXPECT_EQ(night.ex, m.consts.fe_6);
    EXPECT_NEAR(night.fe, 1.190, 0.001);
    EXPECT_NEAR(night.ls, 0.0396, 0.0001);
    // The absorption index is ls_1 fe^ls_2, whatever the point.
    for (const ELayer& e : {day, night})
        EXPECT_NEAR(e.ls, 0.028 * e.fe * e.fe, 1e-6);
    m.consts.ls_2 = 3;
    m.consts.ls_1 = 0.5f;
    const ELayer cubed = e_layer_at(m, float(60 * kDeg));
    EXPECT_NEAR(cubed.ls, 0.5 * std::pow(cubed.fe, 3), 1e-4);
    // More sunspots, a stronger layer: the solar-activity factor is 1 + 0.0016 ssn.
    m.ssn = 0;
    EXPECT_NEAR(e_layer_at(m, float(60 * kDeg)).fe, 3.130 / 1.16, 0.001);
}

TEST(ELayer, TheTwoFormulasMeetAtFe1WithoutJoining) {
    Model m;
    test::setup_model(m);
    m.ssn = 100;
    const float fe_1 = m.consts.fe_1;
    const double activity = 3.4 * (1 + 0.0016 * 100);
    // Exactly at fe_1 the night formula runs, with the offset fe_10 (5 degrees) alone.
    const ELayer at = e_layer_at(m, fe_1);
    EXPECT_EQ(at.ex, m.consts.fe_6);
    EXPECT_NEAR(at.fe, std::pow(5.0, -0.4) * activity, 1e-4);
    // Just below it the day formula gives cos(85 degrees)^0.3333: a jump of 0.32 MHz.
    const ELayer below = e_layer_at(m, std::nextafter(fe_1, 0.0f));
    EXPECT_EQ(below.ex, m.consts.fe_2);
    EXPECT_NEAR(below.fe, std::pow(std::cos(85 * kDeg), 0.3333) * activity, 1e-4);
    EXPECT_GT(at.fe - below.fe, 0.3);
    // Deep night keeps falling: the further past fe_1, the weaker.
    EXPECT_GT(e_layer_at(m, float(110 * kDeg)).fe, e_layer_at(m, float(150 * kDeg)).fe);
}

TEST(ELayer, DayZenithAngleCappedWhenFe1IsRaised) {
    Model m;
    test::setup_model(m);
    m.ssn = 100;
    m.consts.fe_1 = float(95 * kDeg);
    // Between the 89.99 degree cap (1.5706218 rad) and fe_1 every angle gives the day
    // value of 89.99 degrees: a small positive cosine, never a negative one.
    const double cap_value = std::pow(std::cos(89.99 * kDeg), 0.3333) * 3.4 * 1.16;
    for (double deg : {89.99, 89.995, 90.0, 92.0, 94.99}) {
        const ELayer e = e_layer_at(m, float(deg * kDeg));
        EXPECT_EQ(e.ex, m.consts.fe_2) << deg;
        EXPECT_NEAR(e.fe, cap_value, 2e-4) << deg;
        EXPECT_TRUE(std::isfinite(e.ls)) << deg;
    }
    // Below the cap the cosine itself counts.
    EXPECT_GT(e_layer_at(m, float(89.9 * kDeg)).fe, cap_value + 0.05);
    // Past fe_1 the night formula takes over again.
    EXPECT_EQ(e_layer_at(m, float(96 * kDeg)).ex, m.consts.fe_6);
}

TEST(ELayer, ExponentTellsWhichFormulaRan) {
    Model m;
    test::setup_model(m);
    m.ssn = 57;
    // ex holds the constant itself, bit for bit: an indicator, not a computed value.
    m.consts.fe_2 = 0.123456f;
    m.consts.fe_6 = -0.654321f;
    for (int deg = 0; deg <= 180; deg += 7) {
        const ELayer e = e_layer_at(m, float(deg * kDeg));
        EXPECT_EQ(e.ex, deg < 85 ? 0.123456f : -0.654321f) << deg;
        EXPECT_GT(e.fe, 0) << deg;
    }
}
