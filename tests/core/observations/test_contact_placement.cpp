#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <filesystem>

#include "base/messages.h"
#include "observations/cabrillo.h"
#include "observations/contact_placement.h"
#include "observations/cty.h"
#include "observations/regions.h"
#include "realdata.h"

using namespace skywave;

namespace {

Contact contact(CivilDate date, int hour, float mhz, const char* call, long line,
                std::optional<LatLon> place = std::nullopt) {
    return {date, hour, mhz, call, place, line, {}};
}

StationLog log_of(const char* file, std::vector<Contact> contacts) {
    StationLog l;
    l.file = file;
    l.contacts = std::move(contacts);
    return l;
}

std::optional<std::vector<CivilDate>> dates(const std::vector<StationLog>& logs,
                                            std::optional<MonthDay> start,
                                            std::optional<MonthDay> stop, std::string& error) {
    return covered_dates(logs, start, stop, error);
}

}  // namespace

TEST(CoveredDates, FirstToLastContactWithGapsIncluded) {
    const std::vector<StationLog> logs = {
        log_of("a.log", {contact({2024, 11, 25}, 3, 14, "G3ABC", 7)}),
        log_of("b.csv", {contact({2024, 11, 23}, 3, 14, "G3ABC", 2)})};
    std::string error;
    const auto d = dates(logs, std::nullopt, std::nullopt, error);
    ASSERT_TRUE(d) << error;
    EXPECT_EQ(*d, (std::vector<CivilDate>{{2024, 11, 23}, {2024, 11, 24}, {2024, 11, 25}}));
}

TEST(CoveredDates, AMonthEndIsRefusedOrSplitByTheDatesGiven) {
    const std::vector<StationLog> logs = {log_of(
        "a.log",
        {contact({2024, 11, 30}, 23, 14, "G3ABC", 40), contact({2024, 12, 1}, 0, 14, "G3ABC", 41),
         contact({2024, 12, 2}, 0, 14, "G3ABC", 42)})};
    std::string error;
    EXPECT_FALSE(dates(logs, std::nullopt, std::nullopt, error));
    EXPECT_NE(error.find("month end"), std::string::npos) << error;
    EXPECT_NE(error.find("a.log:40 (2024-11-30)"), std::string::npos) << error;
    EXPECT_NE(error.find("a.log:42 (2024-12-02)"), std::string::npos) << error;
    EXPECT_NE(error.find("--start-date"), std::string::npos) << error;

    auto d = dates(logs, MonthDay{12, 1}, MonthDay{12, 3}, error);
    ASSERT_TRUE(d) << error;
    EXPECT_EQ(*d, (std::vector<CivilDate>{{2024, 12, 1}, {2024, 12, 2}, {2024, 12, 3}}));
    d = dates(logs, MonthDay{11, 30}, std::nullopt, error);  // a start date alone is one date
    ASSERT_TRUE(d) << error;
    EXPECT_EQ(*d, (std::vector<CivilDate>{{2024, 11, 30}}));
    d = dates(logs, std::nullopt, MonthDay{11, 30}, error);
    ASSERT_TRUE(d) << error;
    EXPECT_EQ(d->size(), 1u);

    EXPECT_FALSE(dates(logs, MonthDay{11, 30}, MonthDay{12, 1}, error));
    EXPECT_NE(error.find("one month"), std::string::npos) << error;
    EXPECT_FALSE(dates(logs, MonthDay{12, 5}, MonthDay{12, 9}, error));
    EXPECT_NE(error.find("no contact"), std::string::npos) << error;
}

TEST(CoveredDates, OneMonthOfOneYearOfRealDates) {
    std::string error;
    const std::vector<StationLog> years = {
        log_of("a.csv",
               {contact({2010, 12, 18}, 0, 7, "X1X", 2), contact({2011, 12, 19}, 0, 7, "X1X", 3)})};
    EXPECT_FALSE(dates(years, MonthDay{12, 18}, MonthDay{12, 19}, error));
    EXPECT_NE(error.find("more than one month"), std::string::npos) << error;
    const std::vector<StationLog> feb = {log_of("a.csv", {contact({2023, 2, 27}, 0, 7, "X1X", 2)})};
    EXPECT_FALSE(dates(feb, MonthDay{2, 27}, MonthDay{2, 29}, error));  // 2023 is no leap year
    EXPECT_TRUE(dates(feb, MonthDay{2, 27}, MonthDay{2, 28}, error));
    EXPECT_FALSE(dates({}, std::nullopt, std::nullopt, error));
}

TEST(PlaceContacts, EachContactPlacedOrCountedWithItsLine) {
    std::string error;
    const std::optional<PrefixTable> table = PrefixTable::parse(
        "England: 14: 27: EU: 52.77: 1.47: 0.0: G:\n    G,M;\n"
        "Brazil: 11: 15: SA: -10.00: 53.00: 3.0: PY:\n    PY,ZZ;\n",
        "cty.dat", error);
    ASSERT_TRUE(table) << error;
    Grid grid;
    set_grain(grid, 2);
    const CivilDate day{2024, 11, 23};
    const std::vector<StationLog> logs = {log_of(
        "k.log",
        {
            contact(day, 1, 14.0f, "G3ABC", 10),                        // England by its prefix
            contact(day, 2, 28.0f, "X5ABC", 11, LatLon{-10.0, -53.0}),  // a position of its own
            contact(day, 3, 21.0f, "Q1ABC", 12),                        // no such prefix
            contact(day, 3, 21.0f, "G3ABC/MM", 13),                     // at sea
            contact(day, 3, 50.1f, "G3ABC", 14),                        // 6 m
            contact(day, 3, 0.475f, "G3ABC", 15),                       // 630 m
            contact(day, 3, 14.0f, "N0POLE", 16, LatLon{89.0, 0.0}),    // the first row
            contact({2024, 11, 24}, 3, 14.0f, "G3ABC", 17),             // another date
        })};
    PlacementTally tally;
    const std::vector<CellObservation> placed = place_contacts(logs, &*table, grid, {day}, tally);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(tally.placed, 2);
    // 52.77 N, 1.47 W: row (90 - 52.77) / 7.5, column 1.47 / 9.
    EXPECT_EQ(placed[0].cell.row, 4);
    EXPECT_EQ(placed[0].cell.col, 0);
    EXPECT_EQ(placed[0].hour, 1);
    EXPECT_FLOAT_EQ(placed[0].mhz, 14);
    EXPECT_EQ(placed[1].cell.row, 13);
    EXPECT_EQ(placed[1].cell.col, 5);
    const std::pair<const PlacementTally::Kind*, const char*> kinds[] = {
        {&tally.unknown_prefix, "k.log:12: unknown prefix of Q1ABC"},
        {&tally.at_sea, "k.log:13: G3ABC/MM"},
        {&tally.out_of_band, "k.log:14: "},
        {&tally.polar, "k.log:16: N0POLE"},
        {&tally.outside_dates, "k.log:17: 2024-11-24"}};
    for (const auto& [kind, example] : kinds) {
        ASSERT_EQ(kind->examples.size(), std::size_t(kind->count));
        EXPECT_EQ(kind->examples.at(0).rfind(example, 0), 0u) << kind->examples.at(0);
    }
    EXPECT_EQ(tally.out_of_band.count, 2);
    EXPECT_EQ(tally.unknown_prefix.count, 1);

    // Without a table only the contacts with a position of their own are placed.
    PlacementTally bare;
    EXPECT_EQ(place_contacts(logs, nullptr, grid, {day}, bare).size(), 1u);
    EXPECT_EQ(bare.unknown_prefix.count, 3);
}

TEST(PlaceContacts, OnlyTheExamplesAreKeptOfMany) {
    Grid grid;
    set_grain(grid, 2);
    std::vector<Contact> many;
    for (int i = 0; i < 40; ++i)
        many.push_back(contact({2024, 1, 1}, 0, 14, "Q1ABC", i + 1));
    PlacementTally tally;
    place_contacts({log_of("k.log", many)}, nullptr, grid, {{2024, 1, 1}}, tally);
    EXPECT_EQ(tally.unknown_prefix.count, 40);
    EXPECT_EQ(tally.unknown_prefix.examples.size(), 5u);
}

namespace {

// Enough of the prefix table for North America: the United States, Canada, Mexico,
// Hawaii and Costa Rica at cty.dat's points, and Scotland.
std::optional<PrefixTable> north_america() {
    std::string error;
    return PrefixTable::parse(
        "United States of America: 05: 08: NA: 37.60: 91.87: 5.0: K:\n    K,N,W,AA;\n"
        "Hawaii: 31: 61: OC: 21.12: 157.48: 10.0: KH6:\n    KH6,KH7;\n"
        "Canada: 05: 09: NA: 44.35: 78.75: 5.0: VE:\n    VA,VE,VO,VY,CF;\n"
        "Mexico: 06: 10: NA: 21.32: 100.23: 6.0: XE:\n    XE,XF;\n"
        "Costa Rica: 07: 11: NA: 10.00: 84.00: 6.0: TI:\n    TI;\n"
        "Scotland: 14: 27: EU: 56.82: 4.18: 0.0: *GM:\n    GM,MM;\n",
        "cty.dat", error);
}

std::optional<StationLog> cabrillo_of(const std::string& header, const std::string& qsos,
                                      MessageLog& messages) {
    FileText text{"x.log", "START-OF-LOG: 3.0\n" + header + qsos + "END-OF-LOG:\n", true, 0, 0};
    return read_cabrillo(std::move(text), messages);
}

// The far end of each contact of the log, placed on a grain-1 grid.
std::vector<LatLon> far_ends(const StationLog& log, PlacementTally& tally) {
    const std::optional<PrefixTable> table = north_america();
    Grid grid;
    set_grain(grid, 1);
    std::vector<LatLon> ends;
    for (const CellObservation& o :
         place_contacts({log}, &*table, grid, {log.contacts.front().date}, tally))
        ends.push_back(cell_centre(grid, o.cell));
    return ends;
}

// Within a grain-1 cell (4.9 x 4.5 degrees) of the place.
void expect_near(const LatLon& cell, double lat, double lon, const char* what) {
    EXPECT_LT(distance_km(cell, {lat, lon}), 500) << what;
}

}  // namespace

// Lines as PX2A logged them in the ARRL 10-metre contest and CR3DX in the CQ WW RTTY:
// the state, province or Mexican state after the report or the zone.
TEST(PlaceContacts, ByTheStateOrProvinceTheExchangeCarries) {
    MessageLog messages;
    const auto px2a =
        cabrillo_of("CONTEST: ARRL-10\nCALLSIGN: PX2A\nLOCATION: DX\nHQ-GRID-LOCATOR: GG66SE\n",
                    "QSO: 28053 CW 2024-12-14 0003 PX2A 599 002 K1LT 599 OH\n"
                    "QSO: 28053 CW 2024-12-14 0004 PX2A 599 003 VA7EU 599 BC\n"
                    "QSO: 28495 PH 2024-12-14 2030 PX2A 59 888 XE2MBE 59 DGO\n"
                    "QSO: 28523 PH 2024-12-15 1855 PX2A 59 1378 XE2OK 59 NLE\n"
                    "QSO: 28046 CW 2024-12-14 0002 PX2A 599 001 W1AW 599 3\n",
                    messages);
    ASSERT_TRUE(px2a) << messages.entries.back().text;
    PlacementTally tally;
    std::vector<LatLon> ends = far_ends(*px2a, tally);
    ASSERT_EQ(ends.size(), 4u);  // the 15th of December is not among the dates given
    expect_near(ends[0], 40.3, -82.8, "K1LT sending OH: Ohio, not New England");
    expect_near(ends[1], 54.5, -125.0, "VA7EU sending BC");
    expect_near(ends[2], 24.0, -104.7, "XE2MBE sending DGO: Durango");
    expect_near(ends[3], 42.6, -71.9, "W1AW sending a serial number: call district 1");
    EXPECT_EQ(tally.by_exchange, 3);
    EXPECT_EQ(tally.by_district, 1);

    const auto cr3dx = cabrillo_of(
        "CONTEST: CQ-WW-RTTY\nCALLSIGN: CR3DX\nGRID-LOCATOR: IM12JU\n",
        "QSO:   14090 RY 2024-09-28 0000 CR3DX            599 33  DX   W3KB             599 05  "
        "PA     0\n"
        "QSO:    7044 RY 2024-09-28 0000 CR3DX            599 33  DX   MM1E             599 14  "
        "DX     1\n"
        "QSO:   14090 RY 2024-09-28 0000 CR3DX            599 33  DX   K0RC             599 04  "
        "MN     0\n",
        messages);
    ASSERT_TRUE(cr3dx);
    tally = {};
    ends = far_ends(*cr3dx, tally);
    ASSERT_EQ(ends.size(), 3u);
    expect_near(ends[0], 40.9, -77.8, "W3KB: Pennsylvania");
    expect_near(ends[1], 56.8, -4.2, "MM1E: Scotland, by the prefix table");
    expect_near(ends[2], 46.3, -94.3, "K0RC: Minnesota");
    EXPECT_EQ(tally.by_exchange, 2);
    EXPECT_EQ(tally.by_prefix, 1);
}

// Without a state in the exchange the call district places a US or Canadian call; a
// portable digit wins; Hawaii stays Hawaii; Mexico has no districts. A Stew Perry log
// places every call by the locator received.
TEST(PlaceContacts, ByCallDistrictPortableDigitOrReceivedLocator) {
    MessageLog messages;
    const auto log = cabrillo_of("CONTEST: CQ-WW-CW\nCALLSIGN: GM3ABC\n",
                                 "QSO: 14001 CW 2024-11-23 0000 GM3ABC 599 14 K6XX 599 03\n"
                                 "QSO: 14001 CW 2024-11-23 0001 GM3ABC 599 14 K6XX/4 599 05\n"
                                 "QSO: 14001 CW 2024-11-23 0002 GM3ABC 599 14 VE3XX 599 04\n"
                                 "QSO: 14001 CW 2024-11-23 0003 GM3ABC 599 14 VO2XX 599 02\n"
                                 "QSO: 14001 CW 2024-11-23 0004 GM3ABC 599 14 VY2XX 599 05\n"
                                 "QSO: 14001 CW 2024-11-23 0005 GM3ABC 599 14 KH6XX 599 31\n"
                                 "QSO: 14001 CW 2024-11-23 0006 GM3ABC 599 14 XE2XX 599 06\n"
                                 "QSO: 14001 CW 2024-11-23 0007 GM3ABC 599 14 K6XX 599 PA\n",
                                 messages);
    ASSERT_TRUE(log);
    PlacementTally tally;
    const std::vector<LatLon> ends = far_ends(*log, tally);
    ASSERT_EQ(ends.size(), 8u);
    expect_near(ends[0], 37.2, -119.5, "K6XX: California");
    expect_near(ends[1], 33.0, -84.5, "K6XX/4: the 4th district");
    expect_near(ends[2], 50.0, -86.0, "VE3XX: Ontario");
    expect_near(ends[3], 53.5, -61.5, "VO2XX: Labrador");
    expect_near(ends[4], 46.4, -63.2, "VY2XX: Prince Edward Island");
    expect_near(ends[5], 21.1, -157.5, "KH6XX: Hawaii");
    expect_near(ends[6], 21.3, -100.2, "XE2XX: Mexico's point");
    expect_near(ends[7], 37.2, -119.5, "no state in a CQ WW exchange: PA is not read");
    EXPECT_EQ(tally.by_district, 6);
    EXPECT_EQ(tally.by_prefix, 2);

    const auto stew = cabrillo_of("CONTEST: STEW-PERRY\nCALLSIGN: K1LZ\nGRID-LOCATOR: FN64\n",
                                  "QSO: 1820 CW 2024-12-28 1500 K1LZ FN64 GM3ABC IO77\n"
                                  "QSO: 1820 CW 2024-12-28 1501 K1LZ FN64 FN31\n",
                                  messages);
    ASSERT_TRUE(stew);
    ASSERT_EQ(stew->warnings.size(), 1u);
    // The line lacks the worked call: the sent locator stands where the call should.
    EXPECT_EQ(stew->warnings[0].rfind("x.log:6: the worked call \"FN64\"", 0), 0u)
        << stew->warnings[0];
    EXPECT_NE(stew->warnings[0].find("looks like a locator"), std::string::npos);
    tally = {};
    const std::vector<LatLon> stew_ends = far_ends(*stew, tally);
    ASSERT_EQ(stew_ends.size(), 2u);
    expect_near(stew_ends[0], 57.5, -5.0, "GM3ABC sending IO77");
    EXPECT_EQ(tally.by_locator, 2);
}

// A station whose header contradicts its call is named with both places; one that
// agrees with its LOCATION: or its call district is not.
TEST(StationPlace, WarnsWhenTheLocatorIsFarFromWhereTheCallBelongs) {
    const std::optional<PrefixTable> table = north_america();
    const auto warning = [&](const char* call, const char* location, const char* locator) {
        StationLog log;
        log.file = "x.log";
        log.call = call;
        log.location = location;
        log.station_locator = locator;
        log.station = locator_centre(locator);
        return station_place_warning(log, *table);
    };
    const std::optional<std::string> ti = warning("TI2XX", "DX", "GK03");  // Barbados
    ASSERT_TRUE(ti);
    EXPECT_NE(ti->find("GK03"), std::string::npos) << *ti;
    EXPECT_NE(ti->find("Costa Rica"), std::string::npos) << *ti;
    EXPECT_FALSE(warning("TI2XX", "", "EK70"));  // San José

    EXPECT_FALSE(warning("K1LZ", "ME", "FN64"));
    EXPECT_FALSE(warning("W6XX", "WPA", "EN91"));  // moved: the LOCATION: holds
    const std::optional<std::string> w6 = warning("W6XX", "", "EN91");
    ASSERT_TRUE(w6);
    EXPECT_NE(w6->find("call district 6"), std::string::npos) << *w6;
    EXPECT_TRUE(warning("K1LZ", "CA", "FN64"));  // a LOCATION: it is not in
}

// The shared real logs' headers agree with their calls.
TEST(StationPlace, RealLogsConvertWithoutAWarning) {
    const std::optional<std::filesystem::path> shared = test::realdata_dir();
    const char* cty = "/usr/share/hamradio-files/cty.dat";
    if (!shared) GTEST_SKIP() << "no shared/realdata beside the repository";
    if (!std::filesystem::exists(cty))
        GTEST_SKIP() << cty << " is missing (Debian package hamradio-files)";
    std::string error;
    const std::optional<PrefixTable> table = PrefixTable::read(cty, error);
    ASSERT_TRUE(table) << error;
    for (const char* file :
         {"k3lr-cq-wpx-cw-2025.log", "k1lz-cq-ww-cw-2024.log", "px2a-arrl-10-2024.log",
          "cr3dx-cq-ww-rtty-2024.log", "9a5y-wae-cw-2024.log"}) {
        MessageLog messages;
        const std::optional<StationLog> log =
            read_cabrillo((*shared / "cabrillo" / file).string(), messages);
        ASSERT_TRUE(log) << file;
        EXPECT_FALSE(station_place_warning(*log, *table)) << *station_place_warning(*log, *table);
        EXPECT_TRUE(log->warnings.empty()) << log->warnings.front();
    }
}
