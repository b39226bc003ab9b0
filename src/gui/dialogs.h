// The program's own dialogs: the run settings "Initialize User Data", the array
// selection "Select Array To View", the auto-cycle period "Auto Cycle Time" and the
// about box "ABOUT MOF". Each edits its caller's transfer record; messages and the
// file dialog go through the DialogProvider.
#pragma once

#include <QDialog>
#include <initializer_list>
#include <map>

#include "dialog_provider.h"
#include "run/settings_form.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace skywave::gui {

class TInitDialog : public QDialog {
    Q_OBJECT
public:
    TInitDialog(QWidget* parent, InitData& data, DialogProvider& dialogs);

    // The text field of a control id (200 ... 260).
    QLineEdit* Field(int id) const;
    QPushButton* OkButton() const { return ok_; }

    void SetupWindow();
    void CmOk();
    void CmCancel();
    void DateToday();
    void OneDay();
    void SelectFile();

    // Escape and the window's close button are Cancel.
    void reject() override;

    InitData* NewInit;

private:
    InitFields read_fields() const;
    void write_fields(const InitFields& f);
    void write_fields(const InitFields& f, std::initializer_list<int> ids);
    QLineEdit* add_field(int id, int chars);

    DialogProvider& dialogs_;
    std::map<int, QLineEdit*> fields_;
    QPushButton* ok_;
};

class TArrayDialog : public QDialog {
    Q_OBJECT
public:
    TArrayDialog(QWidget* parent, ArrayData& data, DialogProvider& dialogs);

    QListWidget* ListBox;  // control 400
    ArrayData* NewArray;

    void EvLBNSelChange();
    void EvLBNDblClick();
    void CmOk();
    void CmCancel();
    void reject() override;

private:
    DialogProvider& dialogs_;
};

class TAutoDialog : public QDialog {
    Q_OBJECT
public:
    TAutoDialog(QWidget* parent, AutoData& data, DialogProvider& dialogs);

    QLineEdit* Field() const { return seconds_; }  // control 240
    AutoData* NewAuto;

    void CmOk();
    void CmCancel();
    void reject() override;

private:
    DialogProvider& dialogs_;
    QLineEdit* seconds_;
};

class TAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit TAboutDialog(QWidget* parent);
};

}  // namespace skywave::gui
