// What the map means: the caption and legend under it, the read-out under the mouse,
// and stepping back and forth through the screens.
#include <QSlider>

#include "files/contest.h"
#include "gui_support.h"
#include "map/map_place.h"
#include "model/point_path.h"
#include "run/contest_run.h"

namespace skywave::gui::test {

namespace {
// The screen's time from the title ("03 05 01.00 ...").
std::string hour_of(const std::string& title) {
    return title.substr(6, 5);
}
}  // namespace

TEST_F(GuiTest, TheStripNamesTheScreenAndTheColoursInForce) {
    write_prediction(path("p.mof"), 3, 10, 14);  // 5 March, 10 to 14 UTC, 42.5 N 73 W
    start(path("p.mof"));
    EXPECT_EQ(app->map_info->caption().toStdString(),
              "5 Mar 10:00 UTC \u00b7 flux 200 A 0 K 0 \u00b7 QTH 42.5\u00b0N 73.0\u00b0W FN32 "
              "\u00b7 MOF, both paths \u00b7 screen 1 of 5");
    EXPECT_EQ(app->map_info->legend_texts(),
              (std::vector<std::string>{"MOF \u2265 28 MHz (10 m)", "MOF \u2265 21 MHz (15 m)",
                                        "MOF \u2265 14 MHz (20 m)"}));
    // The levels follow the COLOR constants in force; LOF counts whole MHz.
    win().model().consts.mof_red = 24.5f;
    win().model().consts.lof_red = 2;
    win().model().consts.lof_green = 6;
    win().run_command(CM_VIEWLOF);
    EXPECT_EQ(app->map_info->legend_texts(),
              (std::vector<std::string>{"LOF < 3 MHz (160 m)", "LOF < 7 MHz (60 m)",
                                        "LOF < 9 MHz (40 m)"}));
    win().run_command(CM_VIEWMOF);
    EXPECT_EQ(app->map_info->legend_texts().front(), "MOF \u2265 25 MHz (10 m)");

    // Previous, the slider, the last and the first screen.
    win().run_command(CM_REPLAYPREVIOUS);
    EXPECT_TRUE(app->map_info->caption().endsWith(QStringLiteral("screen 5 of 5")));
    EXPECT_EQ(hour_of(title()), "14.00");
    app->map_info->slider()->setValue(3);
    EXPECT_EQ(hour_of(title()), "12.00");
    win().run_command(CM_REPLAYPREVIOUS);
    EXPECT_EQ(hour_of(title()), "11.00");
    win().show_screen(-1);
    EXPECT_EQ(app->map_info->slider()->value(), 5);

    // The screen as a picture, as the command line draws it, and every screen as a GIF.
    dialogs.file_answers = {path("shown.png"), path("all.gif")};
    win().run_command(CM_FILEEXPORTPICTURE);
    win().run_command(CM_FILEEXPORTANIMATION);
    finish_work();
    const std::string cmd = "cd '" + dir.string() +
                            "' && " SKYWAVE_EXE
                            " render p.mof --screen 5 -o cli.png && " SKYWAVE_EXE
                            " render p.mof --gif cli.gif";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(slurp(path("shown.png")), slurp(path("cli.png")));
    EXPECT_EQ(slurp(path("all.gif")), slurp(path("cli.gif")));
}

TEST_F(GuiTest, TheReadOutIsTheOnePointComputationOfTheCellUnderTheMouse) {
    write_prediction(path("p.mof"), 3, 12, 12);
    start(path("p.mof"));
    client_size(640, 355);  // one window pixel a picture pixel
    ASSERT_TRUE(wait_until([this] { return win().hover().model() != nullptr; }));
    // Boston's neighbourhood in the picture, and a cell far away.
    for (const QPoint at : {QPoint(574, 74), QPoint(300, 200)}) {
        const std::string text = win().read_out_at(at);
        const std::optional<MapPlace> place =
            place_at(win().model(), ViewState{}, at.x(), at.y() + 10);
        ASSERT_TRUE(place);
        // The same model, made here: the constants in force and the screen's header.
        Model m;
        m.settings() = win().model();
        apply_contest_header(m, *parse_contest_header(" 3  5 12.00 200   0   0 42.5 73.0  "));
        m.dates = {5, 3, 5, 3, 1, 1};
        m.consts.start_time = m.consts.stop_time = 12;
        MessageLog log;
        RunHooks hooks;
        ASSERT_TRUE(InitCalc(m, log));
        ASSERT_EQ(MainCalcs(m, std::nullopt, hooks, log), RunOutcome::completed);
        const PointPaths p = point_paths(m, m.grid.row_lat(place->row), m.grid.col_lon(place->col));
        char expected[160];
        std::snprintf(expected, sizeof expected, "SP %.0f km %.0f\u00b0 MOF %.1f LOF %.1f",
                      p.short_path.distance_km, p.short_path.bearing_deg, double(p.short_path.mof),
                      double(p.short_path.lof));
        EXPECT_NE(text.find(expected), std::string::npos) << text << "\n" << expected;
        std::snprintf(expected, sizeof expected, "LP %.0f km", p.long_path.distance_km);
        EXPECT_NE(text.find(expected), std::string::npos) << text;
        EXPECT_NE(text.find("file: "), std::string::npos) << text;
        EXPECT_EQ(text.find("\u2260"), std::string::npos) << "made with the constants in force";
    }
    // Around the North Pole: nothing outside the disc, the pole's own row inside it.
    win().run_command(CM_VIEWPOLARN);
    EXPECT_EQ(win().read_out_at(QPoint(2, 2)), "") << "outside the disc";
    EXPECT_NE(win().read_out_at(QPoint(320, 190)).find("°N"), std::string::npos);
}

}  // namespace skywave::gui::test
