#include <gtest/gtest.h>

#include "cli_support.h"

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kCols = 20, kRows = 11;  // grain 3

// A grain-3 screen of blank lines with the first cells of row 0 set.
std::string screen(const std::string& header, const std::string& sp_mof,
                   const std::string& lp_mof) {
    std::string text = header + "\n";
    for (int r = 0; r < kRows; ++r)
        for (int l = 0; l < 5; ++l) {
            std::string line(kCols, ' ');
            if (r == 0 && l == 0) line.replace(0, sp_mof.size(), sp_mof);
            if (r == 0 && l == 1) line.replace(0, lp_mof.size(), lp_mof);
            text += line + "\n";
        }
    return text;
}

// Observations of nothing: four screens, for 0 to 3 h UTC on 15 January.
std::string blank_contest(const std::string& first_header) {
    std::string text;
    for (int s = 0; s < 4; ++s) {
        char h[64];
        std::snprintf(h, sizeof h, " 1 15 %5.2f 150  10   2 42.5 73.0  ", double(s));
        text += screen(s == 0 ? first_header : std::string(h), "", "");
    }
    return text;
}

const char* const kHeadings =
    "                   LOCATION    DATE     SOLAR       MOF SCORE     LOF SCORE  \n"
    "FILENAME          LAT    LON  MM/DD    SF   A K    > ==  < PTS   > ==  < PTS\n";

std::string without_times(const std::string& report) {
    static const std::regex stamp(R"([A-Z][a-z]{2} [A-Z][a-z]{2} \d{2} \d{2}:\d{2}:\d{2} \d{4})");
    static const std::regex elapsed(R"(ELAPSED TIME: \d+ SECONDS)");
    return std::regex_replace(std::regex_replace(report, stamp, "<T>"), elapsed,
                              "ELAPSED TIME: <N> SECONDS");
}

class CliScore : public CliTest {};

}  // namespace

TEST_F(CliScore, ScoreWritesTheReport) {
    const std::string h1 = " 3  5 14.00 150   7   2 42.5 73.0  ",
                      h2 = " 3  5 14.00 150   7   2 42.5 73.0  W1AW";
    write("p.mof", screen(h1, "12", "C"));
    write("o.prp", screen(h2, "22", "AAAA"));
    // Short path 1 2 against 2 2: BETTER, AT. Long path 3 0: WORSE, BETTER. Better
    // of both 3 2: WORSE, AT.
    const std::string block =
        "       BETTER     AT  WORSE    COUNT\n"
        "SP_MOF   50.0   50.0    0.0        2\n"
        "LP_MOF   50.0    0.0   50.0        2\n"
        "BT_MOF    0.0   50.0   50.0        2\n"
        "SP_LOF    0.0    0.0    0.0        0\n"
        "LP_LOF    0.0    0.0    0.0        0\n"
        "BT_LOF    0.0    0.0    0.0        0\n";
    const std::string report = "FILE 1=p.mof\nFILE 2=o.prp\n\n\nFILE 1=" + h1 + "\nFILE 2=" + h2 +
                               "\n" + block + "\n\nFINAL TOTALS\n" + block;

    Result r = skywave("score p.mof o.prp", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, report);
    EXPECT_EQ(r.err, "");

    r = skywave("score p.mof o.prp --grain 3 -o r.txt", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read("r.txt"), report);

    // The grid given decides how the files are read: at grain 2 (111 lines a screen)
    // three grain-3 screens (56 lines each) make two screens.
    write("p2.mof", screen(h1, "12", "C") + screen(h1, "3", "") + screen(h1, "", ""));
    write("o2.prp", screen(h2, "22", "") + screen(h2, "3", "") + screen(h2, "", ""));
    const auto blocks = [](const std::string& text) {
        int n = 0;
        for (std::size_t at = 0; (at = text.find("       BETTER", at)) != std::string::npos; ++at)
            ++n;
        return n;
    };
    r = skywave("score p2.mof o2.prp", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(blocks(r.out), 3 + 1);
    r = skywave("score p2.mof o2.prp --grain 2", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(blocks(r.out), 2 + 1);
}

TEST_F(CliScore, ScoreRefusals) {
    write("p.mof", screen(" 3  5 14.00 150   7   2 42.5 73.0  ", "12", "C"));
    Result r = skywave("score p.mof absent.prp", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't open second file for comparison"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    r = skywave("score p.mof absent.prp -o r.txt", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(exists("r.txt")) << "no empty report is left behind";

    r = skywave("score absent.mof p.mof -o r.txt", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't open first file for comparison"), std::string::npos) << r.err;
    EXPECT_FALSE(exists("r.txt"));

    r = skywave("score p.mof p.mof -o /nonexistent/dir/r.txt", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't open report file"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    EXPECT_EQ(skywave("score p.mof", dir).code, 2);
    EXPECT_EQ(skywave("score", dir).code, 2);
    EXPECT_EQ(skywave("score p.mof p.mof --frobnicate", dir).code, 2);
    EXPECT_EQ(skywave("score --help", dir).code, 0);
}

TEST_F(CliScore, ScoreMultiRowsPerFile) {
    write("obs/a.prp", blank_contest("1 15 0 150 10 2 42.5 73.0 X"));
    write("obs/notes.txt", "not a contest file\n");
    const std::string flags = " --no-mof-dat --start-time 0:00 --stop-time 3:00";
    const std::string row =
        "a.prp            42.5   73.0   1 15   150  10 2    0  0  0   0   0  0  0   0\n";

    Result r = skywave("score-multi obs" + flags, dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, kHeadings + row);
    EXPECT_EQ(r.err, "");
    // The scratch prediction of the run stays in the working directory.
    std::istringstream scratch(read("SCRATCH.MOF"));
    int lines = 0;
    for (std::string l; std::getline(scratch, l);)
        ++lines;
    EXPECT_EQ(lines, 4 * 56);

    // A file names its folder; the report goes to the file, the same at any -j.
    write("obs/b.PRP", blank_contest("1 15 0 90 20 4 51.5 0.1 LONDON"));
    r = skywave("score-multi obs/a.prp -o r.txt -j 2" + flags, dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string two_rows =
        kHeadings + row +
        "b.PRP            51.5    0.1   1 15    90  20 4    0  0  0   0   0  0  0   0\n";
    EXPECT_EQ(read("r.txt"), two_rows);
    EXPECT_EQ(skywave("score-multi obs -j 1" + flags, dir).out, two_rows);

    // A folder without contest files: nothing to score, no report.
    write("empty/x.txt", "x\n");
    r = skywave("score-multi empty/x.txt -o none.txt" + flags, dir);
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_FALSE(exists("none.txt"));
}

TEST_F(CliScore, ScoreMultiRefusals) {
    write("obs/a.prp", blank_contest("1 15 0 150 10 2 42.5 73.0 X"));
    const std::string flags = " --no-mof-dat --start-time 0:00 --stop-time 3:00";
    Result r = skywave("score-multi obs -o /nonexistent/dir/r.txt" + flags, dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't open report file"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    r = skywave("score-multi nowhere -o r.txt" + flags, dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(exists("r.txt"));

    r = skywave("score-multi obs --flux 20 -o r.txt --no-mof-dat", dir);
    EXPECT_EQ(r.code, 1) << "a refused run setting";
    EXPECT_FALSE(exists("r.txt"));

    EXPECT_EQ(skywave("score-multi", dir).code, 2);
    EXPECT_EQ(skywave("score-multi obs -j 0" + flags, dir).code, 2);
    EXPECT_EQ(skywave("score-multi --help", dir).code, 0);
}

TEST_F(CliScore, DiddleTunesTheMarkedConstants) {
    // Observations: the prediction for a flux of 120, under a header of 150.
    Result r = skywave(
        "run --no-mof-dat --grain 3 --start-date 3/5 --start-time 10:00 --stop-time 13:00 "
        "--flux 120 -o run.mof",
        dir);
    ASSERT_EQ(r.code, 0) << r.err;
    std::string observed = read("run.mof");
    observed.replace(0, observed.find('\n'), " 3  5 10.00 150   0   0 42.5 73.0  W1AW");
    write("obs.prp", observed);
    write("marks.dat",
          "  0   4      200.000000      200.000000   3   1 sf_index\n"
          " 11   2        3.400000        3.400000   2   1 fe_3\n");
    const std::string flags =
        " --no-mof-dat --consts marks.dat --start-time 10:00 --stop-time 13:00";

    r = skywave("diddle obs.prp -o d.did -j 2" + flags, dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string report = read("d.did");
    EXPECT_EQ(
        report.rfind("MOF CONSTANT DIDDLE REPORT\nQZ MOF/LOF PREDICTION PROGRAM Version 2.1\n", 0),
        0u);
    EXPECT_NE(report.find("changed  stop_time   from 23.000000  to 13.000000 \n"),
              std::string::npos);
    EXPECT_NE(report.find("changed  sf_index   from 200.000000  to 150.000000 \n"),
              std::string::npos)
        << "the contest header's flux is in force";
    EXPECT_NE(report.find("\n\nREFERENCE RUN:  COMPARE FILE NAME=obs.prp\n"
                          "START_TIME= 10.000000  STOP_TIME=13.000000\n"),
              std::string::npos);
    // Two blocks of two to four runs, table order.
    const std::regex run(R"( *-?\d+\.\d{6}  MOF=.* = .*  LOF=.* = .*  NET=.*)");
    const std::regex shape(
        R"([\s\S]*\n\nSETUP  sf_index  START = 150\.000000\n((.*\n){2,4})\nFE  fe_3  START = 3\.400000\n((.*\n){2,4})\n\nREPORT DONE: .*\n\n\nELAPSED TIME: \d+ SECONDS\n)");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(report, m, shape)) << report;
    for (const std::string& block : {m[1].str(), m[3].str()}) {
        std::istringstream in(block);
        for (std::string l; std::getline(in, l);)
            EXPECT_TRUE(std::regex_match(l, run)) << l;
    }
    EXPECT_NE(m[1].str().find("135.000000  "), std::string::npos) << "flux x 0.9 comes first";

    // To standard output, and the same with one job.
    r = skywave("diddle obs.prp -j 1" + flags, dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(without_times(r.out), without_times(report));
}

TEST_F(CliScore, DiddleRefusals) {
    write("obs.prp", blank_contest("1 15 0 150 10 2 42.5 73.0 W1AW"));
    write("short.prp", blank_contest("1 15 0 150 10"));
    const std::string flags = " --no-mof-dat --start-time 0:00 --stop-time 3:00";

    Result r = skywave("diddle absent.prp -o d.did" + flags, dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't open file for comparison"), std::string::npos) << r.err;
    EXPECT_FALSE(exists("d.did"));

    r = skywave("diddle short.prp -o d.did" + flags, dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("short.prp"), std::string::npos) << r.err;
    EXPECT_FALSE(exists("d.did"));

    r = skywave("diddle obs.prp -o /nonexistent/dir/d.did" + flags, dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't open report file"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(exists("scratch.mof")) << "no run without a report";

    EXPECT_EQ(skywave("diddle", dir).code, 2);
    EXPECT_EQ(skywave("diddle obs.prp -j 0" + flags, dir).code, 2);
    EXPECT_EQ(skywave("diddle obs.prp --frobnicate" + flags, dir).code, 2);
    EXPECT_EQ(skywave("diddle --help", dir).code, 0);
}
