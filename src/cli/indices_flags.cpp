#include "indices_flags.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "base/cformat.h"
#include "base/messages.h"
#include "observations/gfz_indices.h"
#include "run/settings_form.h"
#include "run_options.h"

namespace skywave::cli {

void add_indices_flags(CLI::App& app, RunFlags& flags) {
    CLI::Option* indices =
        app.add_option("--indices", flags.indices,
                       "flux, A and K of the run's dates from a GFZ daily indices file")
            ->type_name("GFZFILE");
    app.add_option("--year", flags.year,
                   "year of the run's dates in --indices (default: the latest in the file)")
        ->type_name("Y")
        ->needs(indices);
    for (const char* name : {"--flux", "--a-index", "--k-index"})
        if (CLI::Option* o = app.get_option_no_throw(name)) indices->excludes(o);
}

std::optional<IndicesText> indices_for_dates(const std::string& file,
                                             const std::vector<CivilDate>& dates,
                                             MessageSink& messages) {
    const std::optional<GfzIndices> table = GfzIndices::read(file, messages);
    if (!table) return std::nullopt;
    const RunIndices r = mean_indices(*table, dates);
    const std::string span = dates.empty() ? std::string("no date")
                             : dates.size() == 1
                                 ? iso_text(dates.front())
                                 : iso_text(dates.front()) + " to " + iso_text(dates.back());
    if (const std::optional<std::string> missing = missing_index(r)) {
        messages.show_message(file + ": no " + *missing + " for " + span, "SOLAR DATA ERROR!");
        return std::nullopt;
    }
    std::fprintf(
        stderr,
        "note: indices of %s from %s: flux %d (mean of %d days), A %d (%d days), K %d (%d days)\n",
        span.c_str(), file.c_str(), *r.flux, r.flux_days, *r.a_index, r.a_days, *r.k_index,
        r.k_days);
    return IndicesText{std::to_string(*r.flux), std::to_string(*r.a_index),
                       std::to_string(*r.k_index)};
}

bool indices_into_fields(SettingsFields& f, const RunFlags& flags, MessageSink& messages) {
    if (!flags.indices) return true;
    const auto num = [](const std::string& s) { return parse_long(s).value_or(-1); };
    const long sm = num(f.start_month), sd = num(f.start_day), em = num(f.stop_month),
               ed = num(f.stop_day);
    long pm = num(f.step_month), pd = num(f.step_day);
    if (sm < 1 || sm > 12 || sd < 1 || sd > 31 || em < 1 || em > 12 || ed < 1 || ed > 31)
        return true;
    if (sm == em && sd == ed) pm = pd = 1;  // a single date
    int year = flags.year.value_or(0);
    if (!flags.year) {
        const std::optional<GfzIndices> table = GfzIndices::read(*flags.indices, messages);
        if (!table) return false;
        const std::vector<int> years = table->years_with(int(sm), int(sd));
        if (years.empty()) {
            messages.show_message(
                cformat("%s holds no indices for %ld/%ld", flags.indices->c_str(), sm, sd),
                "SOLAR DATA ERROR!");
            return false;
        }
        year = years.back();
    }
    // The dates in the driver's order: the days of each month, the months in steps.
    std::vector<CivilDate> dates;
    long day = sd, month = sm;
    for (int n = 0; n < 400; ++n) {
        const CivilDate d{year, int(month), int(day)};
        if (is_valid(d)) dates.push_back(d);
        day += pd;
        if (day > ed) {
            day = sd;
            month += pm;
        }
        if (day > ed || month > em) break;
    }
    const std::optional<IndicesText> t = indices_for_dates(*flags.indices, dates, messages);
    if (!t) return false;
    f.flux = t->flux;
    f.a_index = t->a_index;
    f.k_index = t->k_index;
    return true;
}

}  // namespace skywave::cli
