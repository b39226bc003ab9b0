// The engine's output, byte for byte, against files written by the engine before it
// was made faster (skywave at commit d640998). Each case is the SHA-256 of what that
// build wrote for the same command: a change of one symbol anywhere fails the case.
//
// The cases cover every grain, each path alone and both, the switches of the model
// flipped, a southern and an equatorial QTH, quarter-hour steps, a storm, the result
// arrays after a step (every one of them), the one-point path, and the reports of the
// multi-file score and the diddle, whose runs change constants between runs.
#include <array>
#include <string>

#include "cli_support.h"

namespace {

const std::string kQth =
    "--no-mof-dat --lat 42:30:00N --lon 73:00:00W --flux 150 --a-index 7 --k-index 2";

struct Case {
    const char* name;
    std::string args;
    const char* sha256;
};

const Case kRunCases[] = {
    {"grain1_day", kQth + " --grain 1 --start-date 3/5 --start-time 0:00 --stop-time 23:00",
     "04dbc50f6d13c1d2bce0208dcc58efe461a3331d129c709b0bcde546c8169b2f"},
    {"grain2_days",
     kQth + " --grain 2 --start-date 3/5 --stop-date 3/7 --start-time 0:00 --stop-time 23:00",
     "c254ff6a86dadf6ad7b23acc5aa5bf6edf5602e16f9396f6ebd669a0458fa5c5"},
    {"grain3_months",
     kQth + " --grain 3 --start-date 1/10 --stop-date 4/10 --step-date 1/10 --start-time 0:00 "
            "--stop-time 23:00",
     "b2b7beecbe2c7f3578a6cf390241cd6eff889ac3705b9dc89ab677d19cf5c709"},
    {"southern_qth",
     "--no-mof-dat --lat 33:52:00S --lon 151:12:00E --flux 120 --a-index 5 --k-index 1 --grain 2 "
     "--start-date 6/21 --start-time 0:00 --stop-time 23:00",
     "bb49b8a2c6a444c2685bda0db7da5538e3ea91f61d8178cdb8d3630afc7e10d6"},
    {"equatorial_qth",
     "--no-mof-dat --lat 1:17:00S --lon 36:49:00E --flux 180 --a-index 10 --k-index 3 --grain 2 "
     "--start-date 3/21 --start-time 0:00 --stop-time 23:00",
     "64519b54c81076e77e2fb83ad22026c9d29838106c9408aba011ce8ddd6694dc"},
    {"quarter_hours",
     kQth + " --grain 2 --start-date 9/1 --start-time 0:00 --stop-time 5:45 --step-time 0:15",
     "5fea83aeeabaaf4de18947e80c65526955dfa252bf1a22cb628951697270f3b0"},
    {"storm",
     "--no-mof-dat --lat 42:30:00N --lon 73:00:00W --flux 250 --a-index 200 --k-index 8 --grain 2 "
     "--start-date 10/30 --start-time 0:00 --stop-time 23:00",
     "6205f0a14e48554980f01fdea92363633b6f1473472917476420f00f701a68b6"},
    {"quiet_locator",
     "--no-mof-dat --locator JO62qm --flux 65 --a-index 0 --k-index 0 --grain 1 --start-date 12/21 "
     "--start-time 0:00 --stop-time 23:00 --step-time 3:00",
     "e51c76047e8053c84c949af20f81161e48e47bc2989dd5a4fa1cb6044e945bcf"},
    {"short_path_only",
     kQth +
         " --consts short-only.txt --grain 2 --start-date 7/4 --start-time 0:00 --stop-time 23:00",
     "130882cb7ad85dfc7d61a78f1ef60af7a354b957343af183b83371793e43f1a3"},
    {"long_path_only",
     kQth +
         " --consts long-only.txt --grain 2 --start-date 7/4 --start-time 0:00 --stop-time 23:00",
     "dbd8ede49bff1a66c0c672f927b9624e5cde099eb7e35c34d8fb598d9bb4038b"},
    {"switches_flipped",
     kQth + " --consts switched.txt --grain 2 --start-date 7/4 --start-time 0:00 --stop-time 23:00",
     "a331cee958f96e3ae3d161b07b9fd50719cc999ff5f2ca8192c3331a0fb63d43"},
};

// Constants files the cases read: each path alone, every switch of the model flipped
// from its default, and three constants marked for the diddle.
const char* kShortOnly = "  0  13        0.000000        0.000000   4   0 lp_flag\n";
const char* kLongOnly = "  0  12        0.000000        0.000000   4   0 sp_flag\n";
const char* kSwitched =
    "  2   2        1.000000        1.000000   4   0 mlat_flag\n"
    "  7   8        0.000000        0.000000   4   0 plr_flag\n"
    " 12   3        0.000000        0.000000   4   0 te_magflag\n"
    " 14   1        0.000000        0.000000   4   0 h_min_flag\n"
    " 14   2        0.000000        0.000000   4   0 recalc_maxhop_flag\n"
    " 14   3        1.000000        1.000000   4   0 bo_flag\n"
    " 14   4        0.000000        0.000000   4   0 lp_bo_flag\n";
const char* kMarks =
    " 14   0       35.972582       35.972582   3   1 maxhop\n"
    " 10   1      500.000000      500.000000   3   1 h_max\n"
    " 13   4        2.000000        2.000000   2   1 sex_3\n";

const char* kArrays[] = {
    "pathlen",   "azim",      "mlat",      "mlon",     "c_sol_zen", "sol_angle", "day_len",
    "t_noon",    "t_sunrise", "t_sunset",  "t9",       "u",         "u1",        "g8",
    "g9",        "g0_n",      "g2a_n",     "g0_d",     "cf_noon",   "g2a_d",     "g2a",
    "ff",        "plr",       "g2",        "h",        "fe",        "ex",        "ls",
    "h_calc",    "maxhop",    "khop",      "half_hop", "phi",       "takeoff",   "m9",
    "sex",       "mof",       "lof",       "blackout", "h_calc_lp", "longmaxhp", "khop_lp",
    "halfhoplp", "longphi",   "lptakeoff", "m9_lp",    "longsex",   "longmof",   "longlof",
    "lpblack",   "other"};

class OutputIdentity : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        write("short-only.txt", kShortOnly);
        write("long-only.txt", kLongOnly);
        write("switched.txt", kSwitched);
        write("marks.txt", kMarks);
    }
    // SHA-256 of a file of the working folder, as sha256sum prints it.
    std::string sha256(const std::string& name) const {
        const Result r = run_shell("sha256sum < '" + name + "' | cut -c1-64");
        return r.out.substr(0, 64);
    }
    Result run_shell(const std::string& command) const {
        const std::string cmd =
            "cd '" + dir.string() + "' && (" + command + ") >.shout 2>.sherr </dev/null";
        const int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(".shout"), read(".sherr")};
    }
};

TEST_F(OutputIdentity, PredictionFilesAreThoseOfTheEngineBeforeIt) {
    for (const Case& c : kRunCases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(skywave("run " + c.args + " -o out.mof", dir).code, 0);
        EXPECT_EQ(sha256("out.mof"), c.sha256);
    }
}

TEST_F(OutputIdentity, ArraysPointPathAndReportsAreThoseOfTheEngineBeforeIt) {
    // Every result array after the third step, the examination values included.
    std::string all;
    for (const char* name : kArrays) {
        SCOPED_TRACE(name);
        ASSERT_EQ(skywave(std::string("array ") + name + " " + kQth +
                              " --grain 2 --start-date 3/5 --start-time 0:00 --stop-time 5:00"
                              " --step 3 -o a.csv",
                          dir)
                      .code,
                  0);
        all += read("a.csv");
    }
    write("arrays.csv", all);
    EXPECT_EQ(sha256("arrays.csv"),
              "ff992cdd63303de6973699d705e77c0921f1803bc389bced1c49300c08b38262");

    const Result point = skywave(
        "point --to JO62qm " + kQth + " --start-date 3/5 --start-time 0:00 --stop-time 23:00 --csv",
        dir);
    ASSERT_EQ(point.code, 0);
    write("point.csv", point.out);
    EXPECT_EQ(sha256("point.csv"),
              "23758b0e21cbdcacb6bd4c5ee8c2b4c56609286a5b8f90aa4a2fbe7bb43f8a92");

    std::filesystem::create_directories(dir / "sm");
    std::filesystem::copy_file(SKYWAVE_TEST_DATA "/k1lz-cq-ww-cw-2024.prp",
                               dir / "sm" / "k1lz-cq-ww-cw-2024.prp");
    ASSERT_EQ(skywave("score-multi sm --no-mof-dat -j 1 -o sm.txt", dir).code, 0);
    EXPECT_EQ(sha256("sm.txt"), "04bff2c4ab6abf029efd3b4cbea8ddfd3e4f9279efda17e9d4a11af4463be1ed");

    // The diddle's report without its clock times.
    ASSERT_EQ(skywave("diddle sm/k1lz-cq-ww-cw-2024.prp --no-mof-dat --consts marks.txt -j 1 "
                      "-o dd.txt",
                      dir)
                  .code,
              0);
    ASSERT_EQ(
        run_shell("grep -v 'REPORT STARTED\\|REPORT DONE\\|ELAPSED TIME' dd.txt > dd-body.txt")
            .code,
        0);
    EXPECT_EQ(sha256("dd-body.txt"),
              "f4dfe273eb0ec4d3420f0e6bfa7d8b4eb438587713b2525416eeacaab5319d60");
}

// The steps of a date computed on several threads write the same file as one thread
// (and as the engine before): quarter-hour steps whose times are summed in single
// precision, a run of several dates whose threads keep their caches across dates, and
// more threads than cores.
TEST_F(OutputIdentity, EveryThreadCountWritesTheSameFile) {
    for (const Case& c : kRunCases) {
        const std::string name = c.name;
        if (name != "quarter_hours" && name != "grain2_days" && name != "southern_qth") continue;
        for (const char* jobs : {"1", "2", "3"}) {
            SCOPED_TRACE(name + " -j " + jobs);
            ASSERT_EQ(skywave("run " + c.args + " -j " + jobs + " -o out.mof", dir).code, 0);
            EXPECT_EQ(sha256("out.mof"), c.sha256);
        }
    }
    for (const char* bad : {"0", "-1", "two", "1.5"}) {
        const Result r = skywave(std::string("run --no-mof-dat --start-date 3/5 -j ") + bad, dir);
        EXPECT_EQ(r.code, 2) << bad;
        EXPECT_NE(r.err.find("give at least 1 thread"), std::string::npos) << r.err;
    }
}

}  // namespace
