#include <gtest/gtest.h>

#include "cli_support.h"

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> read_lines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

// A made-up prefix table in the cty.dat format (longitudes west positive).
const char* kCty =
    "England:                  14:  27:  EU:   52.77:     1.47:     0.0:  G:\n"
    "    G,M;\n"
    "Brazil:                   11:  15:  SA:  -10.00:    53.00:     3.0:  PY:\n"
    "    PY,ZV;\n"
    "United States:            05:  08:  NA:   37.60:    91.87:     5.0:  K:\n"
    "    K,N,W;\n";

// A station in FN42 (42.5 N, 71 W). England lies in grid cell (4, 0) of grain 2,
// Brazil in (13, 5).
const char* kLog =
    "START-OF-LOG: 3.0\n"
    "CALLSIGN: K1ABC\n"
    "GRID-LOCATOR: FN42\n"
    "QSO: 28025 CW 2024-11-23 0000 K1ABC 599 05 G3ABC 599 14\n"   // MOF 3, hour 0, England
    "QSO: 14025 CW 2024-11-23 0010 K1ABC 599 05 G3XYZ 599 14\n"   // the same cell and hour
    "QSO:  1830 CW 2024-11-23 0100 K1ABC 599 05 G3ABC 599 14\n"   // LOF 3, hour 1, England
    "QSO: 21025 CW 2024-11-23 0100 K1ABC 599 05 PY1ABC 599 11\n"  // MOF 2, hour 1, Brazil
    "QSO:  7025 CW 2024-11-23 1200 K1ABC 599 05 PY1ABC 599 11\n"  // LOF 1 only
    "QSO:  3525 CW 2024-11-23 1300 K1ABC 599 05 Q1ABC 599 11\n"   // no such prefix
    "QSO: 50100 CW 2024-11-23 1400 K1ABC 599 05 G3ABC 599 14\n"   // 6 m
    "no line of a log\n";

// Made-up daily indices in the GFZ layout.
std::string gfz_line(const char* date, const char* kp, int ap, double flux) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "%s 33238 33238.5 2583 11 %s    9   15    7   12    6   12   22   27  %4d 108 "
                  "%8.1f %8.1f 2\n",
                  date, kp, ap, flux, flux);
    return text;
}

class ContestDataCli : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        write("cty.dat", kCty);
        write("k.log", kLog);
        write("gfz.txt",
              "# GFZ excerpt\n" +
                  gfz_line("2023 11 23", " 1.000  1.000  1.000  1.000  1.000  1.000  1.000  1.000",
                           4, 120.0) +
                  gfz_line("2024 11 23", " 2.000  2.333  2.667  3.000  3.000  2.667  2.333  2.000",
                           12, 180.4) +
                  gfz_line("2024 11 24", " 3.000  3.333  3.667  4.000  4.000  3.667  3.333  3.000",
                           15, 190.0));
    }
    // The files a failed command must not leave: the output and its temporary.
    bool left_output() const {
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().find("x.prp") != std::string::npos) return true;
        return false;
    }
};

const char* kMade = "contest-data k.log --cty cty.dat --no-mof-dat ";

}  // namespace

TEST_F(ContestDataCli, ContestDataThenScoreMultiJustWorks) {
    Result r = skywave(std::string(kMade) + "--flux 150 --a-index 7 --k-index 2 -o x.prp", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("x.prp: 24 screens"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("5 of 7 contacts"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("k.log:9: unknown prefix of Q1ABC"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("k.log:10: 50.1 MHz"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("k.log: lines of no known kind: 1, the first at line 11"),
              std::string::npos)
        << r.err;
    const std::vector<std::string> lines = read_lines(dir / "x.prp");
    ASSERT_EQ(lines.size(), 24u * 111);
    EXPECT_EQ(lines[0], "11 23  0.00 150   7   2 42.5 71.0  K1ABC");
    // England, hour 0: MOF 3 in row 4 at the character of column 0.
    EXPECT_EQ(lines[1 + 3 * 5], std::string(39, ' ') + "3");
    EXPECT_EQ(lines[111 + 1 + 3 * 5 + 3], std::string(39, ' ') + "3");  // hour 1, LOF

    r = skywave("score-multi x.prp --no-mof-dat -o multi.txt", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<std::string> report = read_lines(dir / "multi.txt");
    ASSERT_EQ(report.size(), 3u);
    EXPECT_EQ(report[2].rfind("x.prp", 0), 0u) << report[2];
    // The row ends with the MOF and LOF results: >, ==, < and the cells counted.
    std::istringstream row(report[2]);
    std::vector<double> words;
    std::string word;
    while (row >> word)
        words.push_back(std::atof(word.c_str()));
    ASSERT_GE(words.size(), 8u) << report[2];
    const double* v = &words[words.size() - 8];
    EXPECT_EQ(v[3], 2) << "two cell-hours with a MOF level";
    EXPECT_EQ(v[7], 2) << "two cell-hours with a LOF level";
    EXPECT_NEAR(v[0] + v[1] + v[2], 100, 1.5);

    r = skywave("diddle x.prp --no-mof-dat -o d.did", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    std::ifstream did(dir / "d.did");
    const std::string text((std::istreambuf_iterator<char>(did)), {});
    EXPECT_NE(text.find("POINTS=   2"), std::string::npos) << text;
}

TEST_F(ContestDataCli, IndicesFromTheGfzFileAreMeansOverTheDates) {
    write("two.log",
          std::string(kLog) + "QSO: 14025 CW 2024-11-24 0500 K1ABC 599 05 G3XYZ 599 14\n");
    Result r =
        skywave("contest-data two.log --cty cty.dat --no-mof-dat --indices gfz.txt -o x.prp", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    // flux (180.4 + 190) / 2, A (12 + 15) / 2 rounded up, K the mean of the daily Kp means (2.5
    // and 3.5).
    EXPECT_EQ(read_lines(dir / "x.prp").at(0), "11 23  0.00 185  14   3 42.5 71.0  K1ABC");
    EXPECT_NE(r.err.find("2024-11-23 to 2024-11-24"), std::string::npos) << r.err;
    EXPECT_EQ(read_lines(dir / "x.prp").size(), 48u * 111);

    write("late.log",
          "START-OF-LOG: 3.0\nGRID-LOCATOR: FN42\nQSO: 14025 CW 2025-11-23 0000 K1ABC 599 05 G3XYZ "
          "599 14\n");
    r = skywave("contest-data late.log --cty cty.dat --no-mof-dat --indices gfz.txt -o x2.prp",
                dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("gfz.txt: no flux"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "x2.prp"));

    EXPECT_EQ(skywave(std::string(kMade) + "--indices gfz.txt --flux 150 -o x3.prp", dir).code, 2);
}

TEST_F(ContestDataCli, RunTakesTheIndicesOfItsDates) {
    Result r = skywave(
        "run --no-mof-dat --indices gfz.txt --start-date 11/23 --stop-date 11/24 --start-time 0:00 "
        "--stop-time 0:00 --grain 3 -o r.mof",
        dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(read_lines(dir / "r.mof").at(0).substr(0, 24), "11 23  0.00 185  14   3 ");
    // Another year of the file.
    r = skywave(
        "run --no-mof-dat --indices gfz.txt --year 2023 --start-date 11/23 --start-time 0:00 "
        "--stop-time 0:00 --grain 3 -o r.mof",
        dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(read_lines(dir / "r.mof").at(0).substr(0, 24), "11 23  0.00 120   4   1 ");
    r = skywave("run --no-mof-dat --indices gfz.txt --start-date 1/5 --grain 3 -o r2.mof", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no indices for 1/5"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "r2.mof"));
    EXPECT_EQ(skywave("run --no-mof-dat --indices gfz.txt --flux 100 -o r2.mof", dir).code, 2);
    EXPECT_EQ(skywave("run --no-mof-dat --year 2024 -o r2.mof", dir).code, 2);
}

TEST_F(ContestDataCli, BadInputIsNamedWithFileAndLineAndLeavesNothing) {
    const struct {
        const char* file;
        std::string text;
        const char* message;
    } cases[] = {
        {"empty.log", "START-OF-LOG: 3.0\nCALLSIGN: K1ABC\nGRID-LOCATOR: FN42\nEND-OF-LOG:\n",
         "empty.log: no QSO lines"},
        {"zz.log",
         "START-OF-LOG: 3.0\nCALLSIGN: K1ABC\nGRID-LOCATOR: ZZ99\nQSO: 14025 CW 2024-11-23 0000 "
         "K1ABC 5 G3X 5\n",
         "zz.log:3: GRID-LOCATOR \"ZZ99\""},
        {"noloc.log", "START-OF-LOG: 3.0\nQSO: 14025 CW 2024-11-23 0000 K1ABC 599 G3XYZ 599\n",
         "no locator of the station"},
        {"dates.log",
         "START-OF-LOG: 3.0\nGRID-LOCATOR: FN42\nQSO: 14025 CW 2024-11-31 0000 K1ABC 599 G3XYZ "
         "599\n",
         "no contact to take the dates from"},
        {"span.log",
         "START-OF-LOG: 3.0\nGRID-LOCATOR: FN42\nQSO: 14025 CW 2024-11-30 2359 K1ABC 599 G3XYZ "
         "599\n"
         "QSO: 14025 CW 2024-12-01 0001 K1ABC 599 G3XYZ 599\n",
         "month end"},
        {"spots.csv", "time,band,tx_sign,tx_loc,rx_sign\n2024-11-23 00:00,14,K1ABC,FN42,G3XYZ\n",
         "spots.csv:1: no column of the receiver's position"},
        {"notes.txt", "some notes\n", "notes.txt:1: neither a Cabrillo log"},
    };
    for (const auto& c : cases) {
        write(c.file, c.text);
        const Result r =
            skywave(std::string("contest-data ") + c.file +
                        " --cty cty.dat --no-mof-dat --flux 150 --a-index 7 --k-index 2 -o x.prp",
                    dir);
        EXPECT_EQ(r.code, 1) << c.file << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.file << ": " << r.err;
        EXPECT_FALSE(left_output()) << c.file;
    }
    // The month end split by the dates given.
    const Result r = skywave(
        "contest-data span.log --cty cty.dat --no-mof-dat --flux 150 --a-index 7 --k-index 2 "
        "--start-date 12/1 --stop-date 12/1 -o x.prp",
        dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(read_lines(dir / "x.prp").at(0).substr(0, 5), "12  1");
}

TEST_F(ContestDataCli, MissingSettingsAreReported) {
    Result r = skywave(std::string(kMade) + "-o x.prp", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("SOLAR DATA ERROR!"), std::string::npos) << r.err;
    r = skywave(
        "contest-data k.log --cty absent.dat --no-mof-dat --flux 150 --a-index 7 --k-index 2 -o "
        "x.prp",
        dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("absent.dat"), std::string::npos) << r.err;
    r = skywave(std::string(kMade) + "--flux 20 --a-index 7 --k-index 2 -o x.prp", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Solar Data not readable."), std::string::npos) << r.err;
    r = skywave(
        std::string(kMade) + "--flux 150 --a-index 7 --k-index 2 --lat 91N --lon 3W -o x.prp", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("QTH ERROR!"), std::string::npos) << r.err;
    r = skywave(
        std::string(kMade) + "--flux 150 --a-index 7 --k-index 2 --start-date 11/x -o x.prp", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("not a month/day"), std::string::npos) << r.err;
    r = skywave(std::string(kMade) + "--flux 150 --a-index 7 --k-index 2 -o no/such/dir/x.prp",
                dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(left_output());
    EXPECT_EQ(
        skywave(std::string(kMade) + "--flux 150 --a-index 7 --k-index 2 --lat 40N -o x.prp", dir)
            .code,
        2);
    // The station's place from the flags, east of Greenwich counted westward.
    r = skywave(
        std::string(kMade) + "--flux 150 --a-index 7 --k-index 2 --lat 45:30S --lon 15E -o x.prp",
        dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(read_lines(dir / "x.prp").at(0), "11 23  0.00 150   7   2 -45.5 345.0  K1ABC");
}

TEST_F(ContestDataCli, WsprSpotsOfTheNamedStation) {
    write("spots.csv",
          "id,time,band,rx_sign,rx_loc,tx_sign,tx_loc\r\n"
          "1,2022-05-21T09:50:00+00:00,28,G3SXH,IO80fr,SK0WE/P,JO97bm\r\n"
          "2,2022-05-21T10:02:00+00:00,3,SK0WE,JO97bm,DL1ABC,JO62qm\r\n"
          "3,2022-05-21T10:04:00+00:00,14,K1ABC,FN42,W6XYZ,CM87\r\n");
    Result r = skywave(
        "contest-data spots.csv --call SK0WE --no-mof-dat --flux 150 --a-index 7 --k-index 2 -o "
        "x.prp",
        dir);
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<std::string> lines = read_lines(dir / "x.prp");
    ASSERT_EQ(lines.size(), 24u * 111);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 7), "  SK0WE");
    // G3SXH at 50.7 N, 3.5 W: row 5, column 0, heard at 09:50 on 28 MHz.
    EXPECT_EQ(lines[9 * 111 + 1 + 4 * 5], std::string(39, ' ') + "3");
    // DL1ABC at 52.5 N, 13.4 E: row 4, column 38, heard on 80 m at 10:02.
    EXPECT_EQ(lines[10 * 111 + 1 + 3 * 5 + 3], " 2" + std::string(38, ' '));
}

// One real log from start to end: the file's structure and its counts against the
// log's own QSO lines.
TEST_F(ContestDataCli, RealLogOfK3lr) {
    fs::path shared = fs::path(__FILE__).parent_path() / ".." / ".." / ".." / "shared" / "realdata";
    if (!fs::is_directory(shared)) shared = "/work/shared/realdata";
    const fs::path log = shared / "cabrillo" / "k3lr-cq-wpx-cw-2025.log";
    const char* cty = "/usr/share/hamradio-files/cty.dat";
    if (!fs::exists(log)) GTEST_SKIP() << "no shared/realdata beside the repository";
    if (!fs::exists(cty)) GTEST_SKIP() << cty << " is missing (Debian package hamradio-files)";

    const Result r =
        skywave("contest-data '" + log.string() + "' --no-mof-dat --indices '" +
                    (shared / "gfz-Kp_ap_Ap_SN_F107-2023-2025.txt").string() + "' -o x.prp",
                dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("of 7940 contacts placed"), std::string::npos) << r.out;
    // A WPX exchange names no state: the US calls go by their districts.
    EXPECT_NE(r.out.find(" by call district, "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" cell-hours written; the most crowded cell, "), std::string::npos);
    EXPECT_EQ(r.err.find("warning:"), std::string::npos) << r.err;

    // The log's contacts per hour of each day and band, from its own QSO lines.
    long high[2][24] = {}, low[2][24] = {}, ten[2][24] = {};
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("QSO:", 0) != 0) continue;
        std::istringstream f(line.substr(4));
        long khz;
        std::string mode, date, time;
        f >> khz >> mode >> date >> time;
        const int d = date == "2025-05-24" ? 0 : 1, h = std::stoi(time.substr(0, 2));
        if (khz >= 14000) ++high[d][h];
        if (khz < 8000) ++low[d][h];
        if (khz >= 28000) ++ten[d][h];
    }
    const std::vector<std::string> lines = read_lines(dir / "x.prp");
    ASSERT_EQ(lines.size(), 48u * 111);
    // EN91se: 41.19 N, 80.46 W.
    EXPECT_EQ(lines[0].substr(0, 11), " 5 24  0.00");
    EXPECT_NE(lines[0].find(" 41.2 80.5  K3LR"), std::string::npos) << lines[0];
    long mof_cells = 0, lof_cells = 0;
    for (int s = 0; s < 48; ++s) {
        const int d = s / 24, h = s % 24;
        EXPECT_EQ(lines[std::size_t(s * 111)].substr(0, 11), (d == 0 ? " 5 24 " : " 5 25 ") +
                                                                 std::string(h < 10 ? " " : "") +
                                                                 std::to_string(h) + ".00");
        long mof = 0, lof = 0, threes = 0, marks = 0;
        for (int b = 0; b < 22; ++b) {
            const auto& l = [&](int k) -> const std::string& {
                return lines[std::size_t(s * 111 + 1 + b * 5 + k)];
            };
            EXPECT_EQ(l(1), std::string(40, ' '));
            EXPECT_EQ(l(4), std::string(40, ' '));
            EXPECT_EQ(l(0).find_first_not_of(" 123"), std::string::npos);
            EXPECT_EQ(l(3).find_first_not_of(" 123"), std::string::npos);
            for (char c : l(0))
                mof += c != ' ', threes += c == '3';
            for (char c : l(3))
                lof += c != ' ';
            for (char c : l(2))
                marks += c == 'X';
        }
        // A cell holds at least one contact of its level's band.
        EXPECT_LE(mof, high[d][h]) << "screen " << s;
        EXPECT_LE(lof, low[d][h]) << "screen " << s;
        EXPECT_LE(threes, ten[d][h]) << "screen " << s;
        EXPECT_EQ(mof > 0, high[d][h] > 0) << "screen " << s;
        EXPECT_EQ(marks, 1) << "the station's own mark, screen " << s;
        mof_cells += mof;
        lof_cells += lof;
    }
    EXPECT_GT(mof_cells, 100);
    EXPECT_GT(lof_cells, 50);

    const Result multi = skywave("score-multi x.prp --no-mof-dat", dir);
    ASSERT_EQ(multi.code, 0) << multi.err;
    EXPECT_NE(multi.out.find(std::to_string(mof_cells)), std::string::npos) << multi.out;
}
