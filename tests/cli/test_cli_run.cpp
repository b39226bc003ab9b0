#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
    int code;
    std::string out, err;
};

// Runs skywave with the arguments in dir (stdin closed) and returns what it did.
Result skywave(const std::string& args, const std::filesystem::path& dir) {
    const std::string out = (dir / ".stdout").string(), err = (dir / ".stderr").string();
    const std::string cmd =
        "cd '" + dir.string() + "' && " SKYWAVE_EXE " " + args + " >" + out + " 2>" + err + " </dev/null";
    const int status = std::system(cmd.c_str());
    const auto slurp = [](const std::string& f) {
        std::ifstream in(f);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/skywave-cli-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    int line_count(const std::string& name) {
        std::ifstream in(dir / name);
        int n = 0;
        for (std::string l; std::getline(in, l);) ++n;
        return n;
    }
    std::filesystem::path dir;
};

}  // namespace

TEST_F(Cli, RunWritesOneScreenPerStep) {
    const Result r = skywave("run --grain 3 --start-date 3/5 --start-time 10:00 --stop-time 12:00 -o x.mof", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(line_count("x.mof"), 3 * 56);
    EXPECT_NE(r.err.find("MOF.DAT"), std::string::npos) << "a missing MOF.DAT is noted";
}

TEST_F(Cli, DefaultRunWritesTodaysDayToDefaultMof) {
    const Result r = skywave("run --no-mof-dat", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(line_count("default.mof"), 24 * 111);
    EXPECT_EQ(r.err, "");
}

TEST_F(Cli, UnknownFlagsAreUsageErrors) {
    const Result r = skywave("run --frobnicate 3", dir);
    EXPECT_EQ(r.code, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "default.mof"));
    EXPECT_EQ(skywave("", dir).code, 2);
    EXPECT_EQ(skywave("run --help", dir).code, 0);
}

TEST_F(Cli, RefusedSettingsWriteNothing) {
    Result r = skywave("run --no-mof-dat --lat 91N", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("QTH ERROR!: QTH not readable."), std::string::npos) << r.err;
    r = skywave("run --no-mof-dat --flux 49", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("SOLAR DATA ERROR!: Solar Data not readable."), std::string::npos) << r.err;
    r = skywave("run --no-mof-dat --start-date 3/1 --stop-date 3/9 --step-date 0/0", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Need date step."), std::string::npos);
    EXPECT_NE(r.err.find("DATE not readable."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "default.mof"));
}

TEST_F(Cli, AnOutputThatCannotBeWrittenFails) {
    Result r = skywave("run --no-mof-dat --grain 3 -o /dev/full", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR WRITING OUTPUT"), std::string::npos) << r.err;
    r = skywave("run --no-mof-dat --grain 3 -o missing/x.mof", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't open"), std::string::npos) << r.err;
}
