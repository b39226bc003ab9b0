#include <gtest/gtest.h>

#include <cmath>

#include "model/f2_layer.h"
#include "model/model.h"
#include "test_support.h"

using namespace skywave;

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180;

// One grid point of the F2 model with its row's noon zenith angle and day length and
// its own sunrise and sunset. The default point: flux 150, a quiet field, the noon sun
// 30 degrees from the zenith, a 14 hour day from 4 h to 18 h UTC.
struct F2Point {
    static constexpr int r = 5, c = 7;
    Model m;

    F2Point() {
        test::setup_model(m);
        m.exam_flag = 1;
        m.consts.sf_index = 150;
        m.ak_factor = 0;
        m.ssn = 105;
        sun(float(std::cos(30 * kDeg)), 14, 4, 18);
    }
    void sun(float c_sol_zen, float day_len, float rise, float set, int col = c) {
        m.arrays->c_sol_zen[r] = c_sol_zen;
        m.arrays->day_len[r] = day_len;
        m.arrays->t_sunrise[r][col] = rise;
        m.arrays->t_sunset[r][col] = set;
    }
    void at(float time, int col = c) {
        m.consts.calc_time = time;
        m.lat_idx = r;
        m.lon_idx = col;
        calc_g2(m);
    }
    const ResultArrays& a() const { return *m.arrays; }
    float g2a() const { return a().g2a[r][c]; }
    float h() const { return a().h[r][c]; }
    float g9() const { return a().g9[r][c]; }
    float u() const { return a().u[r][c]; }
    float cf_noon() const { return a().cf_noon[r][c]; }
    // The day regime fills the day intermediates and clears the night ones, and the
    // night regime the other way round.
    bool is_day() const {
        const bool day = a().g2a_d[r][c] != 0 && a().cf_noon[r][c] != 0;
        const bool night = a().g2a_n[r][c] != 0 && a().g0_n[r][c] != 0;
        EXPECT_NE(day, night) << "exactly one regime's values are set";
        return day;
    }
};

}  // namespace

TEST(F2Layer, DayWorkedValues) {
    F2Point p;
    p.at(12);
    const ResultArrays& a = p.a();
    const int r = F2Point::r, c = F2Point::c;
    EXPECT_NEAR(p.m.cf_noon_max, 10.85, 0.01);
    EXPECT_NEAR(a.cf_noon[r][c], 0.921, 0.001);
    EXPECT_NEAR(a.g9[r][c], 0.571, 0.001);
    EXPECT_NEAR(a.t9[r][c], 2.438, 0.001);
    EXPECT_NEAR(a.g8[r][c], 0.435, 0.001);
    EXPECT_NEAR(a.u[r][c], -3.28, 0.01);
    EXPECT_EQ(a.u1[r][c], 0);
    EXPECT_NEAR(a.g0_d[r][c], 1.383, 0.001);
    EXPECT_NEAR(p.g2a(), 11.96, 0.01);
    EXPECT_EQ(a.g2a_d[r][c], p.g2a());
    EXPECT_EQ(a.g0_n[r][c], 0);
    EXPECT_EQ(a.g2a_n[r][c], 0);
    // Height: 200 x (1 + cos 30)/2 x sin(pi g9^2) + 230 + 0.5 ssn.
    EXPECT_NEAR(p.h(), 442.07, 0.05);

    // The same point through its day: rising in the morning, falling towards sunset.
    p.at(6);
    EXPECT_NEAR(p.g2a(), 6.79, 0.01);
    p.at(17.5f);
    EXPECT_NEAR(p.g2a(), 8.69, 0.01);
    EXPECT_TRUE(p.is_day());
    // Disturbance lowers the day value through the exponent (g0_d_ak3).
    const float quiet = p.g2a();
    p.m.ak_factor = 4;
    p.at(17.5f);
    EXPECT_LT(p.g2a(), quiet);
}

TEST(F2Layer, NightWorkedValues) {
    F2Point p;
    p.at(23);
    const ResultArrays& a = p.a();
    const int r = F2Point::r, c = F2Point::c;
    EXPECT_NEAR(a.g9[r][c], 0.357, 0.001);
    EXPECT_NEAR(a.t9[r][c], 1.121, 0.001);
    EXPECT_NEAR(a.g8[r][c], 0.252, 0.001);
    EXPECT_NEAR(a.u1[r][c], -12.49, 0.01);
    EXPECT_NEAR(a.u[r][c], -3.0, 1e-5);
    EXPECT_NEAR(a.g0_n[r][c], 0.0083, 0.00015);
    EXPECT_NEAR(p.m.a1, 0.925, 0.001);
    EXPECT_NEAR(p.g2a(), 4.97, 0.01);
    EXPECT_EQ(a.g2a_n[r][c], p.g2a());
    EXPECT_EQ(a.g0_d[r][c], 0);
    EXPECT_EQ(a.g2a_d[r][c], 0);
    EXPECT_EQ(a.cf_noon[r][c], 0);
    // The night height has no time term with the defaults: 230 + 0.5 ssn - 10 ak.
    EXPECT_NEAR(p.h(), 282.5, 1e-3);

    // After midnight the time counts on from the previous evening's sunset: 26 h.
    p.at(2);
    EXPECT_NEAR(p.g9(), 8.0 / 14, 1e-5);
    EXPECT_NEAR(p.u(), -4.8, 1e-5);
    EXPECT_NEAR(p.g2a(), 4.26, 0.01);
    EXPECT_FALSE(p.is_day());
}

TEST(F2Layer, PolarNight) {
    F2Point p;
    const double edge = std::cos(double(p.m.consts.dn_1));  // noon sun at 105 degrees
    const float below = float(edge) <= edge ? float(edge) : std::nextafter(float(edge), -1.0f);
    // Every column of the row, whatever its sunrise, sunset and time: a fixed height of
    // 300 km and 4 a1 from an empty night profile.
    for (int col = 0; col < 6; ++col) {
        p.sun(below, 0.00006f, 2.0f * col, 3.0f * col + 1, col);
        p.at(1.5f + 3 * col, col);
    }
    const ResultArrays& a = p.a();
    const int r = F2Point::r;
    EXPECT_NEAR(p.m.a1, 0.925, 0.001);
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(a.h[r][col], 300.0f) << col;
        EXPECT_NEAR(a.g2a[r][col], 4 * p.m.a1, 1e-5) << col;
        EXPECT_EQ(a.g2a[r][col], a.g2a[r][0]) << col;
        EXPECT_EQ(a.g2a_n[r][col], a.g2a[r][col]);
        for (const Array2D* zero :
             {&a.g9, &a.g8, &a.t9, &a.u, &a.u1, &a.g0_n, &a.g0_d, &a.g2a_d, &a.cf_noon})
            EXPECT_EQ((*zero)[r][col], 0) << col;
    }
    // The next value up sees a sun that clears 105 degrees at noon: an ordinary day.
    p.sun(std::nextafter(float(edge), 1.0f), 1, 11.5f, 12.5f);
    p.at(12);
    EXPECT_TRUE(p.is_day());
    EXPECT_NE(p.h(), 300.0f);
    // The polar-night height is a constant of its own.
    p.m.consts.h_n = 250;
    p.sun(-0.9f, 0.00006f, 12, 12);
    p.at(7);
    EXPECT_EQ(p.h(), 250.0f);
}

TEST(F2Layer, RegimeAtSunriseAndSunset) {
    F2Point p;
    // Daylight within the UTC day (4 h to 18 h): the instants of sunrise and sunset
    // belong to the night.
    p.at(4);
    EXPECT_FALSE(p.is_day());
    EXPECT_NEAR(p.g9(), 10.0 / 14, 1e-5);  // ten hours since the previous sunset
    p.at(18);
    EXPECT_FALSE(p.is_day());
    EXPECT_EQ(p.g9(), 0);
    EXPECT_EQ(p.u(), 0);
    p.at(4.01f);
    EXPECT_TRUE(p.is_day());
    p.at(17.99f);
    EXPECT_TRUE(p.is_day());

    // Daylight across 0 h UTC (22 h to 12 h): now those instants belong to the day.
    p.sun(float(std::cos(30 * kDeg)), 14, 22, 12);
    p.at(22);
    EXPECT_TRUE(p.is_day());
    EXPECT_EQ(p.g9(), 0);
    p.at(12);
    EXPECT_TRUE(p.is_day());
    EXPECT_NEAR(p.g9(), 1, 1e-5);
    // One hour after midnight is three hours after sunrise.
    p.at(1);
    EXPECT_TRUE(p.is_day());
    EXPECT_NEAR(p.g9(), 3.0 / 14, 1e-5);
    EXPECT_NEAR(p.u(), -3 / p.a().t9[F2Point::r][F2Point::c], 1e-5);
    p.at(15);
    EXPECT_FALSE(p.is_day());
    EXPECT_NEAR(p.g9(), 3.0 / 14, 1e-5);

    // Sunrise and sunset at the same time: night all day. The night fraction counts in
    // day lengths, so it can pass 1.
    p.sun(float(std::cos(30 * kDeg)), 14, 10, 10);
    for (float t : {3.0f, 10.0f, 15.0f}) {
        p.at(t);
        EXPECT_FALSE(p.is_day()) << t;
    }
    p.at(3);
    EXPECT_NEAR(p.g9(), 17.0 / 14, 1e-5);
}

TEST(F2Layer, ClampsKeepTheExponentialsFinite) {
    F2Point p;
    const ResultArrays& a = p.a();
    const int r = F2Point::r, c = F2Point::c;
    // A low noon sun: the time constant falls to its floor of 0.1 h, and the decay
    // exponent u1 = -14 / 0.1 is held at -75.
    p.sun(0.05f, 14, 4, 18);
    p.at(23);
    EXPECT_FALSE(p.is_day());
    EXPECT_EQ(a.t9[r][c], 0.1f);
    EXPECT_EQ(a.u1[r][c], -75.0f);
    EXPECT_TRUE(std::isfinite(p.g2a()));
    // The night exponent u runs free well before its bound: 17 h after sunset, -10.2.
    p.sun(float(std::cos(30 * kDeg)), 14, 10, 10);
    p.at(3);
    EXPECT_NEAR(p.u(), -10.2, 1e-5);
    // By day u = -10 / 0.1 is held at -87, and a positive one at 87: e^87 still fits
    // a float.
    p.sun(0.05f, 14, 4, 18);
    p.at(14);
    EXPECT_TRUE(p.is_day());
    EXPECT_EQ(a.t9[r][c], 0.1f);
    EXPECT_EQ(p.u(), -87.0f);
    p.m.consts.u_day_1 = 1;
    p.at(14);
    EXPECT_EQ(p.u(), 87.0f);
    EXPECT_TRUE(std::isfinite(p.g2a()));
    EXPECT_TRUE(std::isfinite(a.g0_d[r][c]));
}

TEST(F2Layer, SeasonalCorrectionBoundsTheDayLength) {
    F2Point p;
    // Day lengths beyond 22 h count as 22: 1 - (0.6 + 0.45)(1 - (1.8 - 0.0625 x 22)).
    p.sun(float(std::cos(30 * kDeg)), 23, 1, 0);
    p.at(12);
    ASSERT_TRUE(p.is_day());
    EXPECT_NEAR(p.cf_noon(), 0.39625, 1e-5);
    // Below 12 h they count as 12.
    p.sun(float(std::cos(30 * kDeg)), 10, 7, 17);
    p.at(12);
    EXPECT_NEAR(p.cf_noon(), 1.0525, 1e-5);
    // Crossed bounds: the lower one wins.
    p.m.consts.noon_minday = 20;
    p.m.consts.noon_maxday = 15;
    p.at(12);
    EXPECT_NEAR(p.cf_noon(), 0.5275, 1e-5);
}

TEST(F2Layer, WithoutExaminationOnlyTheResultsChange) {
    F2Point p;
    p.m.exam_flag = 0;
    const int r = F2Point::r, c = F2Point::c;
    ResultArrays& a = *p.m.arrays;
    Array2D* intermediates[] = {&a.g0_d, &a.g0_n, &a.g2a_d, &a.g2a_n, &a.g9,
                                &a.g8,   &a.t9,   &a.u,     &a.u1,    &a.cf_noon};
    for (Array2D* arr : intermediates)
        (*arr)[r][c] = -777;
    a.g2a[r][c] = -1;
    a.h[r][c] = -1;
    for (float t : {12.0f, 23.0f}) {
        p.at(t);
        for (Array2D* arr : intermediates)
            EXPECT_EQ((*arr)[r][c], -777) << t;
    }
    EXPECT_NEAR(p.g2a(), 4.97, 0.01);
    EXPECT_NEAR(p.h(), 282.5, 1e-3);
    EXPECT_NEAR(p.m.cf_noon_max, 10.85, 0.01);  // the globals are kept up all the same
    EXPECT_NEAR(p.m.a1, 0.925, 0.001);
}

TEST(F2Layer, HeightStaysWithinItsBounds) {
    F2Point p;
    const auto night_height = [&p](float ssn, float ak) {
        p.m.ssn = ssn;
        p.m.ak_factor = ak;
        p.at(23);
        return p.h();
    };
    EXPECT_NEAR(night_height(0, 0), 230, 1e-3);
    EXPECT_NEAR(night_height(200, 0), 330, 1e-3);
    EXPECT_NEAR(night_height(0, 3), 200, 1e-3);
    EXPECT_EQ(night_height(1000, 0), 500.0f);
    EXPECT_EQ(night_height(0, 50), 100.0f);
    // Crossed bounds: the upper one wins.
    p.m.consts.h_min = 400;
    p.m.consts.h_max = 300;
    EXPECT_EQ(night_height(0, 0), 300.0f);
    // By day and in polar night as well.
    p.m.consts.h_min = 100;
    p.m.consts.h_max = 500;
    p.m.consts.h_d_7 = 2000;
    p.m.ssn = 0;
    p.m.ak_factor = 0;
    p.at(12);
    EXPECT_EQ(p.h(), 500.0f);
    p.m.consts.h_n = 20;
    p.sun(-0.9f, 0.00006f, 12, 12);
    p.at(12);
    EXPECT_EQ(p.h(), 100.0f);
}
