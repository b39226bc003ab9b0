// Nothing a user has is lost: an output that is an input is refused, a second writer is
// refused, inputs are read once (pipes, FIFOs, standard input), and a sweep that scored
// nothing fails.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli_support.h"

namespace fs = std::filesystem;

namespace {

// Runs a shell script in dir with $S standing for the program.
Result shell(const std::string& script, const fs::path& dir) {
    const std::string cmd = "cd '" + dir.string() + "' && S=" SKYWAVE_EXE " && { " + script +
                            "; } >.stdout 2>.stderr </dev/null";
    const int status = std::system(cmd.c_str());
    const auto slurp = [&](const char* name) {
        std::ifstream in(dir / name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(".stdout"), slurp(".stderr")};
}

class CliOutputs : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        fs::create_directory(dir / "obs");
        // A prediction and, standing for observations, another one as a contest file.
        ASSERT_EQ(
            skywave("run --no-mof-dat --grain 3 --start-date 3/5 --stop-time 3:00 -o p.mof", dir)
                .code,
            0);
        ASSERT_EQ(skywave("run --no-mof-dat --grain 3 --start-date 3/5 --stop-time 3:00 --flux 90 "
                          "-o obs/obs.prp",
                          dir)
                      .code,
                  0);
        ASSERT_EQ(skywave("consts write --no-mof-dat c.dat", dir).code, 0);
    }
};

TEST_F(CliOutputs, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten) {
    fs::create_symlink("obs/obs.prp", dir / "link.prp");
    fs::copy_file(dir / "obs/obs.prp", dir / "scratch.mof");
    const std::string obs = read("obs/obs.prp"), pred = read("p.mof"), consts = read("c.dat");
    const std::pair<const char*, const char*> cases[] = {
        {"score p.mof obs/obs.prp -o obs/obs.prp", "obs/obs.prp"},
        {"score p.mof obs/obs.prp -o link.prp", "obs/obs.prp"},
        {"diddle obs/obs.prp --no-mof-dat -o obs/obs.prp", "obs/obs.prp"},
        {"score-multi obs --no-mof-dat -o obs/obs.prp", "obs/obs.prp"},
        {"diddle scratch.mof --no-mof-dat", "scratch.mof"},  // the diddle's own scratch file
        {"contest-data p.mof --flux 100 --a-index 5 --k-index 2 -o p.mof", "p.mof"},
        {"run --no-mof-dat --consts c.dat -o c.dat", "c.dat"},
        {"array mof --no-mof-dat --consts c.dat -o c.dat", "c.dat"},
        {"render p.mof -o p.mof", "p.mof"},
    };
    for (const auto& [args, input] : cases) {
        const Result r = skywave(args, dir);
        EXPECT_EQ(r.code, 1) << args;
        EXPECT_NE(r.err.find("ERROR OPENING OUTPUT"), std::string::npos) << args << r.err;
        EXPECT_NE(r.err.find(input), std::string::npos) << args << r.err;
    }
    EXPECT_EQ(read("obs/obs.prp"), obs);
    EXPECT_EQ(read("scratch.mof"), obs);
    EXPECT_EQ(read("p.mof"), pred);
    EXPECT_EQ(read("c.dat"), consts);
    EXPECT_TRUE(fs::is_symlink(dir / "link.prp"));
    // A constants file read whole before anything is written may be rewritten.
    EXPECT_EQ(skywave("consts write --no-mof-dat --consts c.dat c.dat", dir).code, 0);
    EXPECT_EQ(line_count("c.dat"), 185);
}

TEST_F(CliOutputs, ASecondWriterIsRefusedAtOnce) {
    // The test is the first writer of x.mof.
    const int fd = ::open((dir / "x.mof").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "first\n", 6), 6);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    for (const char* args : {"run --no-mof-dat --grain 3 --start-date 3/5 -o x.mof",
                             "score p.mof obs/obs.prp -o x.mof", "consts write --no-mof-dat x.mof",
                             "render p.mof -o x.mof"}) {
        const Result r = skywave(args, dir);
        EXPECT_EQ(r.code, 1) << args;
        EXPECT_NE(r.err.find("x.mof is being written by another process"), std::string::npos)
            << args << r.err;
        EXPECT_EQ(read("x.mof"), "first\n") << args;
    }
    ::close(fd);
}

TEST_F(CliOutputs, InputsAreReadOnceSoPipesAndFifosWork) {
    const std::string expected = skywave("score p.mof obs/obs.prp", dir).out;
    const std::string body = expected.substr(expected.find('\n'));  // after "FILE 1=p.mof"
    Result r = shell("cat p.mof | $S score /dev/stdin obs/obs.prp", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "FILE 1=/dev/stdin" + body);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    r = shell("(cat p.mof >fifo &) && timeout 60 $S score fifo obs/obs.prp", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "FILE 1=fifo" + body);
    // The prediction on standard output is the file, with no summary in it.
    r = shell("$S run --no-mof-dat --grain 3 --start-date 3/5 --stop-time 3:00 -o /dev/stdout",
              dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, read("p.mof"));
    // A log on standard input reads like the file.
    write("k.log",
          "START-OF-LOG: 3.0\nCALLSIGN: K1ABC\nGRID-LOCATOR: FN42\n"
          "QSO: 14025 CW 2024-11-23 0000 K1ABC 599 05 K1ABC/FN31 599 05\n");
    const std::string flags = " --no-mof-dat --flux 100 --a-index 5 --k-index 2";
    r = shell("$S contest-data - -o a.prp" + flags + " < k.log", dir);
    const Result file = skywave("contest-data k.log -o b.prp" + flags, dir);
    EXPECT_EQ(r.code, file.code) << r.err;
    EXPECT_EQ(read("a.prp"), read("b.prp"));
}

TEST_F(CliOutputs, SweepsThatScoreNothingFailAndMonthEndsAreSaid) {
    write("bad/a.prp", "no header\n");
    Result r = skywave("score-multi bad --no-mof-dat -o r.txt", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(read("r.txt").find("a.prp          header not readable"), std::string::npos)
        << "the report is complete and says why";
    r = skywave("run --no-mof-dat --grain 3 --start-date 3/30 --stop-date 4/2 --stop-time 0:00",
                dir);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.err.find("dates are days 30\u20262 of months 3\u20264: 1 date"), std::string::npos)
        << r.err;
    r = skywave("run --no-mof-dat --grain 3 --start-date 3/5 --stop-date 3/9 --stop-time 0:00",
                dir);
    EXPECT_EQ(r.err.find("dates are"), std::string::npos) << r.err;
}

}  // namespace
