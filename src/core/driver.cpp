#include "driver.h"

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "constants_file.h"
#include "e_layer.h"
#include "f2_layer.h"
#include "geomag.h"
#include "messages.h"
#include "model.h"
#include "numbers.h"
#include "path.h"
#include "polar_f2.h"
#include "prediction_file.h"
#include "solar.h"

namespace skywave {

int RunHooks::ChangeConsts(Model& m) {
    return skywave::ChangeConsts(m);
}

namespace {

// The next time step of the day; false once past stop_time. The time accumulates in
// single precision and the sum is compared, so a step of 0.1 from 0 to 1 gives ten
// steps (the tenth sum is 1.0000001).
bool next_time(Constants& k) {
    k.calc_time = float(D(k.calc_time) + k.step_time);
    return !(k.calc_time > k.stop_time);
}

// The next date of the rectangle; false once it is done. No month length is known:
// days run from start_day to stop_day in every month.
bool next_date(Constants& k, const RunDates& d) {
    k.day = float(D(k.day) + d.step_day);
    if (k.day > d.stop_day) {
        k.day = d.start_day;
        k.month = float(D(k.month) + d.step_month);
    }
    return !(k.day > d.stop_day || k.month > d.stop_month);
}

void geometry_pass(Model& m, RunHooks& hooks, range_azim& tx) {
    ResultArrays& a = *m.arrays;
    for (m.lat_idx = 0; m.lat_idx < m.grid.n_rows && !hooks.aborted(); ++m.lat_idx) {
        m.cur_lat = m.grid.row_lat(m.lat_idx);
        tx.to_lat = m.cur_lat;
        hooks.yield();
        calc_c_sol_zen(m);
        calc_day_length(m);
        for (m.lon_idx = 0; m.lon_idx < m.grid.n_cols && !hooks.aborted(); ++m.lon_idx) {
            m.cur_lon = m.grid.col_lon(m.lon_idx);
            calc_mlat_mlon(m);
            calc_suntimes(m);
            tx.to_lon = m.cur_lon;
            compute_range_azim(&tx);
            a.pathlen[m.lat_idx][m.lon_idx] = tx.range;
            a.azim[m.lat_idx][m.lon_idx] = tx.azim;
        }
    }
}

void ionosphere_pass(Model& m, RunHooks& hooks) {
    for (m.lat_idx = 0; m.lat_idx < m.grid.n_rows && !hooks.aborted(); ++m.lat_idx) {
        hooks.yield();
        m.cur_lat = m.grid.row_lat(m.lat_idx);
        for (m.lon_idx = 0; m.lon_idx < m.grid.n_cols && !hooks.aborted(); ++m.lon_idx) {
            m.cur_lon = m.grid.col_lon(m.lon_idx);
            calc_sol_angle(m);
            calc_g2(m);
            f0f2_plr(m);
            calc_fe(m);
        }
    }
}

void path_pass(Model& m, RunHooks& hooks) {
    const Constants& k = m.consts;
    ResultArrays& a = *m.arrays;
    for (m.p_lat_idx = 0; m.p_lat_idx < m.grid.n_rows && !hooks.aborted(); ++m.p_lat_idx) {
        hooks.yield();
        m.p_lat = m.grid.row_lat(m.p_lat_idx);
        for (m.p_lon_idx = 0; m.p_lon_idx < m.grid.n_cols && !hooks.aborted(); ++m.p_lon_idx) {
            const int r = m.p_lat_idx, c = m.p_lon_idx;
            m.p_lon = m.grid.col_lon(c);
            if (k.sp_flag != 0) {
                path_mof(m, 'S');
            } else {
                // A path switched off shows MOF 0 and LOF 30: no symbol on either line.
                if (m.exam_flag) {
                    a.m9[r][c] = a.half_hop[r][c] = a.khop[r][c] = a.h_calc[r][c] = 0;
                    a.phi[r][c] = a.takeoff[r][c] = a.sex[r][c] = 0;
                }
                a.mof[r][c] = 0;
                a.lof[r][c] = 30;
            }
            if (k.lp_flag != 0) {
                path_mof(m, 'L');
            } else {
                if (m.exam_flag) {
                    a.m9_lp[r][c] = a.halfhoplp[r][c] = a.khop_lp[r][c] = a.h_calc_lp[r][c] = 0;
                    a.longphi[r][c] = a.lptakeoff[r][c] = a.longsex[r][c] = a.longmaxhp[r][c] = 0;
                }
                a.longmof[r][c] = 0;
                a.longlof[r][c] = 30;
            }
        }
    }
}

// The prediction file of a run: opened before the first step, written screen by
// screen. A failed write is cut back to the screens that were complete, so the file
// never ends in a partial screen.
class ScreenFile {
public:
    explicit ScreenFile(Model& m) : m_(m) {}
    ~ScreenFile() { close(); }

    bool open() {
        m_.data_file = std::fopen(m_.file_name.c_str(), "w");
        return m_.data_file != nullptr;
    }

    bool write() {
        if (write_file(m_)) {
            complete_ += long(m_.screen_buffer.size());
            return true;
        }
        error_ = errno;
        if (ftruncate(fileno(m_.data_file), complete_) == 0) std::clearerr(m_.data_file);
        return false;
    }

    std::string error_text() const {
        return m_.file_name + ": " + (error_ ? std::strerror(error_) : "write failed");
    }

    void close() {
        if (!m_.data_file) return;
        std::fclose(m_.data_file);
        m_.data_file = nullptr;
    }

private:
    Model& m_;
    long complete_ = 0;
    int error_ = 0;
};

}  // namespace

RunOutcome MainCalcs(Model& m, RunHooks& hooks, MessageSink& messages) {
    Constants& k = m.consts;
    int norestart_calc = 0;
    bool failed = false;
    hooks.Abort = 0;

    ScreenFile file(m);
    if (m.file_flag && !file.open()) {
        messages.show_message("Can't open", m.file_name);
        return RunOutcome::failed;
    }
    hooks.StartCalcs();
    hooks.yield();

    k.day = m.dates.start_day;
    k.month = m.dates.start_month;
    for (;;) {
        flux_to_ssn(m);
        calc_ak_factor(m);
        calc_sol_lat(m);
        range_azim tx{k.rlat, k.rlon, 0, 0, 0, 0};
        geometry_pass(m, hooks, tx);
        if (hooks.aborted()) break;
        hooks.SetStatus("NON-TIME DEPENDENT CALCS - DONE");
        hooks.yield();

        k.calc_time = k.start_time;
        for (;;) {
            if (hooks.aborted()) break;
            m.exam_flag = hooks.exam_flag.load();
            m.change_flag = hooks.change_flag.load();
            hooks.SetTime(k.calc_time);
            hooks.yield();
            ionosphere_pass(m, hooks);
            if (hooks.aborted()) break;
            hooks.SetStatus("IONOSPHERIC CALCULATION DONE. ");
            hooks.yield();
            path_pass(m, hooks);
            if (hooks.aborted()) break;
            hooks.SetStatus("LOF AND MOF CALCULATION DONE.");
            hooks.yield();

            m.header_line = make_header_line(m);
            if (m.file_flag && !file.write()) {
                messages.show_message(file.error_text(), "ERROR WRITING OUTPUT");
                failed = true;
                break;
            }
            hooks.step_done(m);
            if (m.exam_flag) hooks.ExamineArrays(m);
            if (m.change_flag) norestart_calc = hooks.ChangeConsts(m);
            // Changed constants restart the date instead of advancing.
            if (norestart_calc != 0 || !next_time(k)) break;
        }
        if (hooks.aborted() || failed) break;
        if (norestart_calc == 0 && !next_date(k, m.dates)) break;
    }

    file.close();
    hooks.StopCalcs();
    hooks.yield();
    if (failed) return RunOutcome::failed;
    return hooks.aborted() ? RunOutcome::aborted : RunOutcome::completed;
}

std::optional<long> count_steps(const Model& m, long limit) {
    Constants k = m.consts;
    k.day = m.dates.start_day;
    k.month = m.dates.start_month;
    long steps = 0;
    do {
        k.calc_time = k.start_time;
        do {
            if (++steps > limit) return std::nullopt;
        } while (next_time(k));
    } while (next_date(k, m.dates));
    return steps;
}

}  // namespace skywave
