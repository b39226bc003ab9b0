// The desktop program loses no file without asking, scores as the command line does,
// keeps the window free while it scores, and shows every file name.
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <regex>

#include "gui_support.h"

namespace skywave::gui::test {

namespace {

// A report without its time stamps.
std::string without_stamps(const std::string& report) {
    static const std::regex stamps(R"((REPORT STARTED|REPORT DONE): .*\n|ELAPSED TIME: .*\n)");
    return std::regex_replace(report, stamps, "");
}

// Runs the program's command line in dir; its standard output.
std::string command_line(const std::string& args, const std::filesystem::path& dir) {
    const std::string cmd =
        "cd '" + dir.string() + "' && " SKYWAVE_EXE " " + args + " 2>/dev/null >.cli";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << args;
    return slurp(dir / ".cli");
}

}  // namespace

TEST_F(GuiTest, NoFileIsReplacedWithoutAsking) {
    write_prediction(path("viewed.mof"), 3, 0, 1);
    const std::string viewed = slurp(path("viewed.mof"));
    start(path("viewed.mof"));  // the file viewed is the next run's output
    int shown = 0;
    dialogs.init = [&](RunSettingsDialog& d) {
        if (++shown > 1) return d.cancel();
        d.findChild<QPushButton*>("button220")->click();  // Today
        d.Field(250)->setText("3");
        d.ok();
    };
    dialogs.answers = {false};
    win().run_command(CM_CALCSTART);
    EXPECT_EQ(shown, 2) << "No returns to the run settings";
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], "Replace File: Replace " + path("viewed.mof") + "?");
    EXPECT_FALSE(win().busy());
    EXPECT_EQ(slurp(path("viewed.mof")), viewed);

    // Yes writes; a file chosen with New (whose save dialog asked) is not asked about.
    dialogs.init = [](RunSettingsDialog& d) {
        d.findChild<QPushButton*>("button220")->click();  // Today
        d.Field(250)->setText("3");
        d.Field(210)->setText("0");
        d.Field(212)->setText("0");
        d.ok();
    };
    dialogs.questions.clear();
    dialogs.answers = {true};
    win().run_command(CM_CALCSTART);
    finish_work();
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_NE(slurp(path("viewed.mof")), viewed);
    dialogs.file_answers = {path("viewed.mof")};
    win().run_command(CM_FILENEW);
    EXPECT_TRUE(dialogs.file_requests.back().confirm_overwrite);
    win().run_command(CM_CALCSTART);
    finish_work();
    EXPECT_EQ(dialogs.questions.size(), 1u) << "New asked already";

    // A report that exists is asked about; one that is an input is refused at once.
    std::filesystem::create_directory(path("obs"));
    write_prediction(path("obs/a.prp"), 3, 0, 1);
    write_prediction(path("report.txt"), 3, 0, 0);
    const std::string old_report = slurp(path("report.txt"));
    dialogs.file_answers = {path("obs/a.prp"), path("report.txt"), path("obs/a.prp")};
    dialogs.answers = {false};
    dialogs.messages.clear();
    win().run_command(CM_CALCSCOREMULTI);
    EXPECT_FALSE(win().busy());
    EXPECT_EQ(slurp(path("report.txt")), old_report);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "ERROR OPENING OUTPUT");
    EXPECT_NE(dialogs.messages[0].text.find(path("obs/a.prp")), std::string::npos);
}

TEST_F(GuiTest, MultiFileScoreAndDiddleReportWhatTheCommandLineReports) {
    std::filesystem::create_directory(path("obs"));
    std::filesystem::copy_file(SKYWAVE_TEST_DATA "/k1lz-cq-ww-cw-2024.prp",
                               path("obs/k1lz-cq-ww-cw-2024.prp"));
    const std::string cli_multi = command_line("score-multi obs --no-mof-dat", dir);
    command_line("consts write --no-mof-dat marks.dat", dir);
    ASSERT_EQ(std::system(("cd '" + dir.string() +
                           "' && awk '$7 ~ /^(m9_1|clof_3)$/ {$6 = 1} {print}' marks.dat >m.dat")
                              .c_str()),
              0);
    const std::string cli_diddle = command_line(
        "diddle " + path("obs/k1lz-cq-ww-cw-2024.prp") + " --no-mof-dat --consts m.dat", dir);
    start();
    win().run_command(CM_CALCCDEFAULT);
    // Run settings of another day and hours do not change what a contest file is run for.
    win().model().consts.start_time = 12;
    win().model().consts.stop_time = 13;
    dialogs.file_answers = {path("obs/k1lz-cq-ww-cw-2024.prp"), path("multi.txt")};
    win().run_command(CM_CALCSCOREMULTI);
    finish_work();
    EXPECT_EQ(slurp(path("multi.txt")), cli_multi);
    EXPECT_NE(cli_multi.find("\nk1lz-cq-ww-cw-2024.prp"), std::string::npos) << cli_multi;
    dialogs.file_answers = {path("m.dat")};
    win().run_command(CM_CALCCOPEN);
    win().model().consts.start_time = 12;
    win().model().consts.stop_time = 13;
    dialogs.file_answers = {path("obs/k1lz-cq-ww-cw-2024.prp"), path("tune.did")};
    win().run_command(CM_CALCCDIDDLE);
    finish_work();
    EXPECT_EQ(without_stamps(slurp(path("tune.did"))), without_stamps(cli_diddle));
    EXPECT_EQ(win().model().consts.start_time, 12) << "the run settings keep their hours";
}

TEST_F(GuiTest, AutoCyclePeriodsTheCountCanShow) {
    write_prediction(path("p.mof"), 3, 0, 1);
    start(path("p.mof"));
    dialogs.auto_cycle = [this](AutoCycleDialog& d) {
        EXPECT_EQ(d.focusWidget(), d.Field()) << "the period is ready to be typed";
        d.Field()->setText("2147483648");
        d.ok();
        EXPECT_EQ(dialogs.messages.back().text, "Auto Data not readable.");
        d.Field()->setText("7");
        d.ok();
    };
    win().run_command(CM_REPLAYAUTO);
    ASSERT_NE(win().replay_timer(), 0);
    EXPECT_EQ(bars().CounterGadget->text().toStdString(), "    7") << "the new period at once";
}

TEST_F(GuiTest, AFileNameThatIsNotUtf8IsShownAndKept) {
    const std::string name = path("r\xe9sum\xe9.mof");  // Latin-1, as another system wrote it
    start(name);  // not there yet: the message names it, byte for byte readable
    const QString shown = app->frame->statusBar()->currentMessage();
    EXPECT_TRUE(shown.contains(QString::fromLatin1("r\xe9sum\xe9.mof"))) << shown.toStdString();
    dialogs.init = [](RunSettingsDialog& d) {
        EXPECT_TRUE(d.Field(260)->text().endsWith(QString::fromLatin1("r\xe9sum\xe9.mof")));
        d.findChild<QPushButton*>("button220")->click();  // Today
        d.Field(250)->setText("3");
        d.Field(212)->setText("0");
        d.ok();
    };
    win().run_command(CM_CALCSTART);
    finish_work();
    EXPECT_TRUE(std::filesystem::exists(name)) << "the run wrote the file of that name";
    EXPECT_TRUE(win().file_is_open());
}

}  // namespace skywave::gui::test
