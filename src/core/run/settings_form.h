// The run-settings form: where, when and under which solar conditions to predict, as a
// person types it.
//
// The settings travel as a record. The form shows it as text fields (fill), checks
// what was typed group by group and turns it back into the record (accept); two
// conversions move the record from and to the run settings. The same form serves the
// desktop dialog and the command line's flags.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skywave {

struct RunSettings;
class MessageSink;

struct SettingsRecord {
    float Lat = 0;  // degrees, north positive
    float Lon = 0;  // degrees west, 0 ... 360
    int StartDay = 0, StartMonth = 0;
    int StopDay = 0, StopMonth = 0;
    int StepDay = 0, StepMonth = 0;
    float Start = 0, Stop = 0, Step = 0;  // hours UTC
    int Flux = 0, A = 0, K = 0;
    int Grain = 0;
    std::string FileName;
    bool accepted = false;  // the last settings confirmed: a run may use them
};

// The form's text fields.
struct SettingsFields {
    std::string start_month, start_day, start_hour, start_min;
    std::string stop_month, stop_day, stop_hour, stop_min;
    std::string step_month, step_day, step_hour, step_min;
    std::string lat_deg, lat_min, lat_sec, lat_hemi;  // hemisphere "N" or "S"
    std::string lon_deg, lon_min, lon_sec, lon_hemi;  // hemisphere "W" or "E"
    std::string flux, a_index, k_index, grain;
    std::string file_name;
};

// Fills the fields from the record (degrees, minutes and seconds with hemisphere
// letters; hours and minutes), truncating toward zero.
SettingsFields fill_fields(const SettingsRecord& data);

// Reads and checks the fields group by group (location, dates, times, solar data,
// grain); the first group that fails is reported and false returned. The record
// receives each group as it is read; accepted is set on success.
bool accept_fields(const SettingsFields& fields, SettingsRecord& data, MessageSink& messages);

// Today: start and stop date today's local date, steps 1.
void set_today(SettingsFields& fields);
// One whole day: 0:00 to 23:00 in steps of 1:00.
void set_whole_day(SettingsFields& fields);

// The QTH as hams and GPS give it, into the location fields: decimal degrees (north
// and east positive) or a Maidenhead locator of 4, 6 or 8 characters (any case; its
// square's centre), rounded to the nearest second, halves away from zero — so the
// record is the one the same place typed in degrees, minutes and seconds gives.
void set_latitude_degrees(SettingsFields& fields, double lat);
void set_longitude_degrees(SettingsFields& fields, double lon_east);
// False (fields unchanged) when the text is no locator.
bool set_location_from_locator(SettingsFields& fields, std::string_view locator);
// A signed decimal number of degrees ("51.5", "-0.12"); nothing for any other text.
std::optional<double> parse_decimal_degrees(std::string_view text);

// The record's QTH as a ham reads it: "42°33′45″N 71°22′30″W FN42hn".
std::string qth_text(const SettingsRecord& data);

// The record as the form shows the settings (first-use initialisation of the
// constants included) and the name of the prediction file the next run writes; an
// empty name becomes "default.mof".
SettingsRecord record_from_settings(RunSettings& s, std::string& file_name, MessageSink& messages,
                                    bool read_mof_dat = true);
// A confirmed record into the settings and the prediction file name; the grid follows
// display_grain in every case.
void apply_record(RunSettings& s, std::string& file_name, const SettingsRecord& data);

}  // namespace skywave
