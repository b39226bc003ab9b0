// The menu "MOFMENU": its command ids, texts, status-bar hints and popup structure.
#pragma once

class QMenuBar;
class QAction;

namespace skywave::gui {

enum Command : int {
    CM_FILENEW = 100,
    CM_CALCCVIEW = 101,
    CM_FILESAVE = 102,
    CM_FILESAVEAS = 103,
    CM_FILEPRINT = 104,
    CM_FILEPAGESET = 105,
    CM_FILEPRINTSET = 106,
    CM_FILEEXIT = 107,
    CM_FILEOPEN = 108,
    CM_CALCCHANGECONST = 109,
    CM_EDITCUT = 110,
    CM_EDITCOPY = 111,
    CM_EDITPASTE = 112,
    CM_CALCSCOREMULTI = 113,
    CM_FILEEXPORTPICTURE = 114,  // beyond the described menu: pictures of the screens
    CM_FILEEXPORTANIMATION = 115,
    CM_CALCSTOP = 118,
    CM_CALCINIT = 119,
    CM_CALCSTART = 120,
    CM_CALCSCORE = 126,
    CM_CALCCDEFAULT = 127,
    CM_CALCCCHANGE = 129,
    CM_CALCCDIDDLE = 130,
    CM_CALCCOPEN = 131,
    CM_CALCCWRITE = 132,
    CM_VIEWMAP = 140,
    CM_VIEWQTH = 141,
    CM_VIEWSUN = 142,
    CM_VIEWGREATC = 143,
    CM_VIEWMOF = 144,
    CM_VIEWLOF = 145,
    CM_VIEWOTHER = 146,
    CM_VIEWSHORT = 147,
    CM_VIEWLONG = 148,
    CM_VIEWRECT = 149,
    CM_VIEWPOLARN = 150,
    CM_VIEWPOLARQ = 151,
    CM_VIEWKEEPPROPORTIONS = 152,  // letterboxes the picture: a round polar disc
    CM_REPLAYNEXT = 160,
    CM_REPLAYAUTO = 161,
    CM_REPLAYSTOP = 162,
    CM_REPLAYPREVIOUS = 163,  // the mirror of Next
    CM_EXAMNEXT = 401,
    CM_HELPINDEX = 900,
    CM_HELPKEYBOARD = 901,
    CM_HELPCOMMANDS = 902,
    CM_HELPPROCEDURES = 903,
    CM_HELPUSING = 904,
    CM_HELPABOUT = 905,
    CM_HELPGUIDE = 906,  // a real guide
};

// The status-bar hint of a command (its string resource); null for an unknown id.
const char* command_hint(int id);

// Builds the menu bar: every item carries its command id as data and its hint as
// status tip; the check marks are set as the program starts. Beside the described
// items: Export Picture and Export Animation (File), Keep Proportions (View),
// Previous (Replay) and Guide (Help), and the keys of Next, Previous and Open.
void build_mofmenu(QMenuBar* bar);

// The item (or button action) of the command, searched through every popup; null
// when no item has that id now.
QAction* find_command(const QMenuBar* bar, int id);

// The command id an action carries, or 0.
int command_of(const QAction* action);

}  // namespace skywave::gui
