// Signals, failed allocations and threads, and texts that say what went wrong: child
// processes stopped at chosen points.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "cli_support.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// `skywave args` started in dir, its output in .stdout and .stderr.
class Child {
public:
    Child(const std::string& args, const fs::path& dir) {
        const std::string cmd = "cd '" + dir.string() + "' && exec " SKYWAVE_EXE " " + args +
                                " >.stdout 2>.stderr </dev/null";
        const char* argv[] = {"/bin/sh", "-c", cmd.c_str(), nullptr};
        if (posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ))
            pid_ = -1;
    }
    ~Child() {
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            wait();
        }
    }
    void signal(int sig) const { ::kill(pid_, sig); }
    // The exit code, or 128 + the signal that ended it.
    int wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    bool waited_ = false;
};

// Waits up to a minute for the condition.
bool wait_for(const std::function<bool()>& condition) {
    for (int i = 0; i < 12000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

bool has_run_folder(const fs::path& dir) {
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind(".skywave-runs-", 0) == 0) return true;
    return false;
}

class CliSignals : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        fs::create_directory(dir / "obs");
        for (const char* flux : {"90", "150", "220"})
            ASSERT_EQ(skywave(std::string("run --no-mof-dat --grain 3 --start-date 3/5 --flux ") +
                                  flux + " -o obs/f" + flux + ".prp",
                              dir)
                          .code,
                      0);
        // Marks for a diddle that takes a while.
        ASSERT_EQ(skywave("consts write --no-mof-dat m.dat", dir).code, 0);
        ASSERT_EQ(std::system(("cd '" + dir.string() +
                               "' && awk '$7 ~ /^(fe_3|m9_1|g2_7|clof_3|sex_2|x_1)$/ {$6 = 1} "
                               "{print}' m.dat > marks.dat")
                                  .c_str()),
                  0);
    }
};

TEST_F(CliSignals, TermAndHupStopLikeStopAndKeepWholeScreensAndClosingLines) {
    {
        Child run("run --no-mof-dat --grain 1 --start-date 3/1 --stop-date 3/28 -o long.mof", dir);
        ASSERT_TRUE(wait_for([&] { return exists("long.mof") && line_count("long.mof") > 176; }));
        run.signal(SIGTERM);
        EXPECT_EQ(run.wait(), 143);
        const int lines = line_count("long.mof");
        EXPECT_EQ(lines % 176, 0) << "whole screens only";
        EXPECT_LT(lines, 28 * 24 * 176) << "the run stopped";
        EXPECT_NE(read(".stderr").find("holds the completed screens"), std::string::npos);
    }
    {
        Child diddle("diddle obs/f150.prp --no-mof-dat --consts marks.dat -j 2 -o r.did", dir);
        ASSERT_TRUE(wait_for([&] { return read("r.did").find("START = ") != std::string::npos; }));
        diddle.signal(SIGHUP);
        EXPECT_EQ(diddle.wait(), 129);
        EXPECT_NE(read("r.did").find("ELAPSED TIME:"), std::string::npos) << "closing lines";
        EXPECT_FALSE(has_run_folder(dir)) << "temporaries removed";
    }
}

TEST_F(CliSignals, AClosedPipeStopsCleanly) {
    const std::string cmd = "cd '" + dir.string() +
                            "' && bash -c '" SKYWAVE_EXE
                            " score-multi obs --no-mof-dat -j 1 2>.stderr | head -c 1 >/dev/null; "
                            "exit ${PIPESTATUS[0]}'";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 141) << read(".stderr");
    EXPECT_FALSE(has_run_folder(dir));
}

TEST_F(CliSignals, AFileSizeLimitIsAWriteError) {
    write("c.dat", "old\n");
    const std::string cmd = "cd '" + dir.string() +
                            "' && ulimit -f 20 && " SKYWAVE_EXE
                            " run --no-mof-dat --grain 3 --start-date 3/5 --stop-date 3/9 -o "
                            "big.mof 2>.stderr; echo $? >.code; ulimit -f 1 && " SKYWAVE_EXE
                            " consts write --no-mof-dat c.dat 2>>.stderr; echo $? >>.code";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(read(".code"), "1\n1\n") << read(".stderr");
    EXPECT_NE(read(".stderr").find("ERROR WRITING OUTPUT"), std::string::npos);
    EXPECT_GT(line_count("big.mof"), 0);
    EXPECT_EQ(line_count("big.mof") % 56, 0) << "cut back to whole screens";
    EXPECT_EQ(read("c.dat"), "old\n");
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().rfind(".skywave-", 0), std::string::npos)
            << "no temporary left: " << e.path();
}

TEST_F(CliSignals, AKilledSweepsFolderIsRemovedByTheNext) {
    {
        Child diddle("diddle obs/f150.prp --no-mof-dat --consts marks.dat -j 2 -o r.did", dir);
        ASSERT_TRUE(wait_for([&] { return read("r.did").find("START = ") != std::string::npos; }));
        diddle.signal(SIGKILL);
        EXPECT_EQ(diddle.wait(), 128 + SIGKILL);
    }
    ASSERT_TRUE(has_run_folder(dir));
    EXPECT_EQ(skywave("score-multi obs --no-mof-dat -j 2 -o m.txt", dir).code, 0);
    EXPECT_FALSE(has_run_folder(dir));
}

TEST_F(CliSignals, NoAllocationOrThreadFailureCrashes) {
#ifdef SKYWAVE_SANITIZED
    GTEST_SKIP() << "address-space limits cannot be tried under AddressSanitizer";
#else
    // From too little for a thread's stack to enough for everything: whatever fails is
    // said, and ends the command with 1, never with a signal.
    for (int kb = 12000; kb <= 40000; kb += 4000) {
        const std::string limit = "ulimit -v " + std::to_string(kb) + " && ";
        for (const char* args : {"diddle obs/f150.prp --no-mof-dat --consts marks.dat -j 2",
                                 "score-multi obs --no-mof-dat -j 2"}) {
            const std::string cmd = "cd '" + dir.string() + "' && " + limit + SKYWAVE_EXE " " +
                                    args + " >/dev/null 2>.stderr";
            const int status = std::system(cmd.c_str());
            ASSERT_TRUE(WIFEXITED(status)) << kb << " " << args;
            const int code = WEXITSTATUS(status);
            EXPECT_TRUE(code == 0 || code == 1) << kb << " " << args << ": " << code;
            if (code == 1) {
                EXPECT_NE(read(".stderr").find("MEMORY ERROR!"), std::string::npos);
            }
        }
    }
    EXPECT_FALSE(has_run_folder(dir));
#endif
    // More threads than tasks start no more threads than tasks.
    const Result many = skywave("score-multi obs --no-mof-dat -j 50000", dir);
    EXPECT_EQ(many.code, 0) << many.err;
    EXPECT_EQ(many.out, skywave("score-multi obs --no-mof-dat -j 1", dir).out);
    EXPECT_FALSE(has_run_folder(dir));
}

TEST_F(CliSignals, TextsSayWhatWentWrong) {
    Result r = skywave("run --no-mof-dat --grain 3 --start-date 3/5 -o nosuch/x.mof", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("nosuch/x.mof: Can't open\n  cannot create a file in nosuch"),
              std::string::npos)
        << r.err;
    r = skywave("render missing.mof -o x.png", dir);
    EXPECT_NE(r.err.find("ERROR: Can't open the file\n  missing.mof: No such file or directory"),
              std::string::npos)
        << r.err;
    write("k.log",
          "START-OF-LOG: 3.0\nGRID-LOCATOR: FN42\n"
          "QSO: 14025 CW 2024-11-23 0000 K1ABC 599 05 G3ABC 599 14\n");
    r = skywave(
        "contest-data k.log --no-mof-dat --cty obs --flux 100 --a-index 5 --k-index 2 -o x.prp",
        dir);
    EXPECT_NE(r.err.find("obs is a folder, not a prefix table"), std::string::npos) << r.err;
    r = skywave("render obs/f90.prp --screen 0 -o x.png", dir);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("screens count from 1"), std::string::npos) << r.err;
    for (const char* args :
         {"render obs/f90.prp --screen 0 -o x.png", "score-multi obs -j 0", "array mof --step -1"})
        EXPECT_EQ(skywave(args, dir).err.find("not in range"), std::string::npos) << args;
    r = skywave("rnu", dir);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "no command 'rnu'; did you mean 'run'?\n");
    // A command named first is set up alone: each still answers, and help without one
    // lists them all.
    r = skywave("--help", dir);
    EXPECT_EQ(r.code, 0);
    for (const char* command : {"run", "consts", "score", "score-multi", "diddle", "render",
                                "array", "contest-data", "point", "accuracy", "tune"}) {
        EXPECT_NE(r.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
        const Result help = skywave(std::string(command) + " --help", dir);
        EXPECT_EQ(help.code, 0) << command;
        EXPECT_NE(help.out.find(std::string("skywave ") + command), std::string::npos) << help.out;
    }
}

}  // namespace
