// The shared window routines on real windows of this process: text copies,
// sizes, placement at the cursor, the always-on-top item, shell icons and the
// client-area hit test. The dialogs are made from template 127 of linkto.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "resource.h"
#include "testbed.h"
#include "ui/placement.h"
#include "ui/window.h"

namespace {

struct Window {
  HWND handle;
  explicit Window(HWND h) : handle(h) {}
  ~Window() {
    if (handle != nullptr) {
      DestroyWindow(handle);
    }
  }
  Window(const Window &) = delete;
  Window &operator=(const Window &) = delete;
};

struct Menu {
  HMENU handle;
  ~Menu() { DestroyMenu(handle); }
};

// A heap string from the routines under test, freed on scope exit.
struct Text {
  char *text;
  ~Text() { free(text); }
};

// Dialog 127 of linkto.exe, run by a procedure that only has the shared
// behaviour, as every dialog with a system menu uses it.
INT_PTR CALLBACK SharedOnlyProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    InitSharedDialog(dialog);
    return TRUE;
  }
  INT_PTR result = FALSE;
  SharedDialogMessage(dialog, message, wParam, lParam, &result);
  return result;
}

HWND MakeDialog(DLGPROC proc) {
  static HMODULE program = LoadLibraryExA(LinktoExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(IDD_DESTINATION), RT_DIALOG);
  if (found == nullptr) {
    return nullptr;
  }
  const DLGTEMPLATE *dialogTemplate =
      static_cast<const DLGTEMPLATE *>(LockResource(LoadResource(program, found)));
  return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, nullptr, proc, 0);
}

HWND MakePopup(const char *title, DWORD style, int width, int height) {
  return CreateWindowExA(0, "STATIC", title, style, 10, 10, width, height, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::string Ansi(const wchar_t *text) {
  char out[1024] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

ScreenRect TheWorkArea() {
  RECT area = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return ScreenRect{static_cast<int>(area.left), static_cast<int>(area.top),
                    static_cast<int>(area.right), static_cast<int>(area.bottom)};
}

// Cursor positions over the screen of the bed: centre, corners, edges.
const POINT kCursorSpots[] = {{640, 512}, {0, 0},   {1279, 1023}, {1279, 0},
                              {0, 1023},  {300, 5}, {1200, 700}};

SIZE IconSize(HICON icon) {
  SIZE size = {0, 0};
  ICONINFO info = {};
  if (icon == nullptr || !GetIconInfo(icon, &info)) {
    return size;
  }
  BITMAP bitmap = {};
  GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  size.cx = bitmap.bmWidth;
  size.cy = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return size;
}

} // namespace

TEST(WindowText, CopiesAreExactHeapStrings) {
  const std::string texts[] = {"", "a", "\x93\x6F\x98\x5E\x90\xE6 \x95\x5C\x83\x5C",
                               std::string(3000, 'x') + "\x82\xA0"};
  for (const std::string &text : texts) {
    SCOPED_TRACE(text.size());
    Window window(MakePopup(text.c_str(), WS_POPUP, 50, 50));
    ASSERT_NE(window.handle, nullptr);
    const Text copy{DupWindowText(window.handle)};
    ASSERT_NE(copy.text, nullptr);
    EXPECT_EQ(copy.text, text);
  }
  Window dialog(MakeDialog(SharedOnlyProc));
  ASSERT_NE(dialog.handle, nullptr);
  const Text prompt{DupDlgItemText(dialog.handle, IDC_PROMPT)};
  ASSERT_NE(prompt.text, nullptr);
  EXPECT_EQ(prompt.text, Ansi(L"登録先を指定してください。"));
}

TEST(WindowGeometry, MovingKeepsTheSizeAndAGoneWindowMeasuresAsNothing) {
  Window window(MakePopup("", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_BORDER, 301, 203));
  ASSERT_NE(window.handle, nullptr);
  EXPECT_TRUE(MoveWindowTo(window.handle, 123, 45));
  POINT origin = {};
  EXPECT_TRUE(WindowOrigin(window.handle, &origin));
  EXPECT_EQ(origin.x, 123);
  EXPECT_EQ(origin.y, 45);
  EXPECT_EQ(WindowWidth(window.handle), 301);
  EXPECT_EQ(WindowHeight(window.handle), 203);
  SIZE client = {};
  EXPECT_TRUE(ClientSize(window.handle, &client));
  EXPECT_LT(client.cy, 203); // the caption is not client area

  DestroyWindow(window.handle);
  const HWND gone = window.handle;
  window.handle = nullptr;
  SIZE outer = {1, 1};
  EXPECT_FALSE(WindowSize(gone, &outer));
  EXPECT_EQ(outer.cx, 0);
  EXPECT_EQ(outer.cy, 0);
}

TEST(WindowGeometry, CenterOnCursorKeepsWindowsInsideTheWorkArea) {
  const ScreenRect work = TheWorkArea();
  struct Shape {
    int width, height;
  } const shapes[] = {{301, 203}, {work.right + 200, 100}, {100, work.bottom + 50}};
  for (const Shape &shape : shapes) {
    Window window(MakePopup("", WS_POPUP, shape.width, shape.height));
    ASSERT_NE(window.handle, nullptr);
    for (const POINT &spot : kCursorSpots) {
      SCOPED_TRACE(testing::Message()
                   << shape.width << "x" << shape.height << " at " << spot.x << "," << spot.y);
      ASSERT_TRUE(SetCursorPos(spot.x, spot.y));
      EXPECT_TRUE(CenterOnCursor(window.handle));
      const ScreenPoint want =
          PlaceCentredOnCursor(shape.width, shape.height, ScreenPoint{spot.x, spot.y}, &work);
      POINT origin = {};
      WindowOrigin(window.handle, &origin);
      EXPECT_EQ(origin.x, want.x);
      EXPECT_EQ(origin.y, want.y);
      EXPECT_EQ(WindowWidth(window.handle), shape.width);
      // What does not fit sits on the work area's left or top edge.
      if (shape.width > work.right) {
        EXPECT_EQ(origin.x, work.left);
      }
      if (shape.height > work.bottom) {
        EXPECT_EQ(origin.y, work.top);
      }
    }
  }
}

TEST(WindowGeometry, CenterOnCursorPlacesAChildInItsParent) {
  Window parent(MakePopup("", WS_POPUP | WS_VISIBLE, 800, 600));
  ASSERT_NE(parent.handle, nullptr);
  MoveWindowTo(parent.handle, 200, 150);
  const HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 80,
                                     parent.handle, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(SetCursorPos(500, 400));
  EXPECT_TRUE(CenterOnCursor(child));
  RECT rect = {};
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left, 450); // in screen terms, as if it were on its own
  EXPECT_EQ(rect.top, 360);
}

TEST(WindowMenus, FindMenuItemPosGivesTheFirstMatchOrMinusOne) {
  const Menu menu{CreatePopupMenu()};
  const Menu empty{CreatePopupMenu()};
  AppendMenuA(menu.handle, MF_STRING, 7, "a");
  AppendMenuA(menu.handle, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu.handle, MF_STRING, 9, "b");
  AppendMenuA(menu.handle, MF_STRING, 9, "c");
  EXPECT_EQ(FindMenuItemPos(menu.handle, 7), 0);
  EXPECT_EQ(FindMenuItemPos(menu.handle, 9), 2);
  EXPECT_EQ(FindMenuItemPos(menu.handle, 8), -1);
  EXPECT_EQ(FindMenuItemPos(empty.handle, 7), -1);
  EXPECT_EQ(FindMenuItemPos(nullptr, 7), -1);
}

TEST(SharedDialog, TopmostItemSitsJustAboveClose) {
  Window plain(MakePopup("", WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 100));
  const int plainCount = GetMenuItemCount(GetSystemMenu(plain.handle, FALSE));
  Window dialog(MakeDialog(SharedOnlyProc));
  ASSERT_NE(dialog.handle, nullptr);
  const HMENU menu = GetSystemMenu(dialog.handle, FALSE);
  ASSERT_NE(menu, nullptr);
  const int close = FindMenuItemPos(menu, SC_CLOSE);
  ASSERT_GE(close, 2);
  EXPECT_EQ(GetMenuItemCount(menu), plainCount + 2);
  EXPECT_EQ(GetMenuItemID(menu, close - 2), static_cast<UINT>(IDM_TOPMOST));
  EXPECT_NE(GetMenuState(menu, static_cast<UINT>(close - 1), MF_BYPOSITION) & MF_SEPARATOR, 0u);
  char text[64] = {};
  GetMenuStringA(menu, IDM_TOPMOST, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, kTopmostItemText);
  wchar_t wide[64] = {};
  GetMenuStringW(menu, IDM_TOPMOST, wide, 64, MF_BYCOMMAND);
  EXPECT_STREQ(wide, L"常に最前面に表示(&T)");
  EXPECT_EQ(GetMenuState(menu, IDM_TOPMOST, MF_BYCOMMAND) & MF_CHECKED, 0u);

  // A window without a system menu gets nothing.
  Window bare(MakePopup("", WS_POPUP, 100, 100));
  EXPECT_FALSE(AddTopmostMenuItem(bare.handle));
}

TEST(SharedDialog, TopmostCommandTogglesAndTheMenuShowsTheState) {
  Window dialog(MakeDialog(SharedOnlyProc));
  ASSERT_NE(dialog.handle, nullptr);
  const HMENU menu = GetSystemMenu(dialog.handle, FALSE);
  for (int round = 0; round < 2; ++round) {
    for (bool expected : {true, false}) {
      SCOPED_TRACE(testing::Message() << "round " << round << ", topmost " << expected);
      SendMessageA(dialog.handle, WM_SYSCOMMAND, IDM_TOPMOST, 0);
      EXPECT_EQ(IsTopmost(dialog.handle), expected);
      EXPECT_EQ((GetWindowLongA(dialog.handle, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, expected);
      SendMessageA(dialog.handle, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                   MAKELPARAM(0, TRUE));
      EXPECT_EQ((GetMenuState(menu, IDM_TOPMOST, MF_BYCOMMAND) & MF_CHECKED) != 0, expected);
    }
  }
  EXPECT_TRUE(SetTopmost(dialog.handle, true));
  EXPECT_TRUE(IsTopmost(dialog.handle));
  EXPECT_TRUE(SetTopmost(dialog.handle, false));
  EXPECT_FALSE(IsTopmost(dialog.handle));
}

TEST(SharedDialog, TheClientAreaAnswersAsTheCaption) {
  Window dialog(MakeDialog(SharedOnlyProc));
  ASSERT_NE(dialog.handle, nullptr);
  RECT window = {}, client = {};
  GetWindowRect(dialog.handle, &window);
  GetClientRect(dialog.handle, &client);
  MapWindowPoints(dialog.handle, nullptr, reinterpret_cast<POINT *>(&client), 2);
  struct Spot {
    const char *name;
    LONG x, y;
    LRESULT code;
  } const spots[] = {
      {"client, top left", client.left + 2, client.top + 2, HTCAPTION},
      {"client, over a box", client.left + 30, client.top + 75, HTCAPTION},
      {"client, bottom right", client.right - 2, client.bottom - 2, HTCAPTION},
      {"caption", (window.left + window.right) / 2, window.top + (client.top - window.top) / 2,
       HTCAPTION},
      {"outside", window.right + 50, window.bottom + 50, HTNOWHERE},
      {"left frame", window.left, (window.top + window.bottom) / 2,
       DefWindowProcA(dialog.handle, WM_NCHITTEST, 0,
                      MAKELPARAM(window.left, (window.top + window.bottom) / 2))},
  };
  for (const Spot &spot : spots) {
    SCOPED_TRACE(spot.name);
    EXPECT_EQ(SendMessageA(dialog.handle, WM_NCHITTEST, 0, MAKELPARAM(spot.x, spot.y)), spot.code);
  }
  EXPECT_NE(spots[5].code, HTCLIENT);
  EXPECT_NE(spots[5].code, HTCAPTION);
}

TEST(SharedDialog, ShowsTheProgramsShellIcons) {
  Window dialog(MakeDialog(SharedOnlyProc));
  ASSERT_NE(dialog.handle, nullptr);
  const HICON big = reinterpret_cast<HICON>(SendMessageA(dialog.handle, WM_GETICON, ICON_BIG, 0));
  const HICON small =
      reinterpret_cast<HICON>(SendMessageA(dialog.handle, WM_GETICON, ICON_SMALL, 0));
  EXPECT_EQ(IconSize(big).cx, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(IconSize(small).cx, GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(FileShellIcon("C:\\no such folder\\none.exe", 0), nullptr);
  EXPECT_EQ(ModuleShellIcon(reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x10)), 0), nullptr);
}

TEST(ShellIcons, TheProgramFileShowsItsOwnIcon) {
  // The shell's icon for linkto.exe, drawn, is the program's icon 126 drawn.
  HMODULE program = LoadLibraryExA(LinktoExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  for (int size : {32, 16}) {
    SCOPED_TRACE(size);
    const HICON own = static_cast<HICON>(
        LoadImageA(program, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, size, size, 0));
    const HICON shell = FileShellIcon(LinktoExe().c_str(), size == 16 ? SHGFI_SMALLICON : 0);
    ASSERT_NE(own, nullptr);
    ASSERT_NE(shell, nullptr);
    std::string pictures[2];
    const HICON icons[2] = {own, shell};
    for (int i = 0; i < 2; ++i) {
      HDC screen = GetDC(nullptr);
      HDC memory = CreateCompatibleDC(screen);
      BITMAPINFO info = {};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = size;
      info.bmiHeader.biHeight = -size;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      void *bits = nullptr;
      HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      HGDIOBJ old = SelectObject(memory, bitmap);
      RECT all = {0, 0, size, size};
      FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      DrawIconEx(memory, 0, 0, icons[i], size, size, 0, nullptr, DI_NORMAL);
      GdiFlush();
      pictures[i].assign(static_cast<const char *>(bits), static_cast<size_t>(size) * size * 4);
      SelectObject(memory, old);
      DeleteObject(bitmap);
      DeleteDC(memory);
      ReleaseDC(nullptr, screen);
    }
    EXPECT_TRUE(pictures[0] == pictures[1]);
    DestroyIcon(own);
  }
  FreeLibrary(program);
}
