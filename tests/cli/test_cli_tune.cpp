#include <gtest/gtest.h>

#include "cli_support.h"

#include <cmath>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// 10 to 13 h UTC of each file's date keeps every run short.
const std::string kRun = " --no-mof-dat --start-time 10:00 --stop-time 13:00";

std::string without_times(const std::string& report) {
    static const std::regex stamp(R"([A-Z][a-z]{2} [A-Z][a-z]{2} \d{2} \d{2}:\d{2}:\d{2} \d{4})");
    static const std::regex elapsed(R"(ELAPSED TIME: \d+ SECONDS)");
    return std::regex_replace(std::regex_replace(report, stamp, "<T>"), elapsed, "<E>");
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

class CliTune : public CliTest {
protected:
    // A constants file with the named constants' values scaled and their flags set.
    void constants(const std::string& name, const std::map<std::string, double>& scale,
                   const std::vector<std::string>& marked) {
        ASSERT_EQ(skywave("consts write --no-mof-dat base.dat", dir).code, 0);
        std::string out;
        for (const std::string& line : lines_of(read("base.dat"))) {
            std::istringstream in(line);
            std::vector<std::string> f;
            for (std::string w; in >> w;)
                f.push_back(w);
            if (f.size() == 7 && scale.count(f[6]))
                f[2] = std::to_string(std::stod(f[2]) * scale.at(f[6]));
            for (const std::string& m : marked)
                if (f.size() == 7 && f[6] == m) f[5] = "1";
            std::string joined;
            for (const std::string& w : f)
                joined += (joined.empty() ? "" : " ") + w;
            out += joined + "\n";
        }
        write(name, out);
    }
    // Observations made by a model with other constants than the default ones.
    void observe(const std::string& file, const std::string& where) {
        std::filesystem::create_directories((dir / file).parent_path());
        const Result r =
            skywave("run --consts alt.dat" + kRun + " --grain 3 " + where + " -o " + file, dir);
        ASSERT_EQ(r.code, 0) << r.err;
    }
    void SetUp() override {
        CliTest::SetUp();
        constants("alt.dat", {{"fe_3", 1.25}, {"clof_3", 0.8}}, {});
        constants("marks.dat", {}, {"fe_3", "clof_3", "m9_1"});
        observe("one/a.prp", "--start-date 3/5 --flux 120");
        observe("two/a.prp", "--start-date 3/5 --flux 120");
        observe("two/b.prp", "--start-date 6/20 --flux 90 --lat 51.5 --lon -0.1");
        observe("held/c.prp", "--start-date 9/12 --flux 160 --lat 35:40S --lon 139:45E");
    }
};

// The sweep's lines of a report: each constant's START line and its trials (value,
// MOF, LOF, NET), and the reference's MOF and LOF lines; the tune's clear misses cut
// off. The tune's choice and what follows it are left out.
std::vector<std::string> sweep_lines(const std::string& report) {
    static const std::regex sweep(
        R"(^(\S.*  START = .*|\s*-?\d+\.\d{6}  (MOF=.*|NO SCORE.*)|              (MOF|LOF)=.*)$)");
    std::vector<std::string> out;
    for (std::string line : lines_of(report)) {
        if (line.rfind("CHOSEN:", 0) == 0) break;
        if (!std::regex_match(line, sweep)) continue;
        for (const char* tail : {"  MISSES=", "   CLEAR MISSES="})
            if (const std::size_t at = line.find(tail); at != std::string::npos) line.resize(at);
        out.push_back(line);
    }
    return out;
}

}  // namespace

TEST_F(CliTune, OneFileTuneTriesAndScoresAsTheDiddle) {
    const Result d = skywave("diddle one/a.prp --consts marks.dat" + kRun, dir);
    ASSERT_EQ(d.code, 0) << d.err;
    const Result t = skywave("tune one --consts marks.dat" + kRun, dir);
    ASSERT_EQ(t.code, 0) << t.err;
    const std::vector<std::string> diddle = sweep_lines(d.out), tune = sweep_lines(t.out);
    // Reference, three START lines and at least two trials each, some going on.
    EXPECT_GT(diddle.size(), 2u + 3 * 3);
    EXPECT_EQ(tune, diddle);
}

// The counts of every file are summed before they become shares; each file runs with
// its own date, indices, QTH and grain whatever ran before it on the same thread.
TEST_F(CliTune, PoolsTheCountsOfFilesRunEachInItsOwnConditions) {
    Result r =
        skywave("run --consts alt.dat" + kRun +
                    " --grain 2 --start-date 6/20 --flux 90 --lat 51.5 --lon -0.1 -o two/b.prp",
                dir);
    ASSERT_EQ(r.code, 0) << r.err;
    const auto rows = [&](const std::string& folder) {
        const Result t = skywave("tune " + folder + " --csv --consts base.dat" + kRun, dir);
        EXPECT_EQ(t.code, 0) << t.err;
        std::map<std::string, std::vector<double>> by_file;
        for (const std::string& line : lines_of(t.out)) {
            std::vector<std::string> f;
            std::stringstream in(line);
            for (std::string w; std::getline(in, w, ',');)
                f.push_back(w);
            if (f.size() >= 14 && f[0] == "reference")
                for (int i = 4; i < 14; ++i)
                    by_file[f[1]].push_back(std::stod(f[std::size_t(i)]));
        }
        return by_file;
    };
    write("solo/b.prp", read("two/b.prp"));
    auto pooled = rows("two"), a = rows("one"), b = rows("solo");
    ASSERT_EQ(pooled.size(), 3u);
    EXPECT_EQ(pooled["a.prp"], a["pooled"]);
    EXPECT_EQ(pooled["b.prp"], b["pooled"]);
    const std::vector<double>&p = pooled["pooled"], &pa = a["pooled"], &pb = b["pooled"];
    // Columns: above, at, below (percent), points, clear misses; MOF then LOF.
    for (int kind : {0, 5}) {
        EXPECT_EQ(p[kind + 3], pa[kind + 3] + pb[kind + 3]);
        EXPECT_EQ(p[kind + 4], pa[kind + 4] + pb[kind + 4]);
        ASSERT_GT(p[kind + 3], 0);
        EXPECT_NEAR(p[kind + 0], 100 * p[kind + 4] / p[kind + 3], 0.006);
        const double at = (pa[kind + 1] * pa[kind + 3] + pb[kind + 1] * pb[kind + 3]) / p[kind + 3];
        EXPECT_NEAR(p[kind + 1], at, 0.02);
    }
    EXPECT_NE(pa[3], pb[3]) << "files of different sizes, so that pooling differs from averaging";

    // Cells nearer than any on earth leave nothing to count.
    r = skywave("tune two --csv --min-distance 25000 --consts base.dat" + kRun, dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("reference,pooled,,,0.00,0.00,0.00,0,0,0.00,0.00,0.00,0,0,"),
              std::string::npos)
        << r.out;
}

TEST_F(CliTune, ReportAndTunedConstantsAreTheSameForAnyJobs) {
    const std::string args = "tune two --holdout held --consts marks.dat" + kRun;
    Result one = skywave(args + " -j 1 -o r1.txt --write t1.dat", dir);
    ASSERT_EQ(one.code, 0) << one.err;
    Result two = skywave(args + " -j 2 -o r2.txt --write t2.dat", dir);
    ASSERT_EQ(two.code, 0) << two.err;
    EXPECT_EQ(without_times(read("r1.txt")), without_times(read("r2.txt")));
    EXPECT_EQ(read("t1.dat"), read("t2.dat"));
    EXPECT_NE(read("r1.txt").find("POOLED\n  start"), std::string::npos) << read("r1.txt");
    EXPECT_NE(read("t1.dat"), read("marks.dat")) << "a constant was chosen";

    // The tuned file is not written over an input, and a report is never a contest file.
    EXPECT_EQ(skywave(args + " --write two/a.prp", dir).code, 1);
    EXPECT_EQ(skywave(args + " -o held/c.prp", dir).code, 1);
    EXPECT_EQ(skywave("tune two" + kRun, dir).code, 2) << "--consts MARKS is required";
}
