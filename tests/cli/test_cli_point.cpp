// The paths to one place, and the QTH as hams and GPS give it.
#include <sstream>
#include <vector>

#include "cli_support.h"

namespace {

class CliPoint : public CliTest {};

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> f;
    std::stringstream in(line);
    for (std::string x; std::getline(in, x, ',');)
        f.push_back(x);
    return f;
}

TEST_F(CliPoint, AQthTypedThreeWaysIsOneQth) {
    const std::string run = "run --no-mof-dat --grain 3 --start-date 3/5 --stop-time 2:00 ";
    const Result locator = skywave(run + "--locator fn42HN -o a.mof", dir);
    const Result decimal = skywave(run + "--lat 42.5625 --lon -71.375 -o b.mof", dir);
    const Result dms = skywave(run + "--lat 42:33:45N --lon 71:22:30W -o c.mof", dir);
    ASSERT_EQ(locator.code, 0) << locator.err;
    EXPECT_EQ(read("a.mof"), read("b.mof"));
    EXPECT_EQ(read("a.mof"), read("c.mof"));
    for (const Result* r : {&locator, &decimal, &dms})
        EXPECT_EQ(r->err.substr(0, r->err.find('\n')),
                  "QTH 42\u00b033\u203245\u2033N 71\u00b022\u203230\u2033W FN42hn");
    // South and east, and a half second rounded away from zero.
    EXPECT_EQ(skywave(run + "--lat -33.8675 --lon 151.2069 -o d.mof", dir).code, 0);
    EXPECT_EQ(skywave(run + "--lat 33:52:03S --lon 151:12:25E -o e.mof", dir).code, 0);
    EXPECT_EQ(read("d.mof"), read("e.mof"));
    const Result bad = skywave(run + "--locator FN4", dir);
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("QTH not readable."), std::string::npos);
    EXPECT_NE(skywave(run + "--lat 4x2", dir).err.find("QTH not readable."), std::string::npos);
}

TEST_F(CliPoint, AtAGridPointThePathsAreTheArraysOfThatCell) {
    const std::string run =
        " --no-mof-dat --grain 3 --start-date 3/5 --start-time 14:00 "
        "--stop-time 14:00 --locator EN91se";
    // The cell at row 4, column 15: its position as the array command gives it.
    std::vector<std::string> cell;
    std::vector<double> values;
    for (const char* name : {"mof", "lof", "longmof", "longlof"}) {
        const Result a = skywave(std::string("array ") + name + run, dir);
        ASSERT_EQ(a.code, 0) << a.err;
        std::stringstream in(a.out);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("4,15,", 0) == 0) {
                cell = fields(line);
                values.push_back(std::stod(cell[4]));
            }
    }
    ASSERT_EQ(values.size(), 4u);
    const Result p = skywave("point --csv --to " + cell[2] + "," + cell[3] + run, dir);
    ASSERT_EQ(p.code, 0) << p.err;
    std::stringstream in(p.out);
    std::string header, row;
    std::getline(in, header);
    std::getline(in, row);
    EXPECT_EQ(header.substr(0, 32), "date,utc,short_mof_mhz,short_lof");
    const std::vector<std::string> f = fields(row);
    ASSERT_GE(f.size(), 12u) << row;
    EXPECT_EQ(f[0] + " " + f[1], "03/05 14:00");
    char text[32];
    const int at[4] = {2, 3, 8, 9};  // short MOF, LOF, long MOF, LOF
    for (int i = 0; i < 4; ++i) {
        std::snprintf(text, sizeof text, "%.1f", values[std::size_t(i)]);
        EXPECT_EQ(f[std::size_t(at[i])], text) << i;
    }
    // A day's table from a locator to a locator.
    const Result day =
        skywave("point --to PM95 --locator EN91se --no-mof-dat --start-date 12/8", dir);
    EXPECT_EQ(day.code, 0) << day.err;
    EXPECT_NE(day.out.find("short path 10586 km, bearing 329\u00b0"), std::string::npos) << day.out;
    EXPECT_NE(day.out.find("12/08  23:00"), std::string::npos) << day.out;
    EXPECT_EQ(skywave("point --to XX99 --no-mof-dat", dir).code, 1);
}

}  // namespace
