#include "tuning/score.h"

#include "base/cformat.h"
#include "base/line_reader.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "base/report.h"
#include "model/grid.h"

namespace skywave {

namespace {

constexpr const char* kKindNames[kScoreKinds] = {"SP_MOF", "LP_MOF", "BT_MOF",
                                                 "SP_LOF", "LP_LOF", "BT_LOF"};

char normalised(char c) {
    switch (c) {
        case ' ':
            return '0';
        case 'A':
            return '1';
        case 'B':
            return '2';
        case 'C':
            return '3';
        default:
            return c;
    }
}

bool is_level(char c) {
    return c >= '0' && c <= '3';
}

void write_block(Report& report, const ScoreCounters& c) {
    report.write("       BETTER     AT  WORSE    COUNT\n");
    for (int t = 0; t < kScoreKinds; ++t)
        report.printf("%s  %5.1f  %5.1f  %5.1f    %5.0f\n", kKindNames[t], D(c.above[t]),
                      D(c.at[t]), D(c.below[t]), D(c.count[t]));
}

// Turns counts into percentages of the cells counted (or leaves zeros alone).
void to_percent(float& above, float& at, float& below, float counted) {
    float scale = float(D(counted) * 0.01);
    if (scale == 0) scale = 1.0f;
    at = float(D(at) / scale);
    above = float(D(above) / scale);
    below = float(D(below) / scale);
}

}  // namespace

std::string screen_line(LineReader& in) {
    std::string line;
    if (in.next(line) && in.had_line_end()) line.push_back('\n');
    return line;
}

void compare_line(std::string& buff, std::string& buff2, int type, int n_cols,
                  ScoreCounters& counters) {
    if (int(buff.size()) < n_cols) buff.resize(std::size_t(n_cols), ' ');
    if (int(buff2.size()) < n_cols) buff2.resize(std::size_t(n_cols), ' ');
    for (int x = 0; x < n_cols; ++x) {
        buff[x] = normalised(buff[x]);
        buff2[x] = normalised(buff2[x]);
        if (!is_level(buff[x]) || !is_level(buff2[x])) continue;
        const int p = buff[x] - '0', o = buff2[x] - '0';
        if (o > p)
            counters.above[type] = float(D(counters.above[type]) + 1);
        else if (o == p && p > 0)
            counters.at[type] = float(D(counters.at[type]) + 1);
        else if (o < p && o > 0)
            counters.below[type] = float(D(counters.below[type]) + 1);
    }
}

void better_of_both(std::string& s, const std::string& l, int n_cols) {
    for (int x = 0; x < n_cols && x < int(s.size()) && x < int(l.size()); ++x) {
        const char lp = l[x];
        switch (s[x]) {
            case '0':
                s[x] = lp;
                break;
            case '1':
                if (lp == '2' || lp == '3') s[x] = lp;
                break;
            case '2':
                if (lp == '3') s[x] = '3';
                break;
            default:
                break;
        }
    }
}

std::optional<ScoreResults> ScoreFiles(const Grid& grid, const std::string& prediction,
                                       const std::string& observations, Report* report,
                                       MessageSink& messages) {
    FileText one = read_file_text(prediction);
    if (!one.opened) {
        messages.show_message("Can't open first file for comparison", "Error",
                              one.open_error_text());
        return std::nullopt;
    }
    if (!one.ok()) {
        messages.show_message(one.error_text(), kReadErrorCaption);
        return std::nullopt;
    }
    return score_texts(grid, std::move(one), read_file_text(observations), report, messages);
}

std::optional<ScoreResults> score_texts(const Grid& grid, FileText prediction,
                                        FileText observations, Report* report,
                                        MessageSink& messages,
                                        const std::function<void(long)>& screen_done) {
    if (!prediction.opened) {
        messages.show_message("Can't open first file for comparison", "Error",
                              prediction.open_error_text());
        return std::nullopt;
    }
    if (!observations.opened) {
        messages.show_message("Can't open second file for comparison", "Error",
                              observations.open_error_text());
        return std::nullopt;
    }
    for (const FileText* f : {&prediction, &observations})
        if (!f->ok()) {
            messages.show_message(f->error_text(), kReadErrorCaption);
            return std::nullopt;
        }
    const std::string prediction_name = prediction.name, observations_name = observations.name;
    LineReader data_file(std::move(prediction)), compare_file(std::move(observations));
    const int n_cols = grid.n_cols;
    ScoreCounters sum;
    if (report) {
        report->printf("FILE 1=%s\n", prediction_name.c_str());
        report->printf("FILE 2=%s\n\n", observations_name.c_str());
    }

    std::string head1, head2;
    long screens = 0;
    while (data_file.next(head1) && compare_file.next(head2)) {
        if (report) {
            report->printf("\nFILE 1=%s\n", head1.c_str());
            report->printf("FILE 2=%s\n", head2.c_str());
        }
        ScoreCounters step;
        for (int row = 0; row < grid.out_rows; ++row) {
            for (int half = 0; half < 2; ++half) {  // MOF lines, then LOF lines
                const int kind = half == 0 ? SP_MOF : SP_LOF;
                std::string p1 = screen_line(data_file), o = screen_line(compare_file);
                compare_line(p1, o, kind, n_cols, step);
                std::string p2 = screen_line(data_file);
                screen_line(compare_file);  // the observations' long path is not scored
                compare_line(p2, o, kind + 1, n_cols, step);
                better_of_both(p1, p2, n_cols);
                compare_line(p1, o, kind + 2, n_cols, step);
                if (half == 0) {  // the marker lines
                    screen_line(data_file);
                    screen_line(compare_file);
                }
            }
        }
        for (int t = 0; t < kScoreKinds; ++t) {
            sum.at[t] = float(D(sum.at[t]) + step.at[t]);
            sum.above[t] = float(D(sum.above[t]) + step.above[t]);
            sum.below[t] = float(D(sum.below[t]) + step.below[t]);
            step.count[t] = float(D(step.at[t]) + step.above[t] + step.below[t]);
            sum.count[t] = float(D(sum.count[t]) + step.count[t]);
            to_percent(step.above[t], step.at[t], step.below[t], step.count[t]);
        }
        if (report) write_block(*report, step);
        if (screen_done) screen_done(++screens);
    }

    ScoreCounters final = sum;
    for (int t = 0; t < kScoreKinds; ++t)
        to_percent(final.above[t], final.at[t], final.below[t],
                   float(D(sum.at[t]) + sum.above[t] + sum.below[t]));
    if (report) {
        report->write("\n\nFINAL TOTALS\n");
        write_block(*report, final);
    }
    return ScoreResults{final.above[BT_MOF], final.at[BT_MOF],    final.below[BT_MOF],
                        final.count[BT_MOF], final.above[BT_LOF], final.at[BT_LOF],
                        final.below[BT_LOF], final.count[BT_LOF]};
}

}  // namespace skywave
