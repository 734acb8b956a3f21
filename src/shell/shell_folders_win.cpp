// Shell folder services over the real shell.
#include "shell/shell_folders.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>

#include "core/text.h"
#include "shell/com_guard.h"

namespace {

// The widest UTF-16 path the desktop folder is asked to parse, terminator
// included.
const unsigned kMaxWidePath = MAX_PATH;

// The path of an item list into out (MAX_PATH bytes). A path that does not
// fit is no path: the ANSI call may then leave MAX_PATH or MAX_PATH - 1 bytes
// of it unterminated (Wine does), which would name one of its ancestors or a
// folder cut inside a name. The call writes into a buffer that holds no 0
// byte beforehand, and only a terminated result counts.
bool PathOfItem(LPCITEMIDLIST item, char *out) {
  char path[MAX_PATH + 1];
  memset(path, 'x', sizeof path);
  if (SHGetPathFromIDListA(item, path) == FALSE || memchr(path, 0, MAX_PATH) == nullptr) {
    out[0] = 0;
    return false;
  }
  memcpy(out, path, strlen(path) + 1);
  return true;
}

} // namespace

bool SpecialFolderPath(HWND owner, int csidl, char *out) {
  ComGuard<IMalloc> allocator;
  if (SHGetMalloc(allocator.address()) != S_OK || allocator.get() == nullptr) {
    return false;
  }
  ItemListGuard item(allocator.get());
  if (SHGetSpecialFolderLocation(owner, csidl, item.address()) != S_OK || item.get() == nullptr) {
    return false;
  }
  return PathOfItem(item.get(), out);
}

bool CanonicalPath(const char *path, char *out, unsigned size) {
  out[0] = 0;
  ComGuard<IMalloc> allocator;
  if (SHGetMalloc(allocator.address()) != S_OK || allocator.get() == nullptr) {
    return false;
  }
  ComGuard<IShellFolder> desktop;
  if (SHGetDesktopFolder(desktop.address()) != S_OK || desktop.get() == nullptr) {
    return false;
  }
  // A path that does not convert whole is not parsed at all: the conversion
  // fails (returns 0) rather than leave the buffer unterminated.
  WCHAR wide[kMaxWidePath + 2];
  const unsigned units = size < kMaxWidePath ? size : kMaxWidePath;
  if (units == 0 || MultiByteToWideChar(CP_ACP, 0, path, -1, wide, static_cast<int>(units)) <= 0) {
    return false;
  }
  ItemListGuard item(allocator.get());
  ULONG eaten = 0;
  if (desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, item.address(), nullptr) != S_OK ||
      item.get() == nullptr) {
    return false;
  }
  char shellPath[MAX_PATH];
  if (!PathOfItem(item.get(), shellPath) || strlen(shellPath) >= size) {
    return false;
  }
  memcpy(out, shellPath, strlen(shellPath) + 1);
  return true;
}

bool ChooseFolder(HWND owner, UINT flags, const char *title, char *out, const char *initialPath) {
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
  return PathOfItem(item.get(), out);
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
      char path[MAX_PATH];
      const BOOL hasPath = PathOfItem(reinterpret_cast<LPCITEMIDLIST>(parameter), path);
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
