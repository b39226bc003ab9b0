#include "files/prediction_file.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "base/cformat.h"
#include "base/file_text.h"
#include "base/numbers.h"
#include "model/model.h"
#include "model/solar.h"

namespace skywave {

std::string make_header_line(const Model& m) {
    const Constants& k = m.consts;
    return cformat("%2.0f %2.0f %5.2f %3.0f %3.0f %3.0f %4.1f %4.1f  \n", D(k.month), D(k.day),
                   D(k.calc_time), D(k.sf_index), D(k.a_index), D(k.k_index),
                   D(k.rlat) * kDegPerRad, D(k.rlon) * kDegPerRad);
}

char mof_symbol(const Model& m, int a, char path) {
    const Constants& k = m.consts;
    const bool is_short = path == 'S';
    if (D(a) >= k.mof_red) return is_short ? '3' : 'C';
    if (D(a) >= k.mof_green) return is_short ? '2' : 'B';
    if (D(a) >= k.mof_blue) return is_short ? '1' : 'A';
    return ' ';
}

char lof_symbol(const Model& m, int a, char path) {
    const Constants& k = m.consts;
    const bool is_short = path == 'S';
    if (D(a) <= k.lof_red) return is_short ? '3' : 'C';
    if (D(a) <= k.lof_green) return is_short ? '2' : 'B';
    if (D(a) <= k.lof_blue) return is_short ? '1' : 'A';
    return ' ';
}

namespace {

// The symbols of the whole-MHz values a line's cells usually hold, worked out once per
// line by the same comparisons; other values are classified one by one.
class SymbolTable {
public:
    static constexpr int kSize = 64;
    SymbolTable(const Model& m, char type) : m_(m), type_(type) {
        for (int v = 0; v < kSize; ++v)
            symbol_[v] = classify(v);
    }
    char operator()(int v) const { return v >= 0 && v < kSize ? symbol_[v] : classify(v); }

private:
    char classify(int v) const {
        switch (type_) {
            case 0:
                return mof_symbol(m_, v, 'S');
            case 1:
                return mof_symbol(m_, v, 'L');
            case 3:
                return lof_symbol(m_, v, 'S');
            default:
                return lof_symbol(m_, v, 'L');
        }
    }
    const Model& m_;
    char type_;
    char symbol_[kSize];
};

}  // namespace

namespace {

void make_line(Model& m, const Array2D& array, char type, const SymbolTable* symbol, int rise_long,
               int set_long, std::string& out) {
    const int n_cols = m.grid.n_cols;
    const std::size_t start = out.size();
    out.resize(start + std::size_t(n_cols), ' ');
    if (type != 2) {
        // Lines run eastward from Greenwich: character i holds grid column n_cols-1-i.
        char* const line = &out[start];
        const float* const row = array[m.p_lat_idx];
        for (int i = 0; i < n_cols; ++i) {
            // A value that is not a finite number has no level.
            const std::optional<int> v = trunc_to_int(row[n_cols - 1 - i]);
            line[i] = v ? (*symbol)(*v) : ' ';
        }
    }
    if (type == 2) {
        const Grid& g = m.grid;
        const Constants& k = m.consts;
        // The character whose column holds a west longitude, wrapped into the line.
        const auto mark = [&](double column, char c) {
            if (std::optional<int> i = trunc_to_int(column))
                out[start + ((*i % n_cols) + n_cols) % n_cols] = c;
        };
        if (rise_long >= 0) mark(n_cols - rise_long * D(kRadPerDeg) * g.cols_per_rad, 'R');
        if (set_long >= 0) mark(n_cols - set_long * D(kRadPerDeg) * g.cols_per_rad, 'S');
        if (std::fabs(D(k.rlat) - m.p_lat) <= D(g.lat_step) * 0.5)
            mark(n_cols - D(k.rlon) * g.cols_per_rad, 'X');  // the user's own row
    }
    out.push_back('\n');
}

}  // namespace

void make_line(Model& m, const Array2D& array, char type, int rise_long, int set_long,
               std::string& out) {
    const SymbolTable symbol(m, type == 2 ? 0 : type);
    make_line(m, array, type, &symbol, rise_long, set_long, out);
}

void write_screen(Model& m, std::string& out) {
    ResultArrays& a = *m.arrays;
    const SymbolTable mof(m, 0), longmof(m, 1), lof(m, 3), longlof(m, 4);
    out += m.header_line;
    for (m.p_lat_idx = 1; m.p_lat_idx <= m.grid.out_rows; ++m.p_lat_idx) {
        m.p_lat = m.grid.row_lat(m.p_lat_idx);
        int rise_long, set_long;
        sun_locate(m, m.p_lat, m.consts.calc_time, &rise_long, &set_long);
        make_line(m, a.mof, 0, &mof, rise_long, set_long, out);
        make_line(m, a.longmof, 1, &longmof, rise_long, set_long, out);
        make_line(m, a.mof, 2, nullptr, rise_long, set_long, out);
        make_line(m, a.lof, 3, &lof, rise_long, set_long, out);
        make_line(m, a.longlof, 4, &longlof, rise_long, set_long, out);
    }
}

int detect_grain(const std::string& file_name) {
    const FileText f = read_file_text(file_name);
    std::error_code ec;
    if (!f.opened) return std::filesystem::is_directory(file_name, ec) ? 0 : -1;
    return f.ok() ? detect_grain_text(f.text) : -1;
}

int detect_grain_text(std::string_view text) {
    std::size_t at = text.find('\n');  // after the first screen's header
    if (text.empty()) return 0;
    long count = 0;
    // Symbol lines never hold "." or "Z"; the next screen's header always does.
    while (at != std::string_view::npos && at + 1 < text.size()) {
        const std::size_t start = at + 1;
        at = text.find('\n', start);
        const std::string_view line =
            text.substr(start, at == std::string_view::npos ? at : at - start);
        if (line.find_first_of(".Z") != std::string_view::npos) break;
        ++count;
    }
    switch (count / 5) {
        case 35:
            return 1;
        case 22:
            return 2;
        case 11:
            return 3;
        default:
            return 0;
    }
}

void read_display_grain(RunSettings& s, const std::string& file_name) {
    const int grain = detect_grain(file_name);
    if (grain >= 0) s.consts.display_grain = float(grain);
}

}  // namespace skywave
