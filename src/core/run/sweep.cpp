#include "run/sweep.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

#include "base/cformat.h"
#include "base/output_file.h"

namespace skywave {

namespace fs = std::filesystem;

SweepOutcome sweep_outcome(const Sweep& sweep, bool scored, MessageSink& messages) {
    if (sweep.out_of_memory()) {
        if (!sweep.memory_reported())
            messages.show_message("Not enough memory for the runs.", "MEMORY ERROR!");
        return SweepOutcome::out_of_memory;
    }
    if (sweep.stopped()) return SweepOutcome::stopped;
    return scored ? SweepOutcome::scored : SweepOutcome::nothing_scored;
}

int default_jobs() {
    // Asked by every command as it is set up: the processors are counted once.
    static const int jobs = [] {
        const unsigned n = std::thread::hardware_concurrency();
        return n == 0 ? 1 : int(n);
    }();
    return jobs;
}

namespace {

// Driver hooks of one run inside a sweep: Stop reaches it within a grid row.
class SweepRunHooks : public RunHooks {
public:
    explicit SweepRunHooks(const SweepContext& context) : context_(context) {}
    void yield() override {
        if (context_.stopping()) Abort = 1;
    }

private:
    const SweepContext& context_;
};

}  // namespace

RunOutcome SweepContext::run(SweepWorker& w, MessageSink& messages) {
    if (stopping()) return RunOutcome::aborted;
    SweepRunHooks hooks(*this);
    if (!InitCalc(w.model, messages)) {
        // With a grid the only failure left is memory (reported): the sweep cannot go on.
        if (w.model.grid.n_rows != 0) {
            memory_reported_ = true;
            out_of_memory_ = true;
            stop_ = true;
        }
        return RunOutcome::failed;
    }
    const RunOutcome outcome = MainCalcs(w.model, w.scratch, hooks, messages);
    EndCalc(w.model);
    ++runs_done_;
    changed_.notify_all();
    return outcome;
}

void SweepContext::write(int task, const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        slots_[std::size_t(task)].text += text;
    }
    changed_.notify_all();
}

void SweepContext::status(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        status_ = text;
    }
    changed_.notify_all();
}

namespace {

// A run folder whose process is gone: its lock can be taken. Folders without a lock
// file are left alone, since their process may just be making them.
void remove_abandoned_run_folders(const fs::path& dir) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code type_ec;
        if (name.rfind(".skywave-runs-", 0) != 0 || !it->is_directory(type_ec)) continue;
        const int fd = ::open((it->path() / "lock").c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code rm_ec;
            fs::remove_all(it->path(), rm_ec);
        }
        ::close(fd);
    }
}

}  // namespace

// A scratch file that is a link stays one: its target takes the runs.
Sweep::Sweep(int jobs, const std::string& final_scratch)
    : final_scratch_(resolve_links(final_scratch)), jobs_(jobs < 1 ? 1 : jobs) {
    fs::path dir = fs::path(final_scratch_).parent_path();
    if (dir.empty()) dir = ".";
    remove_abandoned_run_folders(dir);
    std::string tmpl = (dir / ".skywave-runs-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return;
    folder_ = tmpl;
    // Held while this process lives, so that a later sweep knows the folder is in use.
    lock_fd_ = ::open((fs::path(folder_) / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock_fd_ >= 0) ::flock(lock_fd_, LOCK_EX);
}

Sweep::~Sweep() {
    std::error_code ec;
    for (const auto& w : workers_)
        fs::remove(w->scratch, ec);
    if (!folder_.empty()) fs::remove_all(folder_, ec);
    if (lock_fd_ >= 0) ::close(lock_fd_);
}

// Workers for up to n tasks at once, each with a scratch file of its own.
void Sweep::add_workers(int n) {
    const int wanted = std::min(jobs_, std::max(n, 1));
    while (int(workers_.size()) < wanted) {
        const int i = int(workers_.size());
        auto w = std::make_unique<SweepWorker>();
        w->scratch = folder_.empty()
                         ? final_scratch_ + "." + std::to_string(i)
                         : (fs::path(folder_) / ("run" + std::to_string(i) + ".mof")).string();
        workers_.push_back(std::move(w));
    }
}

// Makes a task's last run the scratch file, unless a later task's run is already
// there. Called with the context's mutex held.
void Sweep::keep_scratch(SweepWorker& w, int rank) {
    if (rank < kept_rank_) return;
    std::error_code ec;
    if (!fs::exists(w.scratch, ec)) return;
    fs::rename(w.scratch, final_scratch_, ec);
    if (ec) {
        fs::copy_file(w.scratch, final_scratch_, fs::copy_options::overwrite_existing, ec);
        fs::remove(w.scratch, ec);
    }
    kept_rank_ = rank;
}

void Sweep::run(int n, long planned_runs,
                const std::function<void(int, SweepWorker&, SweepContext&)>& task,
                const std::function<void(const std::string&)>& write, SweepHooks& hooks) {
    SweepContext& ctx = context_;
    {
        std::lock_guard lock(ctx.mutex_);
        ctx.slots_.assign(std::size_t(n), {});
    }
    add_workers(n);
    std::atomic<int> next{0};
    // One worker's share of the tasks. Out of memory in a task stops the sweep as Stop
    // does; the caller reports it.
    const auto work = [&](SweepWorker& worker, bool poll_stop) {
        for (int i = next++; i < n; i = next++) {
            if (poll_stop && hooks.stop_requested()) ctx.stop_ = true;
            try {
                if (!ctx.stopping()) task(i, worker, ctx);
            } catch (const std::bad_alloc&) {
                ctx.out_of_memory_ = true;
                ctx.stop_ = true;
            }
            std::lock_guard lock(ctx.mutex_);
            keep_scratch(worker, i);
            ctx.slots_[std::size_t(i)].done = true;
            ctx.changed_.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (auto& w : workers_) {
        try {
            threads.emplace_back([&work, worker = w.get()] { work(*worker, false); });
        } catch (const std::system_error&) {
            break;  // go on with the threads there are
        }
    }
    if (int(threads.size()) < int(workers_.size()))
        hooks.note(threads.empty() ? "no thread could be started; the runs go on one at a time"
                                   : cformat("only %zu of %zu threads could be started",
                                             threads.size(), workers_.size()));
    // Without a thread of its own the work is done here, before its text is handed on.
    if (threads.empty()) work(*workers_.front(), true);

    // Hand the text over in task order while the workers go on. Whatever happens here,
    // the workers are stopped and waited for before this returns.
    try {
        int current = 0;
        std::string last_status;
        std::unique_lock lock(ctx.mutex_);
        while (current < n) {
            ctx.changed_.wait_for(lock, std::chrono::milliseconds(100));
            std::string text;
            while (current < n) {
                auto& slot = ctx.slots_[std::size_t(current)];
                text += slot.text;
                slot.text.clear();
                if (!slot.done) break;
                ++current;
            }
            const std::string status = ctx.status_;
            lock.unlock();
            if (!text.empty()) write(text);
            if (status != last_status) hooks.SetStatus2(last_status = status);
            hooks.progress(ctx.runs_done_.load(), planned_runs);
            if (hooks.stop_requested()) ctx.stop_ = true;
            lock.lock();
        }
    } catch (...) {
        ctx.stop_ = true;
        for (auto& t : threads)
            t.join();
        throw;
    }
    for (auto& t : threads)
        t.join();
    hooks.progress(ctx.runs_done_.load(), planned_runs);
}

}  // namespace skywave
