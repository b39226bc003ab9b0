#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "observations/cty.h"

using namespace skywave;

namespace {

// A made-up excerpt in the table's format: longitudes west positive, overrides in
// brackets, exact calls with "=", a WAE-only entity marked "*".
const char* kTable =
    "England:                  14:  27:  EU:   52.77:     1.47:     0.0:  G:\n"
    "    2E,G,M,=G3ZZZ/LH;\n"
    "Scotland:                 14:  27:  EU:   56.82:     4.18:     0.0:  GM:\n"
    "    2M,GM,MM;\n"
    "United States:            05:  08:  NA:   37.60:    91.87:     5.0:  K:\n"
    "    AA,K,N,W,=KL7XYZ<61.20/149.90>,\n"
    "    =W1AW/KH6(5)[8];\n"
    "Hawaii:                   31:  61:  OC:   21.12:   157.48:    10.0:  KH6:\n"
    "    AH6,KH6,KH7,WH6,=K1ABC;\n"
    "European Russia:          16:  29:  EU:   53.65:   -41.37:    -4.0:  UA:\n"
    "    R,U,UA;\n"
    "Asiatic Russia:           17:  30:  AS:   55.88:   -84.08:    -7.0:  UA9:\n"
    "    UA9,UA0,R9,R0;\n"
    "Croatia:                  15:  28:  EU:   45.18:   -15.30:    -1.0:  9A:\n"
    "    9A(15)[28];\n"
    "Vienna Intl Ctr:          15:  28:  EU:   48.20:   -16.30:    -1.0:  *4U1V:\n"
    "    =4U1VIC;\n";

PrefixTable table() {
    std::string error;
    std::optional<PrefixTable> t = PrefixTable::parse(kTable, "cty.dat", error);
    EXPECT_TRUE(t) << error;
    return *t;
}

std::string entity(const PrefixTable& t, const char* call) {
    const CallPlace p = t.locate(call);
    return p.kind == CallPlace::found    ? p.entity
           : p.kind == CallPlace::at_sea ? "at sea"
                                         : "unknown";
}

}  // namespace

TEST(PrefixTable, LongestPrefixWins) {
    const PrefixTable t = table();
    EXPECT_EQ(t.entity_count(), 8u);
    EXPECT_EQ(entity(t, "G4ABC"), "England");
    EXPECT_EQ(entity(t, "GM4ABC"), "Scotland");
    EXPECT_EQ(entity(t, "MM0ABC"), "Scotland");
    EXPECT_EQ(entity(t, "M0ABC"), "England");
    EXPECT_EQ(entity(t, "UA1ABC"), "European Russia");
    EXPECT_EQ(entity(t, "UA9ABC"), "Asiatic Russia");
    EXPECT_EQ(entity(t, "KH6XX"), "Hawaii");
    EXPECT_EQ(entity(t, "K6XX"), "United States");
    EXPECT_EQ(entity(t, "9a5y"), "Croatia");
    EXPECT_EQ(entity(t, "Q1ABC"), "unknown");
    EXPECT_EQ(entity(t, ""), "unknown");
}

TEST(PrefixTable, PositionsAreTheEntitysWithLongitudesTurnedEastPositive) {
    const PrefixTable t = table();
    const CallPlace croatia = t.locate("9A5Y");
    EXPECT_NEAR(croatia.place.lat, 45.18, 1e-5);
    EXPECT_NEAR(croatia.place.lon, 15.30, 1e-5);  // the table counts longitude westward
    const CallPlace england = t.locate("G3ABC");
    EXPECT_NEAR(england.place.lon, -1.47, 1e-5);
    // An exact call may carry a position of its own.
    const CallPlace alaska = t.locate("KL7XYZ");
    EXPECT_EQ(alaska.entity, "United States");
    EXPECT_NEAR(alaska.place.lat, 61.2, 1e-5);
    EXPECT_NEAR(alaska.place.lon, -149.9, 1e-5);
    EXPECT_NEAR(t.locate("KL7XYY").place.lat, 37.6, 1e-5);
}

TEST(PrefixTable, ExactCallsOverridePrefixes) {
    const PrefixTable t = table();
    EXPECT_EQ(entity(t, "K1ABC"), "Hawaii");
    EXPECT_EQ(entity(t, "K1ABD"), "United States");
    // An exact entry with a portable part is matched whole, before the part is read.
    EXPECT_EQ(entity(t, "W1AW/KH6"), "United States");
    EXPECT_EQ(entity(t, "W1AX/KH6"), "Hawaii");
    EXPECT_EQ(entity(t, "G3ZZZ/LH"), "England");
    // The WAE-only mark is no part of the name's lookup.
    EXPECT_EQ(entity(t, "4U1VIC"), "Vienna Intl Ctr");
    // The home call behind a suffix that says nothing of the place.
    EXPECT_EQ(entity(t, "K1ABC/P"), "Hawaii");
}

TEST(PrefixTable, PortableForms) {
    const PrefixTable t = table();
    EXPECT_EQ(entity(t, "W1/G3ABC"), "United States");
    EXPECT_EQ(entity(t, "G3ABC/W1"), "United States");
    EXPECT_EQ(entity(t, "KH6/G3ABC"), "Hawaii");
    EXPECT_EQ(entity(t, "G3ABC/KH6"), "Hawaii");
    EXPECT_EQ(entity(t, "G3ABC/P"), "England");
    EXPECT_EQ(entity(t, "G3ABC/M"), "England");
    EXPECT_EQ(entity(t, "G3ABC/QRP"), "England");
    EXPECT_EQ(entity(t, "GM/G3ABC/P"), "Scotland");
    // A new call area: the digit replaces the home call's.
    EXPECT_EQ(entity(t, "UA1ABC/9"), "Asiatic Russia");
    EXPECT_EQ(entity(t, "UA9ABC/1"), "European Russia");
    EXPECT_EQ(entity(t, "UA1ABC/0/P"), "Asiatic Russia");
    // At sea and in the air there is no place; MM as a prefix is Scotland.
    EXPECT_EQ(entity(t, "G3ABC/MM"), "at sea");
    EXPECT_EQ(entity(t, "K1ABC/AM"), "at sea");
    EXPECT_EQ(entity(t, "MM/G3ABC"), "Scotland");
}

TEST(PrefixTable, FormatErrorsNameTheLine) {
    std::string error;
    EXPECT_FALSE(
        PrefixTable::parse("England: 14: 27: EU: 52.77: 1.47: 0.0:\n  G;\n", "x.dat", error));
    EXPECT_NE(error.find("x.dat:1:"), std::string::npos) << error;
    EXPECT_FALSE(PrefixTable::parse(
        "A: 1: 2: EU: 10: 20: 0: A:\n  A;\nB: 1: 2: EU: north: 20: 0: B:\n  B;\n", "x.dat", error));
    EXPECT_NE(error.find("x.dat:3:"), std::string::npos) << error;
    EXPECT_FALSE(PrefixTable::parse("A: 1: 2: EU: 10: 20: 0: A:\n  A,\n  AB,\n", "x.dat", error));
    EXPECT_NE(error.find("x.dat:1:"), std::string::npos) << error;
    EXPECT_NE(error.find(";"), std::string::npos) << error;
    EXPECT_FALSE(PrefixTable::parse("A: 1: 2: EU: 10: 20: 0: A:\n  A,=X<1/>;\n", "x.dat", error));
    EXPECT_NE(error.find("x.dat:2:"), std::string::npos) << error;
    EXPECT_FALSE(PrefixTable::parse("\n\n", "x.dat", error));
    EXPECT_FALSE(PrefixTable::read("/nonexistent/cty.dat", error));
    EXPECT_NE(error.find("/nonexistent/cty.dat"), std::string::npos);
    // Line ends of either kind.
    EXPECT_TRUE(PrefixTable::parse("A: 1: 2: EU: 10: 20: 0: A:\r\n  A;\r\n", "x.dat", error))
        << error;
}

TEST(PrefixTable, DebiansTableKnowsTheRealLogsStations) {
    const char* file = "/usr/share/hamradio-files/cty.dat";
    if (!std::filesystem::exists(file))
        GTEST_SKIP() << file << " is missing (Debian package hamradio-files)";
    std::string error;
    const std::optional<PrefixTable> t = PrefixTable::read(file, error);
    ASSERT_TRUE(t) << error;
    EXPECT_GT(t->entity_count(), 300u);
    EXPECT_EQ(t->locate("K1LZ").entity, "United States of America");
    EXPECT_EQ(t->locate("9A5Y").entity, "Croatia");
    EXPECT_EQ(t->locate("PX2A").entity, "Brazil");
    EXPECT_EQ(t->locate("CR3DX").entity, "Madeira Islands");
    EXPECT_EQ(t->locate("UA9AA").entity, "Asiatic Russia");
    EXPECT_EQ(t->locate("RD1A/MM").kind, CallPlace::at_sea);
}
