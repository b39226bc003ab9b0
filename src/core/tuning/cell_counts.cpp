#include "tuning/cell_counts.h"

#include <vector>

#include "base/cformat.h"
#include "base/line_reader.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "files/contest.h"
#include "model/geomag.h"
#include "model/grid.h"

namespace skywave {

namespace {

int level_of(char c) {
    switch (c) {
        case ' ':
        case '0':
            return 0;
        case '1':
        case '2':
        case '3':
            return c - '0';
        case 'A':
        case 'B':
        case 'C':
            return c - 'A' + 1;
        default:
            return -1;
    }
}

// The level of a normalised cell of a line padded to the grid's width.
int cell_level(const std::string& line, int x) {
    return x < int(line.size()) ? level_of(line[std::size_t(x)]) : 0;
}

// What a screen's header says of its hour: the observations' own, else the prediction's.
float screen_hour(const std::string& observed_header, const std::string& predicted_header) {
    for (const std::string* h : {&observed_header, &predicted_header})
        if (const std::optional<ContestHeader> parsed = parse_contest_header(*h))
            return parsed->unused;
    return -1;
}

void count_kind(int p, int o, KindCounts& k) {
    if (o > p)
        ++k.above;
    else if (o == p && p > 0)
        ++k.at;
    else if (o < p && o > 0)
        ++k.below;
}

}  // namespace

ScoreResults score_results(const CellCounts& c) {
    // As the score turns its float counters into shares of the cells counted.
    const auto shares = [](const KindCounts& k, float& above, float& at, float& below,
                           float& count) {
        count = float(k.points());
        float scale = float(D(count) * 0.01);
        if (scale == 0) scale = 1.0f;
        at = float(D(float(k.at)) / scale);
        above = float(D(float(k.above)) / scale);
        below = float(D(float(k.below)) / scale);
    };
    ScoreResults r;
    shares(c.mof, r.mof_above, r.mof_at, r.mof_below, r.mof_count);
    shares(c.lof, r.lof_above, r.lof_at, r.lof_below, r.lof_count);
    return r;
}

std::string counts_row(const std::string& label, int width, const CellCounts& c) {
    const ScoreResults r = score_results(c);
    return cformat("%-*s %5.1f %5.1f %5.1f %6ld %6ld   %5.1f %5.1f %5.1f %6ld %6ld\n", width,
                   label.c_str(), D(r.mof_above), D(r.mof_at), D(r.mof_below), c.mof.points(),
                   c.mof.above, D(r.lof_above), D(r.lof_at), D(r.lof_below), c.lof.points(),
                   c.lof.above);
}

std::string counts_heading(const std::string& title, int width) {
    return cformat("%-*s --------------- MOF --------------   --------------- LOF --------------\n",
                   width, "") +
           cformat("%-*s     >    ==     <    PTS MISSES       >    ==     <    PTS MISSES\n",
                   width, title.c_str());
}

bool walk_cells(const Grid& grid, FileText prediction, FileText observations,
                const std::function<void(const ObservedCell&)>& visit, MessageSink& messages) {
    if (!prediction.opened) {
        messages.show_message("Can't open first file for comparison", "Error",
                              prediction.open_error_text());
        return false;
    }
    if (!observations.opened) {
        messages.show_message("Can't open second file for comparison", "Error",
                              observations.open_error_text());
        return false;
    }
    for (const FileText* f : {&prediction, &observations})
        if (!f->ok()) {
            messages.show_message(f->error_text(), kReadErrorCaption);
            return false;
        }
    const ContestHeaderRead qth = read_contest_header(observations, messages);
    if (!qth.header) return false;  // reported

    // The distance of every cell's centre from the QTH, as the run places the QTH, by the
    // character of a screen line (they run eastward: character c holds grid column
    // n_cols - 1 - c).
    const int n_cols = grid.n_cols;
    std::vector<double> distance(std::size_t(grid.out_rows * n_cols));
    for (int r = 0; r < grid.out_rows; ++r)
        for (int c = 0; c < n_cols; ++c) {
            range_azim ra{float(D(qth.header->lat) * kRadPerDeg2),
                          float(D(qth.header->lon) * kRadPerDeg2),
                          grid.row_lat(r + 1),
                          grid.col_lon(n_cols - 1 - c),
                          0,
                          0};
            compute_range_azim(&ra);
            distance[std::size_t(r * n_cols + c)] = D(ra.range) * kEarthRadiusKm;
        }

    LineReader data_file(std::move(prediction)), compare_file(std::move(observations));
    ScoreCounters ignored;  // compare_line normalises; the counts are taken below
    std::string head1, head2;
    bool predicted = true;
    for (int screen = 0;; ++screen) {
        predicted = predicted && data_file.next(head1);
        if (!predicted) head1.clear();
        if (!compare_file.next(head2)) break;
        ObservedCell cell;
        cell.screen = screen;
        cell.hour = screen_hour(head2, head1);
        cell.predicted = predicted;
        for (int row = 0; row < grid.out_rows; ++row) {
            std::string mof[2], lof[2];  // better of both predicted, observed
            for (int half = 0; half < 2; ++half) {
                std::string p1 = predicted ? screen_line(data_file) : std::string();
                std::string o = screen_line(compare_file);
                std::string p2 = predicted ? screen_line(data_file) : std::string();
                screen_line(compare_file);  // the observations' long path is not scored
                compare_line(p1, o, SP_MOF, n_cols, ignored);
                compare_line(p2, o, LP_MOF, n_cols, ignored);
                better_of_both(p1, p2, n_cols);
                if (half == 0) {  // the marker lines
                    if (predicted) screen_line(data_file);
                    screen_line(compare_file);
                }
                (half == 0 ? mof : lof)[0] = std::move(p1);
                (half == 0 ? mof : lof)[1] = std::move(o);
            }
            for (int x = 0; x < n_cols; ++x) {
                cell.o_mof = cell_level(mof[1], x);
                cell.o_lof = cell_level(lof[1], x);
                if (cell.o_mof == 0 && cell.o_lof == 0) continue;  // nothing observed
                cell.p_mof = cell_level(mof[0], x);
                cell.p_lof = cell_level(lof[0], x);
                cell.distance_km = distance[std::size_t(row * n_cols + x)];
                visit(cell);
            }
        }
    }
    return true;
}

void count_cell(const ObservedCell& cell, double min_distance_km, CellCounts& counts) {
    Uncounted& u = counts.uncounted;
    const bool worked = cell.o_mof > 0 || cell.o_lof > 0;
    if (!cell.predicted) {
        if (worked) ++u.no_prediction;
        return;
    }
    if (cell.distance_km < min_distance_km) {
        if (worked) ++u.too_near;
        return;
    }
    // A kind is counted where both cells hold a level and something was observed.
    const bool mof_level = cell.o_mof >= 0 && cell.p_mof >= 0;
    const bool lof_level = cell.o_lof >= 0 && cell.p_lof >= 0;
    if (mof_level) count_kind(cell.p_mof, cell.o_mof, counts.mof);
    if (lof_level) count_kind(cell.p_lof, cell.o_lof, counts.lof);
    if ((!mof_level && cell.o_mof != 0) || (!lof_level && cell.o_lof != 0)) ++u.no_level;
    if (cell.o_mof == 0 && cell.o_lof > 0) ++u.mof_below_bands;
    if (cell.o_lof == 0 && cell.o_mof > 0) ++u.lof_above_bands;
}

std::optional<CellCounts> count_cells(const Grid& grid, FileText prediction, FileText observations,
                                      double min_distance_km, MessageSink& messages) {
    CellCounts counts;
    if (!walk_cells(
            grid, std::move(prediction), std::move(observations),
            [&](const ObservedCell& c) { count_cell(c, min_distance_km, counts); }, messages))
        return std::nullopt;
    return counts;
}

}  // namespace skywave
