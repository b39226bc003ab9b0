#include "app.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>

#include "button_faces.h"
#include "commands.h"
#include "control_bar.h"
#include "map_window.h"

namespace skywave::gui {

MainFrame::MainFrame() {
    setWindowTitle(QStringLiteral("QX9Z MOF/LOF"));
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (map_window) map_window->shut_down();
    event->accept();
}

App::App(const std::string& file, DialogProvider& dialogs) : file_name_(file), dialogs_(dialogs) {}

App::~App() {
    if (map_window) map_window->shut_down();
    delete frame;
}

void App::build_main_window() {
    frame = new MainFrame;
    map_window = new MapWindow(dialogs_);
    frame->map_window = map_window;
    map_window->set_file_name(file_name_);
    frame->setCentralWidget(map_window);

    QMenuBar* menu = frame->menuBar();
    menu->setObjectName(QStringLiteral("MOFMENU"));
    build_mofmenu(menu);
    // Every item runs its command by the id it carries when chosen (two items change
    // their id while a run or an auto replay goes on); enablers run as a menu opens.
    const std::function<void(QMenu*)> wire = [&](QMenu* popup) {
        QObject::connect(popup, &QMenu::aboutToShow, map_window,
                         [this] { map_window->update_commands(); });
        for (QAction* a : popup->actions()) {
            if (a->menu())
                wire(a->menu());
            else if (!a->isSeparator())
                QObject::connect(a, &QAction::triggered, map_window, [this, a] {
                    // The command sets the check marks itself; Qt's own flip of a
                    // checkable item is taken back first, or a toggle would flip twice.
                    if (a->isCheckable()) a->setChecked(!a->isChecked());
                    map_window->run_command(command_of(a));
                });
        }
    };
    for (QAction* a : menu->actions())
        if (a->menu()) wire(a->menu());
    frame->setWindowIcon(program_icon());

    bars = new ControlBar(frame, [this](int id) { map_window->run_command(id); });
    bars->SetMenu(menu);
    map_window->attach_bars(bars);
    frame->resize(frame->sizeHint());
}

}  // namespace skywave::gui
