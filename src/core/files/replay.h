// Replay of a prediction (or contest) file, screen by screen, round and round.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace skywave {

struct Model;
class MessageSink;

inline constexpr int kScreenLineWidth = 80;

// One screen: its header and five symbol lines per written grid row, each padded with
// blanks to 80 characters.
struct ReplayScreen {
    std::string header;
    std::vector<std::string> lines;
};

class ReplayFile {
public:
    // Opens the file: the grain from the file (into display_grain and the grid), the
    // QTH of the overlays from its first header. Reports "Can't read the file grain"
    // or "Can't open the file" and returns false on failure.
    bool open(std::string file_name, Model& m, MessageSink& messages);
    void close();
    bool is_open() const { return in_.is_open(); }
    const std::string& file_name() const { return name_; }

    // Reads the next screen, starting over at the end of the file; sets month, day,
    // calc_time and header_line of the model from its header.
    void ReadScreen(Model& m, ReplayScreen& screen);

private:
    bool next_line(std::string& line);
    std::ifstream in_;
    std::string name_;
};

}  // namespace skywave
