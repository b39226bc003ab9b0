#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/messages.h"
#include "observations/gfz_indices.h"
#include "realdata.h"
#include "test_support.h"

using namespace skywave;

namespace {

// A data line of the file's layout with made-up values.
std::string day_line(int y, int m, int d, const float (&kp)[8], int ap, double flux) {
    char text[256];
    std::snprintf(
        text, sizeof text,
        "%4d %02d %02d 33238 33238.5 2583 11 %6.3f %6.3f %6.3f %6.3f %6.3f %6.3f %6.3f %6.3f"
        "    9   15    7   12    6   12   22   27  %4d 108 %8.1f %8.1f 2\n",
        y, m, d, double(kp[0]), double(kp[1]), double(kp[2]), double(kp[3]), double(kp[4]),
        double(kp[5]), double(kp[6]), double(kp[7]), ap, flux, flux);
    return text;
}

const float kQuiet[8] = {1.000f, 1.333f, 2.000f, 2.667f,
                         3.000f, 2.333f, 1.667f, 1.000f};  // mean 1.875
const float kStorm[8] = {5.000f, 6.333f, 7.000f, -1.000f,
                         8.000f, 6.667f, 5.000f, 4.000f};  // mean 6
const float kNoKp[8] = {-1, -1, -1, -1, -1, -1, -1, -1};

class Gfz : public ::testing::Test {
protected:
    std::optional<GfzIndices> read(const std::string& body) {
        const std::string file = dir.file("gfz.txt");
        std::ofstream(file, std::ios::binary) << "# comment\n#YYY MM DD ...\n" << body;
        return GfzIndices::read(file, log);
    }
    test::TempDir dir;
    MessageLog log;
};

}  // namespace

TEST_F(Gfz, DailyValuesAndTheMeanOfTheKpValuesPresent) {
    const std::optional<GfzIndices> t =
        read(day_line(2024, 8, 10, kQuiet, 12, 150.2) + day_line(2024, 8, 11, kStorm, 111, 201.0));
    ASSERT_TRUE(t) << log.entries.at(0).text;
    const DailyIndices* d = t->find({2024, 8, 10});
    ASSERT_TRUE(d);
    EXPECT_FLOAT_EQ(d->flux, 150.2f);
    EXPECT_FLOAT_EQ(d->ap, 12);
    EXPECT_NEAR(*d->daily_k(), 1.875, 1e-6);
    EXPECT_NEAR(*t->find({2024, 8, 11})->daily_k(), 6.0, 1e-6);  // the missing Kp left out
    EXPECT_FALSE(t->find({2024, 8, 12}));
    EXPECT_FALSE(DailyIndices{}.daily_k());
}

TEST_F(Gfz, RunIndicesAreRoundedMeansOverTheDatesThatHaveThem) {
    const std::optional<GfzIndices> t =
        read(day_line(2024, 8, 10, kQuiet, 12, 150.2) + day_line(2024, 8, 11, kStorm, 13, -1.0) +
             day_line(2024, 8, 12, kNoKp, -1, 160.0));
    ASSERT_TRUE(t);
    RunIndices r = mean_indices(*t, {{2024, 8, 10}, {2024, 8, 11}, {2024, 8, 12}, {2024, 8, 13}});
    EXPECT_EQ(r.flux, 155);  // (150.2 + 160) / 2, the missing flux and date left out
    EXPECT_EQ(r.flux_days, 2);
    EXPECT_EQ(r.a_index, 13);  // 12.5 rounds up
    EXPECT_EQ(r.a_days, 2);
    EXPECT_EQ(r.k_index, 4);  // (1.875 + 6) / 2 = 3.94
    EXPECT_EQ(r.k_days, 2);
    EXPECT_FALSE(missing_index(r));

    r = mean_indices(*t, {{2024, 8, 10}});
    EXPECT_EQ(r.flux, 150);
    EXPECT_EQ(r.k_index, 2);  // 1.875

    r = mean_indices(*t, {{2024, 8, 12}});
    EXPECT_EQ(r.flux, 160);
    EXPECT_FALSE(r.a_index);
    EXPECT_FALSE(r.k_index);
    EXPECT_EQ(*missing_index(r), "A index (Ap)");
    EXPECT_EQ(*missing_index(mean_indices(*t, {{2023, 8, 10}})), "flux (F10.7obs)");
}

TEST_F(Gfz, YearsThatHoldADate) {
    const std::optional<GfzIndices> t =
        read(day_line(2025, 5, 24, kQuiet, 5, 130) + day_line(2023, 5, 24, kQuiet, 5, 130) +
             day_line(2024, 5, 25, kQuiet, 5, 130));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->years_with(5, 24), (std::vector<int>{2023, 2025}));
    EXPECT_TRUE(t->years_with(2, 29).empty());
}

TEST_F(Gfz, LinesOfAnotherKindAreRefusedWithTheirNumber) {
    EXPECT_FALSE(
        read(day_line(2024, 8, 10, kQuiet, 12, 150.2) + "2024 08 11 33239 33239.5 2583\n"));
    ASSERT_FALSE(log.entries.empty());
    EXPECT_NE(log.entries.back().text.find("gfz.txt:4:"), std::string::npos)
        << log.entries.back().text;
    EXPECT_EQ(log.entries.back().caption, "INDICES ERROR!");
    std::string bad_date = day_line(2024, 2, 30, kQuiet, 12, 150.2);
    EXPECT_FALSE(read(bad_date));
    EXPECT_NE(log.entries.back().text.find("gfz.txt:3:"), std::string::npos);
    EXPECT_FALSE(GfzIndices::read(dir.file("absent.txt"), log));
}

TEST(GfzRealFile, TheSharedFileCoversTheLogsDates) {
    const std::optional<std::filesystem::path> real = test::realdata_dir();
    if (!real) GTEST_SKIP() << "no shared/realdata beside the repository";
    MessageLog log;
    const std::optional<GfzIndices> t =
        GfzIndices::read((*real / "gfz-Kp_ap_Ap_SN_F107-2023-2025.txt").string(), log);
    ASSERT_TRUE(t);
    // One line per UT day from 2023-01-01 to 2026-01-07; F10.7 is missing on three days.
    EXPECT_TRUE(t->find({2023, 1, 1}));
    EXPECT_TRUE(t->find({2026, 1, 7}));
    EXPECT_FALSE(t->find({2026, 1, 8}));
    EXPECT_LT(t->find({2024, 8, 26})->flux, 0);
    EXPECT_GE(t->find({2024, 8, 25})->flux, 0);
    // The great storm of 2024-05-11: Ap 271, Kp 9 at its height.
    EXPECT_FLOAT_EQ(t->find({2024, 5, 11})->ap, 271);
    EXPECT_GT(*t->find({2024, 5, 11})->daily_k(), 7);
}
