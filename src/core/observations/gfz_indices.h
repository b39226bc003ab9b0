// Daily solar and geomagnetic indices in the GFZ Potsdam format (the file
// Kp_ap_Ap_SN_F107_since_1932.txt): lines starting with "#" are comments; a data
// line holds 28 fields separated by blanks:
//   YYYY MM DD days days_m Bsr dB Kp1..Kp8 ap1..ap8 Ap SN F10.7obs F10.7adj D
// Missing values are negative (-1).
//
// A run has one flux, one A and one K index. They are taken from the file as the
// observed 10.7 cm flux (F10.7obs, recommended for ionospheric work), the daily Ap,
// and a daily K: the mean of the day's eight 3-hour Kp values, the geomagnetic
// activity the whole day saw, as the A index is a mean too.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "observations/observations.h"

namespace skywave {

class MessageSink;

struct DailyIndices {
    float kp[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    float ap = -1;    // daily Ap
    float flux = -1;  // F10.7obs, sfu
    // The mean of the Kp values present; nothing when none is.
    std::optional<double> daily_k() const;
};

class GfzIndices {
public:
    // Reads the file; a line that is neither a comment nor a data line is reported
    // with its number (caption "INDICES ERROR!") and nothing is returned.
    static std::optional<GfzIndices> read(const std::string& file, MessageSink& messages);

    void add(const CivilDate& date, const DailyIndices& day) { days_[date] = day; }
    const DailyIndices* find(const CivilDate& date) const;
    // The years in which the file holds the given month and day, oldest first.
    std::vector<int> years_with(int month, int day) const;

private:
    std::map<CivilDate, DailyIndices> days_;
};

// The run's indices over some dates: each the mean of the days that have a value,
// rounded to a whole number as the run settings hold it; nothing where no day has
// one. days_* count the days that entered each mean.
struct RunIndices {
    std::optional<int> flux, a_index, k_index;
    int flux_days = 0, a_days = 0, k_days = 0;
};
RunIndices mean_indices(const GfzIndices& table, const std::vector<CivilDate>& dates);

// The first index that no date had ("flux", "A index", "K index"), or nothing.
std::optional<std::string> missing_index(const RunIndices& r);

}  // namespace skywave
