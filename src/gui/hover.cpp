#include "hover.h"

#include <cmath>

#include "base/cformat.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "files/contest.h"
#include "files/prediction_file.h"
#include "map/legend.h"
#include "model/maidenhead.h"
#include "model/point_path.h"
#include "run/contest_run.h"
#include "run/driver.h"

namespace skywave::gui {

namespace {

// The level a computed value gets in the file's classification, for the view's lines
// and paths (the higher of both paths, as the map shows them).
int computed_level(const Model& m, const PointPaths& p, const ViewState& view) {
    const bool lof = view.lines == ViewState::lof;
    const auto level = [&](const PointPath& path, char which) {
        const std::optional<int> mhz = trunc_to_int(lof ? path.lof : path.mof);
        if (!mhz) return 0;
        const char symbol = lof ? lof_symbol(m, *mhz, which) : mof_symbol(m, *mhz, which);
        return symbol == ' ' ? 0 : (symbol >= 'A' ? symbol - 'A' + 1 : symbol - '0');
    };
    const int s = view.short_path ? level(p.short_path, 'S') : 0;
    const int l = view.long_path ? level(p.long_path, 'L') : 0;
    return s > l ? s : l;
}

}  // namespace

HoverModel::~HoverModel() {
    wait();
}

void HoverModel::wait() {
    if (thread_.joinable()) thread_.join();
}

void HoverModel::forget() {
    wait();
    std::lock_guard lock(mutex_);
    ++generation_;
    model_.reset();
}

void HoverModel::prepare(const RunSettings& settings, const ReplayScreen& screen) {
    forget();
    const std::optional<ContestHeader> header = parse_contest_header(screen.header);
    if (!header) return;
    RunSettings s = settings;
    apply_contest_header(s, *header);
    const float time = header->unused;  // the header's third number: the step's time
    s.dates = {s.consts.day, s.consts.month, s.consts.day, s.consts.month, 1, 1};
    s.consts.start_time = s.consts.stop_time = time;
    s.consts.step_time = 1;
    long generation;
    {
        std::lock_guard lock(mutex_);
        generation = generation_;
    }
    thread_ = std::thread([this, s, generation] {
        auto m = std::make_shared<Model>();
        m->settings() = s;
        MessageLog quiet;
        RunHooks hooks;
        if (!InitCalc(*m, quiet) ||
            MainCalcs(*m, std::nullopt, hooks, quiet) != RunOutcome::completed)
            return;
        {
            std::lock_guard lock(mutex_);
            if (generation != generation_) return;
            model_ = std::move(m);
        }
        QMetaObject::invokeMethod(
            this, [this] { emit ready(); }, Qt::QueuedConnection);
    });
}

std::shared_ptr<Model> HoverModel::model() const {
    std::lock_guard lock(mutex_);
    return model_;
}

std::string HoverModel::read_out(const MapPlace& place, const ReplayScreen& screen,
                                 const ViewState& view, const Constants& in_force) const {
    std::string text =
        cformat("%.1f\u00b0%c %.1f\u00b0%c %s", std::fabs(place.lat), place.lat < 0 ? 'S' : 'N',
                std::fabs(place.lon), place.lon < 0 ? 'W' : 'E',
                locator_of(LatLon{place.lat, place.lon}, 6).c_str());
    const int shown = screen_level(screen, place, view);
    const std::shared_ptr<Model> m = model();
    std::optional<PointPaths> p;
    // Only the GUI thread traces, once the model is published.
    if (m) p = point_paths(*m, m->grid.row_lat(place.row), m->grid.col_lon(place.col));
    if (p)
        for (const auto& [name, path] :
             {std::pair{"SP", &p->short_path}, std::pair{"LP", &p->long_path}})
            text += cformat("  \u00b7  %s %.0f km %.0f\u00b0 MOF %.1f LOF %.1f", name,
                            path->distance_km, path->bearing_deg, D(path->mof), D(path->lof));
    if (view.lines != ViewState::other && (view.short_path || view.long_path)) {
        const std::array<std::string, 3> levels = level_texts(in_force, view.lines);
        text +=
            "  \u00b7  file: " + (shown ? levels[std::size_t(3 - shown)] : std::string("no band"));
        if (p && m) {
            const int computed = computed_level(*m, *p, view);
            // The file may have been made with other constants or conditions.
            if (computed != shown)
                text += "  \u2260 computed: " +
                        (computed ? levels[std::size_t(3 - computed)] : std::string("no band"));
        }
    }
    return text;
}

}  // namespace skywave::gui
