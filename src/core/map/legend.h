// What the map's colours mean, in a ham's words: the frequencies the COLOR constants in
// force give each band, and the value ranges of an examined array's ten levels.
#pragma once

#include <array>
#include <string>

#include "files/replay.h"
#include "map/map_view.h"

namespace skywave {

struct Constants;

// Levels 3, 2, 1 (red, green, blue): "MOF ≥ 28 MHz (10 m)" ... A cell shows a level
// when the whole MHz of its value reach the constant: MOF ≥ its next whole MHz, LOF
// below the whole MHz after it ("LOF < 3 MHz (160 m)" for a constant of 2).
std::array<std::string, 3> level_texts(const Constants& k, ViewState::Lines lines);

// What a replayed screen shows, in words: "5 Mar 14:30 UTC · flux 150 A 7 K 2 · QTH
// 42.5°N 73.0°W FN32 · MOF, both paths · screen 3 of 24". The QTH is the header's
// (0.1°); a header without its numbers gives the lines and the screen alone.
std::string screen_caption(const ReplayScreen& screen, const ViewState& view, int number,
                           int screens);

// The ten levels of an examined array, in the units it is shown in: level i from
// min + i·step (the last one up to the maximum).
std::array<std::string, 10> array_level_texts(const ExamState& exam);

}  // namespace skywave
