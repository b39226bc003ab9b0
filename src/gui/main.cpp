// skywave-gui [FILE]: the desktop program, replaying FILE if given.
#include <QApplication>
#include <QStringList>
#include <csignal>

#include "app.h"
#include "button_faces.h"
#include "dialog_provider.h"

int main(int argc, char** argv) {
    // A file-size limit is a write error like a full disk, not the end of the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("skywave-gui"));
    QApplication::setOrganizationName(QStringLiteral("skywave"));
    QApplication::setWindowIcon(skywave::gui::program_icon());
    // Qt has taken its own options out of argv; the first remaining argument names a
    // file, taken byte for byte (a name need not be UTF-8).
    const std::string file = argc > 1 ? std::string(argv[1]) : std::string();
    skywave::gui::QtDialogProvider dialogs;
    skywave::gui::App app(file, dialogs);
    app.build_main_window();
    app.frame->show();
    return QApplication::exec();
}
