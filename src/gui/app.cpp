#include "app.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QShortcut>
#include <QVBoxLayout>

#include "button_faces.h"
#include "commands.h"
#include "control_bar.h"
#include "map_info.h"
#include "map_window.h"

namespace skywave::gui {

MainFrame::MainFrame() {
    setWindowTitle(QStringLiteral("QX9Z MOF/LOF"));
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (map_window) map_window->shut_down();
    QSettings().setValue(QStringLiteral("window/geometry"), saveGeometry());
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
    // The map, and under it what the map means.
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(map_window, 1);
    map_info = new MapInfo;
    column->addWidget(map_info);
    map_window->attach_info(map_info);
    frame->setCentralWidget(central);

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
    // Where the user left the window last time.
    frame->restoreGeometry(QSettings().value(QStringLiteral("window/geometry")).toByteArray());

    // Keys without a menu item: the first and last screen, and Esc for whatever runs.
    const auto key = [this](QKeySequence sequence, std::function<void()> fn) {
        auto* shortcut = new QShortcut(sequence, frame);
        QObject::connect(shortcut, &QShortcut::activated, map_window, std::move(fn));
    };
    key(QKeySequence(Qt::Key_Home), [this] { map_window->show_screen(1); });
    key(QKeySequence(Qt::Key_End), [this] { map_window->show_screen(-1); });
    key(QKeySequence(Qt::Key_Escape), [this] { map_window->stop_what_runs(); });
}

}  // namespace skywave::gui
