#include "ui/window.h"

#include <shellapi.h>

#include <cstdlib>

#include "core/text.h"
#include "resource.h"
#include "ui/placement.h"

char *DupWindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length < 0) {
    return nullptr;
  }
  char *text = static_cast<char *>(malloc(static_cast<size_t>(length) + 1));
  if (text == nullptr) {
    return nullptr;
  }
  text[0] = '\0';
  const int copied = GetWindowTextA(window, text, length + 1);
  if (copied < 0) {
    free(text);
    return nullptr;
  }
  text[copied < length ? copied : length] = '\0';
  return text;
}

char *DupDlgItemText(HWND dialog, int id) {
  return DupWindowText(GetDlgItem(dialog, id));
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
  return SystemParametersInfoA(SPI_GETWORKAREA, 0, area, 0) != 0;
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
  return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
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
  InsertMenuA(menu, at, MF_BYPOSITION | MF_SEPARATOR, static_cast<UINT_PTR>(-1), nullptr);
  InsertMenuA(menu, at, MF_BYPOSITION | MF_STRING, IDM_TOPMOST, kTopmostItemText);
  return true;
}

LRESULT SetWindowIcon(HWND window, WPARAM which, HICON icon) {
  return SendMessageA(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
}

HICON FileShellIcon(const char *path, UINT sizeFlag) {
  SHFILEINFOA info = {};
  if (SHGetFileInfoA(path, 0, &info, sizeof info, sizeFlag | SHGFI_ICON) == 0) {
    return nullptr;
  }
  return info.hIcon;
}

HICON ModuleShellIcon(HMODULE module, UINT sizeFlag) {
  char path[kPathBufferSize];
  const DWORD length = GetModuleFileNameA(module, path, kPathBufferSize);
  if (length == 0) {
    return nullptr;
  }
  // A path that filled the buffer may have lost its terminator on older
  // systems; it is then no path of this module at all.
  if (length >= static_cast<DWORD>(kPathBufferSize)) {
    return nullptr;
  }
  return FileShellIcon(path, sizeFlag);
}

void CaptionHitTest(HWND dialog, WPARAM wParam, LPARAM lParam) {
  const LRESULT code = DefWindowProcA(dialog, WM_NCHITTEST, wParam, lParam);
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, CaptionHitTestCode(static_cast<int>(code)));
}

void InitSharedDialog(HWND dialog) {
  const HMODULE module = GetModuleHandleA(nullptr);
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
