#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "base/messages.h"
#include "model/grid.h"
#include "tuning/accuracy.h"
#include "tuning/score.h"

using namespace skywave;

namespace {

constexpr int kCols = 20, kRows = 11;  // grain 3

// A grain-3 screen: blank except the given cells, keyed by row block, line of the block
// (0 short-path MOF, 1 long-path MOF, 3 short-path LOF) and column.
using Cells = std::map<std::tuple<int, int, int>, char>;
std::string screen(const std::string& header, const Cells& cells) {
    std::string text = header + "\n";
    for (int r = 0; r < kRows; ++r)
        for (int l = 0; l < 5; ++l) {
            std::string line(kCols, ' ');
            for (const auto& [at, c] : cells)
                if (std::get<0>(at) == r && std::get<1>(at) == l) line[std::get<2>(at)] = c;
            text += line + "\n";
        }
    return text;
}

FileText text(const std::string& name, const std::string& body) {
    FileText f;
    f.name = name;
    f.text = body;
    f.opened = true;
    return f;
}

// From 42.5 N 73 W on grain 3 (lines run eastward: character i is column 19 - i): block 2
// character 15 is 669 km away, block 1 character 15 1545 km, block 2 character 19 5157 km,
// block 8 character 5 19346 km.
struct Files {
    std::string prediction = screen(" 3  5 10.00 150   0   0 42.5 73.0  ", {{{2, 3, 15}, '1'},
                                                                            {{1, 0, 15}, '1'},
                                                                            {{1, 1, 15}, 'B'},
                                                                            {{2, 0, 19}, '3'},
                                                                            {{8, 3, 5}, '2'}}) +
                             screen(" 3  5 11.00 150   0   0 42.5 73.0  ", {});
    std::string observations = screen("3 5 10 150 0 0 42.5 73.0 W1AW", {{{2, 0, 15}, '2'},
                                                                        {{2, 3, 15}, '1'},
                                                                        {{1, 0, 15}, '2'},
                                                                        {{2, 0, 19}, '1'},
                                                                        {{8, 3, 5}, '3'}}) +
                               screen(" 3  5 11.00 150   0   0 42.5 73.0  ", {{{2, 0, 15}, 'x'}}) +
                               screen(" 3  5 12.00 150   0   0 42.5 73.0  ", {{{1, 0, 15}, '1'}});
};

AccuracyTable table(AccuracySplit by) {
    Files f;
    Grid grid;
    set_grain(grid, 3);
    MessageLog log;
    const std::optional<AccuracyTable> t =
        accuracy_table(grid, text("p.mof", f.prediction), text("o.prp", f.observations), by, log);
    EXPECT_TRUE(t.has_value());
    return t.value_or(AccuracyTable{});
}

}  // namespace

// Every observed cell lands in the row of its distance, hour or level, counted as the
// score counts it or under the reason it cannot be counted; the totals are the score's.
TEST(Accuracy, SplitsTheScoreAndSaysWhyCellsAreNotCounted) {
    const AccuracyTable d = table(AccuracySplit::distance);
    ASSERT_EQ(d.rows.size(), 5u);
    const CellCounts &near = d.rows[0].counts, &second = d.rows[1].counts,
                     &fourth = d.rows[3].counts, &far = d.rows[4].counts;
    EXPECT_EQ(near.mof.above, 1);  // 20 m worked where the model has no band open
    EXPECT_EQ(near.lof.at, 1);
    EXPECT_EQ(near.uncounted.no_level, 1);
    EXPECT_EQ(second.mof.at, 1);  // the long path's level counts
    EXPECT_EQ(second.uncounted.lof_above_bands, 1);
    EXPECT_EQ(second.uncounted.no_prediction, 1);
    EXPECT_EQ(fourth.mof.below, 1);
    EXPECT_EQ(far.lof.above, 1);
    EXPECT_EQ(far.uncounted.mof_below_bands, 1);
    EXPECT_EQ(d.rows[2].counts.mof.points() + d.rows[2].counts.lof.points(), 0);

    // The totals are the single-file score's better-of-both results.
    Files f;
    Grid grid;
    set_grain(grid, 3);
    MessageLog log;
    const std::optional<ScoreResults> s =
        score_texts(grid, text("p", f.prediction), text("o", f.observations), nullptr, log);
    ASSERT_TRUE(s);
    const ScoreResults all = score_results(d.all);
    EXPECT_EQ(all.mof_above, s->mof_above);
    EXPECT_EQ(all.mof_at, s->mof_at);
    EXPECT_EQ(all.mof_below, s->mof_below);
    EXPECT_EQ(all.mof_count, s->mof_count);
    EXPECT_EQ(all.lof_above, s->lof_above);
    EXPECT_EQ(all.lof_count, s->lof_count);
    EXPECT_EQ(d.all.mof.points(), 3);

    const AccuracyTable h = table(AccuracySplit::hour);
    EXPECT_EQ(h.rows[10].counts.mof.points(), 3);
    EXPECT_EQ(h.rows[11].counts.uncounted.no_level, 1);
    EXPECT_EQ(h.rows[12].counts.uncounted.no_prediction, 1);

    const AccuracyTable b = table(AccuracySplit::band);  // by the observed level
    EXPECT_EQ(b.rows[0].counts.mof.below, 1);
    EXPECT_EQ(b.rows[0].counts.lof.at, 1);
    EXPECT_EQ(b.rows[1].counts.mof.above, 1);
    EXPECT_EQ(b.rows[1].counts.mof.at, 1);
    EXPECT_EQ(b.rows[2].counts.lof.above, 1);

    // Left out by distance: only the farthest cell stays.
    CellCounts counts;
    ASSERT_TRUE(walk_cells(
        grid, text("p", f.prediction), text("o", f.observations),
        [&](const ObservedCell& c) { count_cell(c, 10000, counts); }, log));
    EXPECT_EQ(counts.mof.points() + counts.lof.points(), 1);
    EXPECT_EQ(counts.uncounted.too_near, 3);
}
