#include "tuning/score_multi.h"

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "base/cformat.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "base/output_file.h"
#include "files/contest.h"
#include "files/prediction_file.h"
#include "model/model.h"
#include "run/contest_run.h"
#include "run/sweep.h"
#include "tuning/score.h"

namespace skywave {

namespace fs = std::filesystem;

std::vector<std::string> list_contest_files(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() < 4) continue;
        std::string ext = name.substr(name.size() - 4);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        std::error_code type_ec;
        if (ext == ".prp" && it->is_regular_file(type_ec)) files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

namespace {

std::string row_start(const std::string& file, const ContestHeader& h) {
    return cformat("%-14s %6.1f %6.1f  %2.0f %2.0f   %3.0f %3.0f %1.0f   ",
                   fs::path(file).filename().string().c_str(), D(h.lat), D(h.lon), D(h.month),
                   D(h.day), D(h.sf_index), D(h.a_index), D(h.k_index));
}

// Runs and scores one contest file; the row of the report.
std::string score_one(const RunSettings& base, const std::string& file, bool& scored,
                      const ScoreMultiOptions& options, SweepWorker& w, SweepContext& ctx,
                      MessageSink& messages) {
    const std::string name = fs::path(file).filename().string();
    Model& m = w.model;
    m.settings() = base;
    MessageLog problems;
    const ContestRunRequest request{options.grain, !options.use_run_dates, options.times};
    const ContestRun prepared = prepare_contest_run(m, file, request, problems);
    switch (prepared.status) {
        case ContestRunStatus::cannot_open:
        case ContestRunStatus::read_error:
        case ContestRunStatus::bad_header:
            for (const auto& e : problems.entries)
                messages.show_message(e.text, e.caption);
            return cformat("%-14s %s\n", name.c_str(),
                           prepared.status == ContestRunStatus::cannot_open ? "can't open the file"
                           : prepared.status == ContestRunStatus::read_error
                               ? "can't read the file"
                               : "header not readable");
        case ContestRunStatus::no_grain:
            return row_start(file, *prepared.header) + "Can't read the file grain\n";
        case ContestRunStatus::bad_dates:
            return row_start(file, *prepared.header) + "dates not usable\n";
        case ContestRunStatus::ready:
            break;
    }
    const std::string start = row_start(file, *prepared.header);
    ctx.status(file);
    if (ctx.run(w, messages) == RunOutcome::failed) return start + "run failed\n";
    MessageLog score_problems;
    const std::optional<ScoreResults> r =
        score_texts(m.grid, read_file_text(w.scratch), prepared.contest, nullptr, score_problems);
    if (!r) return start + "score failed: " + score_problems.entries.at(0).text + "\n";
    scored = true;
    return start +
           cformat("%2.0f %2.0f %2.0f %3.0f", D(r->mof_above), D(r->mof_at), D(r->mof_below),
                   D(r->mof_count)) +
           "  " +
           cformat("%2.0f %2.0f %2.0f %3.0f\n", D(r->lof_above), D(r->lof_at), D(r->lof_below),
                   D(r->lof_count));
}

}  // namespace

SweepOutcome score_multi(RunSettings& base, const std::vector<std::string>& files,
                         const ScoreMultiOptions& options,
                         const std::function<void(const std::string&)>& write, SweepHooks& hooks,
                         MessageSink& messages) {
    if (const std::optional<std::string> conflict = output_conflict(options.scratch, files)) {
        messages.show_message(*conflict, kOutputErrorCaption);
        return SweepOutcome::refused;
    }
    LockedMessages locked(messages);
    std::atomic<int> scored_files{0};
    Sweep sweep(options.jobs, options.scratch);
    hooks.sweep_started();
    write("                   LOCATION    DATE     SOLAR       MOF SCORE     LOF SCORE  \n");
    write("FILENAME          LAT    LON  MM/DD    SF   A K    > ==  < PTS   > ==  < PTS\n");
    sweep.run(
        int(files.size()), long(files.size()),
        [&](int i, SweepWorker& w, SweepContext& ctx) {
            bool scored = false;
            ctx.write(i, score_one(base, files[std::size_t(i)], scored, options, w, ctx, locked));
            if (scored) ++scored_files;
        },
        write, hooks);
    // As after scoring the files one by one, the last file's conditions and grain stay
    // in force.
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        MessageLog ignored;
        if (const std::optional<ContestHeader> h = read_contest_header(*file, ignored).header) {
            apply_contest_header(base, *h);
            const int grain = options.grain ? options.grain : detect_grain(*file);
            if (grain_info(grain)) base.consts.display_grain = float(grain);
            break;
        }
    }
    hooks.sweep_ended();
    return sweep_outcome(sweep, scored_files > 0, messages);
}

}  // namespace skywave
