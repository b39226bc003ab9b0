#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

#include "base/numbers.h"
#include "files/prediction_file.h"
#include "model/model.h"
#include "test_support.h"

using namespace skywave;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// One symbol line of row p_lat_idx, without its line end (which must be there).
std::string line_of(Model& m, const Array2D& array, char type, int rise = -1, int set = -1) {
    std::string out = "prefix";
    make_line(m, array, type, rise, set, out);
    EXPECT_EQ(out.substr(0, 6), "prefix") << "appends";
    EXPECT_EQ(out.size(), 6u + m.grid.n_cols + 1);
    EXPECT_EQ(out.back(), '\n');
    return out.substr(6, m.grid.n_cols);
}

// The line whose character i shows the symbol of grid column n_cols - 1 - i.
std::string eastward(const std::string& by_column) {
    return std::string(by_column.rbegin(), by_column.rend());
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A model whose results are all blank (MOF 0, LOF 30), ready to write a screen.
void blank_results(Model& m) {
    ResultArrays& a = *m.arrays;
    for (int r = 0; r < m.grid.n_rows; ++r) {
        for (int c = 0; c < m.grid.n_cols; ++c) {
            a.mof[r][c] = a.longmof[r][c] = 0;
            a.lof[r][c] = a.longlof[r][c] = 30;
        }
    }
}

std::vector<std::string> screen_of(Model& m) {
    m.header_line = make_header_line(m);
    std::string out;
    write_screen(m, out);
    return split_lines(out);
}

// The terminator line of written row r (1 ... out_rows) of a screen.
const std::string& marker_line(const std::vector<std::string>& screen, int r) {
    return screen.at(1 + 5 * (r - 1) + 2);
}

}  // namespace

TEST(PredictionFile, SymbolLevels) {
    Model m;
    test::setup_model(m, 3);
    const std::pair<int, char> mof_levels[] = {{50, '3'}, {28, '3'}, {27, '2'}, {21, '2'},
                                               {20, '1'}, {14, '1'}, {13, ' '}, {0, ' '}};
    for (auto [v, s] : mof_levels) {
        EXPECT_EQ(mof_symbol(m, v, 'S'), s) << v;
        EXPECT_EQ(mof_symbol(m, v, 'L'), s == ' ' ? ' ' : char(s - '1' + 'A')) << v;
    }
    const std::pair<int, char> lof_levels[] = {{-3, '3'}, {1, '3'}, {2, '3'}, {3, '2'}, {4, '2'},
                                               {5, '1'},  {8, '1'}, {9, ' '}, {30, ' '}};
    for (auto [v, s] : lof_levels) {
        EXPECT_EQ(lof_symbol(m, v, 'S'), s) << v;
        EXPECT_EQ(lof_symbol(m, v, 'L'), s == ' ' ? ' ' : char(s - '1' + 'A')) << v;
    }
    // Anything but 'S' is the long path.
    EXPECT_EQ(mof_symbol(m, 30, 'x'), 'C');
    EXPECT_EQ(lof_symbol(m, 0, 0), 'C');
    // The thresholds are constants: at a red MOF of 27.5 a whole 27 is still green.
    m.consts.mof_red = 27.5f;
    EXPECT_EQ(mof_symbol(m, 27, 'S'), '2');
    EXPECT_EQ(mof_symbol(m, 28, 'S'), '3');
    m.consts.lof_blue = 8.5f;
    EXPECT_EQ(lof_symbol(m, 8, 'S'), '1');
    EXPECT_EQ(lof_symbol(m, 9, 'S'), ' ');
}

TEST(PredictionFile, SymbolLinesTruncateToWholeMegahertz) {
    Model m;
    test::setup_model(m, 3);
    ASSERT_EQ(m.grid.n_cols, 20);
    const int r = 4;
    m.p_lat_idx = r;
    m.p_lat = m.grid.row_lat(r);
    ResultArrays& a = *m.arrays;
    // Per grid column: the value and its short-path symbol. Values that are not finite
    // or too large for a whole number have no level.
    const std::pair<float, char> mof[20] = {
        {27.9f, '2'},  {28.0f, '3'}, {20.99f, '1'}, {14.0f, '1'}, {13.99f, ' '},
        {0, ' '},      {kNaN, ' '},  {kInf, ' '},   {-kInf, ' '}, {1e30f, ' '},
        {-1e30f, ' '}, {50, '3'},    {21.0f, '2'},  {0, ' '},     {0, ' '},
        {0, ' '},      {0, ' '},     {0, ' '},      {0, ' '},     {35, '3'}};
    const std::pair<float, char> lof[20] = {{2.9f, '3'},  {8.5f, '1'},   {9.0f, ' '}, {30, ' '},
                                            {4.9f, '2'},  {kNaN, ' '},   {kInf, ' '}, {-kInf, ' '},
                                            {1e30f, ' '}, {-1e30f, ' '}, {1.0f, '3'}, {50, ' '},
                                            {3.0f, '2'},  {30, ' '},     {30, ' '},   {30, ' '},
                                            {30, ' '},    {30, ' '},     {30, ' '},   {0.5f, '3'}};
    std::string mof_short, mof_long, lof_short, lof_long;
    const auto long_of = [](char s) { return s == ' ' ? ' ' : char(s - '1' + 'A'); };
    for (int c = 0; c < 20; ++c) {
        a.mof[r][c] = a.longmof[r][c] = mof[c].first;
        a.lof[r][c] = a.longlof[r][c] = lof[c].first;
        mof_short += mof[c].second;
        mof_long += long_of(mof[c].second);
        lof_short += lof[c].second;
        lof_long += long_of(lof[c].second);
    }
    EXPECT_EQ(line_of(m, a.mof, 0), eastward(mof_short));
    EXPECT_EQ(line_of(m, a.longmof, 1), eastward(mof_long));
    EXPECT_EQ(line_of(m, a.lof, 3), eastward(lof_short));
    EXPECT_EQ(line_of(m, a.longlof, 4), eastward(lof_long));
    // The terminator line ignores the array it is given.
    EXPECT_EQ(line_of(m, a.mof, 2), std::string(20, ' '));
    // Only the row p_lat_idx counts.
    m.p_lat_idx = r + 1;
    EXPECT_EQ(line_of(m, a.mof, 0), std::string(20, ' '));
}

TEST(PredictionFile, HeaderLine) {
    Model m;
    test::setup_model(m, 1);
    Constants& k = m.consts;
    k.month = 3;
    k.day = 5;
    k.calc_time = 14.5f;
    k.sf_index = 150;
    k.a_index = 7;
    k.k_index = 2;
    k.rlat = float(42.5 * double(kRadPerDeg));
    k.rlon = float(73.0 * double(kRadPerDeg));
    EXPECT_EQ(make_header_line(m), " 3  5 14.50 150   7   2 42.5 73.0  \n");
    // The location is printed from the double product: 0 deg 15 min is 0.2500000010
    // degrees, which rounds up.
    k.rlat = float((15 * (1.0 / 60)) * double(kRadPerDeg));
    k.month = 12;
    k.day = 31;
    k.calc_time = 9.25f;
    EXPECT_EQ(make_header_line(m), "12 31  9.25 150   7   2  0.3 73.0  \n");
    // South and east print with a sign and may widen the last fields; the first three
    // stay in their columns.
    k.rlat = float(-33.9 * double(kRadPerDeg));
    k.rlon = float(208.8 * double(kRadPerDeg));
    k.calc_time = 0;
    k.sf_index = 70;
    k.a_index = 100;
    k.k_index = 9;
    EXPECT_EQ(make_header_line(m), "12 31  0.00  70 100   9 -33.9 208.8  \n");
}

TEST(PredictionFile, TerminatorAndQthMarks) {
    Model m2;
    test::setup_model(m2, 2);
    m2.p_lat_idx = 3;
    m2.p_lat = m2.grid.row_lat(3);  // 63.75 N, far from the QTH
    const Array2D& any = m2.arrays->mof;
    const auto only = [](int n, int at, char c) {
        std::string s(n, ' ');
        s[at] = c;
        return s;
    };
    // A sunrise on the Greenwich meridian marks the first character ...
    EXPECT_EQ(line_of(m2, any, 2, 0, -1), only(40, 0, 'R'));
    // ... one at 90 W marks the column of 270 ... 279 E: 40 - 9.9999997, truncated.
    EXPECT_EQ(line_of(m2, any, 2, 90, -1), only(40, 30, 'R'));
    // One degree west lies in the last character, 359 W in the first.
    EXPECT_EQ(line_of(m2, any, 2, 1, -1), only(40, 39, 'R'));
    EXPECT_EQ(line_of(m2, any, 2, 359, -1), only(40, 0, 'R'));
    // A sunset; and a sunset in the sunrise's column wins.
    std::string both = only(40, 30, 'R');
    both[20] = 'S';
    EXPECT_EQ(line_of(m2, any, 2, 90, 180), both);
    EXPECT_EQ(line_of(m2, any, 2, 90, 90), only(40, 30, 'S'));

    // The user at 42.5 N 73 W on grain 1: grid row 9 (41.35 ... 46.22 N), character 63
    // (80 - 16.222, truncated). The mark wins over a sunset in the same column.
    Model m1;
    test::setup_model(m1, 1);
    for (int r = 7; r <= 11; ++r) {
        m1.p_lat_idx = r;
        m1.p_lat = m1.grid.row_lat(r);
        const std::string line = line_of(m1, m1.arrays->mof, 2, -1, 73);
        if (r == 9) {
            EXPECT_EQ(line, only(80, 63, 'X'));
        } else {
            EXPECT_EQ(line, only(80, 63, 'S')) << r;
        }
    }
}

TEST(PredictionFile, PolarDayAndNightRows) {
    Model m;
    test::setup_model(m, 2);
    blank_results(m);
    m.consts.month = 6;
    m.consts.day = 21;
    m.consts.calc_time = 12;
    const std::vector<std::string> screen = screen_of(m);
    ASSERT_EQ(screen.size(), 1u + 5 * 22);
    // In June the northernmost written row (78.75 N) has the midnight sun: a single
    // sunrise at Greenwich; the southernmost a single sunset there.
    EXPECT_EQ(marker_line(screen, 1), "R" + std::string(39, ' '));
    EXPECT_EQ(marker_line(screen, 22), "S" + std::string(39, ' '));
    // Rows with a sunrise and a sunset mark one of each.
    for (int r = 4; r <= 19; ++r) {
        const std::string& line = marker_line(screen, r);
        EXPECT_EQ(std::count(line.begin(), line.end(), 'R'), 1) << r;
        EXPECT_EQ(std::count(line.begin(), line.end(), 'S'), 1) << r;
    }
    // Half a year later the roles change.
    m.consts.month = 12;
    m.consts.day = 22;
    const std::vector<std::string> december = screen_of(m);
    EXPECT_EQ(marker_line(december, 1), "S" + std::string(39, ' '));
    EXPECT_EQ(marker_line(december, 22), "R" + std::string(39, ' '));
}

TEST(PredictionFile, ScreenLayout) {
    Model m;
    test::setup_model(m, 1);
    blank_results(m);
    ResultArrays& a = *m.arrays;
    // West of Greenwich (column 0) a strong short path, east of it (the last column) a
    // medium one; a long path somewhere in between.
    for (int r = 0; r < m.grid.n_rows; ++r) {
        a.mof[r][0] = 30;
        a.mof[r][79] = 22;
        a.longlof[r][5] = 3;
    }
    m.consts.month = 3;
    m.consts.day = 5;
    m.consts.calc_time = 14.5f;
    const std::vector<std::string> screen = screen_of(m);
    ASSERT_EQ(screen.size(), 176u);
    EXPECT_EQ(screen[0] + "\n", make_header_line(m));
    const std::string mof_line = "2" + std::string(78, ' ') + "3";
    const std::string longlof_line = std::string(74, ' ') + "B" + std::string(5, ' ');
    int marks = 0;
    for (int r = 1; r <= 35; ++r) {
        const int first = 1 + 5 * (r - 1);
        for (int i = 0; i < 5; ++i) {
            const std::string& line = screen[first + i];
            EXPECT_EQ(line.size(), 80u) << r << " " << i;
            EXPECT_EQ(line.find_first_of(".Z"), std::string::npos);
        }
        EXPECT_EQ(screen[first], mof_line) << r;
        EXPECT_EQ(screen[first + 1], std::string(80, ' ')) << r;
        EXPECT_EQ(screen[first + 3], std::string(80, ' ')) << r;
        EXPECT_EQ(screen[first + 4], longlof_line) << r;
        const std::string& markers = screen[first + 2];
        marks += int(std::count(markers.begin(), markers.end(), 'X'));
        if (r == 9) {
            EXPECT_EQ(markers[63], 'X');
        }
    }
    EXPECT_EQ(marks, 1);
}

TEST(PredictionFile, WrittenFileIsRecognisedByItsGrain) {
    test::TempDir dir;
    for (int grain = 1; grain <= 3; ++grain) {
        Model m;
        test::setup_model(m, grain);
        blank_results(m);
        const std::string file = dir.file("g" + std::to_string(grain) + ".mof");
        std::string screens;
        for (float t : {0.0f, 1.0f}) {
            m.consts.calc_time = t;
            m.header_line = make_header_line(m);
            write_screen(m, screens);
        }
        test::write_file(file, screens);
        EXPECT_EQ(detect_grain(file), grain);
        m.consts.display_grain = 0;
        read_display_grain(m, file);
        EXPECT_EQ(m.consts.display_grain, float(grain));
    }
}
