// Constants files: one line per constant, "group cons value default class flag name",
// values in shown units (degrees for angles). "MOF.DAT" in the working directory
// carries a user's tuned constants from one start of the program to the next.
#pragma once

#include <iosfwd>
#include <string>

namespace skywave {

struct Model;
struct RunSettings;
class MessageSink;

inline constexpr const char* kDefaultConstantsFile = "MOF.DAT";

// Writes every constant in table order. The file is replaced only once the new one
// is complete; on failure the old file is left as it was. Returns false on failure
// (reported).
bool WriteConsts(const RunSettings& s, const std::string& file_name, MessageSink& messages);

// Applies every matching line of the file; reports each line that does not match.
// Returns false when the file cannot be opened or read to its end (reported; nothing
// is applied).
bool ReadConsts(RunSettings& s, const std::string& file_name, MessageSink& messages);

// Applies the lines of a constants file read from a stream.
void read_consts_lines(RunSettings& s, std::istream& in, MessageSink& messages);

// The per-step hook for changing constants during a run: changes nothing.
int ChangeConsts(Model& m);

// Brings the constants into their starting state: defaults, then the default
// constants file (unless read_mof_dat is false), then the grid.
void first_use_init(RunSettings& s, MessageSink& messages, bool read_mof_dat = true);

}  // namespace skywave
