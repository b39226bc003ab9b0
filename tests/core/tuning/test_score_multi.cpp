#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/messages.h"
#include "model/constants.h"
#include "model/model.h"
#include "run/driver.h"
#include "run/sweep.h"
#include "test_support.h"
#include "tuning/score_multi.h"

using namespace skywave;
namespace fs = std::filesystem;

namespace {

using test::read_file;
using test::split_lines;
using test::write_file;

constexpr int kCols = 20, kRows = 11;  // grain 3

// The conditions of a contest file's first header line.
struct Conditions {
    float month, day, flux, a, k, lat, lon;
};

// A grain-3 contest file of `screens` screens for the hours 0, 1, ...: the first
// header as an observer writes it, the others with their time; every short-path MOF
// and LOF observation line is `mof` and `lof`.
std::string contest_text(const std::string& first_header, const Conditions& c, int screens,
                         const std::string& mof, const std::string& lof) {
    std::string text;
    for (int s = 0; s < screens; ++s) {
        char h[96];
        std::snprintf(h, sizeof h, "%2.0f %2.0f %5.2f %3.0f %3.0f %3.0f %4.1f %4.1f  ",
                      double(c.month), double(c.day), double(s), double(c.flux), double(c.a),
                      double(c.k), double(c.lat), double(c.lon));
        text += (s == 0 ? first_header : std::string(h)) + "\n";
        for (int r = 0; r < kRows; ++r)
            text += mof + "\n" + std::string(kCols, ' ') + "\n" + std::string(kCols, ' ') + "\n" +
                    lof + "\n" + std::string(kCols, ' ') + "\n";
    }
    return text;
}

// The run settings every file is run with: 0 to 3 h UTC, grain from the file.
Model base_model() {
    Model m;
    init_consts(m.consts);
    m.CalcInitDone = 1;
    m.consts.start_time = 0;
    m.consts.stop_time = 3;
    m.consts.step_time = 1;
    return m;
}

struct MultiRun {
    std::string report;
    MessageLog log;
    bool finished = false;
    SweepOutcome outcome{};
    Constants after;  // the settings the command leaves in force
};

MultiRun score(const std::vector<std::string>& files, const ScoreMultiOptions& options) {
    MultiRun r;
    SweepHooks hooks;
    Model base = base_model();
    ScoreMultiOptions run_as = options;
    run_as.times = run_times(base);  // the hours of base_model()
    r.outcome = score_multi(
        base, files, run_as, [&](const std::string& text) { r.report += text; }, hooks, r.log);
    r.finished = r.outcome != SweepOutcome::stopped;
    r.after = base.consts;
    return r;
}

const char* const kHeading1 =
    "                   LOCATION    DATE     SOLAR       MOF SCORE     LOF SCORE  ";
const char* const kHeading2 =
    "FILENAME          LAT    LON  MM/DD    SF   A K    > ==  < PTS   > ==  < PTS";

const Conditions kBoston{1, 15, 150, 10, 2, 42.5f, 73.0f};
const char* const kBostonHeader = "1 15 0 150 10 2 42.5 73.0 X";
const char* const kBostonRow = "   42.5   73.0   1 15   150  10 2   ";

// Level of a prediction file cell: blank 0, "1"-"3" and "A"-"C" 1 to 3.
int level(char c) {
    if (c >= '1' && c <= '3') return c - '0';
    if (c >= 'A' && c <= 'C') return c - 'A' + 1;
    return 0;
}

// Cells of a grain-3 prediction file whose better-of-both level is 3: MOF (lines 1
// and 2 of a block) or LOF (lines 4 and 5).
int best_of_three(const std::string& file, bool lof) {
    const std::vector<std::string> lines = split_lines(read_file(file));
    int n = 0;
    for (std::size_t s = 0; s + 56 <= lines.size(); s += 56)
        for (int r = 0; r < kRows; ++r) {
            const std::string& sp = lines[s + 1 + 5 * std::size_t(r) + (lof ? 3 : 0)];
            const std::string& lp = lines[s + 2 + 5 * std::size_t(r) + (lof ? 3 : 0)];
            for (int c = 0; c < kCols; ++c)
                if (std::max(level(sp[std::size_t(c)]), level(lp[std::size_t(c)])) == 3) ++n;
        }
    return n;
}

// A row whose first piece (name, location, date, indices: 50 characters) is followed
// by the MOF and LOF figures.
bool is_scored(const std::string& row) {
    static const std::regex figures(R"( *\d+ +\d+ +\d+ +\d+  +\d+ +\d+ +\d+ +\d+)");
    return row.size() > 50 && std::regex_match(row.substr(50), figures);
}

}  // namespace

TEST(ScoreMulti, ListsContestFilesOfAFolder) {
    test::TempDir dir;
    for (const char* name : {"b.prp", "A.PRP", "c.Prp", "Z.prp", "d.txt", "e.prpx", "prp", "f.pr",
                             "m.prp", "a.prp", "B.prp", "0.prp", "y.PRP"})
        write_file(dir.file(name), "x\n");
    fs::create_directory(dir.path() / "x.prp");
    fs::create_directory(dir.path() / "sub");
    write_file(dir.file("sub/y.prp"), "x\n");

    std::vector<std::string> expected;
    for (const char* name :
         {"0.prp", "A.PRP", "B.prp", "Z.prp", "a.prp", "b.prp", "c.Prp", "m.prp", "y.PRP"})
        expected.push_back(dir.file(name));
    EXPECT_EQ(list_contest_files(dir.path().string()), expected);

    test::TempDir empty;
    write_file(empty.file("only.txt"), "x\n");
    EXPECT_TRUE(list_contest_files(empty.path().string()).empty());
    EXPECT_TRUE(list_contest_files(empty.file("no such folder")).empty());
}

TEST(ScoreMulti, OneRowPerFile) {
    test::TempDir dir;
    const std::string blank = dir.file("a.prp"), full = dir.file("b.prp");
    write_file(blank, contest_text(kBostonHeader, kBoston, 4, std::string(kCols, ' '),
                                   std::string(kCols, ' ')));
    write_file(full, contest_text(kBostonHeader, kBoston, 4, std::string(kCols, '3'),
                                  std::string(kCols, '3')));
    ScoreMultiOptions options;
    EXPECT_EQ(options.scratch, "SCRATCH.MOF");
    options.scratch = dir.file("SCRATCH.MOF");
    const MultiRun r = score({blank, full}, options);
    EXPECT_TRUE(r.finished);
    EXPECT_TRUE(r.log.entries.empty()) << r.log.entries.front().text;

    const std::vector<std::string> lines = split_lines(r.report);
    ASSERT_EQ(lines.size(), 4u) << r.report;
    EXPECT_EQ(lines[0], kHeading1);
    EXPECT_EQ(lines[1], kHeading2);
    // Nothing observed: no cell counted.
    EXPECT_EQ(lines[2], std::string("a.prp         ") + kBostonRow + " 0  0  0   0   0  0  0   0");

    // Level 3 observed everywhere: every cell of the four screens counts, none can lie
    // below, and the share at the observation is the share of cells predicted 3 on
    // the better path, found in the run left behind in the scratch file.
    const std::string prefix = std::string("b.prp         ") + kBostonRow;
    ASSERT_EQ(lines[3].substr(0, prefix.size()), prefix);
    int mof[4], lof[4];
    ASSERT_EQ(std::sscanf(lines[3].c_str() + prefix.size(), "%d %d %d %d %d %d %d %d", &mof[0],
                          &mof[1], &mof[2], &mof[3], &lof[0], &lof[1], &lof[2], &lof[3]),
              8)
        << lines[3];
    const int cells = 4 * kRows * kCols;
    EXPECT_EQ(mof[3], cells);
    EXPECT_EQ(lof[3], cells);
    EXPECT_EQ(mof[2], 0);
    EXPECT_EQ(lof[2], 0);
    const double mof_at = 100.0 * best_of_three(options.scratch, false) / cells;
    const double lof_at = 100.0 * best_of_three(options.scratch, true) / cells;
    EXPECT_NEAR(mof[1], mof_at, 0.501);
    EXPECT_NEAR(mof[0], 100 - mof_at, 0.501);
    EXPECT_NEAR(lof[1], lof_at, 0.501);
    EXPECT_NEAR(lof[0], 100 - lof_at, 0.501);
    EXPECT_GT(mof_at, 0) << "a run with some level-3 cells makes this a test";
    EXPECT_LT(mof_at, 100);
}

TEST(ScoreMulti, TheLastFilesConditionsStayInForce) {
    test::TempDir dir;
    const std::string blank(kCols, ' ');
    write_file(dir.file("a.prp"), contest_text(kBostonHeader, kBoston, 4, blank, blank));
    write_file(dir.file("b.prp"),
               contest_text("3 7 0 120 5 1 -10.0 200.0 Y", kBoston, 4, blank, blank));
    ScoreMultiOptions options;
    options.scratch = dir.file("SCRATCH.MOF");
    const MultiRun r = score({dir.file("a.prp"), dir.file("b.prp")}, options);
    EXPECT_EQ(r.after.sf_index, 120.0f);
    EXPECT_EQ(r.after.a_index, 5.0f);
    EXPECT_EQ(r.after.k_index, 1.0f);
    EXPECT_EQ(r.after.month, 3.0f);
    EXPECT_EQ(r.after.day, 7.0f);
    EXPECT_NEAR(r.after.rlat * 57.29578, -10.0, 1e-4);
    EXPECT_NEAR(r.after.rlon * 57.29578, 200.0, 1e-3);
    EXPECT_EQ(r.after.display_grain, 3.0f) << "the grain of the files";
}

TEST(ScoreMulti, UnusableFilesAreMarkedAndTheOthersScored) {
    test::TempDir dir;
    const std::string good = dir.file("a.prp"), bad = dir.file("bad.prp"),
                      odd = dir.file("odd.prp");
    const std::string blank(kCols, ' ');
    write_file(good, contest_text(kBostonHeader, kBoston, 4, blank, blank));
    // A header without its longitude (and word).
    write_file(bad, contest_text("1 15 0 150 10 2 42.5", kBoston, 4, blank, blank));
    // Screens of seven symbol lines: no grain has them.
    std::string text;
    for (int s = 0; s < 3; ++s) {
        text +=
            s == 0 ? std::string(kBostonHeader) + "\n" : " 1 15  1.00 150  10   2 42.5 73.0  \n";
        for (int l = 0; l < 7; ++l)
            text += blank + "\n";
    }
    write_file(odd, text);

    ScoreMultiOptions options;
    options.scratch = dir.file("SCRATCH.MOF");
    const MultiRun r = score({good, bad, odd}, options);
    const std::vector<std::string> lines = split_lines(r.report);
    ASSERT_EQ(lines.size(), 5u) << r.report;
    EXPECT_EQ(lines[2], std::string("a.prp         ") + kBostonRow + " 0  0  0   0   0  0  0   0");

    // The refused header is reported by the name of its file, and its row shows no
    // figures.
    ASSERT_EQ(r.log.entries.size(), 1u);
    EXPECT_NE(r.log.entries[0].text.find(bad), std::string::npos) << r.log.entries[0].text;
    EXPECT_EQ(lines[3].substr(0, 15), "bad.prp        ");
    EXPECT_FALSE(is_scored(lines[3])) << lines[3];

    // The file of no known grid is named with its conditions but not scored.
    EXPECT_EQ(lines[4].substr(0, 14 + std::string(kBostonRow).size()),
              std::string("odd.prp       ") + kBostonRow);
    EXPECT_FALSE(is_scored(lines[4])) << lines[4];
}

TEST(ScoreMulti, SameReportForAnyJobsAndScratchHoldsLastRun) {
    test::TempDir dir;
    const Conditions london{1, 15, 90, 20, 4, 51.5f, 0.1f};
    const Conditions hawaii{1, 15, 210, 5, 1, 21.3f, 157.9f};
    const std::vector<std::string> files = {dir.file("a.prp"), dir.file("b.prp"),
                                            dir.file("c.prp")};
    write_file(files[0], contest_text(kBostonHeader, kBoston, 4, "0123 123 3210 1 2 3 ",
                                      "3333222211110000    "));
    write_file(files[1], contest_text("1 15 0 90 20 4 51.5 0.1 LONDON", london, 4,
                                      "11111111112222222222", "2 2 2 2 2 2 2 2 2 2 "));
    write_file(files[2], contest_text("1 15 0 210 5 1 21.3 157.9 HAWAII", hawaii, 4,
                                      "33333333333333333333", "1212121212121212 3 3"));

    ScoreMultiOptions options;
    options.jobs = 1;
    options.scratch = dir.file("one.mof");
    const MultiRun one = score(files, options);
    options.jobs = 2;
    options.scratch = dir.file("two.mof");
    const MultiRun two = score(files, options);
    EXPECT_TRUE(one.finished);
    EXPECT_TRUE(two.finished);
    EXPECT_EQ(split_lines(one.report).size(), 5u);
    EXPECT_EQ(two.report, one.report);
    for (const std::string& row : split_lines(one.report)) {
        if (row.find(".prp") != std::string::npos) {
            EXPECT_TRUE(is_scored(row)) << row;
        }
    }

    // The scratch file holds the run for the last file: its conditions, its dates.
    Model m = base_model();
    m.consts.display_grain = 3;
    m.consts.sf_index = hawaii.flux;
    m.consts.a_index = hawaii.a;
    m.consts.k_index = hawaii.k;
    m.consts.rlat = float(double(hawaii.lat) * double(0.01745329f));
    m.consts.rlon = float(double(hawaii.lon) * double(0.01745329f));
    m.dates = {15, 1, 15, 1, 1, 1};
    MessageLog log;
    RunHooks hooks;
    ASSERT_TRUE(InitCalc(m, log));
    ASSERT_EQ(MainCalcs(m, dir.file("hawaii.mof"), hooks, log), RunOutcome::completed);
    EndCalc(m);
    const std::string expected = read_file(dir.file("hawaii.mof"));
    EXPECT_EQ(split_lines(expected).size(), 4u * 56);
    EXPECT_EQ(expected.substr(0, 36), " 1 15  0.00 210   5   1 21.3 157.9  ");
    EXPECT_EQ(read_file(dir.file("one.mof")), expected);
    EXPECT_EQ(read_file(dir.file("two.mof")), expected);
    // Nothing else is left beside it.
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir.path()))
        entries += e.is_directory() ? 100 : 1;
    EXPECT_EQ(entries, 3 + 3);
}

TEST(ScoreMulti, NothingScoredAndAScratchFileThatIsAnInputAreSaidApart) {
    test::TempDir dir;
    const std::string file = dir.file("a.prp");
    const std::string text =
        contest_text(kBostonHeader, kBoston, 4, std::string(kCols, '3'), std::string(kCols, '3'));
    write_file(file, text);
    ScoreMultiOptions options;
    // Runs that cannot write their prediction: every row says so, and the sweep scored
    // nothing.
    options.scratch = dir.file("no such folder/SCRATCH.MOF");
    MultiRun r = score({file}, options);
    EXPECT_EQ(r.outcome, SweepOutcome::nothing_scored);
    EXPECT_NE(r.report.find("a.prp"), std::string::npos);
    EXPECT_NE(r.report.find("run failed"), std::string::npos) << r.report;
    // A contest file named as the scratch file is never written over.
    options.scratch = file;
    r = score({file}, options);
    EXPECT_EQ(r.outcome, SweepOutcome::refused);
    EXPECT_EQ(r.report, "");
    ASSERT_EQ(r.log.entries.size(), 1u);
    EXPECT_NE(r.log.entries[0].text.find(file), std::string::npos);
    EXPECT_EQ(read_file(file), text);
}
