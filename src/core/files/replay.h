// Replay of a prediction (or contest) file, screen by screen, round and round.
#pragma once

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
    // Opens the file, reading it whole and once: the grain from the file (into
    // display_grain and the grid), the QTH of the overlays from its first header.
    // Reports "Can't read the file grain", "Can't open the file" or "Can't read FILE:
    // cause" and returns false on failure.
    bool open(std::string file_name, Model& m, MessageSink& messages);
    void close();
    bool is_open() const { return open_; }
    const std::string& file_name() const { return name_; }
    // The screens the file holds (a last one cut short counts).
    int screen_count() const;
    // The screen ReadScreen read last, from 1 (0 before the first).
    int screen_number() const { return number_; }
    // Makes screen n (from 1; beyond the last: the first) the one ReadScreen reads next.
    void seek(int n);

    // Reads the next screen, starting over at the end of the file; sets month, day,
    // calc_time and header_line of the model from its header.
    void ReadScreen(Model& m, ReplayScreen& screen);

private:
    bool next_line(std::string& line);
    std::string text_;
    std::size_t pos_ = 0;
    int lines_per_screen_ = 1;
    int number_ = 0;       // the screen read last
    int next_number_ = 1;  // the screen at pos_
    bool open_ = false;
    std::string name_;
};

}  // namespace skywave
