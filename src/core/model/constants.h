// The named model constants: every number that shapes a prediction, reached by name.
//
// `Constants` holds the live values, one float member per constant, named as the
// table names it. The descriptor table binds each name to its member, so every
// model owns its own values and two runs can proceed side by side.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace skywave {

struct Constants {
#define SKYWAVE_GROUP(index, name)
#define SKYWAVE_CONST(group, name, init, scale, type) float name = float(init);
#include "model/constants_table.inc"
#undef SKYWAVE_CONST
#undef SKYWAVE_GROUP
};

inline constexpr int kConstCount = 185;
inline constexpr int kGroupCount = 17;

struct const_desc {
    const char* name;
    float Constants::*val;
    float init;
    std::int8_t scale_factor;  // index into scale_table
    std::int8_t cons_type;     // 0 never swept, 1..3 numeric, 4 on/off switch
};

struct group_desc {
    const char* name;
    int recalc;
    std::span<const const_desc> con;
    int first;  // flat index of the group's first constant
};

// Shown value = live value x scale_table[scale_factor]; angles are shown in degrees.
inline constexpr std::array<float, 2> scale_table = {1.0f, 57.29578f};

extern const std::array<const_desc, kConstCount> const_table;
extern const std::array<group_desc, kGroupCount> const_groups;

// One byte per constant (flat table order): 1 marks the constant for the sweep.
using DiddleFlags = std::array<std::int8_t, kConstCount>;

int is_legal_group(int in_group);
int is_legal_cons(int group, int in_cons);
int is_same_name(int group, int cons, std::string_view name);

// The flat index of (group, cons); both must be legal.
int flat_index(int group, int cons);
// The flat index of the constant with this name, or -1.
int find_constant(std::string_view name);

// Every live value back to its default; the diddle flags are left alone.
void init_consts(Constants& c);

inline float shown_value(const Constants& c, const const_desc& d) {
    return float(double(c.*d.val) * scale_table[d.scale_factor]);
}

}  // namespace skywave
