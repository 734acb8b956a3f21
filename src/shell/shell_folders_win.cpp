// Shell folder services over the real shell.
#include "shell/shell_folders.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/text.h"
#include "shell/com_guard.h"

namespace {

// The widest UTF-16 path the desktop folder is asked to parse, terminator
// included.
const unsigned kMaxWidePath = MAX_PATH;

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
  return units != 0 &&
         MultiByteToWideChar(CP_ACP, 0, path, -1, wide, static_cast<int>(units)) > 0 &&
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
  BROWSEINFOA info;
  ZeroFill(&info, sizeof info);
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = nullptr;
  info.lpszTitle = title;
  info.ulFlags = flags | BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = FolderBrowserCallback;
  info.lParam = reinterpret_cast<LPARAM>(initialPath);
  info.iImage = 0;
  ItemListGuard item(allocator.get());
  item.reset(SHBrowseForFolderA(&info));
  if (item.get() == nullptr) {
    return false;
  }
  return WidePathOfItem(item.get(), out);
}

int CALLBACK FolderBrowserCallback(HWND window, UINT message, LPARAM parameter, LPARAM data) {
  switch (message) {
  case BFFM_INITIALIZED:
    if (data != 0) {
      SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    }
    break;
  case BFFM_SELCHANGED:
    if (parameter != 0) {
      WCHAR path[MAX_PATH];
      const BOOL hasPath = WidePathOfItem(reinterpret_cast<LPCITEMIDLIST>(parameter), path);
      SendMessageA(window, BFFM_ENABLEOK, 0, hasPath ? 1 : 0);
    }
    break;
  default:
    break;
  }
  return 0;
}

bool PathExists(const char *path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const char *path) {
  return PathExists(path) && (GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathExistsWide(const WCHAR *path) {
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectoryWide(const WCHAR *path) {
  const DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool SpellsInCodePage(const char *text, const WCHAR *wide) {
  const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (units <= 0 || static_cast<size_t>(units) != WideLength(wide) + 1) {
    return false;
  }
  WCHAR local[MAX_PATH + 1];
  WCHAR *back = units <= MAX_PATH + 1 ? local : static_cast<WCHAR *>(malloc(units * sizeof(WCHAR)));
  const bool same = back != nullptr &&
                    MultiByteToWideChar(CP_ACP, 0, text, -1, back, units) == units &&
                    memcmp(back, wide, units * sizeof(WCHAR)) == 0;
  if (back != local) {
    free(back);
  }
  return same;
}

bool CodePageForm(const WCHAR *wide, char *out, int size) {
  if (WideCharToMultiByte(CP_ACP, 0, wide, -1, out, size, nullptr, nullptr) <= 0 ||
      !SpellsInCodePage(out, wide)) {
    out[0] = 0;
    return false;
  }
  return true;
}
