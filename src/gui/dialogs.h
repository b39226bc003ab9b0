// The program's own dialogs: the run settings "Initialize User Data", the array
// selection "Select Array To View", the auto-cycle period "Auto Cycle Time" and the
// about box "ABOUT MOF". Each edits its caller's transfer record; messages and the
// file dialog go through the DialogProvider.
#pragma once

#include <QDialog>
#include <initializer_list>
#include <map>
#include <string>

#include "dialog_provider.h"
#include "run/settings_form.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTextBrowser;

namespace skywave::gui {

class RunSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // confirmed, when given, receives a file chosen with Browse (whose replacement the
    // save dialog confirmed).
    RunSettingsDialog(QWidget* parent, SettingsRecord& data, DialogProvider& dialogs,
                      std::string* confirmed = nullptr);

    // The text field of a control id (200 ... 260).
    QLineEdit* Field(int id) const;
    QPushButton* OkButton() const { return ok_; }

    // The fields from the record.
    void fill();
    // OK: the record from the fields when every check passes (else a message, and the
    // dialog stays open). Cancel leaves the record as it was, not accepted.
    void ok();
    void cancel();
    // "Today" and "24 Hours": the dates or the times of one whole day.
    void fill_today();
    void fill_whole_day();
    // "Browse": a prediction file to write.
    void browse();
    // The Locator field, and its filling of the latitude and longitude.
    QLineEdit* Locator() const { return locator_; }
    void fill_from_locator();

    // Escape and the window's close button are Cancel.
    void reject() override;

private:
    // Shows a file name in the File field, keeping its bytes.
    void show_file(const std::string& name);

    SettingsRecord* record_;
    std::string* confirmed_;
    std::string shown_file_;
    QString shown_file_text_;
    SettingsFields read_fields() const;
    void write_fields(const SettingsFields& f);
    void write_fields(const SettingsFields& f, std::initializer_list<int> ids);
    QLineEdit* add_field(int id, int chars);

    DialogProvider& dialogs_;
    std::map<int, QLineEdit*> fields_;
    QPushButton* ok_;
    QLineEdit* locator_ = nullptr;
};

class ArrayDialog : public QDialog {
    Q_OBJECT
public:
    ArrayDialog(QWidget* parent, ArrayData& data, DialogProvider& dialogs);

    QListWidget* ListBox;  // control 400

    // The highlighted row becomes the choice; a double click chooses and closes.
    void select_current();
    void choose_clicked();
    void ok();
    void cancel();
    void reject() override;

private:
    ArrayData* choice_;
    DialogProvider& dialogs_;
};

class AutoCycleDialog : public QDialog {
    Q_OBJECT
public:
    AutoCycleDialog(QWidget* parent, AutoData& data, DialogProvider& dialogs);

    QLineEdit* Field() const { return seconds_; }  // control 240

    void ok();
    void cancel();
    void reject() override;

private:
    AutoData* period_;
    DialogProvider& dialogs_;
    QLineEdit* seconds_;
};

// The guide, from the program's one resource file of it.
class GuideDialog : public QDialog {
    Q_OBJECT
public:
    explicit GuideDialog(QWidget* parent);
    // The guide's text as shown.
    QString text() const;

private:
    QTextBrowser* browser_;
};

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);
};

}  // namespace skywave::gui
