#include "dialog_driver.h"

#include <commctrl.h>

#include <cstdio>

#include "testbed.h"

std::wstring WindowTitleW(HWND window) {
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  return title;
}

std::wstring ControlTextW(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &length)) {
    return L"(no answer)";
  }
  std::vector<wchar_t> text(length + 2, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, kWaitMs, &copied);
  return text.data();
}

int ButtonState(HWND dialog, int id) {
  DWORD_PTR state = 0;
  if (SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kWaitMs,
                          &state) == 0) {
    return -1;
  }
  return static_cast<int>(state);
}

bool ClickButton(HWND dialog, int id) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWaitMs,
                             &result) != 0;
}

bool WaitForTreeItems(HWND dialog) {
  const HWND tree = FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
  return tree != nullptr &&
         WaitFor(
             [tree] {
               DWORD_PTR count = 0;
               return SendMessageTimeoutA(tree, TVM_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kWaitMs,
                                          &count) != 0 &&
                      count > 0;
             },
             kWaitMs);
}

bool PressKey(HWND window, WORD virtualKey) {
  SetForegroundWindow(window);
  if (!WaitFor([window] { return GetForegroundWindow() == window; }, kWaitMs)) {
    return false;
  }
  INPUT keys[2] = {};
  keys[0].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = virtualKey;
  keys[1] = keys[0];
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendInput(2, keys, sizeof(INPUT)) == 2;
}

namespace {

// True while the thread runs the system's move or size loop.
bool InMoveSize(DWORD thread) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE) != 0;
}

} // namespace

void DragWithMouse(POINT from, int dx, int dy) {
  // A press on the caption or a sizing border starts the system's move or
  // size loop in the window's thread; a busy machine may get there late, so
  // the drag waits for the loop to begin and, after the release, to end.
  const HWND window = GetAncestor(WindowFromPoint(from), GA_ROOT);
  const DWORD thread = window != nullptr ? GetWindowThreadProcessId(window, nullptr) : 0;
  DWORD_PTR hit = HTNOWHERE;
  if (window != nullptr) {
    SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(from.x, from.y), SMTO_ABORTIFHUNG,
                        kWaitMs, &hit);
  }
  const bool loops = thread != 0 && (hit == HTCAPTION || (hit >= HTLEFT && hit <= HTBOTTOMRIGHT));
  SetCursorPos(from.x, from.y);
  Sleep(50);
  INPUT press = {};
  press.type = INPUT_MOUSE;
  press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &press, sizeof press);
  if (loops && !WaitFor([thread] { return InMoveSize(thread); }, kWaitMs)) {
    printf("note: the window did not start its move or size loop within %lu ms\n",
           static_cast<unsigned long>(kWaitMs));
  }
  Sleep(100);
  const int steps = 4;
  for (int i = 1; i <= steps; ++i) {
    SetCursorPos(from.x + dx * i / steps, from.y + dy * i / steps);
    Sleep(60);
  }
  INPUT release = {};
  release.type = INPUT_MOUSE;
  release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &release, sizeof release);
  if (loops && !WaitFor([thread] { return !InMoveSize(thread); }, kWaitMs)) {
    printf("note: the window's move or size loop did not end within %lu ms\n",
           static_cast<unsigned long>(kWaitMs));
  }
  Sleep(100);
}

namespace {

unsigned Crc32(const unsigned char *data, size_t size, unsigned crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

void PutBig32(std::vector<unsigned char> *out, unsigned value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out->push_back(static_cast<unsigned char>(value >> shift));
  }
}

void PutChunk(std::vector<unsigned char> *out, const char *kind,
              const std::vector<unsigned char> &data) {
  PutBig32(out, static_cast<unsigned>(data.size()));
  std::vector<unsigned char> body(kind, kind + 4);
  body.insert(body.end(), data.begin(), data.end());
  out->insert(out->end(), body.begin(), body.end());
  PutBig32(out, Crc32(body.data(), body.size()));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<unsigned char> StoredZlib(const std::vector<unsigned char> &raw) {
  std::vector<unsigned char> out = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
    const bool last = at + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<unsigned char>(length));
    out.push_back(static_cast<unsigned char>(length >> 8));
    out.push_back(static_cast<unsigned char>(~length));
    out.push_back(static_cast<unsigned char>(~length >> 8));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
               raw.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
  } while (at < raw.size());
  unsigned a = 1, b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(&out, b << 16 | a);
  return out;
}

} // namespace

bool WritePng(const std::string &path, int width, int height,
              const std::vector<unsigned char> &rgb) {
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) {
    return false;
  }
  std::vector<unsigned char> raw;
  const size_t stride = static_cast<size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0); // filter: none
    const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(stride * y);
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(stride));
  }
  std::vector<unsigned char> header;
  PutBig32(&header, static_cast<unsigned>(width));
  PutBig32(&header, static_cast<unsigned>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(&png, "IHDR", header);
  PutChunk(&png, "IDAT", StoredZlib(raw));
  PutChunk(&png, "IEND", {});
  FILE *file = fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
  return fclose(file) == 0 && written;
}

bool CaptureWindow(HWND window, int *width, int *height, std::vector<unsigned char> *rgb) {
  // Paint first: have the window and its children painted now, then a round
  // trip to the window's thread, so the picture holds every control.
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &answer) == 0) {
    return false;
  }
  RECT rect = {};
  if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) {
    return false;
  }
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, w, h, screen, rect.left, rect.top, SRCCOPY) != 0;
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h; // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<unsigned char> bgrx(static_cast<size_t>(w) * h * 4);
  const bool read = copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), bgrx.data(), &info,
                                        DIB_RGB_COLORS) == h;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!read) {
    return false;
  }
  rgb->resize(static_cast<size_t>(w) * h * 3);
  for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i) {
    (*rgb)[i * 3] = bgrx[i * 4 + 2];
    (*rgb)[i * 3 + 1] = bgrx[i * 4 + 1];
    (*rgb)[i * 3 + 2] = bgrx[i * 4];
  }
  *width = w;
  *height = h;
  return true;
}

std::string ScreenshotPath(const char *name) {
  const std::string folder = UnixToWindowsPath(LINKTO_BINARY_UNIX_DIR) + "\\screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\" + name;
}
