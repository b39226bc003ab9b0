#include "files/replay.h"

#include <algorithm>
#include <filesystem>

#include "base/cformat.h"
#include "base/file_text.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "files/prediction_file.h"
#include "model/model.h"

namespace skywave {

bool ReplayFile::open(std::string file_name, Model& m, MessageSink& messages) {
    if (is_open()) close();
    const FileText file = read_file_text(file_name);
    std::error_code ec;
    // The grain first: a file that cannot be read leaves the one in force, a folder has
    // none.
    const int grain = !file.opened ? (std::filesystem::is_directory(file_name, ec) ? 0 : -1)
                      : file.ok()  ? detect_grain_text(file.text)
                                   : -1;
    if (grain >= 0) m.consts.display_grain = float(grain);
    if (trunc_to_int(m.consts.display_grain).value_or(0) == 0) {
        messages.show_message("Can't read the file grain", "ERROR");
        return false;
    }
    set_grain(m.grid, m.consts.display_grain);
    if (!file.opened) {
        messages.show_message("Can't open the file", "ERROR", file.open_error_text());
        return false;
    }
    if (!file.ok()) {
        messages.show_message(file.error_text(), kReadErrorCaption);
        return false;
    }
    text_ = file.text;
    pos_ = 0;
    number_ = 0;
    next_number_ = 1;
    lines_per_screen_ = 1 + 5 * std::max(0, m.grid.out_rows);
    open_ = true;
    name_ = std::move(file_name);
    std::string first;
    next_line(first);
    pos_ = 0;
    // The file's QTH replaces the user's for the overlays; a header without it, or
    // with values out of range, places the QTH at 0.
    float v[8] = {};
    const bool complete = cscan(first.c_str(), "%e %e %e %e %e %e %e %e", &v[0], &v[1], &v[2],
                                &v[3], &v[4], &v[5], &v[6], &v[7]) == 8;
    float station_lat = complete ? v[6] : 0, station_long = complete ? v[7] : 0;
    if (station_lat > 90 || !(station_lat >= -90)) station_lat = 0;
    if (station_long > 360 || !(station_long >= -360)) station_long = 0;
    m.consts.rlat = float(D(station_lat) * kRadPerDeg2);
    m.consts.rlon = float(D(station_long) * kRadPerDeg2);
    return true;
}

void ReplayFile::seek(int n) {
    if (n < 1 || n > screen_count()) n = 1;
    pos_ = 0;
    next_number_ = 1;
    std::string line;
    for (long skip = long(n - 1) * lines_per_screen_; skip > 0; --skip)
        next_line(line);
    next_number_ = n;
}

void ReplayFile::close() {
    text_.clear();
    pos_ = 0;
    number_ = 0;
    next_number_ = 1;
    open_ = false;
    name_.clear();
}

int ReplayFile::screen_count() const {
    long lines = 0;
    for (std::size_t at = 0; at < text_.size(); ++lines) {
        const std::size_t end = text_.find('\n', at);
        at = end == std::string::npos ? text_.size() : end + 1;
    }
    return int((lines + lines_per_screen_ - 1) / lines_per_screen_);
}

bool ReplayFile::next_line(std::string& line) {
    if (pos_ >= text_.size()) {
        line.clear();
        return false;
    }
    const std::size_t end = text_.find('\n', pos_);
    const std::size_t stop = end == std::string::npos ? text_.size() : end;
    line.assign(text_, pos_, stop - pos_);
    pos_ = end == std::string::npos ? text_.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

void ReplayFile::ReadScreen(Model& m, ReplayScreen& screen) {
    std::string header;
    if (!next_line(header)) {  // round again from the first screen
        pos_ = 0;
        next_number_ = 1;
        next_line(header);
    }
    number_ = next_number_++;
    for (std::size_t i : {0u, 3u, 6u})
        if (i < header.size() && header[i] == ' ') header[i] = '0';
    char sep1, sep2;
    cscan(header.c_str(), "%e%1c%e%1c%e", &m.consts.month, &sep1, &m.consts.day, &sep2,
          &m.consts.calc_time);
    m.header_line = header + "\n";
    screen.header = header;
    screen.lines.assign(std::size_t(5 * std::max(0, m.grid.out_rows)), std::string());
    for (std::string& line : screen.lines) {
        next_line(line);  // a screen cut short reads as blank lines
        line.resize(kScreenLineWidth, ' ');
    }
}

}  // namespace skywave
