#include "console.h"

#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include "base/cformat.h"
#include "base/output_file.h"
#include "model/model.h"

namespace skywave::cli {

namespace {
volatile std::sig_atomic_t g_signal = 0;

// The first stop signal asks the work to stop like the Stop command; a second one of
// the same kind ends the program at once. A closed pipe only asks (writes to it fail
// from then on, as errors).
extern "C" void on_stop_signal(int sig) {
    if (g_signal == 0) g_signal = sig;
    if (sig != SIGPIPE) std::signal(sig, SIG_DFL);
}
}  // namespace

void ConsoleMessages::show_message(const std::string& text, const std::string& caption) {
    ++count;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void ConsoleMessages::show_message(const std::string& text, const std::string& caption,
                                   const std::string& detail) {
    show_message(text, caption);
    if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
}

void install_signal_handlers() {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        std::signal(sig, on_stop_signal);
    // A file-size limit is a write error like a full disk, not the end of the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool interrupted() {
    return g_signal != 0;
}

int stop_signal() {
    return g_signal;
}

Progress::Progress() : tty_(isatty(fileno(stderr)) != 0) {}

Progress::~Progress() {
    finish();
}

void Progress::set_total(long total) {
    total_ = total;
}

void Progress::set_label(const std::string& label) {
    label_ = label;
    draw();
}

void Progress::advance(const std::string& detail) {
    ++done_;
    detail_ = detail;
    draw();
}

void Progress::update(long done, long total, const std::string& detail) {
    done_ = done;
    total_ = total;
    detail_ = detail;
    draw();
}

void Progress::draw() {
    if (!tty_) return;
    constexpr int kWidth = 30;
    std::string bar;
    if (total_ > 0) {
        const long filled = done_ * kWidth / total_;
        bar = "[" + std::string(std::size_t(std::min<long>(filled, kWidth)), '#') +
              std::string(std::size_t(kWidth - std::min<long>(filled, kWidth)), ' ') + "] " +
              std::to_string(done_) + "/" + std::to_string(total_);
    } else {
        bar = std::to_string(done_) + " done";
    }
    std::fprintf(stderr, "\r\033[K%s %s %s", label_.c_str(), bar.c_str(), detail_.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void Progress::finish() {
    if (!drawn_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    drawn_ = false;
}

void ConsoleHooks::yield() {
    if (interrupted()) Abort = 1;
}

void ConsoleHooks::step_done(Model& m) {
    const Constants& k = m.consts;
    const int minutes = int(k.calc_time * 60 + 0.5f);
    progress_.advance(cformat("%2.0f/%-2.0f %02d:%02d UTC", double(k.month), double(k.day),
                              minutes / 60, minutes % 60));
}

}  // namespace skywave::cli

namespace skywave::cli {

void ConsoleSweepHooks::SetStatus2(const std::string& text) {
    status_ = text;
}

void ConsoleSweepHooks::progress(long done, long planned) {
    progress_.update(done, planned, status_);
}

std::unique_ptr<Report> open_report(const std::optional<std::string>& file, MessageSink& messages) {
    if (!file) return std::make_unique<Report>(stdout);
    int error = 0;
    std::unique_ptr<Report> report = Report::create(*file, &error);
    if (!report && error == EWOULDBLOCK)
        messages.show_message(busy_text(*file), kOutputErrorCaption);
    else if (!report)
        messages.show_message("Can't open report file", "ERROR", creation_failure(*file, error));
    return report;
}

bool output_is_input(const std::vector<std::string>& outputs,
                     const std::vector<std::string>& inputs, MessageSink& messages) {
    for (const std::string& output : outputs)
        if (const std::optional<std::string> conflict = output_conflict(output, inputs)) {
            messages.show_message(*conflict, kOutputErrorCaption);
            return true;
        }
    return false;
}

void ConsoleSweepHooks::note(const std::string& text) {
    if (text == noted_) return;  // once, though a command may sweep twice
    noted_ = text;
    std::fprintf(stderr, "note: %s\n", text.c_str());
}

int sweep_exit_code(SweepOutcome outcome, const char* nothing_scored, MessageSink& messages) {
    switch (outcome) {
        case SweepOutcome::scored:
            return kOk;
        case SweepOutcome::stopped:
            return kInterrupted;
        case SweepOutcome::nothing_scored:
            messages.show_message(std::string(nothing_scored) + "; the report says why", "ERROR");
            return kError;
        case SweepOutcome::refused:
        case SweepOutcome::out_of_memory:
            break;  // reported
    }
    return kError;
}

bool close_report(Report& report, MessageSink& messages) {
    if (report.close()) return true;
    messages.show_message(report.error_text(), "ERROR WRITING OUTPUT");
    return false;
}

}  // namespace skywave::cli
