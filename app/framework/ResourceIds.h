#pragma once
// Numeric ids shared by the windows: the standard commands of the frame and dialogs, the
// layouts of the information dialogs, and the images. Controls of a window are named by
// their id (objectName = the id in decimal); the form's own control ids live with the form.

namespace quenmar {

// Dialog commands: the buttons with these ids end a dialog.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Layouts of the information and outcome dialogs, and of the form.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_QUENMAR_FORM = 101;
constexpr int IDD_DISCLAIMER = 134;
constexpr int IDD_NO_CONVERGENCE = 135;
constexpr int IDD_INSTRUCTIONS = 139;
constexpr int IDD_MAX_SOLUTIONS = 145;
constexpr int IDD_CALC_STOPPED = 146;

// Images: the application icon (also the id of the menu, shortcut table and template) and
// the picture of five meshing spur gears.
constexpr int IDR_MAINFRAME = 128;
constexpr int IDB_GEARS = 163;

// Commands of the menu and the shortcut table.
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_HELP_FINDER = 57667;
constexpr int ID_CONTEXT_HELP = 57669;
constexpr int ID_HELP = 57670;
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;
constexpr int ID_INSTRUCTIONS = 32773;

// Status bar and its indicators.
constexpr int AFX_IDW_STATUS_BAR = 59393;
constexpr int ID_INDICATOR_CAPS = 59137;
constexpr int ID_INDICATOR_NUM = 59138;
constexpr int ID_INDICATOR_SCRL = 59139;

}  // namespace quenmar
