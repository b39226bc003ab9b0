// The callsign prefix table in the cty.dat format: for every country ("entity") a
// line of name, zones, continent, latitude, longitude (west positive), time offset
// and main prefix, then the prefixes and exact callsigns ("=CALL") of that entity,
// separated by commas and closed by ";". A prefix or call may carry overrides in
// brackets: (CQ zone), [ITU zone], <latitude/longitude>, {continent}, ~time offset~.
//
// A call is placed at its entity's position: the logs say nothing finer.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/maidenhead.h"

namespace skywave {

struct CallPlace {
    enum Kind { found, unknown, at_sea };  // at_sea: maritime or aeronautical mobile
    Kind kind = unknown;
    LatLon place;
    std::string entity;
    std::string location;  // the part of the call it was placed by ("W1" of "W1/G3ABC")
};

class PrefixTable {
public:
    // Reads a table; on failure error names the file (and the line) and says why.
    static std::optional<PrefixTable> read(const std::string& file, std::string& error);
    static std::optional<PrefixTable> parse(std::string_view text, const std::string& file,
                                            std::string& error);

    // Where a call is: an exact entry of the whole call first, then the call's
    // location part (the prefix of "W1/G3ABC", the home call of "G3ABC/P", a new call
    // area for "UA1ABC/9"), again exactly and then by its longest listed prefix.
    CallPlace locate(std::string_view call) const;

    std::size_t entity_count() const { return entities_.size(); }

private:
    struct Target {
        int entity = 0;
        std::optional<LatLon> place;  // an override of the entity's position
    };
    CallPlace place_of(const Target& t) const;
    std::optional<CallPlace> find(const std::string& text) const;

    struct Entity {
        std::string name;
        LatLon place;
    };
    std::vector<Entity> entities_;
    std::unordered_map<std::string, Target> exact_, prefix_;
    std::size_t longest_prefix_ = 0;
};

}  // namespace skywave
