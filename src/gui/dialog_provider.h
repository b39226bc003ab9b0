// How the window asks the user: modal dialogs, file dialogs and message boxes all go
// through a DialogProvider. The program uses the Qt one; tests put in their own and
// answer without a person clicking.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "base/messages.h"
#include "run/settings_form.h"

class QWidget;

namespace skywave::gui {

// The transfer record of the auto-cycle dialog.
struct AutoData {
    unsigned Seconds = 3600;
    bool accepted = false;
};

// The transfer record of the array selection: Select is a row of disp_arrays, -1
// when none could be read; accepted is 0 once the user cancelled.
struct ArrayData {
    int Select = 0;
    bool accepted = true;
};

enum class MessageIcon { none, stop };

struct FileRequest {
    enum Kind { open, save } kind = open;
    QString filter;       // Qt form: "MOF Data Files (*.MOF *.mof);;Contest Data(*.PRP *.prp)"
    QString default_ext;  // "MOF": added to a name typed without an extension
    bool confirm_overwrite = false;
};

// "MOF Data Files (*.MOF)|*.MOF|Contest Data(*.PRP)|*.PRP" in Qt's form, each
// pattern matching upper- and lower-case names.
QString qt_filter(const char* filter);

// A text of the engine (messages, file names) for the screen: UTF-8, or, where it is
// not (a file name from another system), one character per byte, so nothing is lost
// from sight.
QString to_qstring(const std::string& text);
// The name of a file as the system knows it, from a name a dialog gives.
std::string file_name_of(const QString& name);

// The request for a prediction file (*.MOF, or a contest file *.PRP), to open or to
// save.
FileRequest prediction_file_request(FileRequest::Kind kind, bool confirm_overwrite = false);

class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    // A message box with one OK button.
    virtual void message(QWidget* parent, const std::string& text, const std::string& caption,
                         MessageIcon icon = MessageIcon::none) = 0;
    // The chosen file, or nothing when the user cancelled.
    virtual std::optional<std::string> file_name(QWidget* parent, const FileRequest& request) = 0;
    // The run settings dialog "Initialize User Data" on the record; sets accepted.
    // confirmed receives a file chosen with Browse, whose replacement the save dialog
    // has already confirmed.
    virtual void init_dialog(QWidget* parent, SettingsRecord& data, std::string& confirmed) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool question(QWidget* parent, const std::string& text, const std::string& caption) = 0;
    // "Auto Cycle Time"; sets Seconds and accepted.
    virtual void auto_dialog(QWidget* parent, AutoData& data) = 0;
    // "Select Array To View"; sets Select and accepted.
    virtual void array_dialog(QWidget* parent, ArrayData& data) = 0;
    // "ABOUT MOF".
    virtual void about(QWidget* parent) = 0;
    // The guide: what each command does, how to read the map, where files go.
    virtual void guide(QWidget* parent) = 0;
};

// The real dialogs, run modally.
class QtDialogProvider : public DialogProvider {
public:
    void message(QWidget* parent, const std::string& text, const std::string& caption,
                 MessageIcon icon) override;
    std::optional<std::string> file_name(QWidget* parent, const FileRequest& request) override;
    void init_dialog(QWidget* parent, SettingsRecord& data, std::string& confirmed) override;
    bool question(QWidget* parent, const std::string& text, const std::string& caption) override;
    void auto_dialog(QWidget* parent, AutoData& data) override;
    void array_dialog(QWidget* parent, ArrayData& data) override;
    void about(QWidget* parent) override;
    void guide(QWidget* parent) override;
};

// Shows the file and the cause behind a message in the status bar of parent's window.
void show_detail(QWidget* parent, const std::string& detail);

// The engine's messages shown through a provider (on the GUI thread).
class DialogMessages : public MessageSink {
public:
    DialogMessages(DialogProvider& dialogs, QWidget* parent, MessageIcon icon = MessageIcon::none)
        : dialogs_(dialogs), parent_(parent), icon_(icon) {}
    void show_message(const std::string& text, const std::string& caption) override {
        dialogs_.message(parent_, text, caption, icon_);
    }
    // The message's own text in the box; the file and the cause in the status bar.
    void show_message(const std::string& text, const std::string& caption,
                      const std::string& detail) override;

private:
    DialogProvider& dialogs_;
    QWidget* parent_;
    MessageIcon icon_;
};

}  // namespace skywave::gui
