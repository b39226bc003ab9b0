#include "run/driver.h"

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/messages.h"
#include "base/numbers.h"
#include "base/output_file.h"
#include "files/constants_file.h"
#include "files/prediction_file.h"
#include "model/column_memo.h"
#include "model/e_layer.h"
#include "model/f2_layer.h"
#include "model/geomag.h"
#include "model/model.h"
#include "model/path.h"
#include "model/polar_f2.h"
#include "model/solar.h"

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

// One date of a run: its day and month, as the date loop steps them.
struct RunDate {
    float day, month;
};

// The times of a date's steps, summed as the time loop sums them, and the sum that
// ends the loop; false for a date of more steps than are worth listing.
bool list_times(const Constants& k, std::vector<float>& times, float& after_last) {
    constexpr std::size_t kMaxListed = 100'000;
    Constants c = k;
    c.calc_time = c.start_time;
    times.clear();
    do {
        if (times.size() == kMaxListed) return false;
        times.push_back(c.calc_time);
    } while (next_time(c));
    after_last = c.calc_time;
    return true;
}

// What the geometry pass finds that no date changes: the distance and azimuth from the
// QTH and the geomagnetic coordinates of every cell. They follow from the QTH, the grid
// and the pole's constants alone, so a run keeps them from its first date and copies
// them back for the others while those are unchanged.
class DateFreeGeometry {
public:
    // True with the arrays filled if they are known for these settings.
    bool restore(const Model& m, ResultArrays& a) const {
        const Key key = key_of(m);
        if (!valid_ || std::memcmp(&key_, &key, sizeof key) != 0) return false;
        std::memcpy(a.pathlen, saved_->pathlen, sizeof a.pathlen);
        std::memcpy(a.azim, saved_->azim, sizeof a.azim);
        std::memcpy(a.mlat, saved_->mlat, sizeof a.mlat);
        std::memcpy(a.mlon, saved_->mlon, sizeof a.mlon);
        return true;
    }

    void save(const Model& m, const ResultArrays& a) {
        if (!saved_) saved_ = std::make_unique<Saved>();
        std::memcpy(saved_->pathlen, a.pathlen, sizeof a.pathlen);
        std::memcpy(saved_->azim, a.azim, sizeof a.azim);
        std::memcpy(saved_->mlat, a.mlat, sizeof a.mlat);
        std::memcpy(saved_->mlon, a.mlon, sizeof a.mlon);
        key_ = key_of(m);
        valid_ = true;
    }

private:
    struct Key {
        float rlat, rlon, mlat_1, mlon_1, mlat_flag;
        int n_rows, n_cols;
        float lat_step, lon_step;
    };
    static_assert(sizeof(Key) == 9 * 4, "compared with memcmp: no padding");
    static Key key_of(const Model& m) {
        const Constants& k = m.consts;
        return {k.rlat,        k.rlon,        k.mlat_1,        k.mlon_1,       k.mlat_flag,
                m.grid.n_rows, m.grid.n_cols, m.grid.lat_step, m.grid.lon_step};
    }
    struct Saved {
        Array2D pathlen, azim, mlat, mlon;
    };

    bool valid_ = false;
    Key key_{};
    std::unique_ptr<Saved> saved_;
};

// The dates of the run from k's on, as many as fit in a list of steps worth keeping.
std::vector<RunDate> list_dates(const Constants& k, const RunDates& d, std::size_t per_date) {
    constexpr std::size_t kMaxListed = 100'000;
    Constants c = k;
    std::vector<RunDate> dates;
    do {
        dates.push_back({c.day, c.month});
    } while ((dates.size() + 1) * per_date <= kMaxListed && next_date(c, d));
    return dates;
}

void geometry_pass(Model& m, RunHooks& hooks, range_azim& tx, DateFreeGeometry& memo) {
    ResultArrays& a = *m.arrays;
    const bool known = memo.restore(m, a);
    const float equation = equation_of_time(m);
    for (m.lat_idx = 0; m.lat_idx < m.grid.n_rows && !hooks.aborted(); ++m.lat_idx) {
        m.cur_lat = m.grid.row_lat(m.lat_idx);
        tx.to_lat = m.cur_lat;
        hooks.yield();
        calc_c_sol_zen(m);
        calc_day_length(m);
        for (m.lon_idx = 0; m.lon_idx < m.grid.n_cols && !hooks.aborted(); ++m.lon_idx) {
            m.cur_lon = m.grid.col_lon(m.lon_idx);
            if (!known) {
                calc_mlat_mlon(m);
                tx.to_lon = m.cur_lon;
                compute_range_azim(&tx);
                a.pathlen[m.lat_idx][m.lon_idx] = tx.range;
                a.azim[m.lat_idx][m.lon_idx] = tx.azim;
            }
            calc_suntimes(m, equation);
        }
    }
    if (!known && !hooks.aborted()) memo.save(m, a);
}

// What depends only on the run, the date or the row is worked out once per step or
// row; each cell does the rest of its arithmetic.
void ionosphere_pass(Model& m, RunHooks& hooks) {
    PlrStep plr;
    plr_step(m, plr);
    m.polar_cells.begin_pass(m);
    m.g2_rows.begin_pass(m);
    ColumnCosines hour_angle;
    for (m.lat_idx = 0; m.lat_idx < m.grid.n_rows && !hooks.aborted(); ++m.lat_idx) {
        hooks.yield();
        m.cur_lat = m.grid.row_lat(m.lat_idx);
        const SolAngleRow sun = sol_angle_row(m);
        const G2Row& g2 = m.g2_rows.row(m, m.lat_idx);
        // One quantity at a time along the row: each cell's work is then short enough
        // for the processor to overlap it with the next cell's.
        calc_sol_angle_row(m, sun, hour_angle);
        calc_fe_row(m);
        calc_g2_row(m, g2);
        for (m.lon_idx = 0; m.lon_idx < m.grid.n_cols && !hooks.aborted(); ++m.lon_idx) {
            m.cur_lon = m.grid.col_lon(m.lon_idx);
            f0f2_plr(m, plr, m.polar_cells);
        }
    }
}

void path_pass(Model& m, RunHooks& hooks) {
    const Constants& k = m.consts;
    ResultArrays& a = *m.arrays;
    // The midpoints depend on the QTH and the grid, the geometry on a few constants:
    // a cache filled for others is forgotten here.
    m.path_cache.begin_pass(k, m.grid);
    for (m.p_lat_idx = 0; m.p_lat_idx < m.grid.n_rows && !hooks.aborted(); ++m.p_lat_idx) {
        hooks.yield();
        m.p_lat = m.grid.row_lat(m.p_lat_idx);
        for (m.p_lon_idx = 0; m.p_lon_idx < m.grid.n_cols && !hooks.aborted(); ++m.p_lon_idx) {
            const int r = m.p_lat_idx, c = m.p_lon_idx;
            m.p_lon = m.grid.col_lon(c);
            if (k.sp_flag != 0 && k.lp_flag != 0) {
                path_mofs(m);
                continue;
            }
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
// screen and flushed. A failed write is cut back to the screens that were complete, so
// the file never ends in a partial screen.
class ScreenFile {
public:
    explicit ScreenFile(std::string name) : name_(std::move(name)) {}
    ~ScreenFile() { close(); }
    ScreenFile(const ScreenFile&) = delete;
    ScreenFile& operator=(const ScreenFile&) = delete;

    // False with the cause in error (EWOULDBLOCK: another process writes the file).
    // The file is emptied just before its first screen (or when it is closed without
    // one): emptying a large file takes the file system a few milliseconds, which the
    // other threads of a run spend computing.
    bool open(int& error) {
        file_ = open_output(name_, error, false);
        to_empty_ = file_ != nullptr;
        return file_ != nullptr;
    }

    bool write(Model& m) {
        screen_.clear();
        write_screen(m, screen_);
        return write(screen_);
    }

    // Each screen goes to the file in one write, past the stream's buffer (which the
    // C library would split into blocks of the file system's size).
    bool write(const std::string& screen) {
        if (to_empty_) {
            to_empty_ = false;
            error_ = empty_output(file_);
            if (error_ != 0) return false;
        }
        error_ = write_all(fileno(file_), screen);
        if (error_ == 0) {
            complete_ += long(screen.size());
            return true;
        }
        // Back to the complete screens; should even that fail, the write's error is the
        // one to report.
        [[maybe_unused]] const int cut = ftruncate(fileno(file_), complete_);
        return false;
    }

    std::string error_text() const {
        return name_ + ": " + (error_ ? std::strerror(error_) : "write failed");
    }

    void close() {
        if (!file_) return;
        if (to_empty_) empty_output(file_);  // a run without a screen leaves none
        std::fclose(file_);
        file_ = nullptr;
    }

private:
    std::string name_;
    std::FILE* file_ = nullptr;
    std::string screen_;  // one screen, built before it is written
    long complete_ = 0;
    int error_ = 0;
    bool to_empty_ = false;
};

// The hooks of a worker thread: it stops when the run does, and it never calls the
// front end, whose hooks belong to the thread that runs MainCalcs.
class WorkerHooks : public RunHooks {
public:
    explicit WorkerHooks(const std::atomic<bool>& stop) : stop_(stop) {}
    void yield() override {
        if (stop_.load(std::memory_order_relaxed)) Abort = 1;
    }

private:
    const std::atomic<bool>& stop_;
};

// The values of a date a step leaves on the model beside its arrays, which the map's
// information, the examination and the next step read.
struct DateValues {
    float a1 = 0, cf_noon_max = 0, ssn = 0, ak_factor = 0, julian_date = 0, sol_lat = 0;

    static DateValues of(const Model& m) {
        return {m.a1, m.cf_noon_max, m.ssn, m.ak_factor, m.julian_date, m.sol_lat};
    }
    void put(Model& m) const {
        m.a1 = a1;
        m.cf_noon_max = cf_noon_max;
        m.ssn = ssn;
        m.ak_factor = ak_factor;
        m.julian_date = julian_date;
        m.sol_lat = sol_lat;
    }
};

// The time steps of a run's dates computed on several threads. Each step depends only
// on its date, its own time and the constants, so each worker computes whole steps on
// a model of its own (the run's settings, with arrays and path and polar caches of its
// own; this thread's is the run's model): on meeting a new date it works out that
// date's values and geometry itself, so no worker waits for the others at the end of
// a date. Each worker renders its screens; this thread hands them to the file in order
// of date and time and is the only one that calls the front end.
class ParallelSteps {
public:
    explicit ParallelSteps(int threads) : threads_(threads) {}

    enum class Ended { done, fallback, aborted, failed };

    // Computes and writes the steps times[0 ... n-1] of each of the dates, working out
    // each date's values and geometry; next receives the index (date x times + time)
    // of the first step not written, and m's date and time are those of the last step
    // written. fallback: the switches ask for one thread (or no thread could run).
    Ended run(Model& m, const std::vector<RunDate>& dates, const std::vector<float>& times,
              std::size_t& next, ScreenFile* file, RunHooks& hooks, MessageSink& messages) {
        const std::size_t per_date = times.size();
        const std::size_t n = dates.size() * per_date;
        next = 0;
        slots_.assign(n, Slot{});
        next_index_ = 0;
        written_ = 0;
        awaited_from_ = awaited_to_ = 0;
        waiting_for_room_ = 0;
        stop_ = false;
        failed_ = false;
        // No more workers than steps: each other than this thread takes a model of its
        // own (a few megabytes).
        const std::size_t workers = std::min(std::size_t(threads_), n);
        if (workers < 2) return Ended::fallback;
        models_.resize(std::min(models_.size(), workers));
        try {
            while (models_.size() < workers)
                models_.push_back(std::make_unique<Worker>());
            // This thread is one of the workers too, on the run's model itself: it
            // computes steps while it has none to write. The others take the run's
            // settings now and make the rest of their models on their own threads
            // (fresh memory is slow to touch), working out their first date from the
            // start; they never read the run's model again.
            for (std::size_t t = 0; t + 1 < models_.size(); ++t) {
                Worker& w = *models_[t];
                if (!w.owned) w.owned = std::make_unique<Model>();
                w.model = w.owned.get();
                w.model->settings() = m.settings();
                w.model->exam_flag = 0;
                w.model->change_flag = 0;
                w.has_date = false;
                w.claim = {};
            }
        } catch (const std::bad_alloc&) {
            return Ended::fallback;
        }
        Worker& own = *models_.back();
        own.model = &m;
        own.has_date = false;
        own.claim = {};
        m.exam_flag = 0;
        m.change_flag = 0;
        std::vector<std::thread> threads;
        try {
            for (std::size_t t = 0; t + 1 < models_.size(); ++t)
                threads.emplace_back([this, &w = *models_[t], &dates, &times] {
                    if (prepare(w)) work(w, dates, times);
                });
        } catch (const std::exception&) {
            // No thread for a worker: those that started go on.
        }
        if (threads.empty()) return Ended::fallback;
        WorkerHooks own_hooks(stop_);

        Ended ended = Ended::done;
        std::unique_lock lock(mutex_);
        while (next < n) {
            if (!slots_[next].done) {
                if (failed_) {
                    ended = Ended::fallback;
                    break;
                }
                // Nothing to write yet: compute a step, if one is left within reach.
                const std::size_t reach = std::min(n, written_ + kMaxAhead);
                Claim& claim = own.claim;
                if (claim.next == claim.end && next_index_.load() < reach)
                    claim_run(claim, n, per_date);
                if (claim.next < claim.end && claim.next < reach) {
                    const std::size_t i = claim.next++;
                    lock.unlock();
                    try {
                        compute_step(own, i, dates, times, own_hooks);
                    } catch (const std::bad_alloc&) {
                        lock.lock();
                        failed_ = true;
                        continue;
                    }
                } else {
                    // Woken once the next few steps are all done, not for each: every
                    // wake-up costs both threads a switch.
                    awaited_from_ = next;
                    awaited_to_ = std::min(next + kWriteBatch, n) - 1;
                    changed_.wait_for(lock, std::chrono::milliseconds(20));
                    lock.unlock();
                }
                hooks.yield();
                lock.lock();
                if (hooks.aborted()) {
                    ended = Ended::aborted;
                    break;
                }
                continue;
            }
            lock.unlock();
            if (hooks.exam_flag.load() || hooks.change_flag.load()) {
                lock.lock();
                ended = Ended::fallback;
                break;
            }
            Slot& slot = slots_[next];
            const RunDate& date = dates[next / per_date];
            if (next % per_date == 0) {
                // A new date: its values and geometry were worked out by the workers.
                hooks.SetStatus("NON-TIME DEPENDENT CALCS - DONE");
                hooks.yield();
            }
            m.consts.day = date.day;
            m.consts.month = date.month;
            m.consts.calc_time = times[next % per_date];
            m.header_line = std::move(slot.header);
            slot.values.put(m);
            hooks.SetTime(m.consts.calc_time);
            hooks.yield();
            hooks.SetStatus("IONOSPHERIC CALCULATION DONE. ");
            hooks.SetStatus("LOF AND MOF CALCULATION DONE.");
            hooks.yield();
            if (file && !file->write(slot.screen)) {
                messages.show_message(file->error_text(), "ERROR WRITING OUTPUT");
                lock.lock();
                ended = Ended::failed;
                break;
            }
            last_written_ = {date, m.consts.calc_time, slot.values, m.header_line, slot.model};
            ++next;
            hooks.step_done(m);
            lock.lock();
            // The screen's buffer goes back to the workers: a month of screens made
            // and freed on different threads would keep growing and trimming the
            // allocator's heaps, each time touching fresh pages.
            slot.screen.clear();
            spare_.push_back(std::move(slot.screen));
            written_ = next;
            if (waiting_for_room_ > 0) room_.notify_all();
            if (hooks.aborted()) {
                ended = Ended::aborted;
                break;
            }
        }
        stop_ = true;
        lock.unlock();
        changed_.notify_all();
        room_.notify_all();
        for (auto& t : threads)
            t.join();
        // The run's model ends with the last step written, as one thread leaves it (this
        // thread may have computed later steps on it); a date left to this thread has
        // its values and geometry worked out again.
        if (next > 0) {
            m.consts.day = last_written_.date.day;
            m.consts.month = last_written_.date.month;
            m.consts.calc_time = last_written_.time;
            last_written_.values.put(m);
            m.header_line = last_written_.header;
            if (last_written_.model != &m) *m.arrays = *last_written_.model->arrays;
        }
        return ended;
    }

private:
    struct Slot {
        std::string screen, header;
        DateValues values;
        Model* model = nullptr;
        bool done = false;
    };

    // The step written last: what the run's model holds of it, and the model whose
    // arrays it left.
    struct WrittenStep {
        RunDate date{};
        float time = 0;
        DateValues values;
        std::string header;
        Model* model = nullptr;
    };

    // Consecutive steps a worker has claimed: next ... end - 1.
    struct Claim {
        std::size_t next = 0, end = 0;
    };

    // A worker's model (its own, or for this thread the run's), the date it holds with
    // that date's values, its own memo of the date-free geometry and the steps it has
    // claimed.
    struct Worker {
        std::unique_ptr<Model> owned;
        Model* model = nullptr;
        std::size_t date = 0;
        bool has_date = false;
        DateValues values;
        DateFreeGeometry date_free;
        Claim claim;
    };

    // Claims the next run of consecutive steps; false when none is left.
    // Consecutive hours of a date share most reflection heights and every row's F2
    // values, which a worker's caches keep from one step to the next: steps handed out
    // one by one would go to the workers in turn, each would miss what the last hour
    // left, and each would work out every date's values. So a run ends with its date
    // where it can, and it shrinks as the steps run out, so that the workers end
    // together.
    bool claim_run(Claim& claim, std::size_t n, std::size_t per_date) {
        const std::size_t workers = models_.size();
        std::size_t i = next_index_.load();
        std::size_t end = 0;
        do {
            if (i >= n) return false;
            end = i + std::clamp<std::size_t>((n - i) / (2 * workers), 1, kMaxRun);
            const std::size_t date_end = end - end % per_date;
            if (date_end > i) end = date_end;
        } while (!next_index_.compare_exchange_weak(i, end));
        claim = {i, end};
        return true;
    }

    // Makes the arrays and the path cache of a worker's model; false (and the steps
    // left to one thread) if there is no memory for them.
    bool prepare(Worker& worker) {
        try {
            Model& w = *worker.model;
            if (!w.arrays) w.arrays = std::make_unique<ResultArrays>();
            w.path_cache.allocate(w.grid);
            return true;
        } catch (const std::bad_alloc&) {
            {
                std::lock_guard lock(mutex_);
                failed_ = true;
            }
            changed_.notify_all();
            return false;
        }
    }

    // The values and the geometry of a date, on the worker's model.
    static void begin_date(Worker& worker, const RunDate& date, std::size_t index,
                           RunHooks& hooks) {
        Model& w = *worker.model;
        w.consts.day = date.day;
        w.consts.month = date.month;
        flux_to_ssn(w);
        calc_ak_factor(w);
        calc_sol_lat(w);
        range_azim tx{w.consts.rlat, w.consts.rlon, 0, 0, 0, 0};
        geometry_pass(w, hooks, tx, worker.date_free);
        worker.date = index;
        worker.has_date = !hooks.aborted();
    }

    // Computes step i on the worker's model and leaves its screen in its slot. Throws
    // bad_alloc.
    void compute_step(Worker& worker, std::size_t i, const std::vector<RunDate>& dates,
                      const std::vector<float>& times, WorkerHooks& hooks) {
        Model& w = *worker.model;
        const std::size_t per_date = times.size();
        std::string screen;
        {
            std::lock_guard lock(mutex_);
            if (!spare_.empty()) {
                screen = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        const std::size_t d = i / per_date;
        if (!worker.has_date || worker.date != d) {
            begin_date(worker, dates[d], d, hooks);
        } else {
            // The writer leaves this thread's model, the run's, with the date of the
            // step it wrote last.
            w.consts.day = dates[d].day;
            w.consts.month = dates[d].month;
            worker.values.put(w);
        }
        if (hooks.aborted()) return;
        w.consts.calc_time = times[i % per_date];
        ionosphere_pass(w, hooks);
        path_pass(w, hooks);
        if (hooks.aborted()) return;
        std::string header = make_header_line(w);
        w.header_line = header;
        write_screen(w, screen);
        worker.values = DateValues::of(w);
        bool awaited;
        {
            std::lock_guard lock(mutex_);
            Slot& slot = slots_[i];
            slot.screen = std::move(screen);
            slot.header = std::move(header);
            slot.values = worker.values;
            slot.model = &w;
            slot.done = true;
            awaited = awaited_from_ <= i && i <= awaited_to_;
            for (std::size_t k = awaited_from_; awaited && k <= awaited_to_; ++k)
                awaited = slots_[k].done;
        }
        if (awaited) changed_.notify_all();
    }

    void work(Worker& worker, const std::vector<RunDate>& dates, const std::vector<float>& times) {
        WorkerHooks hooks(stop_);
        const std::size_t n = dates.size() * times.size();
        try {
            Claim& claim = worker.claim;
            while (!stop_ && (claim.next < claim.end || claim_run(claim, n, times.size()))) {
                const std::size_t i = claim.next++;
                {
                    // Screens wait in memory until they are written: a slow front end
                    // holds the workers back rather than let them fill the memory.
                    std::unique_lock lock(mutex_);
                    ++waiting_for_room_;
                    room_.wait(lock, [&] { return stop_ || i < written_ + kMaxAhead; });
                    --waiting_for_room_;
                }
                if (stop_) break;
                compute_step(worker, i, dates, times, hooks);
                if (hooks.aborted()) break;
            }
        } catch (const std::bad_alloc&) {
            // The steps left are computed on one thread.
            {
                std::lock_guard lock(mutex_);
                failed_ = true;
            }
            changed_.notify_all();
        }
    }

    // Steps a worker may compute beyond the first one not yet written.
    static constexpr std::size_t kMaxAhead = 64;
    // The most consecutive steps claimed at once.
    static constexpr std::size_t kMaxRun = 32;
    // Steps the writer waits for at once.
    static constexpr std::size_t kWriteBatch = 8;

    int threads_;
    std::vector<std::unique_ptr<Worker>> models_;
    std::vector<Slot> slots_;
    std::vector<std::string> spare_;  // written screens' buffers, empty (under mutex_)
    std::atomic<std::size_t> next_index_{0};
    std::atomic<bool> stop_{false};
    bool failed_ = false;
    WrittenStep last_written_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::condition_variable room_;  // the writer has moved on
    std::size_t written_ = 0;       // steps written so far (under mutex_)
    // The steps the writer waits for (under mutex_).
    std::size_t awaited_from_ = 0, awaited_to_ = 0;
    int waiting_for_room_ = 0;  // workers waiting on room_ (under mutex_)
};

}  // namespace

RunOutcome MainCalcs(Model& m, const std::optional<std::string>& output, RunHooks& hooks,
                     MessageSink& messages, int jobs) {
    Constants& k = m.consts;
    std::optional<ParallelSteps> parallel;
    if (jobs > 1) parallel.emplace(jobs);
    int norestart_calc = 0;
    bool failed = false;
    hooks.Abort = 0;
    DateFreeGeometry date_free;
    // The step a date taken back from the workers goes on from, when resuming is set.
    bool resuming = false;
    float resume_at = 0;

    std::optional<ScreenFile> file;
    if (output) {
        file.emplace(*output);
        int error = 0;
        if (!file->open(error)) {
            if (error == EWOULDBLOCK)
                messages.show_message(busy_text(*output), kOutputErrorCaption);
            else
                messages.show_message("Can't open", *output, creation_failure(*output, error));
            return RunOutcome::failed;
        }
    }
    hooks.StartCalcs();
    hooks.yield();

    k.day = m.dates.start_day;
    k.month = m.dates.start_month;
    for (;;) {
        bool date_done = false;
        std::vector<float> times;
        float after_last = 0;
        // Examination and changes of the constants look at (and change) the model
        // between steps: their dates run on this thread alone. The workers work out
        // each date's values and geometry themselves, the first one's included, so
        // that they all start at once.
        if (!resuming && parallel && norestart_calc == 0 && !hooks.exam_flag.load() &&
            !hooks.change_flag.load() && list_times(k, times, after_last)) {
            const std::vector<RunDate> dates = list_dates(k, m.dates, times.size());
            std::size_t next = 0;
            const ParallelSteps::Ended ended =
                parallel->run(m, dates, times, next, file ? &*file : nullptr, hooks, messages);
            switch (ended) {
                case ParallelSteps::Ended::done:
                    k.day = dates.back().day;
                    k.month = dates.back().month;
                    k.calc_time = after_last;
                    date_done = true;
                    break;
                case ParallelSteps::Ended::fallback: {
                    // The rest on this thread, from the first step not written; the date's
                    // values and geometry are worked out again on this model.
                    const RunDate& d = dates[next / times.size()];
                    k.day = d.day;
                    k.month = d.month;
                    resume_at = times[next % times.size()];
                    resuming = true;
                    continue;
                }
                case ParallelSteps::Ended::aborted:
                    break;
                case ParallelSteps::Ended::failed:
                    failed = true;
                    break;
            }
        }
        if (!date_done && !failed && !hooks.aborted()) {
            flux_to_ssn(m);
            calc_ak_factor(m);
            calc_sol_lat(m);
            range_azim tx{k.rlat, k.rlon, 0, 0, 0, 0};
            geometry_pass(m, hooks, tx, date_free);
            if (hooks.aborted()) break;
            hooks.SetStatus("NON-TIME DEPENDENT CALCS - DONE");
            hooks.yield();
            // From the first step, or the rest of a date taken back from the workers.
            k.calc_time = resuming ? resume_at : k.start_time;
            resuming = false;
        }
        for (; !date_done && !failed;) {
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
            if (file && !file->write(m)) {
                messages.show_message(file->error_text(), "ERROR WRITING OUTPUT");
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

    if (file) file->close();
    hooks.StopCalcs();
    hooks.yield();
    if (failed) return RunOutcome::failed;
    return hooks.aborted() ? RunOutcome::aborted : RunOutcome::completed;
}

std::optional<long> count_steps(const RunSettings& s, long limit) {
    Constants k = s.consts;
    k.day = s.dates.start_day;
    k.month = s.dates.start_month;
    long steps = 0;
    do {
        k.calc_time = k.start_time;
        do {
            if (++steps > limit) return std::nullopt;
        } while (next_time(k));
    } while (next_date(k, s.dates));
    return steps;
}

}  // namespace skywave
