#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/messages.h"
#include "base/report.h"
#include "model/grid.h"
#include "model/model.h"
#include "test_support.h"
#include "tuning/score.h"

using namespace skywave;

namespace {

using test::read_file;
using test::write_file;

// Grain 3: 20 columns, 11 written rows of five lines per screen.
constexpr int kCols = 20;
constexpr int kRows = 11;

// The five lines of a row block.
enum Line { SP_MOF_LINE, LP_MOF_LINE, MARKS, SP_LOF_LINE, LP_LOF_LINE };

// One screen of a grain-3 file: a header and 11 row blocks of blank lines, to be
// filled cell by cell.
struct Screen {
    std::string header;
    std::array<std::array<std::string, 5>, kRows> lines;

    explicit Screen(std::string h) : header(std::move(h)) {
        for (auto& block : lines)
            for (auto& l : block)
                l = std::string(kCols, ' ');
    }
    Screen& put(int row, Line line, const std::string& cells, int from = 0) {
        lines[std::size_t(row)][line].replace(std::size_t(from), cells.size(), cells);
        return *this;
    }
};

// A screen header with a time field, as every header after the first must have.
std::string header(int screen) {
    char text[64];
    std::snprintf(text, sizeof text, " 3  5 %5.2f 150   7   2 42.5 73.0  ", double(screen));
    return text;
}

std::string text_of(const std::vector<Screen>& screens, const std::string& eol = "\n") {
    std::string text;
    for (const Screen& s : screens) {
        text += s.header + eol;
        for (const auto& block : s.lines)
            for (const auto& l : block)
                text += l + eol;
    }
    return text;
}

struct Row {
    float above, at, below, count;
};

std::string block(const std::array<Row, 6>& rows) {
    static const char* const names[] = {"SP_MOF", "LP_MOF", "BT_MOF", "SP_LOF", "LP_LOF", "BT_LOF"};
    std::string text = "       BETTER     AT  WORSE    COUNT\n";
    for (int t = 0; t < 6; ++t) {
        char line[80];
        std::snprintf(line, sizeof line, "%s  %5.1f  %5.1f  %5.1f    %5.0f\n", names[t],
                      double(rows[t].above), double(rows[t].at), double(rows[t].below),
                      double(rows[t].count));
        text += line;
    }
    return text;
}

const Row kNone{0, 0, 0, 0};

// Scores file 1 against file 2 on the grain-3 grid.
struct Scoring {
    test::TempDir dir;
    Grid grid;
    MessageLog log;
    ScoreResults results{-1, -1, -1, -1, -1, -1, -1, -1};
    bool ok = false;
    std::string report;

    Scoring() { set_grain(grid, 3); }
    std::string file(const std::string& name, const std::vector<Screen>& screens,
                     const std::string& eol = "\n") {
        const std::string path = dir.file(name);
        write_file(path, text_of(screens, eol));
        return path;
    }
    void run(const std::string& f1, const std::string& f2, bool with_report = true) {
        std::optional<ScoreResults> scored;
        if (with_report) {
            const std::string name = dir.file("report.txt");
            std::unique_ptr<Report> r = Report::create(name);
            ASSERT_TRUE(r);
            scored = ScoreFiles(grid, f1, f2, r.get(), log);
            ASSERT_TRUE(r->close());
            report = read_file(name);
        } else {
            scored = ScoreFiles(grid, f1, f2, nullptr, log);
        }
        ok = scored.has_value();
        if (scored) results = *scored;
    }
    // The final totals block of the report.
    std::string totals() const {
        const std::size_t at = report.find("\n\nFINAL TOTALS\n");
        return at == std::string::npos ? "" : report.substr(at + 15);
    }
};

// Short path 1 2 3 0 1 against long path 3 1 2 2 0 in the first five cells of row 0;
// short-path LOF 3 and no long-path LOF in the first cell.
Screen self_screen() {
    Screen s(header(14));
    s.put(0, SP_MOF_LINE, "123 1").put(0, LP_MOF_LINE, "CABB ").put(0, MARKS, "R    S  X");
    s.put(0, SP_LOF_LINE, "3");
    return s;
}

}  // namespace

TEST(Score, FileAgainstItself) {
    Scoring s;
    const std::string f = s.file("self.mof", {self_screen()});
    s.run(f, f);
    ASSERT_TRUE(s.ok);
    EXPECT_TRUE(s.log.entries.empty());

    // The long path is scored against the short-path observation: 3 vs 1 lies
    // below, 1 vs 2, 2 vs 3 and 0 vs 1 above; 2 vs 0 is not counted. The better of
    // both is 3 2 3 2 1: only the first cell, where the long path is higher, is WORSE.
    const std::string screen_block =
        "       BETTER     AT  WORSE    COUNT\n"
        "SP_MOF    0.0  100.0    0.0        4\n"
        "LP_MOF   75.0    0.0   25.0        4\n"
        "BT_MOF    0.0   75.0   25.0        4\n"
        "SP_LOF    0.0  100.0    0.0        1\n"
        "LP_LOF  100.0    0.0    0.0        1\n"
        "BT_LOF    0.0  100.0    0.0        1\n";
    const std::string expected = "FILE 1=" + f + "\nFILE 2=" + f + "\n\n" +
                                 "\nFILE 1=" + header(14) + "\nFILE 2=" + header(14) + "\n" +
                                 screen_block + "\n\nFINAL TOTALS\n" + screen_block;
    EXPECT_EQ(s.report, expected);

    EXPECT_FLOAT_EQ(s.results.mof_above, 0);
    EXPECT_FLOAT_EQ(s.results.mof_at, 75);
    EXPECT_FLOAT_EQ(s.results.mof_below, 25);
    EXPECT_FLOAT_EQ(s.results.mof_count, 4);
    EXPECT_FLOAT_EQ(s.results.lof_above, 0);
    EXPECT_FLOAT_EQ(s.results.lof_at, 100);
    EXPECT_FLOAT_EQ(s.results.lof_below, 0);
    EXPECT_FLOAT_EQ(s.results.lof_count, 1);
}

TEST(Score, CellRulesAndKindsWithoutCells) {
    // column:            0    1    2    3    4    5    6    7
    // predicted short:   2    .    .    x    1    0    1    3
    // predicted long:    .    .    C    .    .    .    .    A
    // observed:          .    1    3    1    ?    0    .    2
    Scoring s;
    Screen p(header(0)), o(header(0));
    p.put(4, SP_MOF_LINE, "2  x1013").put(4, LP_MOF_LINE, "  C    A");
    o.put(4, SP_MOF_LINE, " 131?0 2").put(4, LP_MOF_LINE, "CCCCCCCC");  // not scored
    s.run(s.file("p.mof", {p}), s.file("o.prp", {o}));
    ASSERT_TRUE(s.ok);

    // SP: blank vs 1 and blank vs 3 BETTER, 3 vs 2 WORSE; 2 vs blank, 1 vs blank
    // and 0 vs 0 not counted; x and ? are no level.
    // LP: blank vs 1 (twice) and A vs 2 BETTER, C vs 3 AT.
    // BT: 2 . 3 x 1 . 1 3: blank vs 1 BETTER, 3 vs 3 AT, 3 vs 2 WORSE.
    const float third = 100.0f / 3;
    const std::string expected = block({Row{2 * third, 0, third, 3}, Row{75, 25, 0, 4},
                                        Row{third, third, third, 3}, kNone, kNone, kNone});
    EXPECT_EQ(s.totals(), expected);
    EXPECT_NE(s.report.find("\nFILE 2=" + header(0) + "\n" + expected), std::string::npos)
        << s.report;
    EXPECT_NEAR(s.results.mof_above, third, 1e-4);
    EXPECT_NEAR(s.results.mof_at, third, 1e-4);
    EXPECT_NEAR(s.results.mof_below, third, 1e-4);
    EXPECT_EQ(s.results.mof_count, 3);
    EXPECT_EQ(s.results.lof_above, 0);
    EXPECT_EQ(s.results.lof_at, 0);
    EXPECT_EQ(s.results.lof_below, 0);
    EXPECT_EQ(s.results.lof_count, 0);

    // A report-less call fills the same results.
    Scoring quiet;
    quiet.run(quiet.file("p.mof", {p}), quiet.file("o.prp", {o}), false);
    ASSERT_TRUE(quiet.ok);
    EXPECT_EQ(quiet.results.mof_above, s.results.mof_above);
    EXPECT_EQ(quiet.results.mof_at, s.results.mof_at);
    EXPECT_EQ(quiet.results.mof_below, s.results.mof_below);
    EXPECT_EQ(quiet.results.mof_count, 3);
    EXPECT_EQ(quiet.results.lof_count, 0);
}

TEST(Score, BlankObservationsScoreNothing) {
    Scoring s;
    Screen p(header(0));
    for (int r = 0; r < kRows; ++r) {
        p.put(r, SP_MOF_LINE, "12312312312312312312").put(r, LP_MOF_LINE, "CBACBACBACBACBACBACB");
        p.put(r, SP_LOF_LINE, "33333333332222222222").put(r, LP_LOF_LINE, "AAAAAAAAAABBBBBBBBBB");
    }
    Screen o(header(1));
    const std::string f1 = s.file("p.mof", {p, p}), f2 = s.file("o.prp", {o, o});
    s.run(f1, f2);
    ASSERT_TRUE(s.ok);
    const std::string zeros = block({kNone, kNone, kNone, kNone, kNone, kNone});
    const std::string screen = "\nFILE 1=" + header(0) + "\nFILE 2=" + header(1) + "\n" + zeros;
    EXPECT_EQ(s.report, "FILE 1=" + f1 + "\nFILE 2=" + f2 + "\n\n" + screen + screen +
                            "\n\nFINAL TOTALS\n" + zeros);
    const ScoreResults& r = s.results;
    for (float v : {r.mof_above, r.mof_at, r.mof_below, r.mof_count, r.lof_above, r.lof_at,
                    r.lof_below, r.lof_count})
        EXPECT_EQ(v, 0.0f);
}

TEST(Score, LinesAndBetterOfBoth) {
    ScoreCounters c;
    // A short predicted line: its missing cells are blank, its newline is no level.
    std::string p = "12\n", o = std::string(kCols, '1') + "\n";
    compare_line(p, o, LP_LOF, kCols, c);
    EXPECT_EQ(c.above[LP_LOF], 17);
    EXPECT_EQ(c.at[LP_LOF], 1);
    EXPECT_EQ(c.below[LP_LOF], 1);
    EXPECT_EQ(p, "12\n" + std::string(kCols - 3, '0')) << "padded and normalised in place";
    for (int t : {SP_MOF, LP_MOF, BT_MOF, SP_LOF, BT_LOF})
        EXPECT_EQ(c.above[t] + c.at[t] + c.below[t], 0) << t;

    // A short observed line: nothing beyond it is counted (observed 0).
    ScoreCounters d;
    p = std::string(kCols, 'B') + "\n";
    o = "3\n";
    compare_line(p, o, SP_MOF, kCols, d);
    EXPECT_EQ(d.above[SP_MOF], 1);
    EXPECT_EQ(d.at[SP_MOF] + d.below[SP_MOF], 0);

    // A line one character short keeps its newline in the last cell, which is skipped.
    ScoreCounters e;
    p = std::string(kCols - 1, 'A') + "\n";
    o = std::string(kCols, '1') + "\n";
    compare_line(p, o, SP_MOF, kCols, e);
    EXPECT_EQ(e.at[SP_MOF], kCols - 1);
    EXPECT_EQ(e.above[SP_MOF], 0);

    // The better of both: a short-path 0 takes the long-path cell whatever it is,
    // a level is only ever raised, and a cell that is no level stays.
    std::string sp = "00000111112222233333xxxxx";
    const std::string lp = "0123x0123x0123x0123x0123x";
    better_of_both(sp, lp, 25);
    EXPECT_EQ(sp,
              "0123x"
              "11231"
              "22232"
              "33333"
              "xxxxx");
}

TEST(Score, ScreensArePairedByPosition) {
    // A screen with one cell on both paths (short-path level, long-path letter).
    const auto one = [](int screen, char sp, char lp) {
        Screen s(header(screen));
        s.put(2, SP_MOF_LINE, std::string(1, sp)).put(2, LP_MOF_LINE, std::string(1, lp));
        return s;
    };
    // Predicted 1, 3 (, 1) against observed 1, 1 (, 3): AT, then WORSE; the third
    // screen of the longer file has no partner and ends the comparison.
    for (bool first_longer : {true, false}) {
        Scoring s;
        std::vector<Screen> a = {one(1, '1', 'A'), one(2, '3', 'C')};
        std::vector<Screen> b = {one(11, '1', ' '), one(12, '1', ' ')};
        (first_longer ? a : b).push_back(one(first_longer ? 3 : 13, '3', 'C'));
        s.run(s.file("p.mof", a), s.file("o.prp", b));
        ASSERT_TRUE(s.ok);
        const std::string at =
            block({Row{0, 100, 0, 1}, Row{0, 100, 0, 1}, Row{0, 100, 0, 1}, kNone, kNone, kNone});
        const std::string below =
            block({Row{0, 0, 100, 1}, Row{0, 0, 100, 1}, Row{0, 0, 100, 1}, kNone, kNone, kNone});
        const std::size_t first =
            s.report.find("\nFILE 1=" + header(1) + "\nFILE 2=" + header(11) + "\n" + at);
        const std::size_t second =
            s.report.find("\nFILE 1=" + header(2) + "\nFILE 2=" + header(12) + "\n" + below);
        EXPECT_NE(first, std::string::npos) << s.report;
        EXPECT_NE(second, std::string::npos) << s.report;
        EXPECT_LT(first, second);
        EXPECT_EQ(s.report.find(header(3)), std::string::npos);
        EXPECT_EQ(s.report.find(header(13)), std::string::npos);
        EXPECT_EQ(s.totals(), block({Row{0, 50, 50, 2}, Row{0, 50, 50, 2}, Row{0, 50, 50, 2}, kNone,
                                     kNone, kNone}));
    }
}

TEST(Score, FileEndingInsideScreenReadsBlank) {
    // File 2 stops after three row blocks: its missing observations are blank, so
    // the predictions of row 6 are not counted.
    Scoring s;
    Screen p(header(0));
    p.put(1, SP_MOF_LINE, "2").put(6, SP_MOF_LINE, "3").put(6, SP_LOF_LINE, "1");
    Screen o(header(0));
    o.put(1, SP_MOF_LINE, "2");
    const std::string whole = text_of({o});
    std::size_t cut = 0;
    for (int n = 0; n < 1 + 3 * 5; ++n)
        cut = whole.find('\n', cut) + 1;
    const std::string f2 = s.dir.file("o.prp");
    write_file(f2, whole.substr(0, cut));
    s.run(s.file("p.mof", {p, p}), f2);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.totals(), block({Row{0, 100, 0, 1}, Row{100, 0, 0, 1}, Row{0, 100, 0, 1}, kNone,
                                 kNone, kNone}));

    // File 1 stops inside its screen, inside its second line: an observation where
    // the prediction is missing counts as BETTER.
    Scoring t;
    Screen q(header(0));
    q.put(0, SP_MOF_LINE, "1");
    Screen obs(header(0));
    obs.put(0, SP_MOF_LINE, "1").put(9, SP_MOF_LINE, "2").put(9, SP_LOF_LINE, "3");
    const std::string pred = text_of({q});
    const std::string f1 = t.dir.file("p.mof");
    write_file(f1, pred.substr(0, pred.find('\n', pred.find('\n') + 1) + 1 + 5));
    t.run(f1, t.file("o.prp", {obs, obs}));
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.totals(), block({Row{50, 50, 0, 2}, Row{100, 0, 0, 2}, Row{50, 50, 0, 2},
                                 Row{100, 0, 0, 1}, Row{100, 0, 0, 1}, Row{100, 0, 0, 1}}));
}

TEST(Score, RefusedComparisons) {
    for (int missing : {1, 2}) {
        Scoring t;
        const std::string good = t.file("self.mof", {self_screen()});
        const std::string bad = t.dir.file("absent.prp");
        t.run(missing == 1 ? bad : good, missing == 1 ? good : bad);
        EXPECT_FALSE(t.ok);
        ASSERT_EQ(t.log.entries.size(), 1u);
        EXPECT_EQ(t.log.entries[0].text, missing == 1 ? "Can't open first file for comparison"
                                                      : "Can't open second file for comparison");
        EXPECT_EQ(t.log.entries[0].caption, "Error");
        EXPECT_EQ(t.report, "");
        EXPECT_EQ(t.results.mof_count, -1);
        EXPECT_EQ(t.results.lof_count, -1);
    }

    // A folder is no file to compare.
    Scoring u;
    u.run(u.file("self.mof", {self_screen()}), u.dir.path().string());
    EXPECT_FALSE(u.ok);
    ASSERT_EQ(u.log.entries.size(), 1u);
    EXPECT_EQ(u.log.entries[0].text, "Can't open second file for comparison");
}

TEST(Score, CrLfReadsLikeLf) {
    // Lines without their trailing blanks, so that the position of each line end
    // decides which cells count.
    Screen p(header(1)), o(header(2));
    for (Screen* s : {&p, &o})
        for (auto& block : s->lines)
            for (auto& l : block)
                l.clear();
    p.lines[0] = {"12", "A", "", "3", ""};
    o.lines[0] = {"1111", "", "R", "2222", ""};

    Scoring lf, crlf;
    lf.run(lf.file("p.mof", {p, p}), lf.file("o.prp", {o, o}));
    crlf.run(crlf.file("p.mof", {p, p}, "\r\n"), crlf.file("o.prp", {o, o}, "\r\n"));
    ASSERT_TRUE(lf.ok);
    ASSERT_TRUE(crlf.ok);
    // MOF: 1 2 nl 0 nl against 1 1 1 1 nl: AT, WORSE, -, BETTER; the long path
    // 1 nl 0 0 has AT, BETTER, BETTER. LOF: 3 nl 0 0 against 2 2 2 2: WORSE, -,
    // BETTER, BETTER; the empty long-path line: -, BETTER x3. Twice.
    const float third = 100.0f / 3;
    const std::string expected = block({Row{third, third, third, 6}, Row{2 * third, third, 0, 6},
                                        Row{third, third, third, 6}, Row{2 * third, 0, third, 6},
                                        Row{100, 0, 0, 6}, Row{2 * third, 0, third, 6}});
    EXPECT_EQ(lf.totals(), expected);
    EXPECT_EQ(crlf.totals(), expected);
    const auto body = [](const Scoring& s) { return s.report.substr(s.report.find("\n\n")); };
    EXPECT_EQ(body(crlf), body(lf));
    EXPECT_EQ(crlf.report.find('\r'), std::string::npos);
}
