// Window routines shared by the dialogs: text copies, sizes, placement at the
// cursor, the always-on-top system-menu item, icons and client-area dragging.
#pragma once

#include <windows.h>

// Name of the window property that holds a dialog's parameter record from
// WM_INITDIALOG until WM_DESTROY.
constexpr char PROP_DIALOGPARAM[] = "LinkToDialogParam";

// Text of the always-on-top item (IDM_TOPMOST), code page 932:
// "常に最前面に表示(&T)".
constexpr char kTopmostItemText[] =
    "\x8F\xED\x82\xC9\x8D\xC5\x91O\x96\xCA\x82\xC9\x95\x5C\x8E\xA6(&T)";

// The program's own text id from its string table, in the display language
// the system's resource loader chooses: into out (units, terminator
// included), or as a code-page heap string (the caller frees it). False or
// null when the table has no such text.
bool LoadProgramText(unsigned id, WCHAR *out, int units);
char *DupProgramText(unsigned id);

// Text and controls. The copies are heap strings for the caller to free; an
// empty text gives a one-byte string, null means the text could not be read
// or stored.
char *DupWindowText(HWND window);
char *DupDlgItemText(HWND dialog, int id);
// Sets a control's text from code-page text (null: empty); true when set.
bool SetDlgItemCodePageText(HWND dialog, int id, const char *text);
// Enables or disables a control; true when it was disabled before.
bool EnableDlgItem(HWND dialog, int id, bool enable);

// Sizes and positions, in screen pixels. A window that cannot be measured
// gives false and a zero size or origin.
bool WindowSize(HWND window, SIZE *size); // outer size, frame included
bool ClientSize(HWND window, SIZE *size);
bool WindowOrigin(HWND window, POINT *origin);
int WindowWidth(HWND window);
int WindowHeight(HWND window);
// Work area of the primary display.
bool WorkArea(RECT *area);
// Moves the window; size and Z order stay.
bool MoveWindowTo(HWND window, int x, int y);
// Centres the window on the mouse cursor inside the work area (only centred
// when the work area cannot be read).
bool CenterOnCursor(HWND window);

// Always-on-top state and menus.
bool IsTopmost(HWND window);
bool SetTopmost(HWND window, bool on);
// CheckMenuItem with flags, plus MF_CHECKED when checked; returns its result.
DWORD CheckMenuCommand(HMENU menu, UINT id, UINT flags, bool checked);
// Position of the first item with command id, or -1.
int FindMenuItemPos(HMENU menu, UINT id);
// Puts the always-on-top item and a separator just above Close in the
// dialog's system menu; true when they were inserted (the menu has a Close
// item).
bool AddTopmostMenuItem(HWND dialog);

// Icons: which is ICON_BIG or ICON_SMALL; sizeFlag 0 is the large shell icon
// and 1 (SHGFI_SMALLICON) the small one. Shell icons are never destroyed.
LRESULT SetWindowIcon(HWND window, WPARAM which, HICON icon);
HICON FileShellIcon(const char *path, UINT sizeFlag);
HICON WideFileShellIcon(const WCHAR *path, UINT sizeFlag);
HICON ModuleShellIcon(HMODULE module, UINT sizeFlag);

// Answers WM_NCHITTEST for a dialog dragged by its client area: the default
// hit test with the client area answered as the caption, set as the dialog's
// message result.
void CaptionHitTest(HWND dialog, WPARAM wParam, LPARAM lParam);

// The shared dialog behaviour. Call InitSharedDialog from WM_INITDIALOG after
// storing the parameter record: the program's large and small shell icons,
// placement at the cursor, the always-on-top item.
void InitSharedDialog(HWND dialog);
// Handles WM_INITMENUPOPUP (check mark of the always-on-top item),
// WM_SYSCOMMAND (the always-on-top item toggles the state) and WM_NCHITTEST
// (CaptionHitTest). Returns true when message is one of these; *result is
// then what the dialog procedure returns.
bool SharedDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR *result);
