#include "observations/regions.h"

#include <cctype>
#include <cmath>

#include "base/numbers.h"

namespace skywave {

namespace {

struct Region {
    const char* country;  // "US", "CA", "MX"
    const char* code;
    double lat, lon;
};

struct District {
    int digit;
    double lat, lon;
};

struct Radius {
    const char* entity;
    double km;
};

#define SKYWAVE_REGION(country, code, lat, lon) {country, code, lat, lon},
#define SKYWAVE_US_DISTRICT(digit, lat, lon)
#define SKYWAVE_COUNTRY_RADIUS(entity, km)
constexpr Region kRegions[] = {
#include "observations/place_table.inc"
};
#undef SKYWAVE_REGION
#undef SKYWAVE_US_DISTRICT
#define SKYWAVE_REGION(country, code, lat, lon)
#define SKYWAVE_US_DISTRICT(digit, lat, lon) {digit, lat, lon},
constexpr District kUsDistricts[] = {
#include "observations/place_table.inc"
};
#undef SKYWAVE_US_DISTRICT
#undef SKYWAVE_COUNTRY_RADIUS
#define SKYWAVE_US_DISTRICT(digit, lat, lon)
#define SKYWAVE_COUNTRY_RADIUS(entity, km) {entity, km},
constexpr Radius kRadii[] = {
#include "observations/place_table.inc"
};
#undef SKYWAVE_REGION
#undef SKYWAVE_US_DISTRICT
#undef SKYWAVE_COUNTRY_RADIUS

// The ARRL and RAC sections, and older province codes still sent, that are not
// themselves a state or province: the state or province that holds them.
struct Alias {
    const char* code;
    const char* region;
};
constexpr Alias kSections[] = {
    {"EMA", "MA"}, {"WMA", "MA"}, {"ENY", "NY"}, {"NLI", "NY"}, {"NNY", "NY"}, {"WNY", "NY"},
    {"NNJ", "NJ"}, {"SNJ", "NJ"}, {"EPA", "PA"}, {"WPA", "PA"}, {"MDC", "MD"}, {"NFL", "FL"},
    {"SFL", "FL"}, {"WCF", "FL"}, {"NTX", "TX"}, {"STX", "TX"}, {"WTX", "TX"}, {"EB", "CA"},
    {"LAX", "CA"}, {"ORG", "CA"}, {"SB", "CA"},  {"SCV", "CA"}, {"SDG", "CA"}, {"SF", "CA"},
    {"SJV", "CA"}, {"SV", "CA"},  {"PAC", "HI"}, {"EWA", "WA"}, {"WWA", "WA"}, {"GTA", "ON"},
    {"ONE", "ON"}, {"ONN", "ON"}, {"ONS", "ON"}, {"NF", "NL"},  {"PQ", "QC"},  {"NWT", "NT"},
};
// Other abbreviations of the Mexican states in use.
constexpr Alias kMexicanAliases[] = {
    {"DUR", "DGO"}, {"MEX", "EMX"}, {"QUE", "QRO"}, {"ROO", "QUI"}, {"QR", "QUI"},
    {"DF", "CMX"},  {"BCN", "BAC"}, {"NL", "NLE"},  {"CHS", "CHI"},
};

const Region* find_region(std::string_view country, std::string_view code) {
    for (const Region& r : kRegions)
        if (country == r.country && code == r.code) return &r;
    return nullptr;
}

std::string upper(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

NamedPlace named(const Region& r, const std::string& name) {
    return {{r.lat, r.lon}, name};
}

// Canada's call districts by the digit after VE and its sister prefixes.
constexpr const char* kCanadianDigits[10] = {nullptr, "NS", "QC", "ON", "MB",
                                             "SK",    "AB", "BC", "NT", "NB"};
constexpr const char* kCanadianPrefixes[] = {"VA", "VB", "VC", "VD", "VE", "VF", "VG", "VX",
                                             "CF", "CG", "CH", "CI", "CJ", "CK", "CY", "CZ",
                                             "XJ", "XK", "XL", "XM", "XN", "XO"};

}  // namespace

Country country_of_entity(std::string_view entity) {
    if (entity == "United States of America" || entity == "United States")
        return Country::united_states;
    if (entity == "Canada") return Country::canada;
    if (entity == "Mexico") return Country::mexico;
    return Country::other;
}

std::optional<NamedPlace> region_of_field(Country country, std::string_view field,
                                          bool mexican_states) {
    const std::string code = upper(field);
    if (country == Country::mexico) {
        if (!mexican_states) return std::nullopt;
        std::string state = code;
        for (const Alias& a : kMexicanAliases)
            if (code == a.code) state = a.region;
        if (const Region* r = find_region("MX", state)) return named(*r, "state " + code);
        return std::nullopt;
    }
    if (country != Country::united_states && country != Country::canada) return std::nullopt;
    for (const char* c : {"US", "CA"})
        if (const Region* r = find_region(c, code))
            return named(*r, (std::string_view(c) == "US" ? "state " : "province ") + code);
    for (const Alias& a : kSections)
        if (code == a.code)
            for (const char* c : {"US", "CA"})
                if (const Region* r = find_region(c, a.region))
                    return named(*r, "section " + code + " (" + a.region + ")");
    return std::nullopt;
}

std::optional<NamedPlace> district_of_call(Country country, std::string_view location) {
    const std::string call = upper(location);
    std::size_t letters = 0;
    while (letters < call.size() && std::isalpha(static_cast<unsigned char>(call[letters])))
        ++letters;
    if (letters == 0 || letters >= call.size() ||
        !std::isdigit(static_cast<unsigned char>(call[letters])))
        return std::nullopt;
    const int digit = call[letters] - '0';
    const std::string prefix = call.substr(0, letters);
    const std::string name = "call district " + prefix + char('0' + digit);
    if (country == Country::united_states) {
        for (const District& d : kUsDistricts)
            if (d.digit == digit)
                return NamedPlace{{d.lat, d.lon}, "call district " + std::to_string(digit)};
        return std::nullopt;
    }
    if (country != Country::canada) return std::nullopt;
    const char* province = nullptr;
    if (prefix == "VO")
        province = digit == 1 ? "NL" : digit == 2 ? "LB" : nullptr;
    else if (prefix == "VY")
        province = digit == 0 ? "NU" : digit == 1 ? "YT" : digit == 2 ? "PE" : nullptr;
    else
        for (const char* p : kCanadianPrefixes)
            if (prefix == p) province = kCanadianDigits[digit];
    if (!province) return std::nullopt;
    if (const Region* r = find_region("CA", province))
        return named(*r, name + " (" + province + ")");
    return std::nullopt;
}

std::optional<double> country_radius_km(std::string_view entity) {
    for (const Radius& r : kRadii)
        if (entity == r.entity) return r.km;
    return std::nullopt;
}

double distance_km(const LatLon& a, const LatLon& b) {
    constexpr double kRadian = 3.14159265358979323846 / 180;
    const double p1 = a.lat * kRadian, p2 = b.lat * kRadian, dl = (b.lon - a.lon) * kRadian;
    const double c = std::sin(p1) * std::sin(p2) + std::cos(p1) * std::cos(p2) * std::cos(dl);
    return kEarthRadiusKm * std::acos(std::fmax(-1.0, std::fmin(1.0, c)));
}

}  // namespace skywave
