#include "model/constants.h"

#include <cstring>

namespace skywave {

const std::array<const_desc, kConstCount> const_table = {{
#define SKYWAVE_GROUP(index, name)
#define SKYWAVE_CONST(group, name, init, scale, type) \
    {#name, &Constants::name, float(init), scale, type},
#include "model/constants_table.inc"
#undef SKYWAVE_CONST
#undef SKYWAVE_GROUP
}};

namespace {

struct GroupSpan {
    const char* name;
    int first;
    int count;
};

constexpr std::array<GroupSpan, kGroupCount> make_spans() {
    std::array<GroupSpan, kGroupCount> spans{};
    int counts[kGroupCount] = {};
    const char* names[kGroupCount] = {};
#define SKYWAVE_GROUP(index, name) names[index] = name;
#define SKYWAVE_CONST(group, name, init, scale, type) ++counts[group];
#include "model/constants_table.inc"
#undef SKYWAVE_CONST
#undef SKYWAVE_GROUP
    int first = 0;
    for (int g = 0; g < kGroupCount; ++g) {
        spans[g] = {names[g], first, counts[g]};
        first += counts[g];
    }
    return spans;
}

constexpr auto kSpans = make_spans();
static_assert(kSpans[kGroupCount - 1].first + kSpans[kGroupCount - 1].count == kConstCount);

}  // namespace

const std::array<group_desc, kGroupCount> const_groups = [] {
    std::array<group_desc, kGroupCount> groups{};
    for (int g = 0; g < kGroupCount; ++g) {
        groups[g] = {
            kSpans[g].name, 1,
            std::span<const const_desc>(const_table.data() + kSpans[g].first, kSpans[g].count),
            kSpans[g].first};
    }
    return groups;
}();

int is_legal_group(int in_group) {
    return in_group >= 0 && in_group < kGroupCount ? 1 : 0;
}

int is_legal_cons(int group, int in_cons) {
    if (!is_legal_group(group)) return 0;
    return in_cons >= 0 && in_cons < int(kSpans[group].count) ? 1 : 0;
}

int is_same_name(int group, int cons, std::string_view name) {
    if (!is_legal_cons(group, cons)) return 0;
    return name == const_table[flat_index(group, cons)].name ? 1 : 0;
}

int flat_index(int group, int cons) {
    return kSpans[group].first + cons;
}

int find_constant(std::string_view name) {
    for (int i = 0; i < kConstCount; ++i)
        if (name == const_table[i].name) return i;
    return -1;
}

void init_consts(Constants& c) {
    for (const const_desc& d : const_table)
        c.*d.val = d.init;
}

}  // namespace skywave
