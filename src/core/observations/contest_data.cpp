#include "observations/contest_data.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include "base/messages.h"
#include "base/numbers.h"
#include "base/output_file.h"
#include "base/safe_file.h"
#include "files/prediction_file.h"
#include "model/model.h"

namespace skywave {

std::optional<GridCell> grid_cell(const Grid& g, LatLon p) {
    if (!(p.lat >= -90 && p.lat <= 90) || !std::isfinite(p.lon)) return std::nullopt;
    double west = std::fmod(-p.lon, 360.0);  // the engine counts longitudes westward
    if (west < 0) west += 360;
    // Rows of 180 / n_rows degrees from the north pole, columns of 360 / n_cols degrees
    // westward from Greenwich; a point on a border belongs to the cell south or west of it.
    const int row = cell_index((90 - p.lat) * g.n_rows / 180.0, g.n_rows);
    const int col = cell_index(west * g.n_cols / 360.0, g.n_cols);
    if (row < 1 || row > g.out_rows) return std::nullopt;
    return GridCell{row, col};
}

std::vector<CivilDate> dates_between(const CivilDate& first, const CivilDate& last) {
    std::vector<CivilDate> dates;
    for (CivilDate d = first; d <= last && is_valid(d); d = next_day(d))
        dates.push_back(d);
    return dates;
}

std::string contest_data_text(Model& m, const std::vector<CivilDate>& dates,
                              const std::vector<CellObservation>& observations,
                              const std::string& word) {
    if (!m.arrays) {  // the writer needs the four path arrays, not a run's caches
        set_grain(m.grid, m.consts.display_grain);
        m.arrays = std::make_unique<ResultArrays>();
    }
    ResultArrays& a = *m.arrays;
    std::map<std::pair<CivilDate, int>, std::vector<const CellObservation*>> by_hour;
    for (const CellObservation& o : observations)
        by_hour[{o.date, o.hour}].push_back(&o);

    std::string text;
    for (const CivilDate& date : dates) {
        m.consts.month = float(date.month);
        m.consts.day = float(date.day);
        for (int hour = 0; hour < 24; ++hour) {
            m.consts.calc_time = float(hour);
            // Nothing observed: the values of a path that is switched off, blank on
            // every line.
            for (int r = 0; r < m.grid.n_rows; ++r)
                for (int c = 0; c < m.grid.n_cols; ++c) {
                    a.mof[r][c] = a.longmof[r][c] = 0;
                    a.lof[r][c] = a.longlof[r][c] = 30;
                }
            // The highest frequency worked sets the MOF level, the lowest the LOF level.
            if (auto it = by_hour.find({date, hour}); it != by_hour.end())
                for (const CellObservation* o : it->second) {
                    float& mof = a.mof[o->cell.row][o->cell.col];
                    float& lof = a.lof[o->cell.row][o->cell.col];
                    if (o->mhz > mof) mof = o->mhz;
                    if (o->mhz < lof) lof = o->mhz;
                }
            m.header_line = make_header_line(m);
            m.header_line.insert(m.header_line.size() - 1, word);
            write_screen(m, text);
        }
    }
    return text;
}

bool write_whole_file(const std::string& file_name, const std::string& text,
                      MessageSink& messages) {
    const int err = replace_file(file_name, text);
    if (err == EWOULDBLOCK)
        messages.show_message(busy_text(file_name), kOutputErrorCaption);
    else if (err != 0)
        messages.show_message(creation_failure(file_name, err), "FILE ERROR!");
    return err == 0;
}

}  // namespace skywave
