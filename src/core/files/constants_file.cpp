#include "files/constants_file.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

#include "base/cformat.h"
#include "base/file_text.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "base/output_file.h"
#include "base/safe_file.h"
#include "model/constants.h"
#include "model/model.h"

namespace skywave {

namespace {

std::string constants_text(const RunSettings& s) {
    std::string text;
    for (int g = 0; g < kGroupCount; ++g) {
        const group_desc& group = const_groups[g];
        for (int i = 0; i < int(group.con.size()); ++i) {
            const const_desc& d = group.con[i];
            const D scale = scale_table[d.scale_factor];
            cformat_to(text, "%3d %3d %15f %15f %3d %3d %s\n", g, i, D(s.consts.*d.val) * scale,
                       D(d.init) * scale, int(d.cons_type), int(s.diddle_flag[group.first + i]),
                       d.name);
        }
    }
    return text;
}

// The seven fields of a constants file line.
struct ConstLine {
    long group = 0, cons = 0, flag = 0;
    std::string name;
};

std::vector<std::string_view> split_fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        std::size_t j = i;
        while (j < line.size() && !std::isspace(static_cast<unsigned char>(line[j])))
            ++j;
        if (j > i) fields.push_back(line.substr(i, j - i));
        i = j;
    }
    return fields;
}

// Parses a line as "%d %d %f %f %d %d %s". Returns the value when every field is
// there and sound; what was parsed so far is left in out for the message.
std::optional<float> parse_line(std::string_view line, ConstLine& out) {
    const std::vector<std::string_view> f = split_fields(line);
    const auto as_int = [](std::string_view t) -> std::optional<long> {
        std::optional<long> v = parse_long(t);
        if (v && (*v < INT_MIN || *v > INT_MAX)) return std::nullopt;
        return v;
    };
    std::optional<long> g = f.size() > 0 ? as_int(f[0]) : std::nullopt;
    if (!g) return std::nullopt;
    out.group = *g;
    std::optional<long> c = f.size() > 1 ? as_int(f[1]) : std::nullopt;
    if (!c) return std::nullopt;
    out.cons = *c;
    std::optional<float> value = f.size() > 2 ? parse_float(f[2]) : std::nullopt;
    std::optional<float> init = f.size() > 3 ? parse_float(f[3]) : std::nullopt;
    std::optional<long> type = f.size() > 4 ? as_int(f[4]) : std::nullopt;
    std::optional<long> flag = f.size() > 5 ? as_int(f[5]) : std::nullopt;
    if (flag) out.flag = *flag;
    if (f.size() > 6) out.name = std::string(f[6]);
    if (!value || !init || !type || !flag || f.size() != 7) return std::nullopt;
    if (!std::isfinite(*value)) return std::nullopt;
    return value;
}

}  // namespace

bool WriteConsts(const RunSettings& s, const std::string& file_name, MessageSink& messages) {
    bool opened = false;
    const int err = replace_file(file_name, constants_text(s), &opened);
    if (err == 0) return true;
    if (err == EWOULDBLOCK)
        messages.show_message(busy_text(file_name), kOutputErrorCaption);
    else if (!opened)
        messages.show_message(file_name, "ERROR OPENING OUTPUT", creation_failure(file_name, err));
    else
        messages.show_message(file_name + ": " + std::strerror(err), "ERROR WRITING OUTPUT");
    return false;
}

bool ReadConsts(RunSettings& s, const std::string& file_name, MessageSink& messages) {
    const FileText file = read_file_text(file_name);
    if (!file.opened) {
        messages.show_message(file_name, "ERROR OPENING INPUT", file.open_error_text());
        return false;
    }
    // A file that cannot be read to its end changes nothing: half a file of tuned
    // constants is no set of constants.
    if (!file.ok()) {
        messages.show_message(file.error_text(), kReadErrorCaption);
        return false;
    }
    std::istringstream in(file.text);
    read_consts_lines(s, in, messages);
    return true;
}

void read_consts_lines(RunSettings& s, std::istream& in, MessageSink& messages) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (split_fields(line).empty()) continue;  // blank lines carry nothing
        ConstLine f;
        const std::optional<float> value = parse_line(line, f);
        if (!value || !is_same_name(int(f.group), int(f.cons), f.name)) {
            messages.show_message(
                cformat("   group= %ld  cons= %ld  name= '%s'", f.group, f.cons, f.name.c_str()),
                "ERROR READING CONSTANTS");
            continue;
        }
        const int i = flat_index(int(f.group), int(f.cons));
        const const_desc& d = const_table[i];
        s.consts.*d.val = float(D(*value) / scale_table[d.scale_factor]);
        s.diddle_flag[i] = static_cast<std::int8_t>(f.flag);
    }
}

int ChangeConsts(Model&) {
    return 0;
}

void first_use_init(RunSettings& s, MessageSink& messages, bool read_mof_dat) {
    if (s.CalcInitDone) return;
    init_consts(s.consts);
    if (read_mof_dat) ReadConsts(s, kDefaultConstantsFile, messages);
    set_grain(s.grid, s.consts.display_grain);
    s.CalcInitDone = 1;
}

}  // namespace skywave
