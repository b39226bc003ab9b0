#include "map/legend.h"

#include <cmath>

#include "base/cformat.h"
#include "base/numbers.h"
#include "files/contest.h"
#include "model/bands.h"
#include "model/constants.h"
#include "model/maidenhead.h"

namespace skywave {

std::array<std::string, 3> level_texts(const Constants& k, ViewState::Lines lines) {
    std::array<std::string, 3> texts;
    const bool lof = lines == ViewState::lof;
    const float levels[3] = {lof ? k.lof_red : k.mof_red, lof ? k.lof_green : k.mof_green,
                             lof ? k.lof_blue : k.mof_blue};
    for (int i = 0; i < 3; ++i) {
        // The file holds whole MHz: trunc(MOF) ≥ c from ceil(c) on, trunc(LOF) ≤ c below
        // floor(c) + 1.
        const double f = lof ? std::floor(D(levels[i])) + 1 : std::ceil(D(levels[i]));
        const AmateurBand* band = lof ? band_below(f) : band_from(f);
        texts[std::size_t(i)] =
            cformat("%s %s %g MHz", lof ? "LOF" : "MOF", lof ? "<" : "\u2265", f) +
            (band ? std::string(" (") + band->name + ")" : "");
    }
    return texts;
}

std::string screen_caption(const ReplayScreen& screen, const ViewState& view, int number,
                           int screens) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string text;
    if (const std::optional<ContestHeader> h = parse_contest_header(screen.header)) {
        const int month = trunc_to_int(h->month).value_or(0);
        const int minutes = trunc_to_int(D(h->unused) * 60 + 0.5).value_or(0);
        const double east = h->lon > 180 ? 360 - D(h->lon) : -D(h->lon);
        text = cformat(
            "%.0f %s %02d:%02d UTC \u00b7 flux %.0f A %.0f K %.0f \u00b7 QTH "
            "%.1f\u00b0%c %.1f\u00b0%c %s \u00b7 ",
            D(h->day), month >= 1 && month <= 12 ? kMonths[month - 1] : "?", minutes / 60,
            minutes % 60, D(h->sf_index), D(h->a_index), D(h->k_index), std::fabs(D(h->lat)),
            h->lat < 0 ? 'S' : 'N', std::fabs(east), east < 0 ? 'W' : 'E',
            locator_of(LatLon{D(h->lat), east}, 4).c_str());
    }
    if (view.lines == ViewState::other || (!view.short_path && !view.long_path))
        text += "no bands shown";
    else
        text += std::string(view.lines == ViewState::mof ? "MOF" : "LOF") + ", " +
                (view.short_path && view.long_path ? "both paths"
                 : view.short_path                 ? "short path"
                                                   : "long path");
    return text + cformat(" \u00b7 screen %d of %d", number, screens);
}

std::array<std::string, 10> array_level_texts(const ExamState& exam) {
    std::array<std::string, 10> texts;
    const double scale = exam.exam_scale;
    for (int i = 0; i < 10; ++i) {
        const double low = (D(exam.exam_min) + i * D(exam.exam_step)) * scale;
        const double high = i == 9 ? D(exam.exam_max) * scale
                                   : (D(exam.exam_min) + (i + 1) * D(exam.exam_step)) * scale;
        texts[std::size_t(i)] = cformat("%.4g \u2026 %.4g", low, high);
    }
    return texts;
}

}  // namespace skywave
