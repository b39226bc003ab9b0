// Files the window writes over: never an input of the work, and an existing file only
// when the user chose it in a save dialog that asked, or says so now.
#include <QFileInfo>
#include <cerrno>

#include "base/output_file.h"
#include "map_window.h"

namespace skywave::gui {

MapWindow::OutputCheck MapWindow::check_output(const std::string& name,
                                               const std::vector<std::string>& inputs,
                                               bool confirmed) {
    if (const std::optional<std::string> conflict = output_conflict(name, inputs)) {
        dialogs_.message(this, *conflict, kOutputErrorCaption);
        return OutputCheck::refuse;
    }
    // Only an ordinary file is replaced; a device, a pipe or a folder is not asked about.
    std::error_code ec;
    if (confirmed || !std::filesystem::is_regular_file(name, ec)) return OutputCheck::write;
    return dialogs_.question(this, "Replace " + name + "?", "Replace File")
               ? OutputCheck::write
               : OutputCheck::ask_again;
}

std::optional<std::string> MapWindow::choose_report(const FileRequest& request,
                                                    const std::vector<std::string>& inputs) {
    for (;;) {
        const std::optional<std::string> name = dialogs_.file_name(this, request);
        if (!name) return std::nullopt;
        switch (check_output(*name, inputs, request.confirm_overwrite)) {
            case OutputCheck::write:
                return name;
            case OutputCheck::refuse:
                return std::nullopt;
            case OutputCheck::ask_again:
                break;  // back to the dialog
        }
    }
}

std::shared_ptr<Report> MapWindow::create_report(const std::string& name, bool& refused) {
    refused = false;
    int error = 0;
    std::shared_ptr<Report> report = Report::create(name, &error);
    if (!report && error == EWOULDBLOCK) {
        dialogs_.message(this, busy_text(name), kOutputErrorCaption);
        refused = true;
    }
    return report;
}

}  // namespace skywave::gui
