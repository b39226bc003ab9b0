#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "observations/contact_placement.h"
#include "observations/cty.h"

using namespace skywave;

namespace {

Contact contact(CivilDate date, int hour, float mhz, const char* call, long line,
                std::optional<LatLon> place = std::nullopt) {
    return {date, hour, mhz, call, place, line};
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
