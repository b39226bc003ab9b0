#include "tuning/accuracy.h"

#include "base/cformat.h"
#include "base/numbers.h"

namespace skywave {

namespace {

constexpr double kDistanceEdges[] = {1000, 2500, 5000, 10000};
constexpr const char* kDistanceLabels[] = {"0-1000", "1000-2500", "2500-5000", "5000-10000",
                                           "over 10000"};

std::vector<AccuracyRow> empty_rows(AccuracySplit by) {
    std::vector<AccuracyRow> rows;
    switch (by) {
        case AccuracySplit::distance:
            for (const char* label : kDistanceLabels)
                rows.push_back({label, {}});
            break;
        case AccuracySplit::hour:
            for (int h = 0; h < 24; ++h)
                rows.push_back({cformat("%02d", h), {}});
            rows.push_back({"other", {}});  // a header without a readable hour
            break;
        case AccuracySplit::band:
            for (int level = 1; level <= 3; ++level)
                rows.push_back({cformat("level %d", level), {}});
            break;
    }
    return rows;
}

bool observed(const AccuracyRow& row) {
    const CellCounts& c = row.counts;
    const Uncounted& u = c.uncounted;
    return c.mof.points() + c.lof.points() + u.mof_below_bands + u.lof_above_bands + u.no_level +
               u.no_prediction >
           0;
}

const char* column_title(AccuracySplit by) {
    switch (by) {
        case AccuracySplit::distance:
            return "KM";
        case AccuracySplit::hour:
            return "UTC";
        case AccuracySplit::band:
            return "LEVEL";
    }
    return "";
}

std::string uncounted_row(const std::string& label, const Uncounted& u) {
    return cformat("%-11s %9ld %9ld %9ld %9ld\n", label.c_str(), u.mof_below_bands,
                   u.lof_above_bands, u.no_level, u.no_prediction);
}

}  // namespace

int distance_band(double distance_km) {
    int band = 0;
    for (double edge : kDistanceEdges)
        if (distance_km >= edge) ++band;
    return band;
}

std::optional<AccuracyTable> accuracy_table(const Grid& grid, FileText prediction,
                                            FileText observations, AccuracySplit by,
                                            MessageSink& messages) {
    AccuracyTable t;
    t.by = by;
    t.rows = empty_rows(by);
    const auto visit = [&](const ObservedCell& cell) {
        CellCounts one;
        count_cell(cell, 0, one);
        t.all.add(one);
        switch (by) {
            case AccuracySplit::distance:
                t.rows[std::size_t(distance_band(cell.distance_km))].counts.add(one);
                break;
            case AccuracySplit::hour: {
                const int h = cell.hour >= 0 && cell.hour < 24 ? int(cell.hour) : 24;
                t.rows[std::size_t(h)].counts.add(one);
                break;
            }
            case AccuracySplit::band:
                if (cell.o_mof >= 1) t.rows[std::size_t(cell.o_mof - 1)].counts.mof.add(one.mof);
                if (cell.o_lof >= 1) t.rows[std::size_t(cell.o_lof - 1)].counts.lof.add(one.lof);
                break;
        }
    };
    if (!walk_cells(grid, std::move(prediction), std::move(observations), visit, messages))
        return std::nullopt;
    return t;
}

std::string accuracy_text(const AccuracyTable& t, const std::string& prediction,
                          const std::string& observations) {
    std::string text;
    switch (t.by) {
        case AccuracySplit::distance:
            text += "ACCURACY BY GREAT-CIRCLE DISTANCE FROM THE QTH (KM)\n";
            break;
        case AccuracySplit::hour:
            text += "ACCURACY BY HOUR (UTC)\n";
            break;
        case AccuracySplit::band:
            text += "ACCURACY BY OBSERVED BAND LEVEL\n";
            break;
    }
    text += "PREDICTION=" + prediction + "\nOBSERVATIONS=" + observations + "\n\n";
    text +=
        "Cell-hours compared as the score compares them, better of both paths: > the\n"
        "observation above the prediction, == at it, < below it, in percent of PTS;\n"
        "MISSES the clear misses (> cells: a band worked that the model calls closed).\n\n";
    text += counts_heading(column_title(t.by), 11);
    for (const AccuracyRow& row : t.rows)
        if (observed(row) || t.by != AccuracySplit::hour)
            text += counts_row(row.label, 11, row.counts);
    text += counts_row("all", 11, t.all);

    text +=
        "\nObserved cell-hours not counted: MOF BLANK worked only below the lowest MOF band,\n"
        "LOF BLANK worked only above the highest LOF band, NO LEVEL a cell of either file\n"
        "that holds no level, NO PRED a screen the prediction does not have.\n\n";
    text += cformat("%-11s MOF BLANK LOF BLANK  NO LEVEL   NO PRED\n", column_title(t.by));
    if (t.by != AccuracySplit::band)  // an uncounted cell has no level of its own
        for (const AccuracyRow& row : t.rows)
            if (observed(row) || t.by == AccuracySplit::distance)
                text += uncounted_row(row.label, row.counts.uncounted);
    text += uncounted_row("all", t.all.uncounted);
    return text;
}

std::string accuracy_csv(const AccuracyTable& t) {
    std::string text =
        "bucket,mof_above,mof_at,mof_below,mof_points,mof_above_pct,mof_at_pct,mof_below_pct,"
        "lof_above,lof_at,lof_below,lof_points,lof_above_pct,lof_at_pct,lof_below_pct,"
        "mof_blank,lof_blank,no_level,no_prediction\n";
    const auto row = [&](const std::string& label, const CellCounts& c, bool uncounted) {
        const ScoreResults r = score_results(c);
        const Uncounted& u = c.uncounted;
        cformat_to(text, "%s,%ld,%ld,%ld,%ld,%.2f,%.2f,%.2f,%ld,%ld,%ld,%ld,%.2f,%.2f,%.2f,",
                   label.c_str(), c.mof.above, c.mof.at, c.mof.below, c.mof.points(),
                   D(r.mof_above), D(r.mof_at), D(r.mof_below), c.lof.above, c.lof.at, c.lof.below,
                   c.lof.points(), D(r.lof_above), D(r.lof_at), D(r.lof_below));
        if (uncounted)
            cformat_to(text, "%ld,%ld,%ld,%ld\n", u.mof_below_bands, u.lof_above_bands, u.no_level,
                       u.no_prediction);
        else
            text += ",,,\n";
    };
    for (const AccuracyRow& r : t.rows)
        if (observed(r) || t.by != AccuracySplit::hour)
            row(r.label, r.counts, t.by != AccuracySplit::band);
    row("all", t.all, true);
    return text;
}

}  // namespace skywave
