// The menu "MOFMENU": structure, texts, ids, hints, check marks and enabling.
#include <QMenu>
#include <QStatusBar>
#include <set>

#include "gui_support.h"

namespace skywave::gui::test {

namespace {

// A popup as (id, text) pairs: 0 for a separator, -1 with the title for a sub-popup.
std::vector<std::pair<int, std::string>> entries(const QMenu* menu) {
    std::vector<std::pair<int, std::string>> list;
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator())
            list.emplace_back(0, "");
        else if (a->menu())
            list.emplace_back(-1, a->text().toStdString());
        else
            list.emplace_back(command_of(a), a->text().toStdString());
    }
    return list;
}

const QMenu* popup(QMenuBar* bar, const QString& title) {
    for (const QAction* a : bar->actions())
        if (a->text() == title) return a->menu();
    return nullptr;
}

const QMenu* sub_popup(const QMenu* menu, const QString& title) {
    for (const QAction* a : menu->actions())
        if (a->text() == title) return a->menu();
    return nullptr;
}

std::vector<int> all_ids(QMenuBar* bar) {
    std::vector<int> ids;
    const std::function<void(const QMenu*)> walk = [&](const QMenu* m) {
        for (const QAction* a : m->actions()) {
            if (a->menu())
                walk(a->menu());
            else if (!a->isSeparator())
                ids.push_back(command_of(a));
        }
    };
    for (const QAction* a : bar->actions())
        walk(a->menu());
    return ids;
}

}  // namespace

using Entries = std::vector<std::pair<int, std::string>>;

TEST_F(GuiTest, MenuHasEveryPopupWithItsItemsInOrder) {
    start();
    std::vector<std::string> titles;
    for (const QAction* a : menu()->actions())
        titles.push_back(a->text().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&Edit", "&Calculations", "&View",
                                                "&Replay", "&Help"}));

    EXPECT_EQ(entries(popup(menu(), "&File")), (Entries{{100, "&New"},
                                                        {108, "&Open..."},
                                                        {102, "&Save"},
                                                        {103, "Save &as..."},
                                                        {0, ""},
                                                        {114, "Export &Picture..."},
                                                        {115, "Export A&nimation..."},
                                                        {0, ""},
                                                        {104, "&Print..."},
                                                        {105, "Page se&tup..."},
                                                        {106, "P&rinter setup..."},
                                                        {0, ""},
                                                        {107, "E&xit"}}));
    EXPECT_EQ(
        entries(popup(menu(), "&Edit")),
        (Entries{{110, "&Cut\tShift+Del"}, {111, "&Copy\tShift+Ins"}, {112, "&Paste\tCtrl+Ins"}}));
    const QMenu* calc = popup(menu(), "&Calculations");
    EXPECT_EQ(entries(calc), (Entries{{120, "&Start"},
                                      {101, "&Enable Exam Calc Arrays"},
                                      {109, "Enable &Const Changes"},
                                      {401, "Exam &Another Array"},
                                      {-1, "File Sc&ore Comparison"},
                                      {-1, "&Constants"}}));
    EXPECT_EQ(
        entries(sub_popup(calc, "File Sc&ore Comparison")),
        (Entries{{126, "&Single File Score Comparison"}, {113, "&Multi File Score Comparison"}}));
    EXPECT_EQ(entries(sub_popup(calc, "&Constants")), (Entries{{119, "&Init"},
                                                               {127, "&Set Program Defaults"},
                                                               {129, "&Manual Change Constants"},
                                                               {130, "&Auto Diddle Constants"},
                                                               {131, "&Read File of Constants"},
                                                               {132, "&Write File of Constants"}}));
    EXPECT_EQ(entries(popup(menu(), "&View")), (Entries{{140, "M&ap"},
                                                        {141, "&QTH"},
                                                        {142, "&Sun"},
                                                        {143, "&Great Circles"},
                                                        {0, ""},
                                                        {144, "&MOF"},
                                                        {145, "&LOF"},
                                                        {146, "&Other"},
                                                        {0, ""},
                                                        {147, "S&hort Path"},
                                                        {148, "Long &Path"},
                                                        {0, ""},
                                                        {149, "&Rectangular"},
                                                        {150, "Polar-&North Pole"},
                                                        {151, "Polar-&Your QTH"},
                                                        {0, ""},
                                                        {152, "Keep &Proportions"}}));
    EXPECT_EQ(entries(popup(menu(), "&Replay")),
              (Entries{{160, "&Next"}, {163, "&Previous"}, {161, "&Auto Cycle"}}));
    EXPECT_EQ(entries(popup(menu(), "&Help")), (Entries{{900, "&Index\tF1"},
                                                        {901, "&Keyboard"},
                                                        {902, "&Commands"},
                                                        {903, "&Procedures"},
                                                        {904, "&Using help"},
                                                        {906, "&Guide"},
                                                        {0, ""},
                                                        {905, "&About..."}}));
}

TEST_F(GuiTest, CheckMarksAtStart) {
    start();
    std::set<int> checked, checkable;
    for (int id : all_ids(menu())) {
        if (item(id)->isCheckable()) checkable.insert(id);
        if (item(id)->isChecked()) checked.insert(id);
    }
    EXPECT_EQ(checked, (std::set<int>{140, 141, 142, 144, 147, 148, 149}));
    EXPECT_EQ(checkable, (std::set<int>{101, 109, 140, 141, 142, 143, 144, 145, 146, 147, 148, 149,
                                        150, 151, 152}));
}

TEST_F(GuiTest, EveryItemAndButtonShowsItsHintInTheStatusBar) {
    start();
    const std::pair<int, const char*> some[] = {
        {100, " "},
        {108, "Open a MOF data file."},
        {120, " Start Calculations"},
        {109, "Enable changing constants after every calculation loop."},
        {140, "View or remove backround map. "},
        {151, "Display with your QTH at center"},
        {161, "Start automatic replay. "},
        {905, "Show about box. "},
    };
    for (const auto& [id, hint] : some)
        EXPECT_EQ(item(id)->statusTip().toStdString(), hint) << id;
    for (int id : all_ids(menu())) {
        ASSERT_NE(command_hint(id), nullptr) << id;
        EXPECT_EQ(item(id)->statusTip().toStdString(), command_hint(id)) << id;
    }
    // Highlighting an item, or pointing at a button, puts its hint in the status bar.
    item(CM_CALCCDIDDLE)->showStatusText(app->frame);
    EXPECT_EQ(app->frame->statusBar()->currentMessage().toStdString(),
              "Vary values of constants and create score report");
    bars().Button(CM_FILEOPEN)->showStatusText(app->frame);
    EXPECT_EQ(app->frame->statusBar()->currentMessage().toStdString(), "Open a MOF data file.");
}

TEST_F(GuiTest, EnablingFollowsTheProgramsState) {
    start();
    const int never[] = {103, 104, 105, 106, 110, 111, 112};
    const int with_file[] = {140, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 151, 160, 161};
    const int always[] = {100, 108, 102, 107, 120, 101, 109, 126, 113,
                          119, 127, 129, 130, 131, 132, 900, 905};
    for (int id : never)
        EXPECT_FALSE(item(id)->isEnabled()) << id;
    for (int id : with_file)
        EXPECT_FALSE(item(id)->isEnabled()) << id;
    for (int id : always)
        EXPECT_TRUE(item(id)->isEnabled()) << id;
    EXPECT_FALSE(item(CM_EXAMNEXT)->isEnabled());
    EXPECT_FALSE(win().command_enabled(CM_CALCSTOP))
        << "no run can be going on before the first initialisation";
    EXPECT_FALSE(bars().Button(CM_CALCSTOP)->isEnabled());

    write_prediction(path("a.mof"), 3, 0, 1);
    dialogs.file_answers.push_back(path("a.mof"));
    win().run_command(CM_FILEOPEN);
    for (int id : with_file)
        EXPECT_TRUE(item(id)->isEnabled()) << id;
    EXPECT_TRUE(bars().Button(CM_REPLAYNEXT)->isEnabled());
    for (int id : never)
        EXPECT_FALSE(item(id)->isEnabled()) << id;
    win().run_command(CM_FILESAVE);
    for (int id : with_file)
        EXPECT_FALSE(item(id)->isEnabled()) << id;

    win().run_command(CM_CALCCDEFAULT);  // the constants are initialised: Stop may be used
    EXPECT_TRUE(win().command_enabled(CM_CALCSTOP));
    EXPECT_TRUE(bars().Button(CM_CALCSTOP)->isEnabled());
    // A disabled command does nothing, even when asked for directly.
    win().run_command(CM_REPLAYNEXT);
    EXPECT_FALSE(win().file_is_open());
}

TEST_F(GuiTest, TogglesFlipTheirCheckMarks) {
    start();
    ControlBar& g = bars();
    for (Command id : {CM_VIEWMAP, CM_VIEWQTH, CM_VIEWSUN, CM_VIEWGREATC, CM_VIEWSHORT, CM_VIEWLONG,
                       CM_CALCCVIEW, CM_CALCCHANGECONST}) {
        const bool before = g.is_checked(id);
        EXPECT_EQ(before, item(id)->isChecked()) << id;
        const bool first = g.toggle(id);
        EXPECT_EQ(first, !before) << id;
        EXPECT_EQ(g.is_checked(id), first) << id;
        EXPECT_EQ(item(id)->isChecked(), first) << id;
        EXPECT_EQ(g.toggle(id), before) << id;
    }
    // The commands flip the same check marks.
    win().run_command(CM_CALCCVIEW);
    EXPECT_TRUE(item(CM_CALCCVIEW)->isChecked());
    win().run_command(CM_CALCCHANGECONST);
    EXPECT_TRUE(item(CM_CALCCHANGECONST)->isChecked());
    win().run_command(CM_VIEWMAP);  // disabled without a file: nothing changes
    EXPECT_TRUE(item(CM_VIEWMAP)->isChecked());
    // Chosen from the menu as a user does, a toggle flips once, and the run's switch
    // follows it.
    item(CM_CALCCVIEW)->trigger();
    EXPECT_FALSE(item(CM_CALCCVIEW)->isChecked());
    item(CM_CALCCVIEW)->trigger();
    EXPECT_TRUE(item(CM_CALCCVIEW)->isChecked());
    EXPECT_TRUE(bars().is_checked(CM_CALCCVIEW));
    win().run_command(CM_FILEOPEN);  // nothing chosen: no file
    item(CM_VIEWSUN)->setEnabled(true);
    const bool sun = item(CM_VIEWSUN)->isChecked();
    item(CM_VIEWSUN)->trigger();
    EXPECT_EQ(item(CM_VIEWSUN)->isChecked(), sun) << "disabled without a file: the item stays";
}

TEST_F(GuiTest, OneOfThreeCheckMarks) {
    start();
    ControlBar& g = bars();
    const auto marks = [this](int first) {
        std::vector<int> on;
        for (int id = first; id < first + 3; ++id)
            if (item(id)->isChecked()) on.push_back(id);
        return on;
    };
    g.check_lines(CM_VIEWLOF);
    EXPECT_EQ(marks(144), std::vector<int>{145});
    EXPECT_TRUE(g.is_checked(CM_VIEWLOF));
    EXPECT_FALSE(g.is_checked(CM_VIEWMOF));
    g.check_lines(CM_VIEWMOF);
    EXPECT_EQ(marks(144), std::vector<int>{144});
    g.check_lines(CM_VIEWOTHER);
    EXPECT_EQ(marks(144), std::vector<int>{146});
    EXPECT_EQ(g.View().lines, ViewState::other);

    g.check_projection(CM_VIEWPOLARN);
    EXPECT_EQ(marks(149), std::vector<int>{150});
    EXPECT_TRUE(g.is_checked(CM_VIEWPOLARN));
    g.check_projection(CM_VIEWPOLARQ);
    EXPECT_EQ(marks(149), std::vector<int>{151});
    EXPECT_TRUE(g.is_checked(CM_VIEWPOLARQ));
    EXPECT_FALSE(g.is_checked(CM_VIEWPOLARN));
    EXPECT_EQ(g.View().projection, ViewState::polar_qth);
    g.check_projection(CM_VIEWRECT);
    EXPECT_EQ(marks(149), std::vector<int>{149});
}

TEST_F(GuiTest, HelpItemsShowEmptyBoxesAndAboutItsDialog) {
    start();
    for (int id : {900, 901, 902, 903, 904})
        win().run_command(id);
    ASSERT_EQ(dialogs.messages.size(), 5u);
    const char* captions[] = {"help index", "help keyboard", "help commands", "help procedures",
                              "help using"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(dialogs.messages[std::size_t(i)].text, "");
        EXPECT_EQ(dialogs.messages[std::size_t(i)].caption, captions[i]);
    }
    bars().HelpAboutButton->trigger();
    EXPECT_EQ(dialogs.about_count, 1);
    item(CM_HELPABOUT)->trigger();
    EXPECT_EQ(dialogs.about_count, 2);
}

}  // namespace skywave::gui::test
