// The pictures of the program: the control bar's button faces and the program icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace skywave::gui {

// The face of the control-bar button of a command (102, 108, 118, 160, 161, 162, 401,
// 905): 20 pixels high; 20 wide for Save, Open and About, 45 for Next, 90 for Calc
// Stop, Auto Stop and Exam Another Array, 100 for Auto Cycle.
QPixmap button_face(int command);

// The program icon "SKYWIN_ICON".
QIcon program_icon();
QPixmap program_icon_pixmap(int size);

}  // namespace skywave::gui
