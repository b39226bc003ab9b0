#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/constants_file.h"
#include "model/constants.h"
#include "model/grid.h"
#include "test_support.h"

using namespace skywave;

namespace {

using test::read_file;
using test::write_file;

}  // namespace

TEST(ConstantsFile, LinesAreWrittenInTableOrderInShownUnits) {
    test::TempDir dir;
    Model m;
    init_consts(m.consts);
    MessageLog log;
    ASSERT_TRUE(WriteConsts(m, dir.file("c.dat"), log));
    std::istringstream text(read_file(dir.file("c.dat")));
    std::vector<std::string> lines;
    for (std::string l; std::getline(text, l);)
        lines.push_back(l);
    ASSERT_EQ(lines.size(), 185u);
    EXPECT_EQ(lines[4], "  0   4      200.000000      200.000000   3   0 sf_index");
    EXPECT_EQ(lines[9], "  0   9       42.499999       42.499999   0   0 rlat");
    EXPECT_EQ(lines[172], " 16   0       -0.200000       -0.200000   0   0 neg_limit");
    EXPECT_EQ(lines[184].substr(lines[184].size() - 13), "diddle_thresh");
    EXPECT_TRUE(log.entries.empty());
}

TEST(ConstantsFile, WriteThenReadRestoresValuesAndFlags) {
    test::TempDir dir;
    Model a;
    init_consts(a.consts);
    for (int i = 0; i < kConstCount; ++i) {
        a.consts.*const_table[i].val = float(i) * 0.37f - 20;
        a.diddle_flag[i] = std::int8_t(i % 3);
    }
    MessageLog log;
    ASSERT_TRUE(WriteConsts(a, dir.file("c.dat"), log));
    Model b;
    init_consts(b.consts);
    ASSERT_TRUE(ReadConsts(b, dir.file("c.dat"), log));
    EXPECT_TRUE(log.entries.empty());
    for (int i = 0; i < kConstCount; ++i) {
        const const_desc& d = const_table[i];
        const float shown = shown_value(a.consts, d);
        // six decimals, or the float's own precision where that is coarser
        EXPECT_NEAR(shown_value(b.consts, d), shown, std::max(1e-6, std::fabs(shown) * 3e-7))
            << d.name;
        EXPECT_EQ(b.diddle_flag[i], a.diddle_flag[i]) << d.name;
    }
}

TEST(ConstantsFile, ReadingTakesValueAndFlagAndIgnoresDefaultAndClass) {
    test::TempDir dir;
    Model m;
    init_consts(m.consts);
    write_file(dir.file("c.dat"),
               "  0   9       42.500000       10.000000   4   1 rlat\n"
               "  0   4      150.000000      200.000000   3   0 sf_index\n"
               "  0   4      160.000000      200.000000   3   0 sf_index\n");
    MessageLog log;
    ASSERT_TRUE(ReadConsts(m, dir.file("c.dat"), log));
    EXPECT_TRUE(log.entries.empty());
    EXPECT_FLOAT_EQ(m.consts.rlat, 0.7417649f);
    EXPECT_EQ(m.diddle_flag[flat_index(0, 9)], 1);
    EXPECT_EQ(m.consts.sf_index, 160.0f) << "the last line wins";
}

TEST(ConstantsFile, LinesThatDoNotMatchAreReportedOneByOne) {
    test::TempDir dir;
    Model m;
    init_consts(m.consts);
    write_file(dir.file("c.dat"),
               "  0   9       42.500000       42.500000   0   0 rlon\n"
               " 17   0        1.000000        1.000000   0   0 x\n"
               "  0  14        1.000000        1.000000   0   0 lp_flag\n"
               "\n"
               "# a comment\n"
               "  0   4      nan      200.000000   3   0 sf_index\n"
               "  0   4      1e999    200.000000   3   0 sf_index\n"
               "  0   4      150   200   3   0\n"
               "  0   4      150   200   3   0 sf_index extra\n"
               "  0   6        3.000000        0.000000   3   0 k_index\r\n");
    MessageLog log;
    ASSERT_TRUE(ReadConsts(m, dir.file("c.dat"), log));
    ASSERT_EQ(log.entries.size(), 8u) << "blank lines are skipped silently";
    EXPECT_EQ(log.entries[0].text, "   group= 0  cons= 9  name= 'rlon'");
    EXPECT_EQ(log.entries[0].caption, "ERROR READING CONSTANTS");
    EXPECT_EQ(log.entries[1].text, "   group= 17  cons= 0  name= 'x'");
    EXPECT_EQ(log.entries[2].text, "   group= 0  cons= 14  name= 'lp_flag'");
    EXPECT_EQ(log.entries[3].text, "   group= 0  cons= 0  name= ''");
    EXPECT_EQ(log.entries[4].text, "   group= 0  cons= 4  name= 'sf_index'");
    EXPECT_EQ(log.entries[6].text, "   group= 0  cons= 4  name= ''");
    EXPECT_FLOAT_EQ(m.consts.rlat, 0.7417649f);
    EXPECT_FLOAT_EQ(m.consts.rlon, 1.27409f);
    EXPECT_EQ(m.consts.sf_index, 200.0f) << "no rejected line changes anything";
    EXPECT_EQ(m.consts.k_index, 3.0f) << "CR LF line ends read like LF";
}

TEST(ConstantsFile, MissingFilesAreReported) {
    test::TempDir dir;
    Model m;
    init_consts(m.consts);
    MessageLog log;
    EXPECT_FALSE(ReadConsts(m, dir.file("none.dat"), log));
    EXPECT_FALSE(ReadConsts(m, dir.path().string(), log)) << "a folder is no constants file";
    EXPECT_FALSE(WriteConsts(m, dir.file("no/such/dir/c.dat"), log));
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[0].caption, "ERROR OPENING INPUT");
    EXPECT_EQ(log.entries[0].text, dir.file("none.dat"));
    EXPECT_EQ(log.entries[1].caption, "ERROR OPENING INPUT");
    EXPECT_EQ(log.entries[2].caption, "ERROR OPENING OUTPUT");
}

TEST(ConstantsFile, AWriteThatFailsHalfwayLeavesTheOldFileIntact) {
    test::TempDir dir;
    const std::string name = dir.file("c.dat");
    write_file(name, "old\n");
    Model m;
    init_consts(m.consts);
    MessageLog log;
    // A file size limit makes the write stop after 1000 bytes, as a full disk would.
    rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    const auto old_handler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_limit;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = WriteConsts(m, name, log);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(read_file(name), "old\n");
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].caption, "ERROR WRITING OUTPUT");
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1) << "the partial new file is gone";
}

TEST(ConstantsFile, ReplacingKeepsNoTemporaryFilesAndThePermissions) {
    test::TempDir dir;
    const std::string name = dir.file("c.dat");
    write_file(name, "old\n");
    chmod(name.c_str(), 0640);
    Model m;
    init_consts(m.consts);
    MessageLog log;
    ASSERT_TRUE(WriteConsts(m, name, log));
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
    struct stat st;
    ASSERT_EQ(stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    const std::string text = read_file(name);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 185);
}

TEST(ConstantsFile, FirstUseReadsMofDatOnceAndSetsTheGrid) {
    test::TempDir dir;
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    write_file("MOF.DAT", "  0  11        3.000000        2.000000   0   0 display_grain\n");
    Model m;
    MessageLog log;
    first_use_init(m, log);
    EXPECT_EQ(m.consts.display_grain, 3.0f);
    EXPECT_EQ(m.grid.n_rows, 13);
    write_file("MOF.DAT", "  0  11        1.000000        2.000000   0   0 display_grain\n");
    m.consts.sf_index = 99;
    first_use_init(m, log);
    EXPECT_EQ(m.consts.display_grain, 3.0f) << "done once only";
    EXPECT_EQ(m.consts.sf_index, 99.0f);
    std::filesystem::current_path(old);
    EXPECT_TRUE(log.entries.empty());
    EXPECT_EQ(ChangeConsts(m), 0);
}
