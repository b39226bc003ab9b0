// Outputs that cannot be written and inputs that cannot be read, as a user meets them.
#include <gtest/gtest.h>

#include "cli_support.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class CliFaults : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        ASSERT_EQ(skywave("run --no-mof-dat --grain 3 --start-date 3/5 --start-time 1:00 "
                          "--stop-time 2:00 -o p.mof",
                          dir)
                      .code,
                  0);
    }
    bool is_char_device(const char* path) {
        struct stat st;
        return stat(path, &st) == 0 && S_ISCHR(st.st_mode);
    }
};

}  // namespace

TEST_F(CliFaults, OutputsThatCannotBeWrittenFailCleanly) {
    // A folder where no file can be created, even by root.
    Result r = skywave("run --no-mof-dat --grain 3 -o /proc/skywave.mof", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't open"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << "nothing is reported done";

    r = skywave("run --no-mof-dat --grain 3 -o /dev/full", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR WRITING OUTPUT"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    r = skywave("consts write /dev/full --no-mof-dat", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR WRITING OUTPUT"), std::string::npos) << r.err;
    EXPECT_TRUE(is_char_device("/dev/full")) << "the device is written, never replaced";

    r = skywave("consts write /proc/skywave.dat --no-mof-dat", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR OPENING OUTPUT"), std::string::npos) << r.err;

    r = skywave("score p.mof p.mof -o /dev/full", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR WRITING OUTPUT"), std::string::npos) << r.err;

    r = skywave("render p.mof -o /dev/full", dir);
    EXPECT_EQ(r.code, 1);
    r = skywave("render p.mof -o /proc/skywave.png", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR WRITING OUTPUT"), std::string::npos) << r.err;

    r = skywave("array mof --no-mof-dat --grain 3 --start-date 3/5 -o /dev/full", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR WRITING OUTPUT"), std::string::npos) << r.err;
    EXPECT_TRUE(is_char_device("/dev/full")) << "no failed command removes the device it wrote to";
}

TEST_F(CliFaults, InputsThatAreNotFilesAreNamed) {
    std::filesystem::create_directory(dir / "x.prp");
    Result r = skywave("score p.mof x.prp", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't open second file for comparison"), std::string::npos) << r.err;
    r = skywave("render x.prp -o a.png", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't read the file grain"), std::string::npos) << r.err;
    r = skywave("run --no-mof-dat --consts x.prp", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR OPENING INPUT"), std::string::npos) << r.err;
    // A folder named like a contest file is no contest file.
    r = skywave("score-multi . --no-mof-dat --grain 3", dir);
    EXPECT_EQ(r.code, 1) << "nothing could be scored";
    EXPECT_EQ(r.out.find("x.prp"), std::string::npos);
}

TEST_F(CliFaults, AnUnreadableContestFileIsReportedAndTheOthersScored) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads files without read permission";
    std::filesystem::copy_file(dir / "p.mof", dir / "a.prp");
    std::filesystem::copy_file(dir / "p.mof", dir / "b.prp");
    std::filesystem::permissions(dir / "a.prp", std::filesystem::perms::none);
    const Result r = skywave("score-multi . --no-mof-dat", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("Can't open file for comparison"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("b.prp"), std::string::npos);
}

TEST_F(CliFaults, NumbersOutOfAnyRangeAreRefused) {
    for (const char* flags :
         {"--flux 1e9", "--flux abc", "--a-index -1", "--k-index 99999999999999999999",
          "--grain 2.5", "--lat 91N", "--lat 42:61N", "--lon 10:00:00Q", "--lat -42N",
          "--start-date 13/1", "--start-date 3/32", "--start-date x", "--step-time 0:-5",
          "--start-time 25:00", "--stop-time 12:00 --start-time 13:00"}) {
        const Result r = skywave(std::string("run --no-mof-dat -o never.mof ") + flags, dir);
        EXPECT_EQ(r.code, 1) << flags;
        EXPECT_NE(r.err.find(" not readable."), std::string::npos) << flags << ": " << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "never.mof")) << flags;
    }
}
