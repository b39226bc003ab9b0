#include <gtest/gtest.h>

#include "cli_support.h"

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class Cli : public CliTest {};

}  // namespace

TEST_F(Cli, RunWritesOneScreenPerStep) {
    const Result r = skywave(
        "run --grain 3 --start-date 3/5 --start-time 10:00 --stop-time 12:00 -o x.mof", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(line_count("x.mof"), 3 * 56);
    EXPECT_NE(r.err.find("MOF.DAT"), std::string::npos) << "a missing MOF.DAT is noted";
}

TEST_F(Cli, DefaultRunWritesTodaysDayToDefaultMof) {
    const Result r = skywave("run --no-mof-dat", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(line_count("default.mof"), 24 * 111);
    EXPECT_EQ(r.out, "") << "standard output may be the prediction itself";
    EXPECT_EQ(r.err, "default.mof: 24 screens, grain 2 (24x40)\n");
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
    EXPECT_NE(r.err.find("SOLAR DATA ERROR!: Solar Data not readable."), std::string::npos)
        << r.err;
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

TEST_F(Cli, ConstantsFilesCarryTheSettingsIntoARun) {
    Result r = skywave("consts write c.dat --no-mof-dat", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(line_count("c.dat"), 185);
    {
        std::ofstream out(dir / "g3.dat");
        out << "  0  11        3.000000        2.000000   0   0 display_grain\n"
               "  0   1        1.000000       23.000000   0   0 stop_time\n";
    }
    r = skywave("run --no-mof-dat --consts g3.dat --start-date 6/21 -o g3.mof", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(line_count("g3.mof"), 2 * 56) << "grain 3, times 0 and 1 from the constants file";
    r = skywave("run --no-mof-dat --consts missing.dat", dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR OPENING INPUT: missing.dat"), std::string::npos) << r.err;
    EXPECT_EQ(skywave("consts write", dir).code, 2) << "the file name is required";
}

TEST_F(Cli, MofDatInTheWorkingDirectoryIsRead) {
    {
        std::ofstream out(dir / "MOF.DAT");
        out << "  0  11        1.000000        2.000000   0   0 display_grain\n"
               "  0   1        0.000000       23.000000   0   0 stop_time\n"
               "this line is rejected\n";
    }
    const Result r = skywave("run -o one.mof", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(line_count("one.mof"), 176);
    EXPECT_NE(r.err.find("ERROR READING CONSTANTS"), std::string::npos);
}
