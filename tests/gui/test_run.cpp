// Runs on the worker thread: the run-settings dialog to the replayed result, Stop,
// the commands disabled meanwhile, a file that cannot be created, and the
// examination of the arrays while the run waits.
#include <QImage>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>
#include <cstdlib>
#include <map>
#include <set>

#include "gui_support.h"
#include "map/map_resources.h"
#include "model/result_arrays.h"

namespace skywave::gui::test {

namespace {

// The run-settings dialog's answer: these fields, then OK.
std::function<void(RunSettingsDialog&)> settings(std::map<int, std::string> fields) {
    return [fields](RunSettingsDialog& d) {
        for (const auto& [id, text] : fields)
            d.Field(id)->setText(QString::fromStdString(text));
        d.ok();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    };
}

// 42 30 0 N, 73 0 0 W, 5 March from start to stop hour, flux 150, A 7, K 2, grain 3.
std::map<int, std::string> run_fields(const std::string& file, int start, int stop) {
    return {{200, "42"},
            {201, "30"},
            {202, "0"},
            {203, "N"},
            {204, "73"},
            {205, "0"},
            {206, "0"},
            {207, "W"},
            {221, "3"},
            {222, "5"},
            {223, "3"},
            {224, "5"},
            {225, "1"},
            {226, "1"},
            {210, std::to_string(start)},
            {211, "0"},
            {212, std::to_string(stop)},
            {213, "0"},
            {214, "1"},
            {215, "0"},
            {230, "150"},
            {231, "7"},
            {232, "2"},
            {250, "3"},
            {260, file}};
}

int screens_in(const std::string& file, int grain_rows) {
    std::ifstream in(file);
    int lines = 0;
    for (std::string l; std::getline(in, l);)
        ++lines;
    return lines / (1 + 5 * grain_rows);
}

int row(const char* title) {
    return *find_disp_array(title);
}

}  // namespace

TEST_F(GuiTest, ARunStartedInTheWindowWritesWhatTheCommandLineWrites) {
    start();
    dialogs.init = settings(run_fields("gui.mof", 0, 3));
    win().run_command(CM_CALCSTART);
    EXPECT_TRUE(win().busy());
    finish_work();
    const std::string cmd =
        "cd '" + dir.string() +
        "' && " SKYWAVE_EXE
        " run --no-mof-dat --lat 42:30:00N --lon 73:00:00W --start-date 3/5 --start-time 0:00"
        " --stop-time 3:00 --step-time 1:00 --flux 150 --a-index 7 --k-index 2 --grain 3"
        " -o cli.mof >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string gui = slurp(path("gui.mof")), cli = slurp(path("cli.mof"));
    EXPECT_EQ(screens_in(path("gui.mof"), 11), 4);
    EXPECT_TRUE(gui == cli) << "the two prediction files differ";
    // The result is shown at once; the only message was the missing MOF.DAT.
    EXPECT_TRUE(win().file_is_open());
    EXPECT_EQ(title().substr(0, 11), "03 05 00.00");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "ERROR OPENING INPUT");
    EXPECT_EQ(dialogs.messages[0].text, "MOF.DAT");
    EXPECT_EQ(bars().ProgressGadget->value(), 4) << "every step counted";
}

TEST_F(GuiTest, DuringARunStartBecomesStopAndFileCommandsWait) {
    write_prediction(path("other.mof"), 2, 0, 0);
    start(path("other.mof"));
    win().run_command(CM_CALCCVIEW);  // the run waits in the examination after its first step
    dialogs.init = settings(run_fields("run.mof", 0, 1));
    dialogs.arrays = {row("fe")};
    win().run_command(CM_CALCSTART);
    ASSERT_TRUE(wait_until([this] { return win().examining() == 1; }));
    EXPECT_FALSE(win().file_is_open()) << "Start closed the replayed file";

    EXPECT_EQ(item(CM_CALCSTART), nullptr);
    ASSERT_NE(item(CM_CALCSTOP), nullptr);
    EXPECT_EQ(item(CM_CALCSTOP)->text().toStdString(), "Calc &Stop");
    EXPECT_TRUE(item(CM_CALCSTOP)->isEnabled());
    EXPECT_NE(bars().control_items().indexOf("Calc Stop"), -1);
    EXPECT_EQ(bars().status_items(), (QStringList{"time", "status", "progress"}));
    EXPECT_EQ(bars().TimeGadget->text().toStdString(), "TIME=  0.00Z         ");
    EXPECT_EQ(bars().StatusGadget->text().toStdString(), "LOF AND MOF CALCULATION DONE.");
    for (int id : {100, 108, 102, 120, 119, 127, 129, 130, 131, 132, 126, 113})
        EXPECT_FALSE(win().command_enabled(id)) << id;
    EXPECT_FALSE(bars().Button(CM_FILEOPEN)->isEnabled());
    // Neither a command nor a drop replaces the file being written.
    dialogs.file_answers.push_back(path("other.mof"));
    win().run_command(CM_FILEOPEN);
    win().open_dropped_files({QString::fromStdString(path("other.mof"))});
    EXPECT_FALSE(win().file_is_open());
    EXPECT_TRUE(dialogs.file_requests.empty());
    EXPECT_EQ(win().file_name(), "run.mof");

    win().examine_next();  // no array chosen: the examination ends and the run goes on
    finish_work();
    EXPECT_EQ(item(CM_CALCSTOP), nullptr);
    ASSERT_NE(item(CM_CALCSTART), nullptr);
    EXPECT_EQ(item(CM_CALCSTART)->text().toStdString(), "Calc &Start");
    EXPECT_TRUE(bars().status_items().isEmpty());
    EXPECT_TRUE(win().command_enabled(CM_FILEOPEN));
    EXPECT_EQ(screens_in(path("run.mof"), 11), 2);
    EXPECT_TRUE(win().file_is_open());
    EXPECT_EQ(win().file_name(), "run.mof");
}

TEST_F(GuiTest, StopEndsTheRunWithTheCompletedScreens) {
    start();
    win().run_command(CM_CALCCVIEW);
    dialogs.init = settings(run_fields("stop.mof", 0, 23));
    dialogs.arrays = {row("fe")};
    win().run_command(CM_CALCSTART);
    ASSERT_TRUE(wait_until([this] { return win().examining() == 1; }));
    bars().CalcStopButton->trigger();
    EXPECT_EQ(win().abort_flag().load(), 1);
    win().examine_next();  // Cancel: the run sees Stop before its next step
    finish_work();
    EXPECT_EQ(screens_in(path("stop.mof"), 11), 1);
    EXPECT_EQ(bars().control_items().indexOf("Calc Stop"), -1);
    EXPECT_TRUE(win().file_is_open()) << "the completed screens are shown";
}

TEST_F(GuiTest, ARunThatCannotCreateItsFileShowsNoOtherFile) {
    // A folder where the file should go: the run cannot create it, and nothing of that
    // name may then be shown as if it were the run's result.
    std::filesystem::create_directory(path("taken.mof"));
    write_prediction(path("shown.mof"), 3, 0, 0);
    start(path("shown.mof"));
    dialogs.init = settings(run_fields(path("taken.mof"), 0, 1));
    win().run_command(CM_CALCSTART);
    finish_work();
    ASSERT_EQ(dialogs.messages.size(), 2u);  // MOF.DAT, then the run's
    EXPECT_EQ(dialogs.messages[1].text, "Can't open");
    EXPECT_EQ(dialogs.messages[1].caption, path("taken.mof"));
    EXPECT_TRUE(dialogs.messages[1].on_gui_thread)
        << "the run's message is shown by the GUI thread";
    EXPECT_FALSE(win().file_is_open());
    EXPECT_EQ(bars().control_items(), (QStringList{"Open", "|", "About", "|"}));
}

TEST_F(GuiTest, CancelledRunSettingsStartNothing) {
    start();
    win().run_command(CM_CALCSTART);  // the dialog is cancelled
    EXPECT_FALSE(win().busy());
    EXPECT_EQ(win().model().CalcInitDone, 1);
    // A failing group keeps the dialog open: nothing starts until the fields are right.
    std::map<int, std::string> fields = run_fields("x.mof", 0, 0);
    fields[231] = "401";
    dialogs.init = [fields](RunSettingsDialog& d) {
        for (const auto& [id, text] : fields)
            d.Field(id)->setText(QString::fromStdString(text));
        d.ok();
        EXPECT_NE(d.result(), QDialog::Accepted);
        d.cancel();
    };
    win().run_command(CM_CALCSTART);
    EXPECT_FALSE(win().busy());
    EXPECT_EQ(dialogs.messages.back().text, "Solar Data not readable.");
    EXPECT_EQ(dialogs.messages.back().caption, "SOLAR DATA ERROR!");
}

TEST_F(GuiTest, ExaminingArraysWhileTheRunWaits) {
    start();
    win().run_command(CM_CALCCVIEW);
    dialogs.init = settings(run_fields("exam.mof", 0, 1));
    dialogs.arrays = {row("mof"), row("other"), row("c_sol_zen"), -1};
    win().run_command(CM_CALCSTART);
    ASSERT_TRUE(wait_until([this] { return win().examining() == 1; }));

    // The first array: its title, the ten-colour legend and the text below the map.
    EXPECT_NE(title().find("  mof"), std::string::npos) << title();
    EXPECT_TRUE(item(CM_EXAMNEXT)->isEnabled());
    EXPECT_TRUE(bars().ExamNextButton->isEnabled());
    EXPECT_EQ(bars().control_items().mid(4, 3),
              (QStringList{"Calc Stop", "Exam Another Array", "title"}));
    const Surface& w = win().surfaces().Working;
    int white_text = 0;
    for (int y = 370; y < 445; ++y)
        for (int x = 20; x < 130; ++x)
            white_text += w.pixel(x, y) == rgb(255, 255, 255);
    EXPECT_GT(white_text, 50) << "\"Spectrum\" and the range are written below the map";
    // The window shows rows 0 ... 444, legend included.
    client_size(640, 445);
    QImage shown = win().grab().toImage().convertToFormat(QImage::Format_RGB32);
    int differ = 0;
    for (int y = 0; y < 445; ++y)
        for (int x = 0; x < 640; ++x)
            differ += shown.pixel(x, y) != w.pixel(x, y);
    EXPECT_EQ(differ, 0);

    // View commands redraw the array meanwhile.
    EXPECT_TRUE(item(CM_VIEWMAP)->isEnabled());
    const Surface with_map = w;
    win().run_command(CM_VIEWMAP);
    EXPECT_NE(std::vector<Pixel>(w.data(), w.data() + 640 * 480),
              std::vector<Pixel>(with_map.data(), with_map.data() + 640 * 480));
    win().run_command(CM_VIEWMAP);

    // Another array: "other" shows the step's values and asks again at once.
    bars().ExamNextButton->trigger();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().caption, "Misc Values");
    EXPECT_EQ(dialogs.messages.back().text.substr(0, 4), "ssn=");
    EXPECT_NE(dialogs.messages.back().text.find("\ncf_noon_max="), std::string::npos);
    EXPECT_NE(title().find("  c_sol_zen"), std::string::npos) << title();
    // A per-row array is drawn in bands: on a black base without overlays every cell
    // of a display row has the row's colour.
    for (int id : {CM_VIEWMAP, CM_VIEWSUN, CM_VIEWQTH})
        win().run_command(id);
    const Grid& g = win().model().grid;
    const int width = 640 / g.n_cols, height = 2 * g.cell_scale;
    int off_band = 0;
    std::set<Pixel> colours;
    for (int k = 0; k < g.out_rows; ++k) {
        const int y = 10 + k * height + height / 2;
        colours.insert(w.pixel(width / 2, y));
        for (int n = 1; n < g.n_cols; ++n)
            off_band += w.pixel(n * width + width / 2, y) != w.pixel(width / 2, y);
    }
    EXPECT_EQ(off_band, 0);
    EXPECT_GT(colours.size(), 2u) << "the bands differ from row to row";
    for (int id : {CM_VIEWMAP, CM_VIEWSUN, CM_VIEWQTH})
        win().run_command(id);
    EXPECT_EQ(dialogs.array_select_on_open, (std::vector<int>{0, row("mof"), row("other")}))
        << "the choice is kept from one opening to the next";

    win().run_command(CM_EXAMNEXT);  // Cancel: the run goes on to its second step
    ASSERT_TRUE(wait_until([this] { return !win().busy(); }));
    EXPECT_EQ(dialogs.array_select_on_open.size(), 5u) << "the second step was offered too";
    EXPECT_EQ(dialogs.array_select_on_open.back(), 0)
        << "each step's examination starts at the first row";
    EXPECT_EQ(win().examining(), 0);
    EXPECT_FALSE(item(CM_EXAMNEXT)->isEnabled());
    EXPECT_EQ(bars().control_items().indexOf("Exam Another Array"), -1);
    EXPECT_EQ(screens_in(path("exam.mof"), 11), 2);
}

TEST_F(GuiTest, ExitTearsTheWindowDownAndClosesTheFrame) {
    write_prediction(path("e.mof"), 3, 0, 0);
    start(path("e.mof"));
    app->frame->show();
    item(CM_FILEEXIT)->trigger();
    EXPECT_EQ(win().is_shut_down(), 1);
    EXPECT_FALSE(app->frame->isVisible());
    EXPECT_FALSE(win().file_is_open());
}

TEST_F(GuiTest, ClosingTheWindowDuringARunStopsIt) {
    start();
    win().run_command(CM_CALCCVIEW);
    dialogs.init = settings(run_fields("close.mof", 0, 23));
    dialogs.arrays = {row("fe")};
    win().run_command(CM_CALCSTART);
    ASSERT_TRUE(wait_until([this] { return win().examining() == 1; }));
    app->frame->close();
    EXPECT_EQ(win().is_shut_down(), 1);
    EXPECT_FALSE(win().busy());
    EXPECT_EQ(screens_in(path("close.mof"), 11), 1);
    win().shut_down();  // a second teardown does nothing
    EXPECT_EQ(win().is_shut_down(), 1);
}

}  // namespace skywave::gui::test
