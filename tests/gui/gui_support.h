// Helpers of the desktop program's tests: a dialog provider that answers for the user,
// a fixture that starts the program in a scratch folder, and prediction files.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <QToolBar>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app.h"
#include "commands.h"
#include "control_bar.h"
#include "dialogs.h"
#include "map_window.h"
#include "model/constants.h"
#include "model/model.h"
#include "run/driver.h"

namespace skywave::gui::test {

// Answers every dialog as told; the run-settings, array and auto-cycle dialogs are
// the real ones, driven by the answer functions.
class FakeDialogs : public DialogProvider {
public:
    struct Message {
        std::string text, caption;
        MessageIcon icon;
        bool on_gui_thread;
    };
    std::vector<Message> messages;
    std::vector<FileRequest> file_requests;
    std::deque<std::optional<std::string>> file_answers;  // nothing left: Cancel
    std::function<void(RunSettingsDialog&)> init = [](RunSettingsDialog& d) { d.cancel(); };
    std::function<void(AutoCycleDialog&)> auto_cycle = [](AutoCycleDialog& d) { d.cancel(); };
    // Rows to choose in the array dialog in turn; -1 or nothing left: Cancel.
    std::deque<int> arrays;
    std::vector<int> array_select_on_open;  // the record's Select as each dialog opened
    std::function<void()> on_array_dialog;  // runs as the array dialog opens
    int about_count = 0;
    // Questions asked ("caption: text") and the answers to give in turn (none left: No).
    std::vector<std::string> questions;
    std::deque<bool> answers;

    void message(QWidget*, const std::string& text, const std::string& caption,
                 MessageIcon icon) override {
        messages.push_back({text, caption, icon, QThread::currentThread() == qApp->thread()});
    }
    std::optional<std::string> file_name(QWidget*, const FileRequest& request) override {
        file_requests.push_back(request);
        if (file_answers.empty()) return std::nullopt;
        auto answer = file_answers.front();
        file_answers.pop_front();
        return answer;
    }
    void init_dialog(QWidget* parent, SettingsRecord& data, std::string& confirmed) override {
        RunSettingsDialog dialog(parent, data, *this, &confirmed);
        init(dialog);
    }
    bool question(QWidget*, const std::string& text, const std::string& caption) override {
        questions.push_back(caption + ": " + text);
        if (answers.empty()) return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    void auto_dialog(QWidget* parent, AutoData& data) override {
        AutoCycleDialog dialog(parent, data, *this);
        auto_cycle(dialog);
    }
    void array_dialog(QWidget* parent, ArrayData& data) override {
        array_select_on_open.push_back(data.Select);
        if (on_array_dialog) on_array_dialog();
        ArrayDialog dialog(parent, data, *this);
        const int row = arrays.empty() ? -1 : arrays.front();
        if (!arrays.empty()) arrays.pop_front();
        if (row < 0) {
            dialog.cancel();
        } else {
            dialog.ListBox->setCurrentRow(row);
            dialog.ok();
        }
    }
    void about(QWidget*) override { ++about_count; }
    void guide(QWidget* parent) override {
        GuideDialog dialog(parent);
        guide_text = dialog.text().toStdString();
    }
    std::string guide_text;  // the guide as last shown

    int count(const std::string& caption) const {
        int n = 0;
        for (const Message& m : messages)
            n += m.caption == caption;
        return n;
    }
};

// Lets events through until the condition holds; gives up (false) after a long while,
// so that a broken program fails instead of hanging.
inline bool wait_until(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 120'000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A prediction file of the default constants for 5 March, one screen per hour from
// start to stop, at the QTH given in degrees.
inline void write_prediction(const std::string& name, int grain, float start, float stop,
                             float lat = 42.5f, float lon = 73.0f) {
    Model m;
    init_consts(m.consts);
    m.CalcInitDone = 1;
    m.consts.display_grain = float(grain);
    m.consts.start_time = start;
    m.consts.stop_time = stop;
    m.consts.step_time = 1;
    m.consts.rlat = float(double(lat) * 0.017453292);
    m.consts.rlon = float(double(lon) * 0.017453292);
    m.dates = {5, 3, 5, 3, 1, 1};
    MessageLog log;
    RunHooks hooks;
    ASSERT_TRUE(InitCalc(m, log));
    ASSERT_EQ(MainCalcs(m, name, hooks, log), RunOutcome::completed);
    EndCalc(m);
}

inline std::string slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The program started in a scratch folder, which is the working directory meanwhile.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/skywave-gui-XXXXXX";
        dir = mkdtemp(tmpl);
        old_dir = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        // What the program remembers (window, folders) stays in the test's folder.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(dir.string()));
    }
    void TearDown() override {
        app.reset();
        std::filesystem::current_path(old_dir);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    App& start(const std::string& file = "") {
        app = std::make_unique<App>(file, dialogs);
        app->build_main_window();
        return *app;
    }
    MapWindow& win() { return *app->map_window; }
    ControlBar& bars() { return *app->bars; }
    QMenuBar* menu() { return app->frame->menuBar(); }
    QAction* item(int id) { return find_command(menu(), id); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string title() const { return app->bars->TitleGadget->text().toStdString(); }
    // Shows the frame and sizes it so that the main window's client area is w x h.
    void client_size(int w, int h) {
        app->frame->show();
        for (int i = 0; i < 5 && win().size() != QSize(w, h); ++i) {
            app->frame->resize(app->frame->size() + QSize(w, h) - win().size());
            QApplication::processEvents();
        }
        ASSERT_EQ(win().size(), QSize(w, h));
    }
    // Waits for the work on the worker thread to end.
    void finish_work() {
        ASSERT_TRUE(wait_until([this] { return !win().busy(); }));
    }

    FakeDialogs dialogs;
    std::unique_ptr<App> app;
    std::filesystem::path dir, old_dir;
};

}  // namespace skywave::gui::test
