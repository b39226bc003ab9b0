#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "base/messages.h"
#include "observations/cabrillo.h"
#include "test_support.h"

using namespace skywave;

namespace {

class Cabrillo : public ::testing::Test {
protected:
    std::string write(const std::string& text) {
        const std::string file = dir.file("x.log");
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    std::optional<StationLog> read(const std::string& text) {
        return read_cabrillo(write(text), log);
    }
    std::string message() const { return log.entries.empty() ? "" : log.entries.back().text; }

    test::TempDir dir;
    MessageLog log;
};

}  // namespace

TEST(CabrilloFields, FrequenciesInKilohertzOrBandDesignators) {
    EXPECT_FLOAT_EQ(*cabrillo_mhz("28025"), 28.025f);
    EXPECT_FLOAT_EQ(*cabrillo_mhz("1800"), 1.8f);
    EXPECT_FLOAT_EQ(*cabrillo_mhz("14000.5"), 14.0005f);
    EXPECT_FLOAT_EQ(*cabrillo_mhz("7"), 7);
    EXPECT_FLOAT_EQ(*cabrillo_mhz("50"), 50);
    EXPECT_FLOAT_EQ(*cabrillo_mhz("144"), 144);
    EXPECT_FLOAT_EQ(*cabrillo_mhz("902"), 902);
    EXPECT_FLOAT_EQ(*cabrillo_mhz("1.2G"), 1200);
    EXPECT_FLOAT_EQ(*cabrillo_mhz("10g"), 10000);
    for (const char* bad : {"", "abc", "-7", "0", "1.2.3", "1e3", "nan", "inf", "7 MHz", "G"})
        EXPECT_FALSE(cabrillo_mhz(bad)) << '"' << bad << '"';
}

TEST(CabrilloFields, TheFarEndsCallSitsBetweenExchangesOfEqualSize) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(their_call_index(V{"599", "0001", "NN7CW", "599", "0002"}), 2u);
    EXPECT_EQ(their_call_index(V{"599", "05", "K8MP", "599", "04", "0"}),
              2u);  // transmitter number
    EXPECT_EQ(their_call_index(V{"599", "33", "DX", "W3KB", "599", "05", "PA", "0"}), 3u);
    EXPECT_EQ(their_call_index(V{"FN31", "W1AW", "FN42"}), 1u);  // locators look like calls
    EXPECT_EQ(their_call_index(V{"JH7VHZ"}), 0u);
    // Exchanges of different sizes: the first field that looks like a call.
    EXPECT_EQ(their_call_index(V{"599", "ME", "K1ABC", "599"}), 2u);
    EXPECT_FALSE(their_call_index(V{"599", "05", "599", "04"}));
    EXPECT_FALSE(their_call_index(V{}));
    EXPECT_TRUE(looks_like_call("G3ABC/P"));
    EXPECT_FALSE(looks_like_call("599"));
    EXPECT_FALSE(looks_like_call("ENY"));
    EXPECT_FALSE(looks_like_call("K1-ABC"));
}

TEST_F(Cabrillo, ReadsStationAndContacts) {
    const std::optional<StationLog> l = read(
        "START-OF-LOG: 3.0\n"
        "CONTEST: CQ-WW-CW\n"
        "CALLSIGN: k1abc\n"
        "GRID-LOCATOR: FN42\n"
        "END-OF-LOG:\n"  // some loggers sort it before the contacts
        "QSO: 28025 CW 2024-11-23 0000 K1ABC 599 05 G3XYZ 599 14\n"
        "QSO:  1830 CW 2024-11-23 0159 K1ABC 599 05 dl1abc 599 14 0\n"
        "QSO:     7 PH 2024-11-23 0200 K1ABC 59 05 MA W1AW 59 05 CT\n"
        "QSO:    50 PH 2024-11-24 2359 K1ABC 59 05 VE3XX 59 04\n");
    ASSERT_TRUE(l) << message();
    EXPECT_EQ(l->call, "K1ABC");
    ASSERT_TRUE(l->station);
    EXPECT_DOUBLE_EQ(l->station->lat, 42.5);
    EXPECT_DOUBLE_EQ(l->station->lon, -71);
    ASSERT_EQ(l->contacts.size(), 4u);
    const Contact& a = l->contacts[0];
    EXPECT_EQ(a.date, (CivilDate{2024, 11, 23}));
    EXPECT_EQ(a.hour, 0);
    EXPECT_FLOAT_EQ(a.mhz, 28.025f);
    EXPECT_EQ(a.call, "G3XYZ");
    EXPECT_EQ(a.line, 6);
    EXPECT_FALSE(a.place);
    EXPECT_EQ(l->contacts[1].hour, 1);
    EXPECT_EQ(l->contacts[1].call, "DL1ABC");
    EXPECT_EQ(l->contacts[2].call, "W1AW");
    EXPECT_FLOAT_EQ(l->contacts[2].mhz, 7);
    EXPECT_EQ(l->contacts[3].date, (CivilDate{2024, 11, 24}));
    EXPECT_EQ(l->contacts[3].hour, 23);
    EXPECT_TRUE(l->skipped.empty());
    EXPECT_EQ(l->unknown_lines, 0);
}

TEST_F(Cabrillo, Version2WithHeadquartersLocatorAndCrLf) {
    const std::optional<StationLog> l = read(
        "\xEF\xBB\xBFSTART-OF-LOG: 2.0\r\n"
        "HQ-GRID-LOCATOR: gg66se\r\n"
        "QSO: 14025 CW 2003-03-15 0001 N6TW 599 001 K1ABC 599 123\r\n");
    ASSERT_TRUE(l) << message();
    EXPECT_EQ(l->call, "N6TW");  // no CALLSIGN: the contacts' own call
    EXPECT_EQ(l->station_locator, "gg66se");
    EXPECT_NEAR(l->station->lat, -24.0 + 4.0 / 24 + 1.0 / 48, 1e-9);
    ASSERT_EQ(l->contacts.size(), 1u);
    EXPECT_EQ(l->contacts[0].call, "K1ABC");
}

TEST_F(Cabrillo, GridLocatorIsPreferredOverTheHeadquarters) {
    const std::optional<StationLog> l = read(
        "START-OF-LOG: 3.0\nHQ-GRID-LOCATOR: GG66\nGRID-LOCATOR: FN42\n"
        "QSO: 14025 CW 2003-03-15 0001 N6TW 599 001 K1ABC 599 123\n");
    ASSERT_TRUE(l) << message();
    EXPECT_EQ(l->station_locator, "FN42");
}

TEST_F(Cabrillo, UnusableLinesAreListedAndUnknownLinesCounted) {
    const std::optional<StationLog> l = read(
        "START-OF-LOG: 3.0\n"
        "QSO: 14000 CW 2024-02-30 1200 K1ABC 599 05 G3XYZ 599 14\n"
        "QSO: 14000 CW 2024-11-23 2460 K1ABC 599 05 G3XYZ 599 14\n"
        "QSO: 14.000.1 CW 2024-11-23 1200 K1ABC 599 05 G3XYZ 599 14\n"
        "QSO: 14000 CW 2024-11-23 1200 K1ABC 599 05 599 14\n"
        "QSO: 14000 CW 2024-11-23\n"
        "X-QSO: 14000 CW 2024-11-23 1200 K1ABC 599 05 G3XYZ 599 14\n"
        "QSO: LIGHT CW 2024-11-23 1200 K1ABC 599 05 G3XYZ 599 14\n"
        "this is no line of a log\n"
        "QSO: 21000 CW 2024-11-23 1200 K1ABC 599 05 G3XYZ 599 14\n"
        "  and neither is this\n");
    ASSERT_TRUE(l) << message();
    EXPECT_EQ(l->contacts.size(), 1u);
    ASSERT_EQ(l->skipped.size(), 7u);
    const char* reasons[] = {"date",       "time",  "frequency", "callsign",
                             "few fields", "X-QSO", "LIGHT"};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(l->skipped[i].line, long(i) + 2);
        EXPECT_NE(l->skipped[i].reason.find(reasons[i]), std::string::npos) << l->skipped[i].reason;
    }
    EXPECT_EQ(l->unknown_lines, 2);
    EXPECT_EQ(l->first_unknown_line, 9);
}

TEST_F(Cabrillo, RefusedLogsSayWhereAndWhy) {
    EXPECT_FALSE(read("START-OF-LOG: 3.0\nCALLSIGN: K1ABC\nGRID-LOCATOR: FN42\nEND-OF-LOG:\n"));
    EXPECT_NE(message().find("x.log: no QSO lines"), std::string::npos) << message();
    EXPECT_FALSE(
        read("START-OF-LOG: 3.0\nCALLSIGN: K1ABC\nGRID-LOCATOR: ZZ99\n"
             "QSO: 14000 CW 2024-11-23 1200 K1ABC 599 05 G3XYZ 599 14\n"));
    EXPECT_NE(message().find("x.log:3: GRID-LOCATOR \"ZZ99\""), std::string::npos) << message();
    EXPECT_FALSE(read("\nQSO: 14000 CW 2024-11-23 1200 K1ABC 599 05 G3XYZ 599 14\n"));
    EXPECT_NE(message().find("x.log:2: not a Cabrillo log"), std::string::npos) << message();
    EXPECT_FALSE(read(""));
    EXPECT_FALSE(read_cabrillo(dir.file("missing.log"), log));
    EXPECT_NE(message().find("missing.log"), std::string::npos);
    for (const auto& e : log.entries)
        EXPECT_EQ(e.caption, "LOG ERROR!");
}

TEST(CabrilloFields, RecognisedByItsFirstLine) {
    EXPECT_TRUE(looks_like_cabrillo("START-OF-LOG: 3.0\nQSO: ..."));
    EXPECT_TRUE(looks_like_cabrillo("\n\n  start-of-log: 2.0\r\n"));
    EXPECT_TRUE(looks_like_cabrillo("\xEF\xBB\xBFSTART-OF-LOG: 3.0\n"));
    EXPECT_FALSE(looks_like_cabrillo("id,time,band\n"));
    EXPECT_FALSE(looks_like_cabrillo("CALLSIGN: K1ABC\nSTART-OF-LOG: 3.0\n"));
    EXPECT_FALSE(looks_like_cabrillo(""));
}
