// TMOFApp: the program. It makes the frame "QX9Z MOF/LOF" with the menu "MOFMENU",
// the control and status bars and the main window, which opens the file named on the
// command line.
#pragma once

#include <QMainWindow>
#include <string>

namespace skywave::gui {

class DialogProvider;
class TMOFGadgets;
class TSkyWindow;

// The frame: closing it tears the main window down first, stopping any work.
class TMOFFrame : public QMainWindow {
    Q_OBJECT
public:
    TMOFFrame();
    TSkyWindow* Client = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

class TMOFApp {
public:
    // file: the first command-line argument, or empty.
    TMOFApp(const std::string& file, DialogProvider& dialogs);
    ~TMOFApp();
    TMOFApp(const TMOFApp&) = delete;
    TMOFApp& operator=(const TMOFApp&) = delete;

    void InitMainWindow();

    TMOFFrame* Frame = nullptr;
    TMOFGadgets* Gadgets = nullptr;
    TSkyWindow* Client = nullptr;

private:
    std::string file_name_;
    DialogProvider& dialogs_;
};

}  // namespace skywave::gui
