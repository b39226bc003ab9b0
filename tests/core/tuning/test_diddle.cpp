#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/messages.h"
#include "base/report.h"
#include "files/constants_file.h"
#include "model/constants.h"
#include "model/grid.h"
#include "model/model.h"
#include "run/driver.h"
#include "run/sweep.h"
#include "test_support.h"
#include "tuning/diddle.h"
#include "tuning/score.h"

using namespace skywave;

namespace {

using test::read_file;
using test::split_lines;

constexpr int kCols = 20, kRows = 11;  // grain 3

// The time stamps and the elapsed seconds replaced by placeholders.
std::string without_times(const std::string& report) {
    static const std::regex stamp(R"([A-Z][a-z]{2} [A-Z][a-z]{2} \d{2} \d{2}:\d{2}:\d{2} \d{4})");
    static const std::regex elapsed(R"(ELAPSED TIME: \d+ SECONDS)");
    return std::regex_replace(std::regex_replace(report, stamp, "<T>"), elapsed,
                              "ELAPSED TIME: <N> SECONDS");
}

// Counts the runs and stops a sweep that would never end.
class Hooks : public SweepHooks {
public:
    void sweep_started() override { ++started; }
    void sweep_ended() override { ++stopped; }
    void progress(long done, long) override { runs = std::max(runs, done); }
    bool stop_requested() override { return stop_now || runs > 60; }
    long runs = 0;
    int started = 0, stopped = 0;
    bool stop_now = false;
};

// A run of 5 March, 10 to 13 h UTC, at grain 3, with the default constants.
struct Diddle {
    test::TempDir dir;
    Model m;
    MessageLog log;
    Hooks hooks;
    std::string report;
    bool finished = false;
    SweepOutcome outcome{};

    Diddle() {
        init_consts(m.consts);
        m.consts.display_grain = 3;
        m.CalcInitDone = 1;
        m.dates = {5, 3, 5, 3, 1, 1};
        m.consts.start_time = 10;
        m.consts.stop_time = 13;
        m.consts.step_time = 1;
    }

    // Observations of nothing at all: every run scores 0 against a reference of 0.
    std::string blank_contest() {
        std::string text;
        for (int s = 0; s < 4; ++s) {
            text +=
                s == 0 ? "3 5 0 200 0 0 42.5 73.0 W1AW\n" : " 3  5 11.00 200   0   0 42.5 73.0  \n";
            for (int l = 0; l < 5 * kRows; ++l)
                text += std::string(kCols, ' ') + "\n";
        }
        const std::string name = dir.file("blank.prp");
        std::ofstream(name, std::ios::binary) << text;
        return name;
    }

    // The prediction for other conditions than the model's, as observations.
    std::string observed_contest(float flux) {
        Model o;
        o.settings() = m;
        o.consts.sf_index = flux;
        const std::string file = dir.file("observed.prp");
        RunHooks run_hooks;
        EXPECT_TRUE(InitCalc(o, log));
        EXPECT_EQ(MainCalcs(o, file, run_hooks, log), RunOutcome::completed);
        EndCalc(o);
        return file;
    }

    void mark(const char* name, int flag = 1) {
        const int i = find_constant(name);
        ASSERT_GE(i, 0) << name;
        m.diddle_flag[std::size_t(i)] = std::int8_t(flag);
    }

    void run(const std::string& contest, int jobs = 1) {
        const std::string name = dir.file("report.did");
        std::unique_ptr<Report> r = Report::create(name);
        ASSERT_TRUE(r);
        outcome =
            DiddleConsts(m, read_file_text(contest), *r, dir.file("scratch.mof"), jobs, hooks, log);
        finished = outcome != SweepOutcome::stopped;
        ASSERT_TRUE(r->close());
        report = read_file(name);
    }

    // The constants' part of the report: after the reference block, before the
    // closing lines.
    std::string sweep_part() const {
        const std::size_t lof = report.find("LOF=", report.find("REFERENCE RUN:"));
        const std::size_t done = report.find("\nREPORT DONE: ");
        if (lof == std::string::npos || done == std::string::npos) return "<no sweep part>";
        const std::size_t start = report.find('\n', lof) + 2;
        return start > done ? "<no sweep part>" : report.substr(start, done - start);
    }
};

// A snapshot of every live value and flag, to be compared after a sweep.
struct Snapshot {
    explicit Snapshot(const Model& m) : consts(m.consts), flags(m.diddle_flag) {}
    void expect_same(const Model& m) const {
        for (const const_desc& d : const_table)
            EXPECT_EQ(m.consts.*d.val, consts.*d.val) << d.name << " restored";
        EXPECT_EQ(m.diddle_flag, flags);
    }
    Constants consts;
    DiddleFlags flags;
};

// A run line of the blank contest: every score is 0.
std::string zero_run(const char* value) {
    return std::string(value) +
           "  MOF= 0.0  0.0  0.0 =   0.0  LOF= 0.0  0.0  0.0 =   0.0  NET=  0.0\n";
}

// The index of the group holding the named constant.
int find_group(const std::string& name) {
    const int flat = find_constant(name);
    int g = 0;
    while (g + 1 < kGroupCount && const_groups[std::size_t(g + 1)].first <= flat)
        ++g;
    return g;
}

// A constants file line ("group cons value default class flag name") that marks a
// constant with the given flag and keeps its live value.
std::string consts_line(const Model& m, const char* name, int flag) {
    const int flat = find_constant(name);
    const int g = find_group(name);
    const const_desc& d = const_table[std::size_t(flat)];
    char line[160];
    std::snprintf(line, sizeof line, "%3d %3d %15f %15f %3d %3d %s\n", g,
                  flat - const_groups[std::size_t(g)].first, double(shown_value(m.consts, d)),
                  double(d.init) * double(scale_table[std::size_t(d.scale_factor)]),
                  int(d.cons_type), flag, name);
    return line;
}

}  // namespace

TEST(Diddle, NothingMarkedGivesReferenceOnly) {
    Diddle t;
    const std::string contest = t.blank_contest();
    const Snapshot before(t.m);
    t.run(contest);
    EXPECT_TRUE(t.finished);
    EXPECT_TRUE(t.log.entries.empty());
    EXPECT_EQ(t.hooks.runs, 1);
    EXPECT_EQ(t.hooks.started, 1);
    EXPECT_EQ(t.hooks.stopped, 1);
    EXPECT_EQ(without_times(t.report),
              "MOF CONSTANT DIDDLE REPORT\n"
              "QZ MOF/LOF PREDICTION PROGRAM Version 2.1\n"
              "\nREPORT STARTED: <T>\n\n\n"
              "changed  start_time   from 0.000000  to 10.000000 \n"
              "changed  stop_time   from 23.000000  to 13.000000 \n"
              "changed  display_grain   from 2.000000  to 3.000000 \n"
              "\n\nREFERENCE RUN:  COMPARE FILE NAME=" +
                  contest +
                  "\n"
                  "START_TIME= 10.000000  STOP_TIME=13.000000\n"
                  "              MOF= 0.0  0.0  0.0   POINTS=   0\n"
                  "              LOF= 0.0  0.0  0.0   POINTS=   0\n"
                  "\n"
                  "\nREPORT DONE: <T>\n\n"
                  "\nELAPSED TIME: <N> SECONDS\n");
    before.expect_same(t.m);
    // The scratch file holds the (reference) run.
    EXPECT_EQ(split_lines(read_file(t.dir.file("scratch.mof"))).size(), 4u * 56);
}

TEST(Diddle, ValuesTriedFollowTheScores) {
    // Marks from a constants file: two switches, a constant of value 0, a constant
    // shown in degrees, a plain one; a class-0 constant and two of the table's
    // constants with flag 2 are not swept.
    const auto marked = [](Diddle& t) {
        std::string text;
        for (const char* name :
             {"mlat_flag", "plr_flag", "h_d_2", "fe_1", "fe_3", "rlat", "mof_red"})
            text += consts_line(t.m, name, 1);
        text += consts_line(t.m, "g2_d_1", 2) + consts_line(t.m, "sf_index", 2);
        const std::string file = t.dir.file("marks.dat");
        std::ofstream(file) << text;
        ASSERT_TRUE(ReadConsts(t.m, file, t.log));
        EXPECT_TRUE(is_marked(t.m, find_constant("fe_3")));
        EXPECT_FALSE(is_marked(t.m, find_constant("rlat")));
        EXPECT_FALSE(is_marked(t.m, find_constant("sf_index")));
        EXPECT_EQ(t.m.diddle_flag[std::size_t(find_constant("sf_index"))], 2);
    };

    // fe_1 is shown in degrees: 85 degrees, tried at 76.5, 68, 93.5 and 102.
    const auto fe_1_block = [](const std::string& part) {
        const std::size_t at = part.find("FE  fe_1  START = ");
        std::vector<double> values;
        if (at == std::string::npos) return values;
        const std::vector<std::string> lines = split_lines(part.substr(at));
        values.push_back(std::atof(lines[0].c_str() + 18));
        for (std::size_t i = 1; i < lines.size() && !lines[i].empty(); ++i)
            values.push_back(std::atof(lines[i].c_str()));
        return values;
    };

    // Every run better than the reference (net 0 exceeds -1).
    {
        Diddle t;
        marked(t);
        t.m.consts.diddle_thresh = -1;
        const Snapshot before(t.m);
        t.run(t.blank_contest());
        EXPECT_TRUE(t.finished);
        EXPECT_EQ(t.hooks.runs, 1 + 1 + 1 + 4 + 4 + 4);
        const std::string part = t.sweep_part();
        EXPECT_EQ(part.substr(0, part.find("FE  fe_1")),
                  "MAG  mlat_flag  START = 0.000000\n" + zero_run("  1.000000") + "\n" +
                      "FF  plr_flag  START = 1.000000\n" + zero_run("  0.000000") + "\n" +
                      "H  h_d_2  START = 0.000000\n" + zero_run(" -0.100000") +
                      zero_run(" -0.200000") + zero_run("  0.100000") + zero_run("  0.200000") +
                      "\n");
        EXPECT_EQ(part.substr(part.find("FE  fe_3")),
                  "FE  fe_3  START = 3.400000\n" + zero_run("  3.060000") + zero_run("  2.720000") +
                      zero_run("  3.740000") + zero_run("  4.080000") + "\n");
        const std::vector<double> fe_1 = fe_1_block(part);
        ASSERT_EQ(fe_1.size(), 5u) << part;
        EXPECT_NEAR(fe_1[0], 85.0, 1e-4);
        EXPECT_NEAR(fe_1[1], 76.5, 1e-4);
        EXPECT_NEAR(fe_1[2], 68.0, 1e-4);
        EXPECT_NEAR(fe_1[3], 93.5, 1e-4);
        EXPECT_NEAR(fe_1[4], 102.0, 1e-4);
        before.expect_same(t.m);
    }

    // No run better than the reference (net 0 does not exceed the default 0).
    {
        Diddle t;
        marked(t);
        const Snapshot before(t.m);
        t.run(t.blank_contest());
        EXPECT_TRUE(t.finished);
        EXPECT_EQ(t.hooks.runs, 1 + 1 + 1 + 2 + 2 + 2);
        const std::string part = t.sweep_part();
        EXPECT_EQ(part.substr(0, part.find("FE  fe_1")),
                  "MAG  mlat_flag  START = 0.000000\n" + zero_run("  1.000000") + "\n" +
                      "FF  plr_flag  START = 1.000000\n" + zero_run("  0.000000") + "\n" +
                      "H  h_d_2  START = 0.000000\n" + zero_run(" -0.100000") +
                      zero_run("  0.100000") + "\n");
        EXPECT_EQ(part.substr(part.find("FE  fe_3")), "FE  fe_3  START = 3.400000\n" +
                                                          zero_run("  3.060000") +
                                                          zero_run("  3.740000") + "\n");
        const std::vector<double> fe_1 = fe_1_block(part);
        ASSERT_EQ(fe_1.size(), 3u) << part;
        EXPECT_NEAR(fe_1[1], 76.5, 1e-4);
        EXPECT_NEAR(fe_1[2], 93.5, 1e-4);
        before.expect_same(t.m);
    }
}

TEST(Diddle, ChangedConstantsAreListed) {
    Diddle t;
    Constants& k = t.m.consts;
    k.sf_index = 150;
    k.h_d_2 = 0.5f;                           // default 0
    k.fe_10 = k.fe_10 * 2;                    // shown in degrees
    k.fe_3 = float(3.4 * (1 + 5e-6));         // within the tolerance: not listed
    k.fe_5 = float(double(k.fe_5) * 1.0001);  // beyond it, though printed alike
    k.g0_d_ak1 = 0;                           // default 0 and still 0
    t.run(t.blank_contest());
    const std::size_t from = t.report.find("\n\n\n") + 3;
    EXPECT_EQ(t.report.substr(from, t.report.find("\n\nREFERENCE RUN:") - from),
              "changed  start_time   from 0.000000  to 10.000000 \n"
              "changed  stop_time   from 23.000000  to 13.000000 \n"
              "changed  sf_index   from 200.000000  to 150.000000 \n"
              "changed  display_grain   from 2.000000  to 3.000000 \n"
              "changed  h_d_2   from 0.000000  to 0.500000 \n"
              "changed  fe_5   from 0.001600  to 0.001600 \n"
              "changed  fe_10   from 5.000000  to 10.000000 \n");
}

TEST(Diddle, SweepAgainstObservations) {
    // Observations made under a flux of 120 against predictions for 150: the sweep
    // has better and worse runs to tell apart.
    std::string reports[2];
    for (int jobs : {1, 2}) {
        Diddle t;
        Constants& k = t.m.consts;
        k.sf_index = 150;
        const std::string contest = t.observed_contest(120);
        k.w_mof_abv = 2;
        k.w_mof_at = 3;
        k.w_mof_blw = 0.5f;
        k.w_mof = 1.5f;
        k.w_lof_abv = 0.25f;
        k.w_lof_at = 1;
        k.w_lof_blw = 4;
        k.w_lof = 0.5f;
        for (const char* name :
             {"sf_index", "fe_3", "m9_1", "h_d_7", "g0_d_2", "x_1", "plr_flag", "maxhop"})
            t.mark(name);
        const Snapshot before(t.m);
        t.run(contest, jobs);
        EXPECT_TRUE(t.finished);
        EXPECT_TRUE(t.log.entries.empty());
        before.expect_same(t.m);
        reports[jobs - 1] = std::regex_replace(t.report, std::regex(contest), "<contest>");

        // The reference block is the score of the same run made apart.
        Model r;
        r.settings() = t.m;
        const std::string reference = t.dir.file("reference.mof");
        RunHooks run_hooks;
        ASSERT_TRUE(InitCalc(r, t.log));
        ASSERT_EQ(MainCalcs(r, reference, run_hooks, t.log), RunOutcome::completed);
        EndCalc(r);
        set_grain(r.grid, 3);
        const std::optional<ScoreResults> scored =
            ScoreFiles(r.grid, reference, contest, nullptr, t.log);
        ASSERT_TRUE(scored);
        const ScoreResults& ref = *scored;
        char block[200];
        std::snprintf(block, sizeof block,
                      "              MOF=%4.1f %4.1f %4.1f   POINTS=%4.0f\n"
                      "              LOF=%4.1f %4.1f %4.1f   POINTS=%4.0f\n\n",
                      double(ref.mof_above), double(ref.mof_at), double(ref.mof_below),
                      double(ref.mof_count), double(ref.lof_above), double(ref.lof_at),
                      double(ref.lof_below), double(ref.lof_count));
        EXPECT_NE(
            t.report.find("START_TIME= 10.000000  STOP_TIME=13.000000\n" + std::string(block)),
            std::string::npos)
            << t.report;
        EXPECT_GT(ref.mof_count, 0);

        // Every run line: the scores from the weights, and the next value from the
        // score (the net is printed to 0.1; a printed 0.0 may go either way).
        const std::vector<std::string> lines = split_lines(t.sweep_part());
        int blocks = 0, better = 0, worse = 0;
        for (std::size_t i = 0; i < lines.size();) {
            static const std::regex start(R"((.+)  (\S+)  START = (\S+))");
            std::smatch head;
            ASSERT_TRUE(std::regex_match(lines[i], head, start)) << lines[i];
            const std::string name = head[2];
            const float hold = std::stof(head[3]);
            EXPECT_EQ(head[1], const_groups[std::size_t(find_group(name))].name);
            ++blocks;
            const bool is_switch = name == "plr_flag";
            float d = -0.1f, step = -0.1f;
            bool ended = false;
            for (++i; i < lines.size() && !lines[i].empty(); ++i) {
                ASSERT_FALSE(ended) << name << ": a run after the end of its sweep";
                float v, ma, mt, mb, ms, la, lt, lb, ls, net;
                ASSERT_EQ(
                    std::sscanf(lines[i].c_str(), "%f MOF=%f %f %f = %f LOF=%f %f %f = %f NET=%f",
                                &v, &ma, &mt, &mb, &ms, &la, &lt, &lb, &ls, &net),
                    10)
                    << lines[i];
                EXPECT_NEAR(
                    ms,
                    3 * (mt - ref.mof_at) + 2 * (ref.mof_above - ma) + 0.5 * (ref.mof_below - mb),
                    0.61)
                    << lines[i];
                EXPECT_NEAR(
                    ls,
                    1 * (lt - ref.lof_at) + 0.25 * (ref.lof_above - la) + 4 * (ref.lof_below - lb),
                    0.61)
                    << lines[i];
                EXPECT_NEAR(net, 1.5 * ms + 0.5 * ls, 0.16) << lines[i];
                if (is_switch) {
                    EXPECT_EQ(v, 0) << "the switch is turned over";
                    ended = true;
                    continue;
                }
                EXPECT_NEAR(v / hold - 1, d, 1e-4) << name << " " << lines[i];
                // Where the sweep goes next after a better (b) or worse run.
                const auto next = [&](bool b) -> std::optional<std::pair<float, float>> {
                    if (b) {
                        const float n = d + step;
                        if (n < -0.2f - 1e-5f) return std::make_pair(0.1f, 0.1f);
                        if (n > 0.2f + 1e-5f) return std::nullopt;
                        return std::make_pair(n, step);
                    }
                    if (d > 0) return std::nullopt;
                    return std::make_pair(0.1f, 0.1f);
                };
                std::vector<bool> outcomes;
                if (net >= 0.05f) outcomes = {true};
                if (net <= -0.05f) outcomes = {false};
                if (outcomes.empty()) outcomes = {true, false};
                (net >= 0.05f ? better : worse) += 1;
                const bool last = i + 1 >= lines.size() || lines[i + 1].empty();
                bool fits = false;
                for (bool b : outcomes) {
                    const auto n = next(b);
                    if (last && !n) fits = true;
                    if (!last && n) {
                        float nv;
                        if (std::sscanf(lines[i + 1].c_str(), "%f", &nv) == 1 &&
                            std::fabs((nv / hold - 1) - n->first) < 1e-4f) {
                            fits = true;
                            d = n->first;
                            step = n->second;
                        }
                    }
                }
                EXPECT_TRUE(fits) << name << ": " << lines[i] << " then "
                                  << (last ? "the end" : lines[i + 1]);
            }
            EXPECT_TRUE(i == lines.size() || lines[i].empty());
            ++i;
        }
        EXPECT_EQ(blocks, 8);
        EXPECT_GT(better, 0) << "some runs score better";
        EXPECT_GT(worse, 0) << "some do not";
    }
    EXPECT_EQ(without_times(reports[1]), without_times(reports[0]));
}

TEST(Diddle, SweepAlwaysEnds) {
    // Steps of 0 would leave the relative change where it is.
    struct Case {
        float neg_step, pos_step, thresh;
    };
    for (const Case c : {Case{0, 0.1f, -1}, Case{-0.1f, 0, -1}, Case{-0.1f, 0, 1}, Case{0, 0, -1},
                         Case{0, 0, 1}}) {
        Diddle t;
        t.m.consts.neg_step = c.neg_step;
        t.m.consts.pos_step = c.pos_step;
        t.m.consts.diddle_thresh = c.thresh;
        t.mark("fe_3");
        const Snapshot before(t.m);
        t.run(t.blank_contest());
        EXPECT_TRUE(t.finished) << c.neg_step << " " << c.pos_step << " " << c.thresh;
        EXPECT_LE(t.hooks.runs, 1 + 4);
        EXPECT_NE(t.report.find("FE  fe_3  START = 3.400000\n"), std::string::npos);
        EXPECT_NE(t.report.find("\nREPORT DONE: "), std::string::npos);
        before.expect_same(t.m);
    }
}

TEST(Diddle, StopEndsTheSweepWithClosingLines) {
    Diddle t;
    t.m.consts.diddle_thresh = -1;
    t.mark("fe_3");
    t.mark("fe_7");
    t.hooks.stop_now = true;
    const Snapshot before(t.m);
    t.run(t.blank_contest());
    EXPECT_FALSE(t.finished);
    EXPECT_LT(t.hooks.runs, 1 + 8);
    EXPECT_EQ(t.hooks.stopped, 1);
    const std::regex closing(R"([\s\S]*\nREPORT DONE: .*\n\n\nELAPSED TIME: \d+ SECONDS\n)");
    EXPECT_TRUE(std::regex_match(t.report, closing)) << t.report;
    before.expect_same(t.m);
}

TEST(Diddle, UtcStamps) {
    EXPECT_EQ(utc_stamp(1796581002), "Sun Dec 06 18:16:42 2026\n");
    EXPECT_EQ(utc_stamp(1835427907), "Tue Feb 29 09:05:07 2028\n");
    EXPECT_EQ(utc_stamp(0), "Thu Jan 01 00:00:00 1970\n");
}
