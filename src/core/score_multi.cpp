#include "score_multi.h"

#include <algorithm>
#include <filesystem>

#include "cformat.h"
#include "contest.h"
#include "messages.h"
#include "numbers.h"
#include "prediction_file.h"
#include "score.h"
#include "sweep.h"

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
std::string score_one(const Model& base, const std::string& file, const ScoreMultiOptions& options,
                      Worker& w, SweepContext& ctx, MessageSink& messages) {
    const std::string name = fs::path(file).filename().string();
    MessageLog problems;
    const std::optional<ContestHeader> header = read_contest_header(file, problems);
    if (!header) {
        for (const auto& e : problems.entries)
            messages.show_message(e.text, e.caption);
        return cformat("%-14s %s\n", name.c_str(),
                       problems.entries.at(0).text == "Can't open file for comparison"
                           ? "can't open the file"
                           : "header not readable");
    }
    const std::string start = row_start(file, *header);
    Model& m = w.model;
    copy_settings(m, base);
    const int grain = options.grain ? options.grain : detect_grain(file);
    if (!grain_info(grain)) return start + "Can't read the file grain\n";
    m.consts.display_grain = float(grain);
    apply_contest_header(m, *header);
    if (!options.use_run_dates) {
        const std::optional<DateSpan> span = contest_date_span(file, grain);
        if (!span || !set_run_dates(m, *span, problems)) return start + "dates not usable\n";
    }
    ctx.status(file);
    if (ctx.run(w, messages) == RunOutcome::failed) return start + "run failed\n";
    m.compare_flag = 1;
    m.compare_name = file;
    ScoreResults r;
    if (!ScoreFiles(m, &r, nullptr, problems))
        return start + "score failed: " + problems.entries.at(0).text + "\n";
    return start +
           cformat("%2.0f %2.0f %2.0f %3.0f", D(r.mof_above), D(r.mof_at), D(r.mof_below),
                   D(r.mof_count)) +
           "  " +
           cformat("%2.0f %2.0f %2.0f %3.0f\n", D(r.lof_above), D(r.lof_at), D(r.lof_below),
                   D(r.lof_count));
}

}  // namespace

bool score_multi(Model& base, const std::vector<std::string>& files,
                 const ScoreMultiOptions& options,
                 const std::function<void(const std::string&)>& write, SweepHooks& hooks,
                 MessageSink& messages) {
    LockedMessages locked(messages);
    Sweep sweep(options.jobs, options.scratch);
    hooks.StartDiddle();
    write("                   LOCATION    DATE     SOLAR       MOF SCORE     LOF SCORE  \n");
    write("FILENAME          LAT    LON  MM/DD    SF   A K    > ==  < PTS   > ==  < PTS\n");
    sweep.run(
        int(files.size()), long(files.size()),
        [&](int i, Worker& w, SweepContext& ctx) {
            ctx.write(i, score_one(base, files[std::size_t(i)], options, w, ctx, locked));
        },
        write, hooks);
    // As after scoring the files one by one, the last file's conditions and grain stay
    // in force.
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        MessageLog ignored;
        if (const std::optional<ContestHeader> h = read_contest_header(*file, ignored)) {
            apply_contest_header(base, *h);
            const int grain = options.grain ? options.grain : detect_grain(*file);
            if (grain_info(grain)) base.consts.display_grain = float(grain);
            break;
        }
    }
    hooks.StopDiddle();
    return !sweep.stopped();
}

}  // namespace skywave
