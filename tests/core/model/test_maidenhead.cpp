#include <gtest/gtest.h>

#include <string>

#include "model/maidenhead.h"

using namespace skywave;

namespace {

void expect_centre(const char* locator, double lat, double lon) {
    const std::optional<LatLon> p = locator_centre(locator);
    ASSERT_TRUE(p) << locator;
    EXPECT_NEAR(p->lat, lat, 1e-9) << locator;
    EXPECT_NEAR(p->lon, lon, 1e-9) << locator;
}

}  // namespace

TEST(Maidenhead, CentresOfSquaresSubsquaresAndExtendedSquares) {
    // As the spot archives give them: a square's centre, a subsquare's centre.
    expect_centre("DO34", 54.5, -113);
    expect_centre("JO97bm", 57.5 + 0.5 / 24, 18.125);
    expect_centre("CM98iq", 38.6875, -121.0 - 7.0 / 24);
    // The first and the last cell of the world.
    expect_centre("AA00", -89.5, -179);
    expect_centre("RR99", 89.5, 179);
    expect_centre("AA00aa00", -90 + 1.0 / 480, -180 + 1.0 / 240);
    expect_centre("RR99xx99", 90 - 1.0 / 480, 180 - 1.0 / 240);
    // Case does not matter.
    expect_centre("jo97BM", 57.5 + 0.5 / 24, 18.125);
}

TEST(Maidenhead, RefusesWhatIsNoLocator) {
    for (const char* bad : {"ZZ99", "SA00", "JO9", "JO97b", "JO97bz", "JO97bm1", "JO97bmAA", "",
                            "J", "JO97 m", "1O97", "JOA7", "JO97bm1x", "JO97bm12ab"})
        EXPECT_FALSE(locator_centre(bad)) << '"' << bad << '"';
}

TEST(Maidenhead, EverySquareRoundTripsThroughItsCentre) {
    for (char f1 = 'A'; f1 <= 'R'; ++f1)
        for (char f2 = 'A'; f2 <= 'R'; ++f2)
            for (char s1 = '0'; s1 <= '9'; ++s1)
                for (char s2 = '0'; s2 <= '9'; ++s2) {
                    const std::string loc{f1, f2, s1, s2};
                    const std::optional<LatLon> p = locator_centre(loc);
                    ASSERT_TRUE(p);
                    ASSERT_EQ(locator_of(*p, 4), loc);
                }
}

TEST(Maidenhead, SubsquaresAndExtendedSquaresRoundTrip) {
    for (const char* square : {"AA00", "FN42", "JO97", "QF56", "RR99", "GG66"})
        for (char a = 'a'; a <= 'x'; ++a)
            for (char b = 'a'; b <= 'x'; ++b) {
                const std::string loc = std::string(square) + a + b;
                ASSERT_EQ(locator_of(*locator_centre(loc), 6), loc);
                for (const char* ext : {"00", "09", "55", "90", "99"}) {
                    const std::string eight = loc + ext;
                    ASSERT_EQ(locator_of(*locator_centre(eight), 8), eight);
                }
            }
}

TEST(Maidenhead, CornersBelongToTheCellNorthEastOfThem) {
    EXPECT_EQ(locator_of({41.0, -80.5}, 6), "EN91sa");
    EXPECT_EQ(locator_of({40.0, -82.0}, 8), "EN90aa00");
    EXPECT_EQ(locator_of({-90, -180}, 8), "AA00aa00");
    EXPECT_EQ(locator_of({0, 0}, 6), "JJ00aa");
    // The north pole and the 180th meridian fall into the last cell.
    EXPECT_EQ(locator_of({90, 180}, 8), "RR99xx99");
    // Just inside a cell's east and north edges.
    EXPECT_EQ(locator_of({40.999, -80.001}, 4), "EN90");
}
