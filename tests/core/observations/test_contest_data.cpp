#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/cformat.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "files/contest.h"
#include "files/prediction_file.h"
#include "model/model.h"
#include "observations/contact_placement.h"
#include "observations/contest_data.h"
#include "observations/cty.h"
#include "run/driver.h"
#include "test_support.h"
#include "tuning/score.h"

using namespace skywave;

namespace {

using test::file_lines;
using test::split_lines;

// A station at 42.5 N, 73 W with flux 150, A 7, K 2.
void setup_station(Model& m, int grain) {
    test::setup_model(m, grain);
    m.consts.rlat = float(42.5 * D(kRadPerDeg));
    m.consts.rlon = float(73.0 * D(kRadPerDeg));
    m.consts.sf_index = 150;
    m.consts.a_index = 7;
    m.consts.k_index = 2;
}

constexpr CivilDate kDay1{2024, 11, 23}, kDay2{2024, 11, 24};

// Contacts of two days on grain 2: (date, hour, row, column, MHz).
std::vector<CellObservation> two_days() {
    return {
        {kDay1, 5, {6, 8}, 28.0f},
        {kDay1, 5, {6, 8}, 1.83f},  // MOF 3 and LOF 3 in one cell
        {kDay1, 5, {10, 20}, 14.1f},
        {kDay1, 5, {10, 20}, 28.5f},  // the highest level wins
        {kDay1, 5, {10, 20}, 21.0f},  //
        {kDay2, 0, {1, 0}, 21.3f},
        {kDay2, 0, {1, 0}, 18.1f},    // MOF 2
        {kDay2, 0, {2, 0}, 27.9f},    // 27 MHz: MOF 2
        {kDay2, 23, {15, 39}, 7.0f},  // LOF 1, no MOF level
        {kDay2, 23, {15, 38}, 3.6f},
        {kDay2, 23, {15, 38}, 10.1f},        // LOF 2
        {{2024, 11, 25}, 5, {6, 8}, 28.0f},  // a date the file does not cover
    };
}

// Where a symbol must stand: screen, grid row, line of the row block, character.
using Spot = std::tuple<int, int, int, int>;

}  // namespace

TEST(GridCell, RowsFromTheNorthColumnsWestwardFromGreenwich) {
    Grid g;
    set_grain(g, 2);
    EXPECT_EQ(grid_cell(g, {42.5, -73})->row, 6);  // 7.5 degree rows: 47.5 / 7.5 = 6.3
    EXPECT_EQ(grid_cell(g, {42.5, -73})->col, 8);  // 9 degree columns: 73 / 9 = 8.1
    EXPECT_EQ(grid_cell(g, {0.1, -0.1})->row, 11);
    EXPECT_EQ(grid_cell(g, {0.1, -0.1})->col, 0);
    EXPECT_EQ(grid_cell(g, {-0.1, 0.1})->row, 12);
    EXPECT_EQ(grid_cell(g, {-0.1, 0.1})->col, 39);  // just east of Greenwich: 359.9 W
    EXPECT_EQ(grid_cell(g, {10, 180})->col, 20);
    EXPECT_EQ(grid_cell(g, {10, 540})->col, 20);
    EXPECT_EQ(grid_cell(g, {82, 0})->row, 1);
    EXPECT_EQ(grid_cell(g, {-82, 0})->row, 22);
    // The first and the last row are never written.
    EXPECT_FALSE(grid_cell(g, {87, 0}));
    EXPECT_FALSE(grid_cell(g, {-88, 0}));
    EXPECT_FALSE(grid_cell(g, {91, 0}));
    set_grain(g, 1);
    EXPECT_EQ(grid_cell(g, {42.5, -73})->row, 9);  // the band 41.35 to 46.22 N
    EXPECT_EQ(grid_cell(g, {42.5, -73})->col, 16);
}

TEST(ContestData, EveryObservedCellAndNothingElse) {
    Model m;
    setup_station(m, 2);
    const std::vector<std::string> lines =
        split_lines(contest_data_text(m, {kDay1, kDay2}, two_days(), "K1ABC"));
    ASSERT_EQ(lines.size(), 2u * 24 * 111);
    std::map<Spot, char> expected = {
        {{5, 6, 0, 31}, '3'},  {{5, 6, 3, 31}, '3'},  {{5, 10, 0, 19}, '3'}, {{24, 1, 0, 39}, '2'},
        {{24, 2, 0, 39}, '2'}, {{47, 15, 3, 0}, '1'}, {{47, 15, 3, 1}, '2'},
    };
    for (int s = 0; s < 48; ++s)
        for (int r = 1; r <= 22; ++r)
            for (int l : {0, 1, 3, 4}) {
                const std::string& line = lines[std::size_t(s * 111 + 1 + (r - 1) * 5 + l)];
                ASSERT_EQ(line.size(), 40u);
                for (int i = 0; i < 40; ++i) {
                    const auto it = expected.find({s, r, l, i});
                    ASSERT_EQ(line[std::size_t(i)], it == expected.end() ? ' ' : it->second)
                        << "screen " << s << " row " << r << " line " << l << " character " << i;
                }
            }
}

TEST(ContestData, ClassifiedByTheColourThresholdsInForce) {
    Model m;
    setup_station(m, 3);
    m.consts.mof_red = 25;
    m.consts.lof_blue = 10;
    const std::vector<std::string> lines = split_lines(
        contest_data_text(m, {kDay1}, {{kDay1, 0, {5, 0}, 26.0f}, {kDay1, 0, {5, 1}, 10.1f}}, "X"));
    const std::size_t block = 1 + 4 * 5;  // screen 0, row 5
    EXPECT_EQ(lines[block + 0], std::string(19, ' ') + "3");
    EXPECT_EQ(lines[block + 3], std::string(18, ' ') + "1 ");
}

TEST(ContestData, HeadersNameDateHourIndicesPlaceAndCall) {
    Model m;
    setup_station(m, 3);
    const std::vector<std::string> lines =
        split_lines(contest_data_text(m, {kDay1, kDay2}, {{kDay2, 7, {3, 3}, 14.0f}}, "K1ABC"));
    ASSERT_EQ(lines.size(), 48u * 56);
    const std::optional<ContestHeader> h = parse_contest_header(lines[0]);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->month, 11);
    EXPECT_EQ(h->day, 23);
    EXPECT_EQ(h->unused, 0);
    EXPECT_EQ(h->sf_index, 150);
    EXPECT_EQ(h->a_index, 7);
    EXPECT_EQ(h->k_index, 2);
    EXPECT_FLOAT_EQ(h->lat, 42.5f);
    EXPECT_FLOAT_EQ(h->lon, 73.0f);
    EXPECT_EQ(lines[0], "11 23  0.00 150   7   2 42.5 73.0  K1ABC");
    for (int s = 0; s < 48; ++s) {
        const std::string& header = lines[std::size_t(s * 56)];
        EXPECT_NE(header.find('.'), std::string::npos);
        float month, day, hour;
        ASSERT_EQ(cscan(header.c_str(), "%e %e %e", &month, &day, &hour), 3);
        EXPECT_EQ(day, s < 24 ? 23 : 24);
        EXPECT_EQ(hour, s % 24);
    }
}

TEST(ContestData, ReadBackByGrainDetection) {
    test::TempDir dir;
    for (int grain = 1; grain <= 3; ++grain) {
        Model m;
        setup_station(m, grain);
        const std::string file = dir.file(cformat("g%d.prp", grain));
        MessageLog log;
        ASSERT_TRUE(write_whole_file(
            file, contest_data_text(m, {kDay1, kDay2}, {{kDay1, 1, {2, 2}, 28.0f}}, "K1ABC"), log));
        EXPECT_EQ(detect_grain(file), grain);
        const std::optional<DateSpan> span = contest_date_span(file, grain);
        ASSERT_TRUE(span);
        EXPECT_EQ(span->first_day, 23);
        EXPECT_EQ(span->last_day, 24);
        EXPECT_EQ(span->last_month, 11);
    }
    // Nothing but the file itself is left in the folder.
    long entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 3);
    MessageLog log;
    EXPECT_FALSE(write_whole_file(dir.file("no/such/folder/x.prp"), "text", log));
    EXPECT_EQ(log.entries.at(0).caption, "FILE ERROR!");
}

// The file pairs screen by screen with a run over the same dates: the same dates,
// hours and marker lines, and the score engine counts every observed cell.
TEST(ContestData, PairsWithARunOverTheSameDates) {
    test::TempDir dir;
    Model m;
    setup_station(m, 2);
    MessageLog log;
    ASSERT_TRUE(write_whole_file(dir.file("obs.prp"),
                                 contest_data_text(m, {kDay1, kDay2}, two_days(), "K1ABC"), log));

    Model run;
    setup_station(run, 2);
    run.consts.start_time = 0;
    run.consts.stop_time = 23;
    run.consts.step_time = 1;
    run.dates = {23, 11, 24, 11, 1, 1};
    RunHooks hooks;
    ASSERT_EQ(MainCalcs(run, dir.file("run.mof"), hooks, log), RunOutcome::completed);

    const std::vector<std::string> predicted = file_lines(dir.file("run.mof")),
                                   observed = file_lines(dir.file("obs.prp"));
    ASSERT_EQ(predicted.size(), observed.size());
    for (std::size_t i = 0; i < predicted.size(); ++i) {
        if (i % 111 == 0) {
            EXPECT_EQ(predicted[i].substr(0, 11), observed[i].substr(0, 11))
                << "header of screen " << i / 111;
        } else if (i % 111 % 5 == 3) {
            EXPECT_EQ(predicted[i], observed[i]) << "marker line " << i;
        }
    }

    const std::optional<ScoreResults> r =
        ScoreFiles(run.grid, dir.file("run.mof"), dir.file("obs.prp"), nullptr, log);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->mof_count, 4);  // the cells with a MOF level, whatever was predicted
    EXPECT_EQ(r->lof_count, 3);
    EXPECT_NEAR(r->mof_above + r->mof_at + r->mof_below, 100, 1e-3);
    EXPECT_NEAR(r->lof_above + r->lof_at + r->lof_below, 100, 1e-3);
}
