// Shell folder services over the real shell.
#include "shell/shell_folders.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/code_page.h"
#include "core/text.h"
#include "shell/com_guard.h"

namespace {

// The widest UTF-16 path the desktop folder is asked to parse, terminator
// included.
const unsigned kMaxWidePath = MAX_PATH;
// The browser's title is a line of text, not a path.
const int kCommandUnits = 1025;

// The UTF-16 path of an item list into out (MAX_PATH units). A path that does
// not fit is no path: the call may then leave MAX_PATH or MAX_PATH - 1 units
// of it unterminated, which would name one of its ancestors or a folder cut
// inside a name. The call writes into a buffer that holds no 0 unit
// beforehand, and only a terminated result counts.
bool WidePathOfItem(LPCITEMIDLIST item, WCHAR *out) {
  WCHAR path[MAX_PATH + 1];
  for (WCHAR &unit : path) {
    unit = L'x';
  }
  if (SHGetPathFromIDListW(item, path) == FALSE || wmemchr(path, 0, MAX_PATH) == nullptr) {
    out[0] = 0;
    return false;
  }
  memcpy(out, path, (WideLength(path) + 1) * sizeof(WCHAR));
  return true;
}

} // namespace

bool SpecialFolderPath(HWND owner, int csidl, char *out) {
  WCHAR wide[MAX_PATH];
  if (!SpecialFolderPathWide(owner, csidl, wide)) {
    out[0] = 0;
    return false;
  }
  return CodePageForm(wide, out, MAX_PATH);
}

bool SpecialFolderPathWide(HWND owner, int csidl, WCHAR *out) {
  out[0] = 0;
  ComGuard<IMalloc> allocator;
  if (SHGetMalloc(allocator.address()) != S_OK || allocator.get() == nullptr) {
    return false;
  }
  ItemListGuard item(allocator.get());
  if (SHGetSpecialFolderLocation(owner, csidl, item.address()) != S_OK || item.get() == nullptr) {
    return false;
  }
  return WidePathOfItem(item.get(), out);
}

bool CanonicalPath(const char *path, char *out, unsigned size) {
  out[0] = 0;
  // A path that does not convert whole is not parsed at all: the conversion
  // fails (returns 0) rather than leave the buffer unterminated.
  WCHAR wide[kMaxWidePath + 2];
  const unsigned units = size < kMaxWidePath ? size : kMaxWidePath;
  WCHAR canonical[MAX_PATH];
  return units != 0 && WideFromCodePage(path, wide, static_cast<int>(units)) &&
         CanonicalPathWide(wide, canonical) &&
         CodePageForm(canonical, out, static_cast<int>(size < MAX_PATH ? size : MAX_PATH));
}

bool CanonicalPathWide(const WCHAR *path, WCHAR *out) {
  out[0] = 0;
  ComGuard<IMalloc> allocator;
  if (SHGetMalloc(allocator.address()) != S_OK || allocator.get() == nullptr) {
    return false;
  }
  ComGuard<IShellFolder> desktop;
  if (SHGetDesktopFolder(desktop.address()) != S_OK || desktop.get() == nullptr) {
    return false;
  }
  if (WideLength(path) >= kMaxWidePath) {
    return false;
  }
  ItemListGuard item(allocator.get());
  ULONG eaten = 0;
  if (desktop->ParseDisplayName(nullptr, nullptr, const_cast<WCHAR *>(path), &eaten, item.address(),
                                nullptr) != S_OK ||
      item.get() == nullptr) {
    return false;
  }
  return WidePathOfItem(item.get(), out);
}

bool ChooseFolder(HWND owner, UINT flags, const char *title, char *out, const char *initialPath) {
  WCHAR wide[MAX_PATH];
  return ChooseFolderWide(owner, flags, title, wide, initialPath) &&
         CodePageForm(wide, out, MAX_PATH);
}

bool ChooseFolderWide(HWND owner, UINT flags, const char *title, WCHAR *out,
                      const char *initialPath) {
  ComGuard<IMalloc> allocator;
  if (SHGetMalloc(allocator.address()) != S_OK || allocator.get() == nullptr) {
    return false;
  }
  WCHAR wideTitle[kCommandUnits];
  WCHAR initial[MAX_PATH + 1];
  if (!WideFromCodePage(title != nullptr ? title : "", wideTitle, kCommandUnits) ||
      (initialPath != nullptr && !WideFromCodePage(initialPath, initial, MAX_PATH + 1))) {
    return false;
  }
  BROWSEINFOW info;
  ZeroFill(&info, sizeof info);
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = nullptr;
  info.lpszTitle = wideTitle;
  info.ulFlags = flags | BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = FolderBrowserCallback;
  info.lParam = initialPath != nullptr ? reinterpret_cast<LPARAM>(initial) : 0;
  info.iImage = 0;
  ItemListGuard item(allocator.get());
  item.reset(SHBrowseForFolderW(&info));
  if (item.get() == nullptr) {
    return false;
  }
  return WidePathOfItem(item.get(), out);
}

int CALLBACK FolderBrowserCallback(HWND window, UINT message, LPARAM parameter, LPARAM data) {
  switch (message) {
  case BFFM_INITIALIZED:
    if (data != 0) {
      SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    }
    break;
  case BFFM_SELCHANGED:
    if (parameter != 0) {
      WCHAR path[MAX_PATH];
      const BOOL hasPath = WidePathOfItem(reinterpret_cast<LPCITEMIDLIST>(parameter), path);
      SendMessageW(window, BFFM_ENABLEOK, 0, hasPath ? 1 : 0);
    }
    break;
  default:
    break;
  }
  return 0;
}

// The system's ANSI file calls take a path of at most MAX_PATH units and the
// terminator; the code-page tests keep that limit.
bool PathExists(const char *path) {
  WCHAR wide[MAX_PATH + 1];
  return WideFromCodePage(path, wide, MAX_PATH + 1) && PathExistsWide(wide);
}

bool IsDirectory(const char *path) {
  WCHAR wide[MAX_PATH + 1];
  return WideFromCodePage(path, wide, MAX_PATH + 1) && IsDirectoryWide(wide);
}

bool PathExistsWide(const WCHAR *path) {
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool PathMissingWide(const WCHAR *path) {
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsDirectoryWide(const WCHAR *path) {
  const DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
