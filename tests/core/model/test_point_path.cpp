// One place of the world: the paths to it are the grid's at a grid point's own position.
#include <gtest/gtest.h>

#include <cstring>

#include "base/messages.h"
#include "model/model.h"
#include "model/point_path.h"
#include "run/driver.h"
#include "test_support.h"

namespace skywave {
namespace {

bool same_bits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(PointPath, AtAGridPointItsPathsAreTheGrids) {
    // After each step, paths to cells in every quarter of the world, near the QTH and at
    // the antipode, with the trans-equatorial enhancement and blackouts as they come.
    struct Check : RunHooks {
        int cells = 0, differ = 0;
        void step_done(Model& m) override {
            const ResultArrays& a = *m.arrays;
            for (int r = 1; r < m.grid.n_rows - 1; r += 3)
                for (int c = 0; c < m.grid.n_cols; c += 7) {
                    const PointPaths p = point_paths(m, m.grid.row_lat(r), m.grid.col_lon(c));
                    ++cells;
                    differ += !same_bits(p.short_path.mof, a.mof[r][c]) ||
                              !same_bits(p.short_path.lof, a.lof[r][c]) ||
                              !same_bits(p.long_path.mof, a.longmof[r][c]) ||
                              !same_bits(p.long_path.lof, a.longlof[r][c]);
                    EXPECT_NEAR(p.short_path.distance_km + p.long_path.distance_km,
                                2 * 3.14159265 * 6371, 0.5);
                    EXPECT_GE(p.short_path.hops, 1);
                }
        }
    } check;
    for (int grain : {1, 3}) {
        Model m;
        test::setup_model(m, grain);
        m.dates = {21, 6, 21, 6, 1, 1};
        m.consts.start_time = 0;
        m.consts.stop_time = 18;
        m.consts.step_time = 6;
        MessageLog log;
        ASSERT_EQ(MainCalcs(m, std::nullopt, check, log), RunOutcome::completed);
    }
    EXPECT_GT(check.cells, 500);
    EXPECT_EQ(check.differ, 0);
}

TEST(PointPath, ASwitchedOffPathShowsNothing) {
    Model m;
    test::setup_model(m, 3);
    m.dates = {5, 3, 5, 3, 1, 1};
    m.consts.start_time = m.consts.stop_time = 12;
    m.consts.lp_flag = 0;
    struct Last : RunHooks {
        PointPaths p;
        void step_done(Model& m) override { p = point_paths(m, 0.9f, 6.2f); }
    } last;
    MessageLog log;
    ASSERT_EQ(MainCalcs(m, std::nullopt, last, log), RunOutcome::completed);
    EXPECT_EQ(last.p.long_path.mof, 0.0f);
    EXPECT_EQ(last.p.long_path.lof, 30.0f);
    EXPECT_GT(last.p.long_path.distance_km, 20000) << "its length is still known";
    EXPECT_GT(last.p.short_path.mof, 0.0f);
}

}  // namespace
}  // namespace skywave
