// Replay: files from the command line, the File menu and drops; stepping by hand and
// by the timer; the auto-cycle dialog; painting and resizing.
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include "gui_support.h"
#include "map/map_resources.h"

namespace skywave::gui::test {

namespace {

// The screen's time from the title ("03 05 01.00 ..."), as the header gives it.
std::string hour_of(const std::string& title) {
    return title.substr(6, 5);
}

bool same_pixels(const Surface& a, const Surface& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::equal(a.data(), a.data() + a.width() * a.height(), b.data());
}

}  // namespace

TEST_F(GuiTest, CommandLineFileIsShownAtStart) {
    write_prediction(path("start.mof"), 2, 4, 6);
    start(path("start.mof"));
    EXPECT_TRUE(win().file_is_open());
    EXPECT_EQ(title().substr(0, 11), "03 05 04.00");
    EXPECT_NE(title().find("BOTH MOF"), std::string::npos);
    EXPECT_FALSE(same_pixels(win().surfaces().Working, map_resources().world));
    EXPECT_EQ(win().model().grid.n_cols, 40) << "the grid is the file's";
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GuiTest, WithoutAFileTheMapAloneIsShown) {
    start();
    EXPECT_FALSE(win().file_is_open());
    EXPECT_TRUE(same_pixels(win().surfaces().Working, map_resources().world));
}

TEST_F(GuiTest, NextWrapsToTheFirstScreenAtTheEnd) {
    write_prediction(path("three.mof"), 3, 0, 2);
    start();
    dialogs.file_answers.push_back(path("three.mof"));
    win().run_command(CM_FILEOPEN);
    std::vector<std::string> hours{hour_of(title())};
    for (int i = 0; i < 4; ++i) {
        bars().ReplayNextButton->trigger();
        hours.push_back(hour_of(title()));
    }
    EXPECT_EQ(hours, (std::vector<std::string>{"00.00", "01.00", "02.00", "00.00", "01.00"}));
}

TEST_F(GuiTest, ViewCommandsRecomposeTheScreen) {
    write_prediction(path("v.mof"), 3, 12, 12);
    start(path("v.mof"));
    const Surface both = win().surfaces().Working;
    win().run_command(CM_VIEWLOF);
    EXPECT_NE(title().find("BOTH LOF"), std::string::npos);
    EXPECT_FALSE(same_pixels(win().surfaces().Working, both));
    win().run_command(CM_VIEWLONG);  // long path off: short only
    EXPECT_NE(title().find("SHORT LOF"), std::string::npos);
    win().run_command(CM_VIEWOTHER);
    EXPECT_EQ(title().find("LOF"), std::string::npos);
    win().run_command(CM_VIEWMOF);
    win().run_command(CM_VIEWLONG);
    EXPECT_TRUE(same_pixels(win().surfaces().Working, both));
}

TEST_F(GuiTest, AutoCycleStepsOnTheTimer) {
    write_prediction(path("auto.mof"), 3, 0, 3);
    start(path("auto.mof"));
    // Every period steps a screen after that many ticks; 0 steps on every tick, like 1.
    for (const auto& [period, ticks_per_screen] :
         {std::pair{"0", 1}, std::pair{"1", 1}, std::pair{"3", 3}}) {
        win().run_command(CM_FILESAVE);
        dialogs.file_answers.push_back(path("auto.mof"));
        win().run_command(CM_FILEOPEN);
        dialogs.auto_cycle = [p = period](AutoCycleDialog& d) {
            EXPECT_EQ(d.Field()->text().toStdString(), "3600");
            d.Field()->setText(QString::fromUtf8(p));
            d.ok();
        };
        bars().ReplayAutoButton->trigger();
        ASSERT_NE(win().replay_timer(), 0) << period;
        EXPECT_NE(bars().control_items().indexOf("Auto Stop"), -1);
        std::vector<std::string> hours;
        for (int tick = 1; tick <= 2 * ticks_per_screen; ++tick) {
            win().auto_cycle_tick(win().replay_timer());
            hours.push_back(hour_of(title()));
        }
        std::vector<std::string> expected;
        for (int tick = 1; tick <= 2 * ticks_per_screen; ++tick)
            expected.push_back(tick < ticks_per_screen       ? "00.00"
                               : tick < 2 * ticks_per_screen ? "01.00"
                                                             : "02.00");
        EXPECT_EQ(hours, expected) << "period " << period;
        win().auto_cycle_tick(win().replay_timer() + 1000);  // another timer: ignored
        EXPECT_EQ(hour_of(title()), expected.back());
    }
    // Seconds left until the next screen.
    win().auto_cycle_tick(win().replay_timer());
    EXPECT_EQ(bars().CounterGadget->text().toStdString(), "    2");
    win().run_command(CM_REPLAYSTOP);
    EXPECT_EQ(win().replay_timer(), 0);
    EXPECT_EQ(item(CM_REPLAYAUTO)->text().toStdString(), "&Auto Cycle");
}

TEST_F(GuiTest, ClosingTheFileStopsTheTimer) {
    write_prediction(path("c.mof"), 3, 0, 1);
    start(path("c.mof"));
    dialogs.auto_cycle = [](AutoCycleDialog& d) { d.ok(); };
    win().run_command(CM_REPLAYAUTO);
    ASSERT_NE(win().replay_timer(), 0);
    EXPECT_EQ(win().auto_period(), 3600u);
    win().run_command(CM_FILESAVE);
    EXPECT_FALSE(win().file_is_open());
    EXPECT_EQ(win().replay_timer(), 0);
    EXPECT_EQ(bars().control_items(), (QStringList{"Open", "|", "About", "|"}));
    EXPECT_NE(item(CM_REPLAYAUTO), nullptr);
}

TEST_F(GuiTest, AutoDialogRefusesWhatIsNotAPeriod) {
    start();
    for (const char* bad : {"-5", "abc", "", "12x", "1.5"}) {
        AutoData data;
        AutoCycleDialog d(nullptr, data, dialogs);
        d.Field()->setText(QString::fromUtf8(bad));
        d.ok();
        EXPECT_NE(d.result(), QDialog::Accepted) << bad;
        ASSERT_FALSE(dialogs.messages.empty()) << bad;
        EXPECT_EQ(dialogs.messages.back().text, "Auto Data not readable.");
        EXPECT_EQ(dialogs.messages.back().caption, "AUTO DATA ERROR!");
        EXPECT_EQ(dialogs.messages.back().icon, MessageIcon::stop);
        EXPECT_EQ(data.Seconds, 3600u) << bad;
    }
    AutoData data;
    AutoCycleDialog d(nullptr, data, dialogs);
    EXPECT_EQ(d.windowTitle().toStdString(), "Auto Cycle Time");
    d.Field()->setText(" 120 ");
    d.ok();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(data.Seconds, 120u);
    EXPECT_EQ(data.accepted, 1);
    AutoData cancelled;
    AutoCycleDialog c(nullptr, cancelled, dialogs);
    c.reject();  // Escape
    EXPECT_EQ(cancelled.accepted, 0);
}

TEST_F(GuiTest, DroppingSeveralFilesOpensTheFirst) {
    write_prediction(path("first.mof"), 3, 5, 5);
    write_prediction(path("second.mof"), 2, 9, 9);
    start();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path("first.mof"))),
                  QUrl::fromLocalFile(QString::fromStdString(path("second.mof")))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&win(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&win(), &drop);
    EXPECT_TRUE(win().file_is_open());
    EXPECT_EQ(win().file_name(), path("first.mof"));
    EXPECT_EQ(hour_of(title()), "05.00");
    EXPECT_EQ(win().model().grid.n_cols, 20);
}

TEST_F(GuiTest, TheFilesQthReplacesTheRunsForTheOverlays) {
    write_prediction(path("qth.mof"), 3, 0, 0, -33.5f, 289.0f);
    start();
    win().model().consts.rlat = 0.5f;
    win().model().consts.rlon = 0.5f;
    dialogs.file_answers.push_back(path("qth.mof"));
    win().run_command(CM_FILEOPEN);
    EXPECT_FLOAT_EQ(win().model().consts.rlat, float(-33.5 * 0.01745329));
    EXPECT_FLOAT_EQ(win().model().consts.rlon, float(289.0 * 0.01745329));
}

TEST_F(GuiTest, AHeaderWithoutTheQthPlacesItAtZero) {
    write_prediction(path("full.mof"), 3, 0, 0);
    // The same screen with a header cut down to six numbers.
    std::string text = slurp(path("full.mof"));
    const std::size_t eol = text.find('\n');
    text = " 3  5  0.00 200   0   0" + text.substr(eol);
    std::ofstream(path("short.mof"), std::ios::binary) << text;
    start();
    win().model().consts.rlat = 0.5f;
    win().model().consts.rlon = 0.5f;
    dialogs.file_answers.push_back(path("short.mof"));
    win().run_command(CM_FILEOPEN);
    ASSERT_TRUE(win().file_is_open());
    EXPECT_EQ(win().model().consts.rlat, 0.0f);
    EXPECT_EQ(win().model().consts.rlon, 0.0f);
}

TEST_F(GuiTest, NewNamesTheNextRunsFileEvenWhenCancelled) {
    write_prediction(path("open.mof"), 3, 0, 0);
    start(path("open.mof"));
    win().run_command(CM_FILENEW);  // cancelled
    EXPECT_EQ(win().file_name(), path("open.mof"));
    EXPECT_TRUE(win().file_is_open()) << "Cancel closes nothing";
    ASSERT_EQ(dialogs.file_requests.size(), 1u);
    const FileRequest& r = dialogs.file_requests[0];
    EXPECT_EQ(r.kind, FileRequest::save);
    EXPECT_TRUE(r.confirm_overwrite);
    EXPECT_EQ(r.filter.toStdString(), "MOF Data Files (*.MOF *.mof);;Contest Data(*.PRP *.prp)");
    EXPECT_EQ(r.default_ext.toStdString(), "MOF");

    dialogs.file_answers.push_back(path("next.mof"));
    win().run_command(CM_FILENEW);
    EXPECT_FALSE(win().file_is_open());
    EXPECT_EQ(win().file_name(), path("next.mof"));
}

TEST_F(GuiTest, FileDialogFiltersMatchBothCases) {
    EXPECT_EQ(qt_filter("MOF Consts (*.DAT)|*.DAT|").toStdString(), "MOF Consts (*.DAT *.dat)");
    EXPECT_EQ(qt_filter("Contest Data(*.PRP)|*.PRP|MOF Data Files (*.MOF)|*.MOF").toStdString(),
              "Contest Data(*.PRP *.prp);;MOF Data Files (*.MOF *.mof)");
    start();
    dialogs.file_answers.push_back(path("none.mof"));
    win().run_command(CM_FILEOPEN);
    ASSERT_EQ(dialogs.file_requests.size(), 1u);
    EXPECT_EQ(dialogs.file_requests[0].kind, FileRequest::open);
    EXPECT_EQ(dialogs.file_requests[0].filter.toStdString(),
              "MOF Data Files (*.MOF *.mof);;Contest Data(*.PRP *.prp)");
    // A file that is not there: the engine's messages, and no file open.
    EXPECT_FALSE(win().file_is_open());
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(GuiTest, PaintScalesTheShownPartToTheWindow) {
    write_prediction(path("p.mof"), 2, 12, 12);
    start(path("p.mof"));
    const Surface& w = win().surfaces().Working;
    // At 640 x 355 the window shows the map band y 10 ... 364 pixel for pixel.
    client_size(640, 355);
    QImage shown = win().grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(640, 355));
    int differ = 0;
    for (int y = 0; y < 355; ++y)
        for (int x = 0; x < 640; ++x)
            differ += shown.pixel(x, y) != w.pixel(x, y + 10);
    EXPECT_EQ(differ, 0);
    // Any size, the aspect the window's: a shrunk picture keeps its thin bright lines
    // (pixels combine by OR), so a one-pixel line of the map band stays a full column.
    win().surfaces().Working.fill_rect(301, 10, 1, 355, rgb(255, 255, 255));
    win().update();
    client_size(320, 500);
    shown = win().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.size(), QSize(320, 500));
    int white = 0;
    for (int y = 0; y < 500; ++y)
        white += shown.pixel(150, y) == rgb(255, 255, 255);
    EXPECT_EQ(white, 500);
    win().run_command(CM_VIEWMAP);  // composed anew: the line is gone
    win().run_command(CM_VIEWMAP);
    // Polar views show the disc, x 120 ... 519, y 0 ... 399.
    win().run_command(CM_VIEWPOLARN);
    client_size(400, 400);
    shown = win().grab().toImage().convertToFormat(QImage::Format_RGB32);
    differ = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x)
            differ += shown.pixel(x, y) != w.pixel(x + 120, y);
    EXPECT_EQ(differ, 0);
}

TEST_F(GuiTest, ResizingShowsTheStoredPictureWithoutComposingAgain) {
    write_prediction(path("r.mof"), 3, 12, 12);
    start(path("r.mof"));
    client_size(640, 355);
    // A mark that no composition makes: it survives a resize only if nothing is composed.
    win().surfaces().Working.fill_rect(300, 110, 40, 40, rgb(255, 0, 255));
    client_size(1280, 710);
    QApplication::processEvents();
    const QImage shown = win().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(640, 220), rgb(255, 0, 255));
    EXPECT_EQ(win().surfaces().Working.pixel(310, 120), rgb(255, 0, 255));
}

}  // namespace skywave::gui::test
