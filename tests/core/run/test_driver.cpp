#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "run/driver.h"
#include "test_support.h"

using namespace skywave;

namespace {

using test::file_lines;

// Records what the driver tells its front end.
class Recorder : public RunHooks {
public:
    std::vector<std::string> events;
    std::vector<std::pair<float, float>> dates;  // month, day of each completed step
    std::vector<float> times;                    // calc_time of each completed step
    int stop_at_path_pass = 0;                   // abort during this step's path pass (1-based)
    int ionosphere_done = 0;
    bool in_path_pass = false;

    void StartCalcs() override { events.push_back("start"); }
    void StopCalcs() override { events.push_back("stop"); }
    void SetStatus(const std::string& text) override {
        events.push_back(text);
        if (text == "IONOSPHERIC CALCULATION DONE. ") {
            ++ionosphere_done;
            in_path_pass = true;
        } else {
            in_path_pass = false;
        }
    }
    void SetTime(float t) override { events.push_back("time " + std::to_string(t)); }
    void yield() override {
        if (in_path_pass && ionosphere_done == stop_at_path_pass) Abort = 1;
    }
    void step_done(Model& m) override {
        dates.emplace_back(m.consts.month, m.consts.day);
        times.push_back(m.consts.calc_time);
    }
};

struct DriverRun {
    Model m;
    std::optional<std::string> output;  // the prediction file, if one is written
    Recorder hooks;
    MessageLog log;
    RunOutcome outcome{};

    explicit DriverRun(int grain = 3) {
        test::setup_model(m, grain);
        m.dates = {1, 1, 1, 1, 1, 1};
    }
    void times(float start, float stop, float step) {
        m.consts.start_time = start;
        m.consts.stop_time = stop;
        m.consts.step_time = step;
    }
    void go() {
        const std::optional<long> planned = count_steps(m);
        outcome = MainCalcs(m, output, hooks, log);
        if (outcome == RunOutcome::completed) {
            EXPECT_EQ(planned, long(hooks.times.size())) << "count_steps agrees with the driver";
        }
    }
};

}  // namespace

TEST(Driver, DefaultTimesGive24StepsPerDate) {
    DriverRun r;
    r.go();
    EXPECT_EQ(r.outcome, RunOutcome::completed);
    ASSERT_EQ(r.hooks.times.size(), 24u);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(r.hooks.times[i], float(i));
}

TEST(Driver, FirstTimeIsAlwaysComputed) {
    DriverRun r;
    r.times(20, 4, 1);
    r.go();
    ASSERT_EQ(r.hooks.times.size(), 1u);
    EXPECT_EQ(r.hooks.times[0], 20.0f);
}

TEST(Driver, TimeAccumulatesInSinglePrecision) {
    DriverRun r;
    r.times(0, 1, 0.1f);
    r.go();
    EXPECT_EQ(r.hooks.times.size(), 10u) << "the tenth sum is 1.0000001, past the stop time";
}

TEST(Driver, DatesAreARectangle) {
    DriverRun r;
    r.times(0, 0, 1);
    r.m.dates = {1, 1, 3, 3, 1, 1};
    r.go();
    const std::vector<std::pair<float, float>> expected = {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2},
                                                           {2, 3}, {3, 1}, {3, 2}, {3, 3}};
    EXPECT_EQ(r.hooks.dates, expected);
}

TEST(Driver, StartDayPastStopDayComputesOnlyTheFirstDate) {
    DriverRun r;
    r.times(0, 0, 1);
    r.m.dates = {28, 1, 3, 2, 1, 1};
    r.go();
    ASSERT_EQ(r.hooks.dates.size(), 1u);
    EXPECT_EQ(r.hooks.dates[0], std::make_pair(1.0f, 28.0f));
}

TEST(Driver, TellsTheFrontEndEachPassInOrder) {
    DriverRun r;
    r.times(5, 6, 1);
    r.go();
    const std::vector<std::string> expected = {
        "start",
        "NON-TIME DEPENDENT CALCS - DONE",
        "time 5.000000",
        "IONOSPHERIC CALCULATION DONE. ",
        "LOF AND MOF CALCULATION DONE.",
        "time 6.000000",
        "IONOSPHERIC CALCULATION DONE. ",
        "LOF AND MOF CALCULATION DONE.",
        "stop",
    };
    EXPECT_EQ(r.hooks.events, expected);
}

TEST(Driver, StopInTheThirdPathPassKeepsTwoCompleteScreens) {
    test::TempDir dir;
    DriverRun r(3);
    r.output = dir.file("stopped.mof");
    r.hooks.stop_at_path_pass = 3;
    r.go();
    EXPECT_EQ(r.outcome, RunOutcome::aborted);
    EXPECT_EQ(r.hooks.times.size(), 2u);
    EXPECT_EQ(r.hooks.events.back(), "stop");
    const auto lines = file_lines(*r.output);
    EXPECT_EQ(lines.size(), 2u * 56u);
    EXPECT_EQ(lines[56].substr(0, 11), " 1  1  1.00");
}

// An old file under the output's name is gone whatever the run's end: stopped in its
// first step (no screen), or with screens fewer than the old file held.
TEST(Driver, AnOldFileNeverOutlivesTheRun) {
    test::TempDir dir;
    for (const int stop_at : {1, 2}) {
        DriverRun r(3);
        r.output = dir.file("old.mof");
        std::ofstream(*r.output) << std::string(200000, 'x');
        r.hooks.stop_at_path_pass = stop_at;
        r.go();
        EXPECT_EQ(r.outcome, RunOutcome::aborted);
        EXPECT_EQ(file_lines(*r.output).size(), std::size_t(stop_at - 1) * 56u) << stop_at;
    }
}

TEST(Driver, ShortPathSwitchedOffLeavesItsLinesBlank) {
    test::TempDir dir;
    DriverRun r(3);
    r.times(12, 12, 1);
    r.m.consts.sp_flag = 0;
    r.output = dir.file("lp.mof");
    r.go();
    const auto lines = file_lines(*r.output);
    ASSERT_EQ(lines.size(), 56u);
    bool long_path_symbols = false;
    for (int row = 0; row < 11; ++row) {
        EXPECT_EQ(lines[1 + 5 * row], std::string(20, ' '));      // short MOF
        EXPECT_EQ(lines[1 + 5 * row + 3], std::string(20, ' '));  // short LOF
        if (lines[1 + 5 * row + 1] != std::string(20, ' ')) long_path_symbols = true;
    }
    EXPECT_TRUE(long_path_symbols);
    EXPECT_EQ(r.m.arrays->mof[5][5], 0);
    EXPECT_EQ(r.m.arrays->lof[5][5], 30);
}

TEST(Driver, AFileThatCannotBeCreatedStopsBeforeTheRun) {
    test::TempDir dir;
    DriverRun r;
    r.output = dir.file("no/such/folder/x.mof");
    r.go();
    EXPECT_EQ(r.outcome, RunOutcome::failed);
    EXPECT_TRUE(r.hooks.events.empty()) << "nothing starts";
    ASSERT_EQ(r.log.entries.size(), 1u);
    EXPECT_EQ(r.log.entries[0].text, "Can't open");
    EXPECT_EQ(r.log.entries[0].caption, *r.output);
}

TEST(Driver, AFailedWriteStopsTheRunWithAMessage) {
    DriverRun r(3);
    r.output = "/dev/full";
    r.go();
    EXPECT_EQ(r.outcome, RunOutcome::failed);
    EXPECT_TRUE(r.hooks.times.empty()) << "no step is reported done";
    ASSERT_EQ(r.log.entries.size(), 1u);
    EXPECT_EQ(r.log.entries[0].caption, "ERROR WRITING OUTPUT");
    EXPECT_NE(r.log.entries[0].text.find("/dev/full"), std::string::npos);
    EXPECT_EQ(r.hooks.events.back(), "stop");
}

TEST(Driver, ARunThatNeverEndsHasNoStepCount) {
    Model m;
    test::setup_model(m, 3);
    m.dates = {1, 1, 9, 3, 0, 1};  // days never advance
    EXPECT_FALSE(count_steps(m, 1000));
    m.dates = {1, 1, 9, 3, 1, 1};
    m.consts.step_time = 0;
    m.consts.start_time = m.consts.stop_time = 12;
    EXPECT_FALSE(count_steps(m, 1000));
}

TEST(Driver, ExamAndChangeHooksRunAfterEachStepWhileSwitchedOn) {
    struct Hooks : RunHooks {
        int examined = 0, changes = 0;
        void ExamineArrays(Model& m) override {
            ++examined;
            EXPECT_EQ(m.exam_flag, 1);
        }
        int ChangeConsts(Model&) override { return ++changes, 0; }
    } hooks;
    Model m;
    test::setup_model(m, 3);
    m.dates = {1, 1, 1, 1, 1, 1};
    m.consts.start_time = 0;
    m.consts.stop_time = 2;
    hooks.exam_flag = 1;
    MessageLog log;
    MainCalcs(m, std::nullopt, hooks, log);
    EXPECT_EQ(hooks.examined, 3);
    EXPECT_EQ(hooks.changes, 0);
    hooks.exam_flag = 0;
    hooks.change_flag = 1;
    MainCalcs(m, std::nullopt, hooks, log);
    EXPECT_EQ(hooks.examined, 3);
    EXPECT_EQ(hooks.changes, 3);
}

TEST(Driver, RememberedHopMidpointsChangeNoBit) {
    // The second step of a run reads its hop midpoints from the path cache; a run that
    // starts at that step finds them along the great circles. Both must agree exactly.
    struct Capture : RunHooks {
        std::vector<float> values;
        void step_done(Model& m) override {
            values.clear();
            const ResultArrays& a = *m.arrays;
            for (int r = 0; r < m.grid.n_rows; ++r)
                for (int c = 0; c < m.grid.n_cols; ++c)
                    for (const Array2D* arr : {&a.mof, &a.lof, &a.longmof, &a.longlof})
                        values.push_back((*arr)[r][c]);
        }
    };
    for (int grain : {1, 3}) {
        Model warm, cold;
        test::setup_model(warm, grain);
        test::setup_model(cold, grain);
        warm.dates = cold.dates = {21, 6, 21, 6, 1, 1};
        warm.consts.start_time = 5;
        warm.consts.stop_time = cold.consts.start_time = cold.consts.stop_time = 17;
        warm.consts.step_time = 12;
        Capture a, b;
        MessageLog log;
        MainCalcs(warm, std::nullopt, a, log);
        MainCalcs(cold, std::nullopt, b, log);
        ASSERT_EQ(a.values.size(), b.values.size());
        EXPECT_EQ(std::memcmp(a.values.data(), b.values.data(), a.values.size() * sizeof(float)), 0)
            << grain;
    }
}

TEST(Driver, AModelRunAgainOnAFinerGridForgetsItsCoarsePaths) {
    // The path cache is laid out for the grid of its run; a model that ran on a coarse
    // grid and runs again on a finer one must give the fine grid's results bit for bit.
    struct LastMof : RunHooks {
        std::vector<float> values;
        void step_done(Model& m) override {
            values.clear();
            for (int r = 0; r < m.grid.n_rows; ++r)
                for (int c = 0; c < m.grid.n_cols; ++c)
                    values.insert(values.end(), {m.arrays->mof[r][c], m.arrays->longlof[r][c]});
        }
    };
    Model reused, fresh;
    test::setup_model(reused, 3);
    test::setup_model(fresh, 1);
    for (Model* m : {&reused, &fresh}) {
        m->dates = {21, 6, 21, 6, 1, 1};
        m->consts.start_time = m->consts.stop_time = 12;
    }
    LastMof coarse, fine, expected;
    MessageLog log;
    MainCalcs(reused, std::nullopt, coarse, log);
    reused.consts.display_grain = 1;
    ASSERT_TRUE(InitCalc(reused, log));
    MainCalcs(reused, std::nullopt, fine, log);
    MainCalcs(fresh, std::nullopt, expected, log);
    ASSERT_GT(fine.values.size(), coarse.values.size());
    ASSERT_EQ(fine.values.size(), expected.values.size());
    EXPECT_EQ(
        std::memcmp(fine.values.data(), expected.values.data(), fine.values.size() * sizeof(float)),
        0);
}

TEST(Driver, RememberedGeometryFollowsTheQthAndThePole) {
    // A run keeps the distances, azimuths and geomagnetic coordinates of its first date
    // for the next ones; a QTH or pole moved between dates must be seen on the next date
    // exactly as a run that starts with it sees it.
    struct Mover : RunHooks {
        int calls = 0;
        int ChangeConsts(Model& m) override {
            if (++calls == 1) {
                m.consts.rlat = -0.5f;
                m.consts.mlon_1 = 1.0f;
            }
            return 0;
        }
    };
    Model moved, fresh;
    test::setup_model(moved, 3);
    test::setup_model(fresh, 3);
    moved.dates = {1, 3, 2, 3, 1, 1};
    fresh.dates = {2, 3, 2, 3, 1, 1};
    moved.consts.start_time = moved.consts.stop_time = 0;
    fresh.consts.start_time = fresh.consts.stop_time = 0;
    fresh.consts.rlat = -0.5f;
    fresh.consts.mlon_1 = 1.0f;
    Mover mover;
    mover.change_flag = 1;
    RunHooks plain;
    MessageLog log;
    ASSERT_EQ(MainCalcs(moved, std::nullopt, mover, log), RunOutcome::completed);
    ASSERT_EQ(MainCalcs(fresh, std::nullopt, plain, log), RunOutcome::completed);
    EXPECT_EQ(mover.calls, 2);
    const ResultArrays& a = *moved.arrays;
    const ResultArrays& b = *fresh.arrays;
    for (const Array2D ResultArrays::*arr :
         {&ResultArrays::pathlen, &ResultArrays::azim, &ResultArrays::mlat, &ResultArrays::mlon,
          &ResultArrays::mof, &ResultArrays::longlof})
        EXPECT_EQ(std::memcmp(a.*arr, b.*arr, sizeof(Array2D)), 0);
}

TEST(Driver, ExaminationTurnedOnInALaterDateTakesTheRunBackToOneThread) {
    // Threads compute steps of several dates ahead; when the examination is turned on
    // during the second date, the run goes on alone from the first step not written,
    // on that date's values and geometry, and writes what one thread writes.
    struct Turn : RunHooks {
        std::vector<std::array<float, 3>> steps;  // month, day, time of each step
        int examined = 0;
        void step_done(Model& m) override {
            steps.push_back({m.consts.month, m.consts.day, m.consts.calc_time});
            if (steps.size() == 4) exam_flag = 1;
        }
        void ExamineArrays(Model&) override { ++examined; }
    };
    test::TempDir dir;
    std::string text[2];
    Turn hooks[2];
    for (int i = 0; i < 2; ++i) {
        Model m;
        test::setup_model(m, 3);
        m.dates = {1, 3, 3, 3, 1, 1};
        m.consts.start_time = 0;
        m.consts.stop_time = 12;
        m.consts.step_time = 6;
        MessageLog log;
        const std::string out = dir.file("run" + std::to_string(i) + ".mof");
        ASSERT_EQ(MainCalcs(m, out, hooks[i], log, i == 0 ? 1 : 2), RunOutcome::completed);
        text[i] = test::read_file(out);
    }
    EXPECT_EQ(hooks[1].steps, hooks[0].steps);
    EXPECT_EQ(hooks[0].steps.size(), 9u);
    EXPECT_EQ(hooks[1].examined, hooks[0].examined);
    EXPECT_EQ(hooks[0].examined, 5);
    EXPECT_EQ(text[1], text[0]);
}
