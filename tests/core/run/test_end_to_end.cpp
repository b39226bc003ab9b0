#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <regex>
#include <vector>

#include "base/messages.h"
#include "base/numbers.h"
#include "files/prediction_file.h"
#include "model/constants.h"
#include "model/model.h"
#include "run/driver.h"
#include "test_support.h"

using namespace skywave;

namespace {

using test::file_lines;

bool only_of(const std::string& line, const std::string& alphabet) {
    return line.find_first_not_of(alphabet) == std::string::npos;
}

}  // namespace

// A whole run, from the settings to the file, judged by the file's structure.
TEST(EndToEnd, SmallRunWritesWellFormedScreens) {
    test::TempDir dir;
    Model m;
    Constants& k = m.consts;
    init_consts(k);
    k.display_grain = 3;
    k.sf_index = 150;
    k.a_index = 7;
    k.k_index = 2;
    k.start_time = 10;
    k.stop_time = 13;
    k.step_time = 1.5f;
    m.dates = {5, 3, 6, 3, 1, 1};  // 5 and 6 March
    const std::string file = dir.file("run.mof");

    MessageLog log;
    ASSERT_TRUE(InitCalc(m, log));
    RunHooks hooks;
    EXPECT_EQ(MainCalcs(m, file, hooks, log), RunOutcome::completed);
    EXPECT_TRUE(log.entries.empty());
    const Grid grid = m.grid;
    EndCalc(m);

    // Two dates of three steps (10, 11.5 and 13 h), each a header and 5 lines per
    // written row.
    const int n_cols = grid.n_cols, out_rows = grid.out_rows;
    ASSERT_EQ(n_cols, 20);
    ASSERT_EQ(out_rows, 11);
    const int per_screen = 1 + 5 * out_rows;
    const std::vector<std::string> lines = file_lines(file);
    ASSERT_EQ(lines.size(), std::size_t(6 * per_screen));

    // The row that holds the QTH: its terminator line carries the one "X".
    int qth_row = -1;
    for (int r = 1; r <= out_rows; ++r)
        if (std::fabs(double(k.rlat) - grid.row_lat(r)) <= grid.lat_step * 0.5) qth_row = r;
    ASSERT_GT(qth_row, 0);

    const std::regex header(
        R"([ \d]\d [ \d]\d [ \d]\d\.\d\d [ \d]{2}\d [ \d]{2}\d [ \d]{2}\d +-?\d+\.\d +-?\d+\.\d  )");
    const char* times[] = {"10.00", "11.50", "13.00"};
    bool any_symbol = false;
    for (int s = 0; s < 6; ++s) {
        const int first = s * per_screen;
        const std::string& head = lines[first];
        EXPECT_TRUE(std::regex_match(head, header)) << "[" << head << "]";
        EXPECT_NE(head.find('.'), std::string::npos);
        EXPECT_EQ(head.substr(0, 5), s < 3 ? " 3  5" : " 3  6");
        EXPECT_EQ(head.substr(6, 5), times[s % 3]);
        int x_marks = 0;
        for (int r = 1; r <= out_rows; ++r) {
            for (int i = 0; i < 5; ++i) {
                const std::string& line = lines[first + 5 * (r - 1) + 1 + i];
                ASSERT_EQ(line.size(), std::size_t(n_cols)) << s << " " << r << " " << i;
                static const char* alphabets[] = {"123 ", "ABC ", "RSX ", "123 ", "ABC "};
                EXPECT_TRUE(only_of(line, alphabets[i])) << "[" << line << "]";
                if (i != 2 && line != std::string(n_cols, ' ')) any_symbol = true;
                if (i == 2) {
                    const int x = int(std::count(line.begin(), line.end(), 'X'));
                    x_marks += x;
                    if (r == qth_row) {
                        EXPECT_EQ(x, 1);
                    }
                }
            }
        }
        EXPECT_EQ(x_marks, 1) << "screen " << s;
    }
    EXPECT_TRUE(any_symbol) << "a daytime run predicts some propagation";
    EXPECT_EQ(detect_grain(file), 3);
}
