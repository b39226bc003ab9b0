#include <gtest/gtest.h>

#include <cmath>

#include "files/constants_file.h"
#include "run/settings_form.h"
#include "test_support.h"

using namespace skywave;

namespace {

// Valid fields for 42 30 00 N, 73 00 00 W, 5 March, 0:00 to 23:00, flux 150, grain 2.
SettingsFields good_fields() {
    SettingsFields f;
    f.lat_deg = "42", f.lat_min = "30", f.lat_sec = "0", f.lat_hemi = "N";
    f.lon_deg = "73", f.lon_min = "0", f.lon_sec = "0", f.lon_hemi = "W";
    f.start_month = f.stop_month = "3";
    f.start_day = f.stop_day = "5";
    f.step_month = f.step_day = "1";
    set_whole_day(f);
    f.flux = "150", f.a_index = "7", f.k_index = "2", f.grain = "2";
    f.file_name = "x.mof";
    return f;
}

// Accepts the fields and returns the messages shown (empty when accepted).
std::vector<std::string> accept(const SettingsFields& f, SettingsRecord* out = nullptr) {
    SettingsRecord data;
    MessageLog log;
    const bool ok = accept_fields(f, data, log);
    EXPECT_EQ(ok, log.entries.empty());
    EXPECT_EQ(data.accepted, ok ? 1 : 0);
    if (out) *out = data;
    std::vector<std::string> texts;
    for (const auto& e : log.entries)
        texts.push_back(e.caption + " " + e.text);
    return texts;
}

// The settings after the dialog was confirmed with these fields; file_name receives
// the prediction file.
void confirm(RunSettings& s, const SettingsFields& f, std::string* file_name = nullptr) {
    SettingsRecord data;
    MessageLog log;
    ASSERT_TRUE(accept_fields(f, data, log));
    std::string name;
    apply_record(s, name, data);
    if (file_name) *file_name = name;
}

}  // namespace

TEST(RunSettings, LocationRoundTripsThroughTheModel) {
    Model m;
    test::setup_model(m);
    confirm(m, good_fields());
    EXPECT_EQ(m.consts.rlat, 0.7417649f);
    EXPECT_EQ(m.consts.rlon, 1.2740903f);
    MessageLog log;
    std::string name;
    const SettingsFields shown = fill_fields(record_from_settings(m, name, log));
    EXPECT_EQ(shown.lat_deg + " " + shown.lat_min + " " + shown.lat_sec + " " + shown.lat_hemi,
              "42 30 0 N");
    EXPECT_EQ(shown.lon_deg + " " + shown.lon_min + " " + shown.lon_sec + " " + shown.lon_hemi,
              "73 0 0 W");
}

TEST(RunSettings, EastLongitudesAreStoredWestOf360) {
    SettingsFields f = good_fields();
    f.lon_deg = "10", f.lon_min = "15", f.lon_sec = "30", f.lon_hemi = "E";
    SettingsRecord data;
    EXPECT_TRUE(accept(f, &data).empty());
    EXPECT_NEAR(data.Lon, 349.74167f, 1e-4);
    Model m;
    test::setup_model(m);
    std::string name;
    apply_record(m, name, data);
    MessageLog log;
    const SettingsFields shown = fill_fields(record_from_settings(m, name, log));
    EXPECT_EQ(shown.lon_hemi, "E");
    EXPECT_EQ(shown.lon_deg + ":" + shown.lon_min, "10:15");
    EXPECT_TRUE(shown.lon_sec == "30" || shown.lon_sec == "29") << shown.lon_sec;
}

TEST(RunSettings, DefaultLongitudeShowsJustShortOf73) {
    Model m;
    MessageLog log;
    first_use_init(m, log, false);
    std::string name;
    const SettingsFields shown = fill_fields(record_from_settings(m, name, log, false));
    EXPECT_EQ(shown.lat_deg + " " + shown.lat_min + " " + shown.lat_sec, "42 30 0");
    EXPECT_EQ(shown.lon_deg + " " + shown.lon_min + " " + shown.lon_sec, "72 59 59");
    EXPECT_EQ(shown.start_month, "0") << "run dates are not constants";
    EXPECT_EQ(shown.step_day, "1");
    EXPECT_EQ(shown.stop_hour, "23");
    EXPECT_EQ(shown.flux, "200");
    EXPECT_EQ(shown.grain, "2");
    EXPECT_EQ(shown.file_name, "default.mof");
}

TEST(RunSettings, LocationChecks) {
    SettingsFields f = good_fields();
    f.lat_deg = "90", f.lat_min = "0", f.lat_sec = "1";
    EXPECT_EQ(accept(f), std::vector<std::string>{"QTH ERROR! QTH not readable."});
    f = good_fields();
    f.lat_hemi = "s";
    SettingsRecord data;
    EXPECT_TRUE(accept(f, &data).empty());
    EXPECT_LT(data.Lat, 0);
    f.lat_hemi = "X";
    EXPECT_EQ(accept(f).size(), 1u);
    f = good_fields();
    f.lat_min = "-5";
    EXPECT_EQ(accept(f).size(), 1u) << "minus signs fail the range";
    f = good_fields();
    f.lat_sec = "60";
    EXPECT_TRUE(accept(f).empty()) << "60 seconds are accepted";
    f.lat_sec = "twelve";
    EXPECT_EQ(accept(f).size(), 1u);
    f = good_fields();
    f.lat_deg = "0", f.lat_min = "0", f.lat_hemi = "S";
    EXPECT_TRUE(accept(f, &data).empty());
    EXPECT_FALSE(std::signbit(data.Lat)) << "a zero south is +0";
    f = good_fields();
    f.lon_deg = "361";
    EXPECT_EQ(accept(f).size(), 1u);
}

TEST(RunSettings, DateChecks) {
    SettingsFields f = good_fields();
    f.step_month = f.step_day = "0";
    SettingsRecord data;
    EXPECT_TRUE(accept(f, &data).empty()) << "one date needs no step";
    EXPECT_EQ(data.StepDay, 1);
    EXPECT_EQ(data.StepMonth, 1);

    f.start_day = "1", f.stop_day = "9";
    EXPECT_EQ(accept(f), (std::vector<std::string>{"DATE ERROR! Need date step.",
                                                   "DATE ERROR! DATE not readable."}));
    // Without a day step the days would never pass the stop day: refused as well.
    f.step_month = "1";
    EXPECT_EQ(accept(f).size(), 2u);
    f.step_month = "0", f.step_day = "1";
    EXPECT_EQ(accept(f).size(), 2u);
    // Such steps end by themselves when the start lies past the stop.
    f.start_day = "28", f.stop_day = "3", f.step_day = "0", f.step_month = "1";
    EXPECT_TRUE(accept(f).empty());

    f = good_fields();
    f.start_month = "13";
    EXPECT_EQ(accept(f), std::vector<std::string>{"DATE ERROR! DATE not readable."});
    f = good_fields();
    f.stop_day = "0";
    EXPECT_EQ(accept(f).size(), 1u);
}

TEST(RunSettings, TimeChecks) {
    SettingsFields f = good_fields();
    f.start_hour = "20", f.stop_hour = "4";
    EXPECT_EQ(accept(f), std::vector<std::string>{"TIME ERROR! TIME not readable."});
    f = good_fields();
    f.step_hour = "0", f.step_min = "0";
    EXPECT_EQ(accept(f).size(), 1u) << "a zero step would never end";
    f.start_hour = f.stop_hour = "12";
    SettingsRecord data;
    EXPECT_TRUE(accept(f, &data).empty()) << "a single time needs no step";
    EXPECT_EQ(data.Step, 1.0f);
    f = good_fields();
    f.stop_hour = "24", f.stop_min = "1";
    EXPECT_EQ(accept(f).size(), 1u);
    f = good_fields();
    f.step_hour = "0", f.step_min = "30";
    EXPECT_TRUE(accept(f, &data).empty());
    EXPECT_EQ(data.Step, 0.5f);
}

TEST(RunSettings, SolarAndGrainChecks) {
    SettingsFields f = good_fields();
    for (const char* flux : {"49", "501", "", "1e2"}) {
        f.flux = flux;
        EXPECT_EQ(accept(f), std::vector<std::string>{"SOLAR DATA ERROR! Solar Data not readable."})
            << flux;
    }
    for (const char* flux : {"50", "500", " 150 "}) {
        f.flux = flux;
        EXPECT_TRUE(accept(f).empty()) << flux;
    }
    f = good_fields();
    f.k_index = "10";
    EXPECT_EQ(accept(f).size(), 1u);
    f = good_fields();
    for (const char* grain : {"0", "4"}) {
        f.grain = grain;
        EXPECT_EQ(accept(f),
                  std::vector<std::string>{"GRAIN DATA ERROR! Grain Data not readable."});
    }
}

TEST(RunSettings, GroupsAreCheckedInOrder) {
    SettingsFields f = good_fields();
    f.grain = "9";
    f.flux = "9";
    f.start_hour = "25";
    EXPECT_EQ(accept(f), std::vector<std::string>{"TIME ERROR! TIME not readable."});
    f.lat_deg = "100";
    EXPECT_EQ(accept(f), std::vector<std::string>{"QTH ERROR! QTH not readable."});
}

TEST(RunSettings, ConfirmedSettingsBecomeTheRun) {
    Model m;
    test::setup_model(m, 2);
    SettingsFields f = good_fields();
    f.grain = "1";
    f.file_name = std::string(300, 'n') + ".mof";  // long names are kept whole
    std::string name;
    confirm(m, f, &name);
    EXPECT_EQ(m.dates.start_month, 3.0f);
    EXPECT_EQ(m.consts.day, 5.0f);
    EXPECT_EQ(m.consts.sf_index, 150.0f);
    EXPECT_EQ(m.consts.a_index, 7.0f);
    EXPECT_EQ(m.consts.display_grain, 1.0f);
    EXPECT_EQ(m.grid.n_rows, 37);
    EXPECT_EQ(name.size(), 304u);
}

TEST(RunSettings, CancelChangesNothing) {
    Model m;
    test::setup_model(m, 2);
    const Constants before = m.consts;
    MessageLog log;
    std::string name;
    SettingsRecord data = record_from_settings(m, name, log);
    SettingsFields f = good_fields();
    f.flux = "1000";
    EXPECT_FALSE(accept_fields(f, data, log));
    data.accepted = false;  // Cancel
    apply_record(m, name, data);
    EXPECT_EQ(m.consts.rlat, before.rlat);
    EXPECT_EQ(m.consts.sf_index, before.sf_index);
    EXPECT_EQ(name, "default.mof") << "the file shown stays the one of the next run";
}

TEST(RunSettings, TodayAndOneDayButtons) {
    SettingsFields f;
    set_today(f);
    EXPECT_EQ(f.start_month, f.stop_month);
    EXPECT_EQ(f.start_day, f.stop_day);
    EXPECT_EQ(f.step_day, "1");
    const int month = std::stoi(f.start_month);
    EXPECT_TRUE(month >= 1 && month <= 12);
    set_whole_day(f);
    EXPECT_EQ(f.start_hour + ":" + f.start_min, "0:0");
    EXPECT_EQ(f.stop_hour + ":" + f.stop_min, "23:0");
    EXPECT_EQ(f.step_hour + ":" + f.step_min, "1:0");
}
