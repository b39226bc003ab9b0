// Hostile input and failing output: nothing crashes, nothing is lost, every failure is
// reported.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fstream>

#include "base/safe_file.h"
#include "files/contest.h"
#include "files/prediction_file.h"
#include "files/replay.h"
#include "run/driver.h"
#include "run/settings_form.h"
#include "test_support.h"
#include "tuning/score.h"

using namespace skywave;

namespace {

using test::file_lines;
using test::write_file;

// Stops a run at the n-th yield of the given pass of the given step.
class StopIn : public RunHooks {
public:
    StopIn(std::string pass, int step) : pass_(std::move(pass)), step_(step) {}
    void SetStatus(const std::string& text) override { status_ = text; }
    void SetTime(float) override {
        ++steps_;
        status_ = "time";
    }
    void yield() override {
        // The geometry pass runs before the first status of a date, the ionosphere pass
        // after the time is set, the path pass after the ionosphere is done.
        const std::string now = status_.empty() || status_ == "LOF AND MOF CALCULATION DONE."
                                    ? "geometry"
                                : status_ == "time"                           ? "ionosphere"
                                : status_ == "IONOSPHERIC CALCULATION DONE. " ? "path"
                                                                              : "";
        if (now == pass_ && steps_ == step_ && ++yields_ == 3) Abort = 1;
    }
    void step_done(Model&) override { status_.clear(); }

private:
    std::string pass_, status_;
    int step_, steps_ = 0, yields_ = 0;
};

// A grain-3 run of two dates and two times into file, stopped as the hooks say.
RunOutcome run_into(const std::string& file, RunHooks& hooks) {
    Model m;
    test::setup_model(m, 3);
    m.dates = {5, 3, 6, 3, 1, 1};
    m.consts.start_time = 10;
    m.consts.stop_time = 11;
    MessageLog log;
    return MainCalcs(m, file, hooks, log);
}

}  // namespace

TEST(Faults, StopInAnyPassKeepsExactlyTheCompletedScreens) {
    test::TempDir dir;
    struct Case {
        const char* pass;
        int step;  // steps begun when the pass runs (the geometry of date 2 follows step 2)
        std::size_t screens;
    };
    for (const Case c : {Case{"geometry", 2, 2}, Case{"ionosphere", 3, 2}, Case{"path", 3, 2},
                         Case{"path", 1, 0}}) {
        StopIn hooks(c.pass, c.step);
        const std::string file = dir.file(std::string(c.pass) + std::to_string(c.step) + ".mof");
        EXPECT_EQ(run_into(file, hooks), RunOutcome::aborted) << c.pass;
        const std::vector<std::string> lines = file_lines(file);
        EXPECT_EQ(lines.size(), c.screens * 56) << c.pass << " " << c.step;
        for (std::size_t s = 0; s < lines.size() / 56; ++s) {
            EXPECT_NE(lines[s * 56].find('.'), std::string::npos) << "a header starts every screen";
            for (std::size_t l = 1; l < 56; ++l)
                EXPECT_EQ(lines[s * 56 + l].size(), 20u);
        }
    }
}

TEST(Faults, HostilePredictionFilesAreReadSafely) {
    test::TempDir dir;
    // A good grain-3 file of two screens to cut, bend and spoil.
    RunHooks plain;
    const std::string good = dir.file("good.mof");
    ASSERT_EQ(run_into(good, plain), RunOutcome::completed);
    std::ifstream in(good, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});

    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string wide;
    for (const std::string& l : file_lines(good))
        wide += l + std::string(10000, l.find('.') == std::string::npos ? '1' : ' ') + "\n";
    std::string nul = text;
    for (std::size_t i = 7; i < nul.size(); i += 13)
        nul[i] = '\0';

    struct Case {
        const char* name;
        std::string text;
        int grain;  // as detected
    };
    const Case cases[] = {
        {"cut.mof", text.substr(0, text.size() / 3), 3},  // ends inside the second screen
        {"crlf.mof", crlf, 3},
        {"wide.mof", wide, 3},
        {"nul.mof", nul, -2},  // whatever it makes of them, it must not crash
        {"empty.mof", "", 0},
        {"onehalf.mof", text.substr(0, 1000), 0},  // ends inside the first screen
    };
    MessageLog log;
    for (const Case& c : cases) {
        const std::string file = dir.file(c.name);
        write_file(file, c.text);
        const int grain = detect_grain(file);
        if (c.grain != -2) {
            EXPECT_EQ(grain, c.grain) << c.name;
        }

        Model m;
        ReplayFile replay;
        if (replay.open(file, m, log)) {
            ReplayScreen screen;
            for (int i = 0; i < 5; ++i) {
                replay.ReadScreen(m, screen);
                ASSERT_EQ(screen.lines.size(), std::size_t(5 * m.grid.out_rows)) << c.name;
                for (const std::string& l : screen.lines)
                    EXPECT_EQ(l.size(), 80u) << c.name;
            }
        }

        // Scored against the good file on the grid of grain 3.
        Grid grid3;
        set_grain(grid3, 3);
        EXPECT_TRUE(ScoreFiles(grid3, file, good, nullptr, log)) << c.name;
        read_contest_header(file, log);
    }
    // CR LF line ends and over-long lines score exactly as the plain file does.
    Grid grid3;
    set_grain(grid3, 3);
    const std::optional<ScoreResults> plain_r = ScoreFiles(grid3, good, good, nullptr, log),
                                      crlf_r = ScoreFiles(grid3, dir.file("crlf.mof"), good,
                                                          nullptr, log),
                                      wide_r = ScoreFiles(grid3, dir.file("wide.mof"), good,
                                                          nullptr, log);
    ASSERT_TRUE(plain_r && crlf_r && wide_r);
    EXPECT_EQ(crlf_r->mof_at, plain_r->mof_at);
    EXPECT_EQ(crlf_r->lof_count, plain_r->lof_count);
    EXPECT_EQ(wide_r->mof_at, plain_r->mof_at);
    EXPECT_EQ(wide_r->mof_count, plain_r->mof_count);

    // A folder is no file: each reader says so.
    MessageLog folder;
    Model m;
    ReplayFile replay;
    EXPECT_FALSE(replay.open(dir.path().string(), m, folder));
    EXPECT_FALSE(ScoreFiles(grid3, dir.path().string(), good, nullptr, folder));
    EXPECT_FALSE(read_contest_header(dir.path().string(), folder).header);
    ASSERT_EQ(folder.entries.size(), 3u);
    EXPECT_EQ(folder.entries[1].text, "Can't open first file for comparison");
}

TEST(Faults, EveryRunSettingsFieldRefusesJunkAndHugeNumbers) {
    const auto good = [] {
        SettingsFields f;
        f.lat_deg = "42", f.lat_min = "30", f.lat_sec = "0", f.lat_hemi = "N";
        f.lon_deg = "73", f.lon_min = "0", f.lon_sec = "0", f.lon_hemi = "W";
        f.start_month = f.stop_month = "3";
        f.start_day = "5", f.stop_day = "6";
        f.step_month = f.step_day = "1";
        set_whole_day(f);
        f.flux = "150", f.a_index = "7", f.k_index = "2", f.grain = "2";
        return f;
    };
    SettingsFields probe = good();
    std::string* fields[] = {
        &probe.start_month, &probe.start_day, &probe.start_hour, &probe.start_min,
        &probe.stop_month,  &probe.stop_day,  &probe.stop_hour,  &probe.stop_min,
        &probe.step_month,  &probe.step_day,  &probe.step_hour,  &probe.step_min,
        &probe.lat_deg,     &probe.lat_min,   &probe.lat_sec,    &probe.lon_deg,
        &probe.lon_min,     &probe.lon_sec,   &probe.flux,       &probe.a_index,
        &probe.k_index,     &probe.grain};
    const char* junk[] = {
        "", "abc", "12x", "1.5", "1e2", "99999999999999999999", "-99999999999999999999", "0x10"};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        for (const char* j : junk) {
            probe = good();
            *fields[i] = j;
            SettingsRecord data;
            MessageLog log;
            EXPECT_FALSE(accept_fields(probe, data, log)) << "field " << i << " '" << j << "'";
            EXPECT_EQ(data.accepted, 0);
            EXPECT_FALSE(log.entries.empty());
        }
    }
    // The angle and clock fields take no sign at all, not even "-0".
    for (std::string* f : {&probe.lat_deg, &probe.lon_min, &probe.start_hour, &probe.step_min}) {
        probe = good();
        *f = "-0";
        SettingsRecord data;
        MessageLog log;
        EXPECT_FALSE(accept_fields(probe, data, log));
    }
}

TEST(Faults, WholeFilesAreReplacedSafely) {
    test::TempDir dir;
    bool created = false;
    EXPECT_EQ(replace_file(dir.path().string(), "x", &created), EISDIR);
    EXPECT_NE(replace_file(dir.file("no/such/dir/f"), "x", &created), 0);
    EXPECT_FALSE(created);
    // A device is written in place, never replaced by a file of the same name.
    EXPECT_EQ(replace_file("/dev/null", "text\n", &created), 0);
    struct stat st;
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(replace_file("/dev/full", "text\n", &created), ENOSPC);
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}
