// The prediction data file: one screen per computed time step, a header line and
// five symbol lines per written grid row, classifying each point's short- and
// long-path MOF and LOF into three levels.
#pragma once

#include <string>
#include <string_view>

#include "model/result_arrays.h"

namespace skywave {

struct Model;
struct RunSettings;

// The header line of the current step (month, day, time, indices, QTH), with its
// line end.
std::string make_header_line(const Model& m);

// Appends one screen for the current step to out.
void write_screen(Model& m, std::string& out);

// Appends the symbol line of row p_lat_idx of array: type 0/1 MOF short/long,
// 2 the terminator and QTH marks, 3/4 LOF short/long.
void make_line(Model& m, const Array2D& array, char type, int rise_long, int set_long,
               std::string& out);

// Symbol of a whole-MHz value for path 'S' (short) or anything else (long).
char mof_symbol(const Model& m, int a, char path);
char lof_symbol(const Model& m, int a, char path);

// The grain of an existing prediction file (1 to 3), 0 when it has no known
// layout, or -1 when the file cannot be read.
int detect_grain(const std::string& file_name);
// The same for a file's text (1 to 3, or 0).
int detect_grain_text(std::string_view text);
// Stores the grain of file_name into display_grain; leaves it alone when the file
// cannot be opened.
void read_display_grain(RunSettings& s, const std::string& file_name);

}  // namespace skywave
