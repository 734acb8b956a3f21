#include "ui/window.h"

#include <shellapi.h>

#include <cstdlib>

#include "core/code_page.h"
#include "core/text.h"
#include "resource.h"
#include "ui/placement.h"

bool LoadProgramText(unsigned id, WCHAR *out, int units) {
  out[0] = 0;
  return LoadStringW(GetModuleHandleW(nullptr), id, out, units) > 0;
}

char *DupProgramText(unsigned id) {
  WCHAR text[1024];
  return LoadProgramText(id, text, 1024) ? DupCodePageFromWide(text) : nullptr;
}

char *DupWindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length < 0) {
    return nullptr;
  }
  WCHAR *wide = static_cast<WCHAR *>(malloc((static_cast<size_t>(length) + 1) * sizeof(WCHAR)));
  if (wide == nullptr) {
    return nullptr;
  }
  wide[0] = 0;
  const int copied = GetWindowTextW(window, wide, length + 1);
  if (copied < 0) {
    free(wide);
    return nullptr;
  }
  wide[copied < length ? copied : length] = 0;
  char *text = DupCodePageFromWide(wide);
  free(wide);
  return text;
}

char *DupDlgItemText(HWND dialog, int id) {
  return DupWindowText(GetDlgItem(dialog, id));
}

bool SetDlgItemCodePageText(HWND dialog, int id, const char *text) {
  WCHAR *wide = DupWideFromCodePage(text != nullptr ? text : "");
  if (wide == nullptr) {
    return false;
  }
  const bool set = SetDlgItemTextW(dialog, id, wide) != 0;
  free(wide);
  return set;
}

bool EnableDlgItem(HWND dialog, int id, bool enable) {
  return EnableWindow(GetDlgItem(dialog, id), enable ? TRUE : FALSE) != 0;
}

bool WindowSize(HWND window, SIZE *size) {
  RECT rect = {};
  const bool ok = GetWindowRect(window, &rect) != 0;
  size->cx = rect.right - rect.left;
  size->cy = rect.bottom - rect.top;
  return ok;
}

bool ClientSize(HWND window, SIZE *size) {
  RECT rect = {};
  const bool ok = GetClientRect(window, &rect) != 0;
  size->cx = rect.right - rect.left;
  size->cy = rect.bottom - rect.top;
  return ok;
}

bool WindowOrigin(HWND window, POINT *origin) {
  RECT rect = {};
  const bool ok = GetWindowRect(window, &rect) != 0;
  origin->x = rect.left;
  origin->y = rect.top;
  return ok;
}

int WindowWidth(HWND window) {
  SIZE size;
  WindowSize(window, &size);
  return static_cast<int>(size.cx);
}

int WindowHeight(HWND window) {
  SIZE size;
  WindowSize(window, &size);
  return static_cast<int>(size.cy);
}

bool WorkArea(RECT *area) {
  return SystemParametersInfoW(SPI_GETWORKAREA, 0, area, 0) != 0;
}

bool MoveWindowTo(HWND window, int x, int y) {
  return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) != 0;
}

bool CenterOnCursor(HWND window) {
  const int width = WindowWidth(window);
  const int height = WindowHeight(window);
  POINT cursor = {};
  GetCursorPos(&cursor);
  RECT area = {};
  const bool haveArea = WorkArea(&area);
  const ScreenRect work = {static_cast<int>(area.left), static_cast<int>(area.top),
                           static_cast<int>(area.right), static_cast<int>(area.bottom)};
  const ScreenPoint at = PlaceCentredOnCursor(
      width, height, ScreenPoint{static_cast<int>(cursor.x), static_cast<int>(cursor.y)},
      haveArea ? &work : nullptr);
  POINT p = {at.x, at.y};
  // A child window is placed in its parent's client coordinates; a dialog is
  // an owned top-level window and keeps screen coordinates.
  const HWND parent = GetParent(window);
  if (parent != nullptr && IsChild(parent, window)) {
    ScreenToClient(parent, &p);
  }
  return MoveWindowTo(window, static_cast<int>(p.x), static_cast<int>(p.y));
}

bool IsTopmost(HWND window) {
  return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool SetTopmost(HWND window, bool on) {
  return SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                      SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOCOPYBITS |
                          SWP_NOSENDCHANGING) != 0;
}

DWORD CheckMenuCommand(HMENU menu, UINT id, UINT flags, bool checked) {
  return CheckMenuItem(menu, id, flags | (checked ? MF_CHECKED : 0u));
}

int FindMenuItemPos(HMENU menu, UINT id) {
  const int count = GetMenuItemCount(menu);
  for (int pos = 0; pos < count; ++pos) {
    if (GetMenuItemID(menu, pos) == id) {
      return pos;
    }
  }
  return -1;
}

bool AddTopmostMenuItem(HWND dialog) {
  const HMENU menu = GetSystemMenu(dialog, FALSE);
  const int pos = FindMenuItemPos(menu, SC_CLOSE);
  if (pos < 0) {
    return false;
  }
  const UINT at = static_cast<UINT>(pos);
  WCHAR text[64];
  if (!LoadProgramText(IDS_TOPMOST, text, 64)) {
    WideFromCodePage(kTopmostItemText, text, 64);
  }
  InsertMenuW(menu, at, MF_BYPOSITION | MF_SEPARATOR, static_cast<UINT_PTR>(-1), nullptr);
  InsertMenuW(menu, at, MF_BYPOSITION | MF_STRING, IDM_TOPMOST, text);
  return true;
}

LRESULT SetWindowIcon(HWND window, WPARAM which, HICON icon) {
  return SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
}

HICON FileShellIcon(const char *path, UINT sizeFlag) {
  WCHAR wide[MAX_PATH + 1];
  return WideFromCodePage(path, wide, MAX_PATH + 1) ? WideFileShellIcon(wide, sizeFlag) : nullptr;
}

HICON WideFileShellIcon(const WCHAR *path, UINT sizeFlag) {
  SHFILEINFOW info = {};
  if (SHGetFileInfoW(path, 0, &info, sizeof info, sizeFlag | SHGFI_ICON) == 0) {
    return nullptr;
  }
  return info.hIcon;
}

HICON ModuleShellIcon(HMODULE module, UINT sizeFlag) {
  WCHAR path[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH + 1);
  if (length == 0) {
    return nullptr;
  }
  // A path that filled the buffer may have lost its terminator on older
  // systems; it is then no path of this module at all.
  if (length >= static_cast<DWORD>(MAX_PATH + 1)) {
    return nullptr;
  }
  return WideFileShellIcon(path, sizeFlag);
}

void CaptionHitTest(HWND dialog, WPARAM wParam, LPARAM lParam) {
  const LRESULT code = DefWindowProcW(dialog, WM_NCHITTEST, wParam, lParam);
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, CaptionHitTestCode(static_cast<int>(code)));
}

void InitSharedDialog(HWND dialog) {
  const HMODULE module = GetModuleHandleW(nullptr);
  SetWindowIcon(dialog, ICON_BIG, ModuleShellIcon(module, 0));
  SetWindowIcon(dialog, ICON_SMALL, ModuleShellIcon(module, SHGFI_SMALLICON));
  CenterOnCursor(dialog);
  AddTopmostMenuItem(dialog);
}

bool SharedDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR *result) {
  switch (message) {
  case WM_INITMENUPOPUP:
    CheckMenuCommand(GetSystemMenu(dialog, FALSE), IDM_TOPMOST, MF_BYCOMMAND, IsTopmost(dialog));
    *result = TRUE;
    return true;
  case WM_SYSCOMMAND:
    if (LOWORD(wParam) == IDM_TOPMOST) {
      SetTopmost(dialog, !IsTopmost(dialog));
      *result = TRUE;
    } else {
      *result = FALSE;
    }
    return true;
  case WM_NCHITTEST:
    CaptionHitTest(dialog, wParam, lParam);
    *result = TRUE;
    return true;
  default:
    return false;
  }
}
