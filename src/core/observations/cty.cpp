#include "observations/cty.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "base/cformat.h"
#include "base/file_text.h"
#include "observations/observations.h"

namespace skywave {

namespace {

// Portable suffixes that say nothing about where the station is.
bool neutral_suffix(std::string_view part) {
    return part.size() == 1
               ? std::isalpha(static_cast<unsigned char>(part[0])) != 0
               : part == "QRP" || part == "QRPP" || part == "LH" || part == "LGT" || part == "BCN";
}

std::vector<std::string> split_slashes(const std::string& call) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= call.size()) {
        std::size_t end = call.find('/', start);
        if (end == std::string::npos) end = call.size();
        if (end > start) parts.push_back(call.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// A call operated in another call area of its country: "UA1ABC/9" is heard from the
// 9 area, like "UA9ABC". The last digit of the home call is its area.
std::string change_area(std::string call, char digit) {
    const std::size_t at = call.find_last_of("0123456789");
    if (at != std::string::npos) call[at] = digit;
    return call;
}

}  // namespace

std::optional<PrefixTable> PrefixTable::read(const std::string& file, std::string& error) {
    const FileText text = read_file_text(file);
    if (!text.opened) {
        error = text.open_error == EISDIR ? file + " is a folder, not a prefix table"
                                          : file + ": can't open the prefix table (" +
                                                std::strerror(text.open_error) + ")";
        return std::nullopt;
    }
    if (!text.ok()) {
        error = text.error_text();
        return std::nullopt;
    }
    return parse(text.text, file, error);
}

std::optional<PrefixTable> PrefixTable::parse(std::string_view text, const std::string& file,
                                              std::string& error) {
    PrefixTable t;
    bool in_list = false;  // between an entity line and the ";" that closes its prefixes
    std::string entry;
    long line_no = 0, entity_line = 0;
    const auto fail = [&](long line, const std::string& why) {
        error = cformat("%s:%ld: ", file.c_str(), line) + why;
        return std::nullopt;
    };
    // Adds one comma-separated entry of the current entity.
    const auto add = [&](std::string_view e) -> bool {
        e = trim(e);
        if (e.empty()) return true;
        const bool exact = e.front() == '=';
        if (exact) e.remove_prefix(1);
        const std::size_t end = e.find_first_of("([<{~");
        const std::string key = to_upper(e.substr(0, end));
        if (key.empty()) return false;
        Target target{int(t.entities_.size()) - 1, std::nullopt};
        if (const std::size_t lt = e.find('<'); lt != std::string_view::npos) {
            float lat, lon;
            if (cscan(std::string(e.substr(lt)).c_str(), "<%f/%f>", &lat, &lon) != 2) return false;
            target.place = LatLon{lat, -double(lon)};
        }
        if (exact) {
            t.exact_[key] = target;
        } else {
            t.prefix_[key] = target;
            if (key.size() > t.longest_prefix_) t.longest_prefix_ = key.size();
        }
        return true;
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++line_no;
        if (trim(line).empty()) continue;
        if (!in_list) {
            // Name: CQ zone: ITU zone: continent: latitude: longitude: offset: prefix:
            std::vector<std::string_view> f;
            std::size_t start = 0, colon;
            while (f.size() < 8 && (colon = line.find(':', start)) != std::string_view::npos) {
                f.push_back(trim(line.substr(start, colon - start)));
                start = colon + 1;
            }
            const std::optional<float> lat = f.size() == 8 ? parse_float(f[4]) : std::nullopt;
            const std::optional<float> lon = f.size() == 8 ? parse_float(f[5]) : std::nullopt;
            if (!lat || !lon || f[0].empty() || !trim(line.substr(start)).empty())
                return fail(line_no,
                            "not an entity line (name, zones, continent, latitude, longitude, "
                            "offset and prefix, each followed by \":\")");
            if (*lat < -90 || *lat > 90 || *lon < -180 || *lon > 180)
                return fail(line_no, "latitude or longitude out of range");
            t.entities_.push_back({std::string(f[0]), LatLon{*lat, -double(*lon)}});
            in_list = true;
            entity_line = line_no;
            continue;
        }
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c != ',' && c != ';') {
                entry += c;
                continue;
            }
            if (!add(entry))
                return fail(line_no, "prefix \"" + std::string(trim(entry)) + "\" not readable");
            entry.clear();
            if (c == ';') {
                if (!trim(line.substr(i + 1)).empty()) return fail(line_no, "text after the \";\"");
                in_list = false;
                break;
            }
        }
        if (in_list) entry += ' ';
    }
    if (in_list) return fail(entity_line, "the prefixes of this entity are not closed by \";\"");
    if (t.entities_.empty()) {
        error = file + ": no entity in the prefix table";
        return std::nullopt;
    }
    return t;
}

CallPlace PrefixTable::place_of(const Target& t) const {
    const Entity& e = entities_[std::size_t(t.entity)];
    return {CallPlace::found, t.place.value_or(e.place), e.name, {}};
}

std::optional<CallPlace> PrefixTable::find(const std::string& text) const {
    if (auto it = exact_.find(text); it != exact_.end()) return place_of(it->second);
    for (std::size_t n = std::min(text.size(), longest_prefix_); n > 0; --n)
        if (auto it = prefix_.find(text.substr(0, n)); it != prefix_.end())
            return place_of(it->second);
    return std::nullopt;
}

CallPlace PrefixTable::locate(std::string_view call_text) const {
    const std::string call = to_upper(trim(call_text));
    if (call.empty()) return {};
    if (auto it = exact_.find(call); it != exact_.end()) {
        CallPlace p = place_of(it->second);
        p.location = call;
        return p;
    }
    std::vector<std::string> parts = split_slashes(call);
    if (parts.empty()) return {};
    if (parts.size() > 1 && (parts.back() == "MM" || parts.back() == "AM"))
        return {CallPlace::at_sea, {}, {}, {}};
    while (parts.size() > 1 && neutral_suffix(parts.back()))
        parts.pop_back();
    std::string where = parts[0];
    if (parts.size() > 1) {
        const std::string& last = parts.back();
        if (last.size() == 1 && std::isdigit(static_cast<unsigned char>(last[0])))
            where = change_area(parts[0], last[0]);
        else  // a prefix and a home call, in either order: the shorter is the prefix
            where = parts[1].size() < parts[0].size() ? parts[1] : parts[0];
    }
    std::optional<CallPlace> p = find(where);
    if (!p) return {};
    p->location = where;
    return *p;
}

}  // namespace skywave
