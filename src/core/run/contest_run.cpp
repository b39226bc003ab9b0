#include "run/contest_run.h"

#include "base/cformat.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "files/prediction_file.h"

namespace skywave {

RunTimes run_times(const RunSettings& s) {
    return {s.consts.start_time, s.consts.stop_time, s.consts.step_time};
}

void apply_contest_header(RunSettings& s, const ContestHeader& h) {
    Constants& k = s.consts;
    k.month = h.month;
    k.day = h.day;
    k.sf_index = h.sf_index;
    k.a_index = h.a_index;
    k.k_index = h.k_index;
    k.rlat = float(D(h.lat) * kRadPerDeg2);
    k.rlon = float(D(h.lon) * kRadPerDeg2);
}

bool set_run_dates(RunSettings& s, const DateSpan& span, MessageSink& messages) {
    const auto valid = [](int month, int day) {
        return month >= 1 && month <= 12 && day >= 1 && day <= 31;
    };
    if (!valid(span.first_month, span.first_day) || !valid(span.last_month, span.last_day)) {
        messages.show_message("DATE not readable.", "DATE ERROR!");
        return false;
    }
    if (span.first_month != span.last_month || span.last_day < span.first_day) {
        messages.show_message(
            cformat("The observations run from %d/%d to %d/%d, across a month end; give "
                    "--start-date and --stop-date to score a part of them.",
                    span.first_month, span.first_day, span.last_month, span.last_day),
            "DATE ERROR!");
        return false;
    }
    s.dates = {float(span.first_day),
               float(span.first_month),
               float(span.last_day),
               float(span.last_month),
               1,
               1};
    s.consts.day = s.dates.start_day;
    s.consts.month = s.dates.start_month;
    return true;
}

ContestRun prepare_contest_run(RunSettings& s, const std::string& file,
                               const ContestRunRequest& request, MessageSink& messages) {
    ContestRun run;
    run.contest = read_file_text(file);
    const ContestHeaderRead read = read_contest_header(run.contest, messages);
    run.header = read.header;
    if (!read.header) {
        run.status = read.read_error ? ContestRunStatus::read_error
                     : read.opened   ? ContestRunStatus::bad_header
                                     : ContestRunStatus::cannot_open;
        return run;
    }
    const int grain = request.grain ? request.grain : detect_grain_text(run.contest.text);
    if (!grain_info(grain)) {
        run.status = ContestRunStatus::no_grain;
        return run;
    }
    run.grain = grain;

    RunSettings prepared = s;
    prepared.consts.display_grain = float(grain);
    // The header's date stands until the span's first date replaces it.
    apply_contest_header(prepared, *read.header);
    if (request.file_dates) {
        const std::optional<DateSpan> span = contest_date_span(run.contest, grain);
        if (!span || !set_run_dates(prepared, *span, messages)) {
            run.status = ContestRunStatus::bad_dates;
            return run;
        }
    }
    prepared.consts.start_time = request.times.start;
    prepared.consts.stop_time = request.times.stop;
    prepared.consts.step_time = request.times.step;
    s = prepared;
    run.status = ContestRunStatus::ready;
    return run;
}

}  // namespace skywave
