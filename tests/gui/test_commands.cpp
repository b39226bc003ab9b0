// The constants and score commands, with their file dialogs and messages; the
// multi-file score and the diddle run on the worker thread.
#include <QStatusBar>

#include "files/constants_file.h"
#include "gui_support.h"

namespace skywave::gui::test {

namespace {

// A constants file of the defaults with one value changed.
void write_constants(const std::string& file, float sf_index, float display_grain = 2) {
    Model m;
    init_consts(m.consts);
    m.consts.sf_index = sf_index;
    m.consts.display_grain = display_grain;
    MessageLog log;
    ASSERT_TRUE(WriteConsts(m, file, log));
}

int lines_of(const std::string& text) {
    return int(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST_F(GuiTest, MofDatIsReadOnceBeforeTheFirstConstantsCommand) {
    write_constants(path("MOF.DAT"), 123);
    start();
    std::vector<std::string> shown_flux;
    dialogs.init = [&](RunSettingsDialog& d) {
        shown_flux.push_back(d.Field(230)->text().toStdString());
        d.cancel();
    };
    win().run_command(CM_CALCINIT);
    write_constants(path("MOF.DAT"), 99);  // not read again
    win().run_command(CM_CALCINIT);
    win().run_command(CM_CALCCCHANGE);
    EXPECT_EQ(shown_flux, (std::vector<std::string>{"123", "123"}));
    EXPECT_EQ(win().model().consts.sf_index, 123.0f);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GuiTest, AMissingMofDatIsReportedOnce) {
    start();
    win().run_command(CM_CALCCCHANGE);
    win().run_command(CM_CALCCDEFAULT);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "MOF.DAT");
    EXPECT_EQ(dialogs.messages[0].caption, "ERROR OPENING INPUT");
    EXPECT_EQ(win().model().CalcInitDone, 1);
}

TEST_F(GuiTest, ConstantsFilesAreReadAndWritten) {
    start();
    write_constants(path("grain3.dat"), 150, 3);
    dialogs.file_answers.push_back(path("grain3.dat"));
    win().run_command(CM_CALCCOPEN);
    EXPECT_EQ(win().model().consts.sf_index, 150.0f);
    EXPECT_EQ(win().model().consts.display_grain, 3.0f);
    EXPECT_EQ(win().model().grid.n_cols, 40) << "the grain read takes effect with the next run";
    ASSERT_EQ(dialogs.file_requests.size(), 1u);
    EXPECT_EQ(dialogs.file_requests[0].kind, FileRequest::open);
    EXPECT_EQ(dialogs.file_requests[0].filter.toStdString(), "MOF Consts (*.DAT *.dat)");
    EXPECT_EQ(dialogs.file_requests[0].default_ext.toStdString(), "DAT");

    dialogs.file_answers.push_back(path("out.dat"));
    win().run_command(CM_CALCCWRITE);
    EXPECT_EQ(dialogs.file_requests.back().kind, FileRequest::save);
    EXPECT_TRUE(dialogs.file_requests.back().confirm_overwrite);
    const std::string written = slurp(path("out.dat"));
    EXPECT_NE(written.find("150.000000      200.000000   3   0 sf_index\n"), std::string::npos);
    EXPECT_NE(written.find("3.000000        2.000000   0   0 display_grain\n"), std::string::npos);

    win().run_command(CM_CALCCOPEN);  // cancelled: nothing read
    dialogs.file_answers.push_back(path("missing.dat"));
    win().run_command(CM_CALCCOPEN);
    EXPECT_EQ(dialogs.messages.back().text, path("missing.dat"));
    EXPECT_EQ(dialogs.messages.back().caption, "ERROR OPENING INPUT");
}

TEST_F(GuiTest, SetProgramDefaultsKeepsTheSweepMarks) {
    start();
    write_constants(path("marked.dat"), 150, 3);
    // Mark rlat for the sweep (sixth column) in the file.
    std::string text = slurp(path("marked.dat"));
    const std::size_t at = text.find(" rlat");
    ASSERT_NE(at, std::string::npos);
    text[at - 1] = '1';
    std::ofstream(path("marked.dat"), std::ios::binary) << text;
    dialogs.file_answers.push_back(path("marked.dat"));
    win().run_command(CM_CALCCOPEN);
    const int rlat = find_constant("rlat");
    ASSERT_EQ(win().model().diddle_flag[std::size_t(rlat)], 1);
    win().run_command(CM_CALCCDEFAULT);
    EXPECT_EQ(win().model().consts.display_grain, 2.0f);
    EXPECT_EQ(win().model().grid.n_rows, 24);
    EXPECT_EQ(win().model().grid.n_cols, 40);
    EXPECT_EQ(win().model().consts.sf_index, 200.0f);
    EXPECT_EQ(win().model().diddle_flag[std::size_t(rlat)], 1);
}

TEST_F(GuiTest, SingleScoreComparesTwoFilesAndShowsTheFirst) {
    write_prediction(path("pred.mof"), 3, 0, 1);
    write_prediction(path("obs.prp"), 3, 0, 1, 40.0f, 80.0f);
    start();
    dialogs.file_answers = {path("pred.mof"), path("obs.prp"), path("score.txt")};
    win().run_command(CM_CALCSCORE);
    EXPECT_TRUE(win().busy()) << "the comparison runs on the worker thread";
    finish_work();
    ASSERT_EQ(dialogs.file_requests.size(), 3u);
    EXPECT_EQ(dialogs.file_requests[0].filter.toStdString(),
              "MOF Data Files (*.MOF *.mof);;Contest Data(*.PRP *.prp)");
    EXPECT_EQ(dialogs.file_requests[1].filter.toStdString(),
              "Contest Data(*.PRP *.prp);;MOF Data Files (*.MOF *.mof)");
    EXPECT_EQ(dialogs.file_requests[1].default_ext.toStdString(), "PRP");
    EXPECT_EQ(dialogs.file_requests[2].filter.toStdString(), "Report file(*.TXT *.txt)");
    EXPECT_FALSE(dialogs.file_requests[2].confirm_overwrite);
    EXPECT_GT(lines_of(slurp(path("score.txt"))), 5);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(win().file_is_open()) << "the first file is on the map afterwards";
    EXPECT_EQ(win().file_name(), path("pred.mof"));

    // With a file open the first file is not asked for; Cancel of the second still
    // shows the first again.
    dialogs.file_requests.clear();
    win().run_command(CM_CALCSCORE);
    EXPECT_EQ(dialogs.file_requests.size(), 1u);
    EXPECT_TRUE(win().file_is_open());
}

TEST_F(GuiTest, MultiScoreRunsEveryContestFileOfTheFolder) {
    std::filesystem::create_directory(path("obs"));
    write_prediction(path("obs/one.prp"), 3, 0, 1);
    write_prediction(path("obs/TWO.PRP"), 3, 0, 1, 10.0f, 20.0f);
    write_prediction(path("obs/skip.mof"), 3, 0, 1);
    start();
    win().run_command(CM_CALCCDEFAULT);
    win().model().consts.stop_time = 1;  // the run settings' times: two steps
    dialogs.messages.clear();
    dialogs.file_answers = {path("obs/one.prp"), path("multi.txt")};
    win().run_command(CM_CALCSCOREMULTI);
    EXPECT_TRUE(win().busy());
    EXPECT_FALSE(win().command_enabled(CM_CALCSCORE));
    EXPECT_TRUE(win().command_enabled(CM_CALCSTOP));
    finish_work();
    EXPECT_EQ(dialogs.file_requests[0].filter.toStdString(), "Prop Files (*.PRP *.prp)");
    const std::string report = slurp(path("multi.txt"));
    EXPECT_EQ(lines_of(report), 4) << report;
    EXPECT_EQ(report.find("                   LOCATION    DATE     SOLAR"), 0u);
    EXPECT_NE(report.find("\nTWO.PRP  "), std::string::npos) << report;
    EXPECT_NE(report.find("\none.prp  "), std::string::npos) << report;
    EXPECT_TRUE(std::filesystem::exists(path("SCRATCH.MOF")));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(bars().status_items().isEmpty());
    EXPECT_NE(item(CM_CALCSTART), nullptr);
}

TEST_F(GuiTest, MultiScoreWithoutContestFilesAsksForNoReport) {
    std::filesystem::create_directory(path("none"));
    write_prediction(path("none/x.mof"), 3, 0, 0);
    start();
    dialogs.file_answers = {path("none/x.mof"), path("never.txt")};
    win().run_command(CM_CALCSCOREMULTI);
    EXPECT_FALSE(win().busy());
    EXPECT_EQ(dialogs.file_requests.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(path("never.txt")));
}

TEST_F(GuiTest, DiddleScoresTheReferenceRunIntoItsReport) {
    write_prediction(path("contest.prp"), 3, 0, 1);
    write_prediction(path("shown.mof"), 3, 0, 0);
    start(path("shown.mof"));
    win().run_command(CM_CALCCDEFAULT);
    win().model().consts.stop_time = 1;
    dialogs.messages.clear();
    dialogs.file_answers = {path("contest.prp"), path("tune.did")};
    win().run_command(CM_CALCCDIDDLE);
    EXPECT_FALSE(win().file_is_open()) << "the replayed file was closed first";
    EXPECT_TRUE(win().busy());
    EXPECT_NE(bars().control_items().indexOf("Calc Stop"), -1);
    finish_work();
    ASSERT_EQ(dialogs.file_requests.size(), 2u);
    EXPECT_EQ(dialogs.file_requests[0].filter.toStdString(), "Contest Data(*.PRP *.prp)");
    EXPECT_EQ(dialogs.file_requests[1].filter.toStdString(), "Report file(*.DID *.did)");
    EXPECT_EQ(dialogs.file_requests[1].default_ext.toStdString(), "DID");
    const std::string report = slurp(path("tune.did"));
    EXPECT_EQ(report.find("MOF CONSTANT DIDDLE REPORT\n"), 0u);
    EXPECT_NE(report.find("REFERENCE RUN:  COMPARE FILE NAME=" + path("contest.prp")),
              std::string::npos);
    EXPECT_NE(report.find("POINTS="), std::string::npos) << report;
    EXPECT_NE(report.find("REPORT DONE: "), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(path("scratch.mof")));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(bars().control_items().indexOf("Calc Stop"), -1);
}

}  // namespace skywave::gui::test
