#include "app.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>

#include "button_faces.h"
#include "commands.h"
#include "gadgets.h"
#include "sky_window.h"

namespace skywave::gui {

TMOFFrame::TMOFFrame() {
    setWindowTitle(QStringLiteral("QX9Z MOF/LOF"));
}

void TMOFFrame::closeEvent(QCloseEvent* event) {
    if (Client) Client->Destroy(0);
    event->accept();
}

TMOFApp::TMOFApp(const std::string& file, DialogProvider& dialogs)
    : file_name_(file), dialogs_(dialogs) {}

TMOFApp::~TMOFApp() {
    if (Client) Client->Destroy(0);
    delete Frame;
}

void TMOFApp::InitMainWindow() {
    Frame = new TMOFFrame;
    Client = new TSkyWindow(dialogs_);
    Frame->Client = Client;
    Client->set_file_name(file_name_);
    Frame->setCentralWidget(Client);

    QMenuBar* menu = Frame->menuBar();
    menu->setObjectName(QStringLiteral("MOFMENU"));
    build_mofmenu(menu);
    // Every item runs its command by the id it carries when chosen (two items change
    // their id while a run or an auto replay goes on); enablers run as a menu opens.
    const std::function<void(QMenu*)> wire = [&](QMenu* popup) {
        QObject::connect(popup, &QMenu::aboutToShow, Client, [this] { Client->UpdateCommands(); });
        for (QAction* a : popup->actions()) {
            if (a->menu())
                wire(a->menu());
            else if (!a->isSeparator())
                QObject::connect(a, &QAction::triggered, Client, [this, a] {
                    // The command sets the check marks itself; Qt's own flip of a
                    // checkable item is taken back first, or a toggle would flip twice.
                    if (a->isCheckable()) a->setChecked(!a->isChecked());
                    Client->Command(command_of(a));
                });
        }
    };
    for (QAction* a : menu->actions())
        if (a->menu()) wire(a->menu());
    Frame->setWindowIcon(program_icon());

    Gadgets = new TMOFGadgets(Frame, [this](int id) { Client->Command(id); });
    Gadgets->SetMenu(menu);
    Client->SetupWindow(Gadgets);
    Frame->resize(Frame->sizeHint());
}

}  // namespace skywave::gui
