#include <gtest/gtest.h>

#include <fstream>

#include "base/numbers.h"
#include "files/replay.h"
#include "map/map_resources.h"
#include "map/map_view.h"
#include "model/solar.h"
#include "run/driver.h"
#include "test_support.h"

using namespace skywave;

namespace {

constexpr Pixel kBlack = rgb(0, 0, 0);
constexpr Pixel kGrey = rgb(128, 128, 128);
constexpr Pixel kWhite = rgb(255, 255, 255);

// A grain-3 screen whose symbol lines are all blank but for the given ones.
ReplayScreen blank_screen() {
    ReplayScreen s;
    s.lines.assign(5 * 11, std::string(80, ' '));
    return s;
}

// Counts pixels of a colour in a rectangle.
int count(const Surface& s, int x, int y, int w, int h, Pixel p) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            n += s.pixel(i, j) == p;
    return n;
}

// Finds a cell of the grain-2 layout (16 x 16) whose map is all sea or all land.
bool find_cell(Pixel ground, int& row, int& col) {
    const Surface& world = map_resources().world;
    for (row = 0; row < 22; ++row)
        for (col = 0; col < 40; ++col)
            if (count(world, col * 16, 10 + row * 16, 16, 16, ground) == 16 * 16) return true;
    return false;
}

ViewState cells_only() {
    ViewState v;
    v.map = true;
    v.qth = v.sun = v.great_circles = false;
    return v;
}

}  // namespace

TEST(MapView, WorldMapIsGreyLandOnBlackSea) {
    const Surface& w = map_resources().world;
    ASSERT_EQ(w.width(), 640);
    ASSERT_EQ(w.height(), 480);
    int land = 0, other = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const Pixel p = w.pixel(x, y);
            land += p == kGrey;
            other += p != kGrey && p != kBlack;
        }
    EXPECT_EQ(other, 0);
    EXPECT_GT(land, 640 * 340 / 5);  // roughly the land's share of the band
    EXPECT_LT(land, 640 * 340 / 2);
    EXPECT_EQ(count(w, 0, 0, 640, 16, kGrey), 0) << "nothing above the north";
    EXPECT_EQ(count(w, 0, 360, 640, 120, kGrey), 0) << "nothing below the south";
    // Antarctica fills the bottom of the band; 60 N, 100 E is in Siberia (land),
    // 0 N, 30 W lies in the Atlantic (sea).
    EXPECT_EQ(w.pixel(320, 350), kGrey);
    EXPECT_EQ(w.pixel(int(100 / 360.0 * 640), int(16 + 30 * 340 / 180.0)), kGrey);
    EXPECT_EQ(w.pixel(int(330 / 360.0 * 640), int(16 + 90 * 340 / 180.0)), kBlack);
}

TEST(MapView, SymbolsAreXoredIntoTheirCells) {
    Model m;
    test::setup_model(m, 2);
    int sea_row, sea_col, land_row, land_col;
    ASSERT_TRUE(find_cell(kBlack, sea_row, sea_col));
    ASSERT_TRUE(find_cell(kGrey, land_row, land_col));
    ReplayScreen s;
    s.lines.assign(5 * 22, std::string(80, ' '));
    s.lines[std::size_t(5 * sea_row)][std::size_t(sea_col)] = '3';
    s.lines[std::size_t(5 * land_row)][std::size_t(land_col)] = '3';
    MapSurfaces surfaces;
    ViewState v = cells_only();
    v.long_path = false;
    DrawReplay(surfaces, m, s, v);
    EXPECT_EQ(count(surfaces.Working, sea_col * 16, 10 + sea_row * 16, 16, 16, rgb(255, 0, 0)),
              16 * 16)
        << "red over black sea";
    EXPECT_EQ(count(surfaces.Working, land_col * 16, 10 + land_row * 16, 16, 16, rgb(128, 0, 0)),
              16 * 16)
        << "red over grey land turns dark red";
    // A long-path "C" is a red and black checkerboard.
    s.lines[std::size_t(5 * sea_row)][std::size_t(sea_col)] = ' ';
    s.lines[std::size_t(5 * sea_row + 1)][std::size_t(sea_col)] = 'C';
    v.short_path = false;
    v.long_path = true;
    DrawReplay(surfaces, m, s, v);
    const int red =
        count(surfaces.Working, sea_col * 16, 10 + sea_row * 16, 16, 16, rgb(255, 0, 0));
    const int black = count(surfaces.Working, sea_col * 16, 10 + sea_row * 16, 16, 16, kBlack);
    EXPECT_EQ(red + black, 16 * 16);
    EXPECT_GT(red, 100);
    EXPECT_GT(black, 100);
}

TEST(MapView, BothPathsShowTheHigherBand) {
    EXPECT_EQ(BothLine("1", "A", 1), "1");
    EXPECT_EQ(BothLine("1", "B", 1), "B");
    EXPECT_EQ(BothLine("1", "C", 1), "C");
    EXPECT_EQ(BothLine("2", "B", 1), "2");
    EXPECT_EQ(BothLine("2", "C", 1), "C");
    EXPECT_EQ(BothLine("3", "C", 1), "3");
    EXPECT_EQ(BothLine(" ", "A", 1), "A");
    EXPECT_EQ(BothLine(" ", " ", 1), " ");
    EXPECT_EQ(BothLine("12 3", "CAB ", 4), "C2B3");
}

TEST(MapView, TitlesNameTheLinesShown) {
    Model m;
    test::setup_model(m, 3);
    m.header_line = " 3  5 14.50 150   7   2 42.5 73.0  \n";
    ReplayScreen s = blank_screen();
    s.lines[0][0] = '3';
    MapSurfaces surfaces;
    ViewState v = cells_only();
    EXPECT_EQ(DrawReplay(surfaces, m, s, v), " 3  5 14.50 150   7   BOTH MOF ");
    v.lines = ViewState::lof;
    v.long_path = false;
    EXPECT_EQ(DrawReplay(surfaces, m, s, v), " 3  5 14.50 150   7   SHORT LOF");
    v.lines = ViewState::other;
    EXPECT_EQ(DrawReplay(surfaces, m, s, v), " 3  5 14.50 150   7 ");
    EXPECT_EQ(count(surfaces.Working, 0, 0, 640, 480, rgb(255, 0, 0)), 0)
        << "Other paints no cells";
    v.map = false;
    DrawReplay(surfaces, m, s, v);
    EXPECT_EQ(count(surfaces.Working, 0, 0, 640, 480, kBlack), 640 * 480) << "no map: a black base";
}

TEST(MapView, SunSymbolsSitInTheirColumns) {
    Model m;
    test::setup_model(m, 3);
    m.consts.month = 3;
    m.consts.day = 21;
    // At 0 UTC in March the sun rises near 90 W and sets near 90 E on every row.
    m.consts.calc_time = 0;
    MapSurfaces surfaces;
    surfaces.Working.fill(kBlack);
    ShowSun(surfaces.Working, m, map_resources());
    int rise_long, set_long;
    sun_locate(m, m.grid.row_lat(6), 0, &rise_long, &set_long);
    const int rise_col = int(20 - rise_long * double(kRadPerDeg2) * m.grid.cols_per_rad) % 20;
    const int set_col = int(20 - set_long * double(kRadPerDeg2) * m.grid.cols_per_rad) % 20;
    const int y = 10 + 5 * 32;
    EXPECT_GT(count(surfaces.Working, rise_col * 32, y, 32, 32, rgb(255, 255, 0)), 20);
    EXPECT_GT(count(surfaces.Working, set_col * 32, y, 32, 32, rgb(255, 255, 0)), 20);
    EXPECT_EQ(count(surfaces.Working, 0, y, 640, 32, rgb(255, 255, 0)),
              count(surfaces.Working, rise_col * 32, y, 32, 32, rgb(255, 255, 0)) +
                  count(surfaces.Working, set_col * 32, y, 32, 32, rgb(255, 255, 0)));
    // Polar day: a single sunrise symbol, at Greenwich.
    m.consts.month = 6;
    m.consts.calc_time = 12;
    surfaces.Working.fill(kBlack);
    ShowSun(surfaces.Working, m, map_resources());
    EXPECT_GT(count(surfaces.Working, 0, 10, 32, 32, rgb(255, 255, 0)), 20);
    EXPECT_EQ(count(surfaces.Working, 32, 10, 640 - 32, 32, rgb(255, 255, 0)), 0);
}

TEST(MapView, GreatCirclesWrapAcrossTheWholeWidth) {
    Model m;
    test::setup_model(m, 2);
    m.consts.rlat = float(35 * kRadPerDeg);
    m.consts.rlon = float((360 - 139.7) * kRadPerDeg);  // Tokyo, far east of Greenwich
    Surface s(640, 480, kBlack);
    ShowPaths(s, m);
    int left = 0, right = 0, below = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            if (s.pixel(x, y) != kWhite) continue;
            (x < 160 ? left : right) += x < 160 || x > 480;
            below += y >= 400;
        }
    EXPECT_GT(left, 0);
    EXPECT_GT(right, 0);
    EXPECT_EQ(below, 0) << "dots below the half-resolution frame are skipped";
    // The QTH marker is an X of dots around the QTH itself.
    Surface q(640, 480, kBlack);
    ShowQTH(q, m);
    const int x = int(139.7 / 360 * 640), y = int(2 * ((90 - 35) * 170.0 / 180 + 8));
    EXPECT_GT(count(q, x - 12, y - 12, 24, 24, kWhite), 30);
    EXPECT_EQ(count(q, 0, 0, 640, 480, kWhite), count(q, x - 12, y - 12, 24, 24, kWhite));
}

TEST(MapView, PolarViewsKeepGreyOutsideTheDisc) {
    Model m;
    test::setup_model(m, 2);
    MapSurfaces surfaces;
    surfaces.Working = map_resources().world;
    Polar(surfaces, m, 2);
    EXPECT_EQ(surfaces.Working.pixel(121, 1), kGrey);
    EXPECT_EQ(surfaces.Working.pixel(518, 398), kGrey);
    // The centre is the top of the map band: the Arctic is black sea there.
    EXPECT_EQ(surfaces.Working.pixel(320, 199), map_resources().world.pixel(0, 10));
    // Near the rim lies the bottom of the band: Antarctica's grey all around.
    EXPECT_EQ(surfaces.Working.pixel(320, 390), kGrey);
    EXPECT_EQ(surfaces.Working.pixel(130, 200), kGrey);
    surfaces.Working = map_resources().world;
    Polar(surfaces, m, 3);
    EXPECT_EQ(surfaces.Working.pixel(121, 1), kGrey);
    EXPECT_EQ(paint_source(ViewState{}, false).height, 355);
    ViewState polar;
    polar.projection = ViewState::polar_qth;
    const SourceRect disc = paint_source(polar, true);
    EXPECT_EQ(disc.x, 120);
    EXPECT_EQ(disc.width, 400);
    EXPECT_EQ(paint_source(ViewState{}, true).height, 445);
}

TEST(MapView, ExaminedArraysUseTenLevels) {
    Model m;
    test::setup_model(m, 3);
    ResultArrays& a = *m.arrays;
    for (int r = 0; r < 13; ++r)
        for (int c = 0; c < 20; ++c)
            a.g2[r][c] = 5;
    ExamState exam;
    ASSERT_TRUE(select_exam_array(m, *find_disp_array("g2"), exam));
    EXPECT_EQ(exam.exam_step, 1) << "an all-equal array steps by 1";
    MapSurfaces surfaces;
    LegendText legend;
    ViewState v = cells_only();
    v.map = false;
    m.header_line = " 3  5 14.50 150   7   2 42.5 73.0  \n";
    EXPECT_EQ(DrawArray(surfaces, m, exam, v, legend), " 3  5 14.50 150   7   g2");
    EXPECT_EQ(legend.range, "MIN= 5.0000 MAX= 5.0000 STEP= 1.0000");
    EXPECT_EQ(count(surfaces.Working, 0, 10, 640, 352, kBlack), 640 * 352) << "level 0 is black";

    a.g2[4][0] = 15;  // the maximum, in the last display column of display row 3
    ASSERT_TRUE(select_exam_array(m, *find_disp_array("g2"), exam));
    EXPECT_FLOAT_EQ(exam.exam_step, 1.0f);
    DrawArray(surfaces, m, exam, v, legend);
    EXPECT_EQ(surfaces.Working.pixel(19 * 32 + 5, 10 + 3 * 32 + 5), rgb(255, 0, 0))
        << "the maximum is level 9";
    // The legend shows the ten pure colours in a white frame.
    EXPECT_EQ(surfaces.Working.pixel(139, 381), kWhite);
    EXPECT_EQ(surfaces.Working.pixel(140 + 9 * 32 + 3, 385), rgb(255, 0, 0));
    EXPECT_EQ(surfaces.Working.pixel(140 + 1 * 32 + 3, 385), rgb(0, 0, 128));

    // A per-row array is drawn as bands; angles keep their radians but show degrees.
    for (int r = 0; r < 13; ++r)
        a.day_len[r] = float(r);
    ASSERT_TRUE(select_exam_array(m, *find_disp_array("day_len"), exam));
    DrawArray(surfaces, m, exam, v, legend);
    for (int k = 0; k < 11; ++k) {
        const Pixel first = surfaces.Working.pixel(3, 10 + k * 32 + 3);
        EXPECT_EQ(count(surfaces.Working, 0, 10 + k * 32, 640, 32, first), 640 * 32) << "row " << k;
    }
    EXPECT_FALSE(select_exam_array(m, *find_disp_array("other"), exam))
        << "no picture for the scalar values";
    EXPECT_NE(misc_values(m).find("julian date="), std::string::npos);
}

TEST(Replay, ScreensAreReadRoundAndRound) {
    test::TempDir dir;
    Model m;
    test::setup_model(m, 3);
    m.dates = {5, 3, 5, 3, 1, 1};
    m.consts.start_time = 10;
    m.consts.stop_time = 11;
    RunHooks hooks;
    MessageLog log;
    ASSERT_EQ(MainCalcs(m, dir.file("r.mof"), hooks, log), RunOutcome::completed);

    Model r;
    ReplayFile replay;
    ASSERT_TRUE(replay.open(dir.file("r.mof"), r, log));
    EXPECT_EQ(r.grid.n_cols, 20);
    EXPECT_NEAR(r.consts.rlat * 57.29578, 42.5, 1e-3);
    ReplayScreen s;
    replay.ReadScreen(r, s);
    EXPECT_EQ(r.consts.calc_time, 10.0f);
    EXPECT_EQ(r.consts.month, 3.0f);
    EXPECT_EQ(r.consts.day, 5.0f);
    EXPECT_EQ(r.header_line, "03 05 10.00 200   0   0 42.5 73.0  \n")
        << "blanks at 0, 3 and 6 read as 0";
    ASSERT_EQ(s.lines.size(), 55u);
    for (const std::string& line : s.lines)
        EXPECT_EQ(line.size(), 80u);
    replay.ReadScreen(r, s);
    EXPECT_EQ(r.consts.calc_time, 11.0f);
    replay.ReadScreen(r, s);
    EXPECT_EQ(r.consts.calc_time, 10.0f) << "after the last screen the first comes again";
}

TEST(Replay, BadFilesAreRefusedAndBadQthsZeroed) {
    test::TempDir dir;
    MessageLog log;
    Model m;
    ReplayFile replay;
    EXPECT_FALSE(replay.open(dir.file("none.mof"), m, log));
    EXPECT_FALSE(replay.open(dir.path().string(), m, log));
    {
        std::ofstream out(dir.file("short.mof"));
        out << "1 2 3\n";
        for (int i = 0; i < 55; ++i)
            out << "111\n";
    }
    m.consts.rlat = 1;
    ASSERT_TRUE(replay.open(dir.file("short.mof"), m, log));
    EXPECT_EQ(m.consts.rlat, 0.0f) << "a header without a QTH puts it at 0";
    EXPECT_EQ(m.grid.n_rows, 13);
    {
        std::ofstream out(dir.file("far.mof"));
        out << " 3  5  0.00 150   7   2 95.0 -361.0  \n";
        for (int i = 0; i < 20; ++i)
            out << "111\n";  // a screen cut short
    }
    ASSERT_EQ(log.entries.size(), 2u);
    EXPECT_EQ(log.entries[0].text, "Can't open the file") << "the grain in force stays";
    EXPECT_EQ(log.entries[1].text, "Can't read the file grain") << "a folder has no screens";
    EXPECT_EQ(log.entries[1].caption, "ERROR");
    EXPECT_FALSE(replay.open(dir.file("far.mof"), m, log)) << "too few lines for any grain";
}
