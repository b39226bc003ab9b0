#include <gtest/gtest.h>

#include <fstream>

#include "base/numbers.h"
#include "files/prediction_file.h"
#include "model/grid.h"
#include "model/result_arrays.h"
#include "test_support.h"

using namespace skywave;

TEST(Grid, GrainsSelectTheirResolution) {
    Grid g;
    set_grain(g, 1);
    EXPECT_EQ(g.n_rows, 37);
    EXPECT_EQ(g.n_cols, 80);
    EXPECT_EQ(g.out_rows, 35);
    EXPECT_EQ(g.cell_scale, 5);
    set_grain(g, 3);
    EXPECT_EQ(g.n_rows, 13);
    EXPECT_EQ(g.n_cols, 20);
    EXPECT_EQ(g.cell_scale, 16);
    set_grain(g, 2.9f);  // truncated
    EXPECT_EQ(g.n_rows, 24);
    EXPECT_EQ(g.n_cols, 40);
    EXPECT_EQ(g.out_rows, 22);
}

TEST(Grid, UnknownGrainsKeepTheGridInForce) {
    Grid g;
    set_grain(g, 1);
    for (float bad : {0.0f, 4.0f, -1.0f, std::nanf(""), 1e30f}) {
        set_grain(g, bad);
        EXPECT_EQ(g.n_rows, 37) << bad;
        EXPECT_EQ(g.n_cols, 80) << bad;
    }
}

TEST(Grid, RowsRunSouthAndColumnsRunWest) {
    Grid g;
    set_grain(g, 1);
    EXPECT_NEAR(g.row_lat(0) * 57.29578, 87.568, 1e-3);
    EXPECT_NEAR(g.row_lat(36) * 57.29578, -87.568, 1e-3);
    EXPECT_NEAR(g.row_lat(18), 0.0, 1e-6);  // the equator band
    EXPECT_NEAR(g.col_lon(0) * 57.29578, 2.25, 1e-4);
    EXPECT_NEAR(g.col_lon(79) * 57.29578, 357.75, 1e-3);
    set_grain(g, 2);
    EXPECT_NEAR(g.row_lat(0) * 57.29578, 86.25, 1e-4);
    EXPECT_NEAR(g.col_lon(0) * 57.29578, 4.5, 1e-4);     // 4.5 W
    EXPECT_NEAR(g.col_lon(39) * 57.29578, 355.5, 1e-3);  // 4.5 E
    set_grain(g, 3);
    EXPECT_NEAR(g.row_lat(0) * 57.29578, 83.077, 1e-3);
    EXPECT_NEAR(g.col_lon(0) * 57.29578, 9.0, 1e-4);
}

TEST(Grid, DisplayTableListsEveryArrayOnce) {
    ASSERT_EQ(disp_arrays.size(), 51u);
    EXPECT_STREQ(disp_arrays[0].title, "pathlen");
    EXPECT_STREQ(disp_arrays[4].title, "c_sol_zen");
    EXPECT_EQ(disp_arrays[4].type, 2);
    EXPECT_EQ(disp_arrays[6].type, 2);
    EXPECT_STREQ(disp_arrays[29].title, "maxhop");
    EXPECT_EQ(disp_arrays[29].scale_factor, 57.29578f);
    EXPECT_STREQ(disp_arrays[50].title, "other");
    EXPECT_EQ(disp_arrays[50].type, 50);
    int angles = 0;
    for (const disp_array& d : disp_arrays) {
        EXPECT_LE(std::string(d.title).size(), 9u);
        if (d.type == 1) {
            EXPECT_NE(d.array2d, nullptr) << d.title;
        }
        if (d.scale_factor != 1) ++angles;
    }
    EXPECT_EQ(angles, 13);
    EXPECT_EQ(find_disp_array("lpblack"), 49);
    EXPECT_FALSE(find_disp_array("work_array"));
}

TEST(Grid, InitCalcClearsTheArraysOfTheRunBefore) {
    Model m;
    test::setup_model(m, 2);
    m.arrays->g9[3][4] = 42;
    m.arrays->day_len[5] = 7;
    MessageLog log;
    ASSERT_TRUE(InitCalc(m, log));
    EXPECT_EQ(m.arrays->g9[3][4], 0);
    EXPECT_EQ(m.arrays->day_len[5], 0);
    EndCalc(m);
    EXPECT_FALSE(m.arrays);
}

TEST(Grid, InitCalcRefusesAGridThatWasNeverSet) {
    Model m;
    m.consts.display_grain = 7;
    MessageLog log;
    EXPECT_FALSE(InitCalc(m, log));
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].caption, "GRAIN DATA ERROR!");
}

namespace {
// A file whose first screen has the given number of symbol lines.
std::string screen_file(const test::TempDir& dir, int symbol_lines, bool second_header) {
    const std::string name = dir.file("f.mof");
    std::ofstream out(name);
    out << " 3  5  0.00 150   7   2 42.5 73.0  \n";
    for (int i = 0; i < symbol_lines; ++i)
        out << "11 2 3  AB\n";
    if (second_header) out << " 3  5  1.00 150   7   2 42.5 73.0  \n11\n";
    return name;
}
}  // namespace

TEST(Grid, GrainIsRecognisedFromTheFirstScreen) {
    test::TempDir dir;
    EXPECT_EQ(detect_grain(screen_file(dir, 110, true)), 2);
    EXPECT_EQ(detect_grain(screen_file(dir, 175, true)), 1);
    EXPECT_EQ(detect_grain(screen_file(dir, 55, true)), 3);
    EXPECT_EQ(detect_grain(screen_file(dir, 100, true)), 0);
    EXPECT_EQ(detect_grain(screen_file(dir, 55, false)), 3) << "one screen, counted to the end";
    EXPECT_EQ(detect_grain(dir.file("missing.mof")), -1);

    Model m;
    m.consts.display_grain = 2;
    read_display_grain(m, screen_file(dir, 175, false));
    EXPECT_EQ(m.consts.display_grain, 1);
    read_display_grain(m, dir.file("missing.mof"));
    EXPECT_EQ(m.consts.display_grain, 1) << "an unreadable file changes nothing";
}

TEST(Grid, AHeaderWithZEndsTheScreenToo) {
    test::TempDir dir;
    const std::string name = dir.file("z.prp");
    std::ofstream out(name);
    out << "1 15 0 150 10 2 42.5 73 CALL\n";
    for (int i = 0; i < 55; ++i)
        out << "1\n";
    out << "1 15 1Z\n";
    out.close();
    EXPECT_EQ(detect_grain(name), 3);
}
