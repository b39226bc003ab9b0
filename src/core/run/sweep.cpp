#include "run/sweep.h"

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "base/output_file.h"

namespace skywave {

namespace fs = std::filesystem;

int default_jobs() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : int(n);
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
    if (!InitCalc(w.model, messages)) return RunOutcome::failed;
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

// A scratch file that is a link stays one: its target takes the runs.
Sweep::Sweep(int jobs, const std::string& final_scratch)
    : final_scratch_(resolve_links(final_scratch)) {
    fs::path dir = fs::path(final_scratch_).parent_path();
    if (dir.empty()) dir = ".";
    std::string tmpl = (dir / ".skywave-runs-XXXXXX").string();
    if (mkdtemp(tmpl.data())) folder_ = tmpl;
    if (jobs < 1) jobs = 1;
    for (int i = 0; i < jobs; ++i) {
        auto w = std::make_unique<SweepWorker>();
        w->scratch = folder_.empty()
                         ? final_scratch_ + "." + std::to_string(i)
                         : (fs::path(folder_) / ("run" + std::to_string(i) + ".mof")).string();
        workers_.push_back(std::move(w));
    }
}

Sweep::~Sweep() {
    std::error_code ec;
    for (const auto& w : workers_)
        fs::remove(w->scratch, ec);
    if (!folder_.empty()) fs::remove_all(folder_, ec);
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
    std::atomic<int> next{0};
    std::vector<std::thread> threads;
    for (auto& w : workers_) {
        SweepWorker* worker = w.get();
        threads.emplace_back([&, worker] {
            for (int i = next++; i < n; i = next++) {
                if (!ctx.stopping()) task(i, *worker, ctx);
                std::lock_guard lock(ctx.mutex_);
                keep_scratch(*worker, i);
                ctx.slots_[std::size_t(i)].done = true;
                ctx.changed_.notify_all();
            }
        });
    }

    // Hand the text over in task order while the workers go on.
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
    lock.unlock();
    for (auto& t : threads)
        t.join();
    hooks.progress(ctx.runs_done_.load(), planned_runs);
}

}  // namespace skywave
