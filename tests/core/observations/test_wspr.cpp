#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/messages.h"
#include "observations/wspr.h"
#include "realdata.h"
#include "test_support.h"

using namespace skywave;

namespace {

void expect_time(const char* text, CivilDate date, int hour) {
    const std::optional<UtcHour> t = parse_spot_time(text);
    ASSERT_TRUE(t) << text;
    EXPECT_EQ(t->date, date) << text;
    EXPECT_EQ(t->hour, hour) << text;
}

// A table in the archives' layout: SK0WE transmits to G3SXH and receives DL1ABC;
// the last row is a spot between two other stations.
const char* kTable =
    "id,time,band,code,rx_sign,rx_loc,rx_lat,rx_lon,tx_sign,tx_loc,tx_lat,tx_lon,snr,power\r\n"
    "1,2022-05-21T09:50:00+00:00,14,1,G3SXH,IO80fr,50.729,-3.542,SK0WE/"
    "P,JO97bm,57.521,18.125,-23,23\r\n"
    "2,2022-05-21T10:02:00+00:00,7,1,SK0WE,JO97bm,,,DL1ABC,JO62qm,,,-10,30\r\n"
    "3,2022-05-22T00:10:00+00:00,3,1,sk0we/1,JO97bm,,,OH1XYZ,KP20,,,-10,30\r\n"
    "4,2022-05-21T10:04:00+00:00,14,1,K1ABC,FN42,,,W6XYZ,CM87,,,-10,30\r\n";

class Wspr : public ::testing::Test {
protected:
    std::string write(const std::string& text, const char* name = "spots.csv") {
        const std::string file = dir.file(name);
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    std::string message() const { return log.entries.empty() ? "" : log.entries.back().text; }

    test::TempDir dir;
    MessageLog log;
};

}  // namespace

TEST(WsprFields, TimesInUtc) {
    expect_time("2022-05-21T09:50:00+00:00", {2022, 5, 21}, 9);
    expect_time("2022-05-21 23:58:00Z", {2022, 5, 21}, 23);
    expect_time("2022-05-21 23:58", {2022, 5, 21}, 23);
    expect_time("2022-05-21T09:50:00.250Z", {2022, 5, 21}, 9);
    // Offsets east of Greenwich are ahead of UTC.
    expect_time("2022-05-21T00:30:00+02:00", {2022, 5, 20}, 22);
    expect_time("2022-12-31T23:30:00-0100", {2023, 1, 1}, 0);
    expect_time("2024-03-01T01:00+02", {2024, 2, 29}, 23);
    // Seconds since 1970.
    expect_time("1653126600", {2022, 5, 21}, 9);
    expect_time("0", {1970, 1, 1}, 0);
    for (const char* bad :
         {"", "yesterday", "2022-13-01T00:00", "2022-05-21T24:00", "2022-05-21T09:60", "2022-05-21",
          "2022-05-21T09:50+2", "2022-05-21T09:50:00 UTC", "-3600"})
        EXPECT_FALSE(parse_spot_time(bad)) << '"' << bad << '"';
}

TEST(WsprFields, FrequenciesAndBands) {
    EXPECT_FLOAT_EQ(*spot_frequency_mhz("14097100"), 14.0971f);  // Hz
    EXPECT_FLOAT_EQ(*spot_frequency_mhz("14097.1"), 14.0971f);   // kHz
    EXPECT_FLOAT_EQ(*spot_frequency_mhz("14.0971"), 14.0971f);   // MHz
    EXPECT_FLOAT_EQ(*spot_frequency_mhz(" 1.8366 "), 1.8366f);
    EXPECT_FALSE(spot_frequency_mhz("0"));
    EXPECT_FALSE(spot_frequency_mhz("-14"));
    EXPECT_FALSE(spot_frequency_mhz("x"));
    EXPECT_FLOAT_EQ(*spot_band_mhz("14"), 14);
    EXPECT_FLOAT_EQ(*spot_band_mhz("3"), 3);
    EXPECT_FLOAT_EQ(*spot_band_mhz("28"), 28);
    EXPECT_FLOAT_EQ(*spot_band_mhz("20m"), 14);
    EXPECT_FLOAT_EQ(*spot_band_mhz("160M"), 1.8f);
    EXPECT_LT(*spot_band_mhz("0"), 1);  // the 630 m band
    EXPECT_LT(*spot_band_mhz("-1"), 1);
    EXPECT_FALSE(spot_band_mhz("11m"));
    EXPECT_FALSE(spot_band_mhz("-2"));
    EXPECT_FALSE(spot_band_mhz(""));
}

TEST(WsprFields, QuotedCsvFields) {
    using V = std::vector<std::string>;
    EXPECT_EQ(split_csv("a,b,,c"), (V{"a", "b", "", "c"}));
    EXPECT_EQ(split_csv("\"a,b\",\"say \"\"hi\"\"\",c"), (V{"a,b", "say \"hi\"", "c"}));
    EXPECT_EQ(split_csv(""), (V{""}));
}

TEST_F(Wspr, TheNamedStationAsTransmitterAndReceiver) {
    const std::optional<StationLog> l = read_wspr(write(kTable), "sk0we", log);
    ASSERT_TRUE(l) << message();
    EXPECT_EQ(l->call, "SK0WE");
    EXPECT_EQ(l->station_locator, "JO97bm");
    EXPECT_NEAR(l->station->lat, 57.521, 1e-4);
    ASSERT_EQ(l->contacts.size(), 3u);
    // Sent: the far end is the receiver, at its coordinates.
    EXPECT_EQ(l->contacts[0].call, "G3SXH");
    EXPECT_EQ(l->contacts[0].hour, 9);
    EXPECT_FLOAT_EQ(l->contacts[0].mhz, 14);
    EXPECT_NEAR(l->contacts[0].place->lat, 50.729, 1e-4);
    EXPECT_NEAR(l->contacts[0].place->lon, -3.542, 1e-4);
    EXPECT_EQ(l->contacts[0].line, 2);
    // Heard: the far end is the transmitter, at its locator's centre (no coordinates).
    EXPECT_EQ(l->contacts[1].call, "DL1ABC");
    EXPECT_EQ(l->contacts[1].hour, 10);
    EXPECT_NEAR(l->contacts[1].place->lat, 52 + 12.5 / 24, 1e-9);
    EXPECT_NEAR(l->contacts[1].place->lon, 12 + 16.5 / 12, 1e-9);
    EXPECT_EQ(l->contacts[2].date, (CivilDate{2022, 5, 22}));
    EXPECT_FLOAT_EQ(l->contacts[2].mhz, 3);
    EXPECT_TRUE(l->skipped.empty());
}

TEST_F(Wspr, WithoutACallTheEndEveryRowShares) {
    const std::string rows = std::string(kTable).substr(0, std::string(kTable).rfind("4,"));
    std::optional<StationLog> l = read_wspr(write(rows), std::nullopt, log);
    EXPECT_FALSE(l) << "SK0WE transmits in one row and receives in others";
    EXPECT_NE(message().find("--call"), std::string::npos);
    l = read_wspr(write("time,frequency,tx_sign,tx_loc,rx_sign,rx_loc\n"
                        "2010-12-18 00:04,7040100,VE6PDQ,DO33,KP4MD,CM98iq\n"
                        "2010-12-18 01:04,10140100,VE6PDQ,DO34,WB6RQN,CM98mq\n"
                        "2010-12-18 02:04,14097100,VE6PDQ,DO34,KP4MD,CM98iq\n"),
                  std::nullopt, log);
    ASSERT_TRUE(l) << message();
    EXPECT_EQ(l->call, "VE6PDQ");
    EXPECT_EQ(l->contacts.size(), 3u);
    EXPECT_FLOAT_EQ(l->contacts[1].mhz, 10.1401f);
    // The position given most often, and a note that it varies.
    EXPECT_EQ(l->station_locator, "DO34");
    ASSERT_EQ(l->notes.size(), 1u);
    EXPECT_NE(l->notes[0].find("varies"), std::string::npos);
}

TEST_F(Wspr, UnreadableRowsAreSkippedWithTheirLines) {
    const std::optional<StationLog> l =
        read_wspr(write("time,band,tx_sign,tx_loc,rx_sign,rx_loc\n"
                        "2022-05-21 09:50,14,SK0WE,JO97,G3SXH,IO80\n"
                        "2022-05-32 09:50,14,SK0WE,JO97,G3SXH,IO80\n"
                        "2022-05-21 09:50,eleven,SK0WE,JO97,G3SXH,IO80\n"
                        "2022-05-21 09:50,14,SK0WE,JO97,G3SXH,ZZ99\n"
                        "2022-05-21 09:50,14,SK0WE,JO97\n"
                        "2022-05-21 09:50,14,SK0WE,JO97,SK0WE,JO97\n"),
                  "SK0WE", log);
    ASSERT_TRUE(l) << message();
    EXPECT_EQ(l->contacts.size(), 1u);
    ASSERT_EQ(l->skipped.size(), 5u);
    const char* reasons[] = {"time", "band", "position of the receiver", "fields", "itself"};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(l->skipped[i].line, long(i) + 3);
        EXPECT_NE(l->skipped[i].reason.find(reasons[i]), std::string::npos) << l->skipped[i].reason;
    }
}

TEST_F(Wspr, MissingColumnsAndAbsentStationsAreRefused) {
    const struct {
        const char* header;
        const char* missing;
    } cases[] = {
        {"band,tx_sign,tx_loc,rx_sign,rx_loc", "time"},
        {"time,snr,tx_sign,tx_loc,rx_sign,rx_loc", "frequency or band"},
        {"time,band,tx_loc,rx_sign,rx_loc", "transmitter's call"},
        {"time,band,tx_sign,tx_loc,rx_sign,rx_lat", "receiver's position"},
        {"time,band,tx_sign,tx_lat,rx_sign,rx_loc", "transmitter's position"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(read_wspr(write(std::string(c.header) + "\n"), "K1ABC", log)) << c.header;
        EXPECT_NE(message().find("spots.csv:1: no column of the " + std::string(c.missing)),
                  std::string::npos)
            << message();
    }
    EXPECT_FALSE(read_wspr(write(kTable), "K9ZZZ", log));
    EXPECT_NE(message().find("no spot with K9ZZZ"), std::string::npos) << message();
    EXPECT_FALSE(read_wspr(write(""), "K1ABC", log));
    for (const auto& e : log.entries)
        EXPECT_EQ(e.caption, "TABLE ERROR!");
}

TEST_F(Wspr, RealSpotTablesOfTheSharedData) {
    const std::optional<std::filesystem::path> real = test::realdata_dir();
    if (!real) GTEST_SKIP() << "no shared/realdata beside the repository";
    const std::filesystem::path wspr = *real / "wspr";
    // 731 spots of SK0WE/1 and SK0WE/P, all on 20 m, 09:50 to 10:24 UTC.
    std::optional<StationLog> l =
        read_wspr((wspr / "wspr-20m-sk0we-jo97bm-2022-05-21.csv").string(), std::nullopt, log);
    ASSERT_TRUE(l) << message();
    EXPECT_EQ(l->call, "SK0WE");
    EXPECT_EQ(l->contacts.size(), 731u);
    EXPECT_EQ(l->station_locator, "JO97bm");
    for (const Contact& c : l->contacts) {
        ASSERT_EQ(c.date, (CivilDate{2022, 5, 21}));
        ASSERT_TRUE(c.hour == 9 || c.hour == 10);
        ASSERT_FLOAT_EQ(c.mhz, 14);
    }
    // 86 spots of VE6PDQ by two receivers, over three days.
    l = read_wspr((wspr / "wspr-multiband-ve6pdq-to-kp4md-wb6rqn-2010-12.csv").string(), "VE6PDQ",
                  log);
    ASSERT_TRUE(l) << message();
    EXPECT_EQ(l->contacts.size(), 86u);
    EXPECT_TRUE(l->skipped.empty());
}
