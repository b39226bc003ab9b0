#include "dialog_provider.h"

#include <QFile>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QStringDecoder>
#include <QStringList>

#include "dialogs.h"

namespace skywave::gui {

void show_detail(QWidget* parent, const std::string& detail) {
    if (detail.empty() || !parent) return;
    if (auto* frame = qobject_cast<QMainWindow*>(parent->window()))
        frame->statusBar()->showMessage(to_qstring(detail));
}

void DialogMessages::show_message(const std::string& text, const std::string& caption,
                                  const std::string& detail) {
    show_detail(parent_, detail);
    dialogs_.message(parent_, text, caption, icon_);
}

QString to_qstring(const std::string& text) {
    const QByteArray bytes = QByteArray::fromStdString(text);
    // Valid UTF-8 as it is; other bytes (a file name from another system) as Latin-1,
    // one character each, so every byte is still shown.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : decoded;
}

std::string file_name_of(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString qt_filter(const char* filter) {
    const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts[i];
        const QString& pattern = parts[i + 1];
        if (label.isEmpty()) continue;
        const QString both =
            pattern.toLower() == pattern ? pattern : pattern + QLatin1Char(' ') + pattern.toLower();
        QString entry = label;
        entry.replace(QLatin1Char('(') + pattern + QLatin1Char(')'),
                      QLatin1Char('(') + both + QLatin1Char(')'));
        filters << entry;
    }
    return filters.join(QStringLiteral(";;"));
}

FileRequest prediction_file_request(FileRequest::Kind kind, bool confirm_overwrite) {
    FileRequest request;
    request.kind = kind;
    request.filter = qt_filter("MOF Data Files (*.MOF)|*.MOF|Contest Data(*.PRP)|*.PRP");
    request.default_ext = QStringLiteral("MOF");
    request.confirm_overwrite = confirm_overwrite;
    return request;
}

void QtDialogProvider::message(QWidget* parent, const std::string& text, const std::string& caption,
                               MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::stop ? QMessageBox::Critical : QMessageBox::NoIcon,
                    to_qstring(caption), to_qstring(text), QMessageBox::Ok, parent);
    box.exec();
}

std::optional<std::string> QtDialogProvider::file_name(QWidget* parent,
                                                       const FileRequest& request) {
    QFileDialog dialog(parent);
    // Each kind of file opens where the user last took one of its kind from.
    const QString folder_key = QStringLiteral("folders/") + request.default_ext;
    QSettings settings;
    if (const QString folder = settings.value(folder_key).toString(); !folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.default_ext);
    if (request.kind == FileRequest::open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirm_overwrite);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    settings.setValue(folder_key, dialog.directory().absolutePath());
    return file_name_of(dialog.selectedFiles().first());
}

void QtDialogProvider::init_dialog(QWidget* parent, SettingsRecord& data, std::string& confirmed) {
    RunSettingsDialog dialog(parent, data, *this, &confirmed);
    dialog.exec();
}

bool QtDialogProvider::question(QWidget* parent, const std::string& text,
                                const std::string& caption) {
    return QMessageBox::question(parent, to_qstring(caption), to_qstring(text),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void QtDialogProvider::auto_dialog(QWidget* parent, AutoData& data) {
    AutoCycleDialog dialog(parent, data, *this);
    dialog.exec();
}

void QtDialogProvider::array_dialog(QWidget* parent, ArrayData& data) {
    ArrayDialog dialog(parent, data, *this);
    dialog.exec();
}

void QtDialogProvider::guide(QWidget* parent) {
    GuideDialog dialog(parent);
    dialog.exec();
}

void QtDialogProvider::about(QWidget* parent) {
    AboutDialog dialog(parent);
    dialog.exec();
}

}  // namespace skywave::gui
