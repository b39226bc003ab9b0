// The dialogs: run settings, array selection and the about box, driven as a user
// would, each with the engine's messages.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <ctime>

#include "button_faces.h"
#include "gui_support.h"
#include "model/result_arrays.h"

namespace skywave::gui::test {

namespace {

QStringList texts_of(const QWidget& w) {
    QStringList texts;
    for (const QLabel* l : w.findChildren<QLabel*>())
        texts << l->text();
    for (const QPushButton* b : w.findChildren<QPushButton*>())
        texts << b->text();
    return texts;
}

std::string field(const RunSettingsDialog& d, int id) {
    return d.Field(id)->text().toStdString();
}

// A record in which every field has a value of its own, so a field read from the
// wrong place shows.
SettingsRecord distinct_record() {
    SettingsRecord r;
    r.Lat = -10.5f;   // 10 30 0 S
    r.Lon = 349.75f;  // 10 15 0 E
    r.StartMonth = 3, r.StartDay = 5, r.StopMonth = 4, r.StopDay = 9, r.StepMonth = 2,
    r.StepDay = 6;
    r.Start = 1.5f, r.Stop = 22.25f, r.Step = 0.75f;
    r.Flux = 150, r.A = 7, r.K = 2, r.Grain = 3;
    r.FileName = "march.mof";
    return r;
}

}  // namespace

TEST_F(GuiTest, RunSettingsDialogIsLaidOutWithItsFieldsAndButtons) {
    SettingsRecord data = distinct_record();
    RunSettingsDialog d(nullptr, data, dialogs);
    EXPECT_EQ(d.windowTitle().toStdString(), "Initialize User Data");
    const QStringList texts = texts_of(d);
    for (const char* t :
         {"Start",   "Stop",    "Step",  "Mon",       "Day",       "Hour",      "Min",
          "Lat",     "Lon",     "Deg",   "Sec",       "N/S",       "W/E",       "Solar Flux",
          "A Index", "K Index", "Grain", "1 = 37x80", "2 = 24x40", "3 = 13x20", "File",
          "Browse",  "OK",      "Today", "24 Hours",  "Cancel"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
    for (int id : {200, 201, 202, 203, 204, 205, 206, 207, 210, 211, 212, 213, 214,
                   215, 221, 222, 223, 224, 225, 226, 230, 231, 232, 250, 260})
        EXPECT_NE(d.Field(id), nullptr) << id;
    EXPECT_TRUE(d.OkButton()->isDefault());
}

TEST_F(GuiTest, RunSettingsDialogShowsTheRecord) {
    SettingsRecord data = distinct_record();
    RunSettingsDialog d(nullptr, data, dialogs);
    const std::pair<int, const char*> shown[] = {
        {200, "10"},  {201, "30"}, {202, "0"},  {203, "S"}, {204, "10"},
        {205, "15"},  {206, "0"},  {207, "E"},  {221, "3"}, {222, "5"},
        {223, "4"},   {224, "9"},  {225, "2"},  {226, "6"}, {210, "1"},
        {211, "30"},  {212, "22"}, {213, "15"}, {214, "0"}, {215, "45"},
        {230, "150"}, {231, "7"},  {232, "2"},  {250, "3"}, {260, "march.mof"}};
    for (const auto& [id, text] : shown)
        EXPECT_EQ(field(d, id), text) << id;
    // OK gives the same record back.
    d.ok();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(data.accepted, 1);
    EXPECT_FLOAT_EQ(data.Lat, -10.5f);
    EXPECT_FLOAT_EQ(data.Lon, 349.75f);
    EXPECT_EQ(data.StopDay, 9);
    EXPECT_FLOAT_EQ(data.Step, 0.75f);
    EXPECT_EQ(data.FileName, "march.mof");
}

TEST_F(GuiTest, RunSettingsDialogStaysOpenUntilEveryGroupIsRight) {
    SettingsRecord data = distinct_record();
    RunSettingsDialog d(nullptr, data, dialogs);
    const std::tuple<int, const char*, const char*, const char*> faults[] = {
        {203, "X", "QTH not readable.", "QTH ERROR!"},
        {224, "32", "DATE not readable.", "DATE ERROR!"},
        {210, "23", "TIME not readable.", "TIME ERROR!"},  // start after stop
        {230, "49", "Solar Data not readable.", "SOLAR DATA ERROR!"},
        {250, "4", "Grain Data not readable.", "GRAIN DATA ERROR!"},
    };
    for (const auto& [id, bad, text, caption] : faults) {
        const QString good = d.Field(id)->text();
        d.Field(id)->setText(QString::fromUtf8(bad));
        dialogs.messages.clear();
        d.ok();
        EXPECT_NE(d.result(), QDialog::Accepted) << id;
        EXPECT_EQ(data.accepted, 0) << id;
        ASSERT_EQ(dialogs.messages.size(), 1u) << id;
        EXPECT_EQ(dialogs.messages[0].text, text);
        EXPECT_EQ(dialogs.messages[0].caption, caption);
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::stop);
        d.Field(id)->setText(good);
    }
    // Two dates without a step: both messages, one after the other.
    d.Field(225)->setText("0");
    d.Field(226)->setText("0");
    dialogs.messages.clear();
    d.ok();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "Need date step.");
    EXPECT_EQ(dialogs.messages[1].text, "DATE not readable.");
    d.Field(225)->setText("1");
    d.Field(226)->setText("1");
    dialogs.messages.clear();
    d.ok();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(data.accepted, 1);
}

TEST_F(GuiTest, RunSettingsButtonsFillTheirFields) {
    SettingsRecord data = distinct_record();
    RunSettingsDialog d(nullptr, data, dialogs);
    d.findChild<QPushButton*>("button216")->click();  // 24 Hours
    EXPECT_EQ(field(d, 210) + ":" + field(d, 211), "0:0");
    EXPECT_EQ(field(d, 212) + ":" + field(d, 213), "23:0");
    EXPECT_EQ(field(d, 214) + ":" + field(d, 215), "1:0");
    EXPECT_EQ(field(d, 221), "3") << "the dates are left alone";

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    d.findChild<QPushButton*>("button220")->click();  // Today
    const std::string month = std::to_string(local.tm_mon + 1), day = std::to_string(local.tm_mday);
    EXPECT_EQ(field(d, 221), month);
    EXPECT_EQ(field(d, 222), day);
    EXPECT_EQ(field(d, 223), month);
    EXPECT_EQ(field(d, 224), day);
    EXPECT_EQ(field(d, 225), "1");
    EXPECT_EQ(field(d, 226), "1");
    EXPECT_EQ(field(d, 212), "23") << "the times are left alone";

    d.findChild<QPushButton*>("button261")->click();  // Browse, cancelled
    EXPECT_EQ(field(d, 260), "march.mof");
    ASSERT_EQ(dialogs.file_requests.size(), 1u);
    EXPECT_EQ(dialogs.file_requests[0].kind, FileRequest::save);
    EXPECT_EQ(dialogs.file_requests[0].filter.toStdString(),
              "MOF Data Files (*.MOF *.mof);;Contest Data(*.PRP *.prp)");
    EXPECT_EQ(dialogs.file_requests[0].default_ext.toStdString(), "MOF");
    dialogs.file_answers.push_back("/tmp/chosen.mof");
    d.findChild<QPushButton*>("button261")->click();
    EXPECT_EQ(field(d, 260), "/tmp/chosen.mof");

    d.findChild<QPushButton*>("button2")->click();  // Cancel
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(data.accepted, 0);
    EXPECT_EQ(data.FileName, "march.mof") << "nothing changes without OK";
}

TEST_F(GuiTest, RunSettingsReachTheModelOnlyWithOk) {
    start();
    dialogs.init = [](RunSettingsDialog& d) {
        d.Field(230)->setText("321");
        d.Field(250)->setText("1");
        d.cancel();
    };
    win().run_command(CM_CALCINIT);
    EXPECT_EQ(win().model().consts.sf_index, 200.0f);
    EXPECT_EQ(win().model().grid.n_cols, 40);
    dialogs.init = [](RunSettingsDialog& d) {
        EXPECT_EQ(d.Field(260)->text().toStdString(), "default.mof");
        d.findChild<QPushButton*>("button220")->click();
        d.Field(230)->setText("321");
        d.Field(250)->setText("1");
        d.Field(260)->setText("init.mof");
        d.ok();
    };
    win().run_command(CM_CALCINIT);
    EXPECT_EQ(win().model().consts.sf_index, 321.0f);
    EXPECT_EQ(win().model().grid.n_cols, 80);
    EXPECT_EQ(win().file_name(), "init.mof") << "the file the next run writes";
    EXPECT_FALSE(win().busy()) << "Init only sets the run up";
}

TEST_F(GuiTest, ArrayDialogListsEveryArray) {
    ArrayData data;
    ArrayDialog d(nullptr, data, dialogs);
    EXPECT_EQ(d.windowTitle().toStdString(), "Select Array To View");
    ASSERT_EQ(d.ListBox->count(), kDispArrayCount);
    for (int i = 0; i < kDispArrayCount; ++i)
        EXPECT_EQ(d.ListBox->item(i)->text().toStdString(), disp_arrays[std::size_t(i)].title) << i;
    EXPECT_TRUE(d.ListBox->selectedItems().isEmpty()) << "no entry is preselected";
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GuiTest, ArrayDialogOkCancelAndDoubleClick) {
    ArrayData data;
    data.Select = 7;
    {
        ArrayDialog d(nullptr, data, dialogs);
        d.ok();  // untouched: the previous choice again
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(data.Select, 7);
        EXPECT_EQ(data.accepted, 1);
    }
    {
        ArrayDialog d(nullptr, data, dialogs);
        QListWidgetItem* item = d.ListBox->item(12);
        d.ListBox->setCurrentItem(item);
        emit d.ListBox->itemDoubleClicked(item);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(data.Select, 12);
    }
    {
        ArrayDialog d(nullptr, data, dialogs);
        d.ListBox->setCurrentRow(3);
        d.ListBox->clearSelection();  // nothing selected any more
        d.ok();
        EXPECT_NE(d.result(), QDialog::Accepted);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Array Data not readable.");
        EXPECT_EQ(dialogs.messages[0].caption, "ARRAY DATA ERROR!");
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::stop);
        d.reject();
        EXPECT_EQ(data.accepted, 0);
    }
}

TEST_F(GuiTest, AboutBox) {
    AboutDialog d(nullptr);
    EXPECT_EQ(d.windowTitle().toStdString(), "ABOUT MOF");
    const QStringList texts = texts_of(d);
    EXPECT_TRUE(texts.contains("QX9Z MOF/LOF Predictor"));
    EXPECT_TRUE(texts.contains("Windows Version 2.2"));
    const QLabel* icon = d.findChild<QLabel*>("icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(d.findChildren<QPushButton*>().size(), 1);
}

TEST_F(GuiTest, ALocatorFillsTheQthFields) {
    start();
    dialogs.init = [](RunSettingsDialog& d) {
        EXPECT_EQ(d.Locator()->text().toStdString(), "FN32mm") << "the QTH in force";
        d.Locator()->setText("fn42HN");
        d.fill_from_locator();
        std::string qth;
        for (int id = 200; id <= 207; ++id)
            qth += d.Field(id)->text().toStdString() + " ";
        EXPECT_EQ(qth, "42 33 45 N 71 22 30 W ");
        d.findChild<QPushButton*>("button220")->click();
        d.ok();
    };
    win().run_command(CM_CALCINIT);
    EXPECT_EQ(win().model().consts.rlat,
              float(double(float(42 + 33 / 60.0 + 45 / 3600.0)) * double(0.017453292f)));
}

}  // namespace skywave::gui::test
