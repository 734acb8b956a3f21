// Driving a dialog of another process as a user would: its title and boxes,
// clicks and keys, real mouse drags, and a picture of it saved as PNG.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The window's title as UTF-16.
std::wstring WindowTitleW(HWND window);
// The text of a control of another process (WM_GETTEXT in UTF-16).
std::wstring ControlTextW(HWND dialog, int id);

// BM_GETCHECK of the control, or -1 when the control does not answer.
int ButtonState(HWND dialog, int id);
// BM_CLICK on the control; false when it does not answer within kWaitMs.
bool ClickButton(HWND dialog, int id);
// Makes window the foreground window and types one key (down and up) through
// the system's input queue. False when window did not become foreground.
bool PressKey(HWND window, WORD virtualKey);
// Presses the left mouse button at from (screen coordinates), moves by (dx,
// dy) in steps and releases it. A press that starts the window's move or size
// loop is waited on until the loop begins, and the release until it ends.
void DragWithMouse(POINT from, int dx, int dy);

// How long the tests wait for another process to do what they expect of it
// (answer a message, show or close a window, move): generous, since a loaded
// machine can take seconds, and the emulated 32-bit runs far longer; a
// passing test never waits it out.
#if defined(LINKTO_TESTS_EMULATED)
constexpr DWORD kWaitMs = 300000;
#else
constexpr DWORD kWaitMs = 30000;
#endif

// Polls condition every 20 ms until it holds or timeoutMs have passed.
template <typename Condition> bool WaitFor(Condition condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) {
      return true;
    }
    if (GetTickCount() - start >= timeoutMs) {
      return false;
    }
    Sleep(20);
  }
}

// Waits until the dialog's tree view holds items: the folder browser fills its
// tree as it opens. Each poll is a message round trip to the dialog's thread.
// False when there is no tree or it stays empty for kWaitMs.
bool WaitForTreeItems(HWND dialog);

// Writes an 8-bit RGB image (rows top to bottom, 3 bytes a pixel) as a PNG.
bool WritePng(const std::string &path, int width, int height,
              const std::vector<unsigned char> &rgb);
// The screen pixels of the window's rectangle, RGB, rows top to bottom.
bool CaptureWindow(HWND window, int *width, int *height, std::vector<unsigned char> *rgb);
// The build folder's screenshots\<name>, with the folder made if needed.
std::string ScreenshotPath(const char *name);
