// The terminal side of a command: messages on standard error, a progress bar while
// the model runs, and Ctrl-C as the Stop command.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/report.h"

#include "base/messages.h"
#include "run/driver.h"
#include "run/sweep.h"

namespace skywave::cli {

// True (reported) when one of the outputs is one of the inputs: the command then
// writes nothing.
bool output_is_input(const std::vector<std::string>& outputs,
                     const std::vector<std::string>& inputs, MessageSink& messages);

// Exit codes of every command.
enum ExitCode { kOk = 0, kError = 1, kUsage = 2, kInterrupted = 130 };  // or 128 + signal

// Messages go to standard error as "CAPTION: text".
class ConsoleMessages : public MessageSink {
public:
    void show_message(const std::string& text, const std::string& caption) override;
    // The detail goes on a line of its own.
    void show_message(const std::string& text, const std::string& caption,
                      const std::string& detail) override;
    int count = 0;
};

// Ctrl-C (SIGINT), SIGTERM, SIGHUP and a closed output pipe (SIGPIPE) ask the work to
// stop like the Stop command: whole screens and lines, the report's closing lines,
// temporaries removed; the program then exits with 128 + the signal. A second SIGINT,
// SIGTERM or SIGHUP ends it at once. SIGXFSZ is ignored, so a file-size limit is a
// write error. Installed once as the program starts.
void install_signal_handlers();
// True once a stop signal came; stop_signal() is its number.
bool interrupted();
int stop_signal();

// Progress of runs: a bar on standard error when it is a terminal.
class Progress {
public:
    Progress();
    ~Progress();
    // Total number of steps, or 0 when unknown.
    void set_total(long total);
    void set_label(const std::string& label);
    void advance(const std::string& detail);
    // Sets how much is done.
    void update(long done, long total, const std::string& detail);
    void finish();

private:
    void draw();
    bool tty_;
    long total_ = 0, done_ = 0;
    std::string label_, detail_;
    bool drawn_ = false;
};

// Driver hooks for the command line: progress, and Ctrl-C turned into Abort.
class ConsoleHooks : public RunHooks {
public:
    explicit ConsoleHooks(Progress& progress) : progress_(progress) {}
    void yield() override;
    void step_done(Model& m) override;

private:
    Progress& progress_;
};

// Sweep hooks for the command line: runs done of runs planned, what is computed now,
// and Ctrl-C.
class ConsoleSweepHooks : public SweepHooks {
public:
    explicit ConsoleSweepHooks(Progress& progress) : progress_(progress) {}
    void SetStatus2(const std::string& text) override;
    void progress(long done, long planned) override;
    bool stop_requested() override { return interrupted(); }
    void note(const std::string& text) override;

private:
    Progress& progress_;
    std::string status_;
    std::string noted_;
};

// The exit code of a sweep: a sweep that scored nothing failed, though its report is
// complete and says why (nothing_scored is the message then).
int sweep_exit_code(SweepOutcome outcome, const char* nothing_scored, MessageSink& messages);

// Where a report goes: the named file (created or truncated), or standard output.
// Reports "Can't open report file" and returns null when the file cannot be created.
std::unique_ptr<Report> open_report(const std::optional<std::string>& file, MessageSink& messages);

// Closes a report; a failed write is reported. Returns false on failure.
bool close_report(Report& report, MessageSink& messages);

}  // namespace skywave::cli
