// App: the program. It makes the frame "QX9Z MOF/LOF" with the menu "MOFMENU",
// the control and status bars and the main window, which opens the file named on the
// command line.
#pragma once

#include <QMainWindow>
#include <string>

namespace skywave::gui {

class DialogProvider;
class ControlBar;
class MapWindow;
class MapInfo;

// The frame: closing it tears the main window down first, stopping any work.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    MainFrame();
    MapWindow* map_window = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

class App {
public:
    // file: the first command-line argument, or empty.
    App(const std::string& file, DialogProvider& dialogs);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Makes the frame, its menu and bars and the main window.
    void build_main_window();

    MainFrame* frame = nullptr;
    ControlBar* bars = nullptr;
    MapWindow* map_window = nullptr;
    MapInfo* map_info = nullptr;

private:
    std::string file_name_;
    DialogProvider& dialogs_;
};

}  // namespace skywave::gui
