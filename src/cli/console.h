// The terminal side of a command: messages on standard error, a progress bar while
// the model runs, and Ctrl-C as the Stop command.
#pragma once

#include <string>

#include "driver.h"
#include "messages.h"

namespace skywave::cli {

// Exit codes of every command.
enum ExitCode { kOk = 0, kError = 1, kUsage = 2, kInterrupted = 130 };

// Messages go to standard error as "CAPTION: text".
class ConsoleMessages : public MessageSink {
public:
    void show_message(const std::string& text, const std::string& caption) override;
    int count = 0;
};

// True once Ctrl-C was pressed. The first press asks the work to stop like the
// Stop command; a second one ends the program at once.
void install_interrupt_handler();
bool interrupted();

// Progress of runs: a bar on standard error when it is a terminal.
class Progress {
public:
    Progress();
    ~Progress();
    // Total number of steps, or 0 when unknown.
    void set_total(long total);
    void set_label(const std::string& label);
    void advance(const std::string& detail);
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
    void step_done(const Model& m) override;

private:
    Progress& progress_;
};

}  // namespace skywave::cli
