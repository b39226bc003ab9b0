// ControlBar: the order of the bars in every state, the items that change their
// command, the text fields and the button faces.
#include <QLabel>
#include <QStatusBar>

#include "button_faces.h"
#include "gui_support.h"

namespace skywave::gui::test {

using Names = QStringList;

TEST_F(GuiTest, ControlBarFollowsFileAndAutoReplay) {
    start();
    ControlBar& g = bars();
    EXPECT_EQ(g.control_items(), (Names{"Open", "|", "About", "|"}));
    EXPECT_EQ(g.status_items(), Names{});
    g.FileOpened();
    EXPECT_EQ(g.control_items(), (Names{"Save", "|", "About", "|", "Next", "Auto Cycle", "title"}));
    g.StartAutoReplay();
    EXPECT_EQ(g.control_items(),
              (Names{"Save", "|", "About", "|", "Next", "Auto Stop", "counter", "title"}));
    EXPECT_EQ(item(CM_REPLAYAUTO), nullptr) << "the item is found under its new id";
    ASSERT_NE(item(CM_REPLAYSTOP), nullptr);
    EXPECT_EQ(item(CM_REPLAYSTOP)->text().toStdString(), "&Auto Stop");
    EXPECT_EQ(item(CM_REPLAYSTOP)->statusTip().toStdString(), "Stop automatic replay. ");
    g.StopAutoReplay();
    EXPECT_EQ(g.control_items(), (Names{"Save", "|", "About", "|", "Next", "Auto Cycle", "title"}));
    EXPECT_EQ(item(CM_REPLAYSTOP), nullptr);
    EXPECT_EQ(item(CM_REPLAYAUTO)->text().toStdString(), "&Auto Cycle");
    g.FileClosed();
    EXPECT_EQ(g.control_items(), (Names{"Open", "|", "About", "|"}));
    // The widgets really are in the bar, in that order.
    EXPECT_EQ(g.ToolBar->actions().size(), 4);
}

TEST_F(GuiTest, RunChangesTheStartItemAndBothBars) {
    start();
    ControlBar& g = bars();
    g.StartCalcs();
    EXPECT_EQ(item(CM_CALCSTART), nullptr);
    ASSERT_NE(item(CM_CALCSTOP), nullptr);
    EXPECT_EQ(item(CM_CALCSTOP)->text().toStdString(), "Calc &Stop");
    EXPECT_EQ(g.control_items(), (Names{"Open", "|", "About", "|", "Calc Stop"}));
    EXPECT_EQ(g.status_items(), (Names{"time", "status"}));
    EXPECT_TRUE(g.TimeGadget->isVisibleTo(g.StatusBar));
    g.sweep_started();
    EXPECT_EQ(g.status_items(), (Names{"time", "status", "status2"}));
    g.sweep_ended();
    g.StopCalcs();
    EXPECT_EQ(item(CM_CALCSTOP), nullptr);
    ASSERT_NE(item(CM_CALCSTART), nullptr);
    EXPECT_EQ(item(CM_CALCSTART)->text().toStdString(), "Calc &Start")
        << "not the menu resource's \"&Start\"";
    EXPECT_EQ(g.control_items(), (Names{"Open", "|", "About", "|"}));
    EXPECT_EQ(g.status_items(), Names{});
    EXPECT_FALSE(g.TimeGadget->isVisibleTo(g.StatusBar));
}

TEST_F(GuiTest, TitleInsertedTwiceIsShownOnceUntilBothRemoved) {
    start();
    ControlBar& g = bars();
    g.FileOpened();
    g.StartExamine();
    EXPECT_EQ(g.control_items().count("title"), 1);
    EXPECT_EQ(g.control_items().back(), "Exam Another Array") << "the title keeps its place";
    g.StopExamine();
    EXPECT_EQ(g.control_items(), (Names{"Save", "|", "About", "|", "Next", "Auto Cycle", "title"}));
    g.FileClosed();
    EXPECT_EQ(g.control_items().count("title"), 0);
    g.StartExamine();
    EXPECT_EQ(g.control_items(), (Names{"Open", "|", "About", "|", "Exam Another Array", "title"}));
}

TEST_F(GuiTest, TextFieldsShowTheirFormats) {
    start();
    ControlBar& g = bars();
    g.SetCounter(42);
    EXPECT_EQ(g.CounterGadget->text().toStdString(), "   42");
    g.SetTime(7.5f);
    EXPECT_EQ(g.TimeGadget->text().toStdString(), "TIME=  7.50Z         ");
    g.SetTime(23.0f);
    EXPECT_EQ(g.TimeGadget->text().toStdString(), "TIME= 23.00Z         ");
    g.SetStatus("IONOSPHERIC CALCULATION DONE. ");
    EXPECT_EQ(g.StatusGadget->text().toStdString(), "IONOSPHERIC CALCULATION DONE. ");
    g.SetStatus2("Reference run");
    EXPECT_EQ(g.StatusGadget2->text().toStdString(), "Reference run");
    g.SetTitle("03 05 10.00 200   0  BOTH MOF ");
    EXPECT_EQ(g.TitleGadget->text().toStdString(), "03 05 10.00 200   0  BOTH MOF ");
    EXPECT_EQ(g.CounterGadget->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(g.TimeGadget->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST_F(GuiTest, ButtonFacesHaveTheirSizes) {
    start();
    const std::pair<int, QSize> faces[] = {{102, {20, 20}}, {108, {20, 20}}, {905, {20, 20}},
                                           {160, {45, 20}}, {118, {90, 20}}, {162, {90, 20}},
                                           {401, {90, 20}}, {161, {100, 20}}};
    for (const auto& [id, size] : faces) {
        EXPECT_EQ(button_face(id).size(), size) << id;
        QAction* b = bars().Button(id);
        ASSERT_NE(b, nullptr) << id;
        EXPECT_EQ(command_of(b), id);
        EXPECT_EQ(b->statusTip().toStdString(), command_hint(id)) << id;
    }
    EXPECT_FALSE(program_icon().isNull());
    EXPECT_EQ(app->frame->windowTitle().toStdString(), "QX9Z MOF/LOF");
    EXPECT_FALSE(app->frame->windowIcon().isNull());
}

}  // namespace skywave::gui::test
