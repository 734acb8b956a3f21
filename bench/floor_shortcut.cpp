// The floor for linkto.exe's one-link job: the same system DLLs, loaded the
// same way (the same import list and manifest), and the same platform calls
// in the same order as "linkto.exe TARGET /sendto /open:0", with none of
// LinkTo's own logic (no splitter, no switch table, no folder list, no trace,
// no checks of names). bench_driver measures linkto.exe against it. Started as
//   floor_shortcut.exe TARGET [ARG ...]
// it saves <last component of TARGET>.lnk into the user's Send To folder,
// pointing at TARGET with TARGET's folder as working directory; every further
// argument is only tested for existence, as linkto.exe tests its switches.
// Exit code: 0, 1 when the link was not saved, 255 for a bad command line.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

namespace {

// linkto.exe imports ADVAPI32 and USER32 for its registry and dialogs; the
// one-link job calls neither, but the loader maps and initialises both at
// start all the same. One import from each, read at start so that neither is
// dropped, makes this program load them too.
decltype(&RegCloseKey) const volatile kRegistryImport = &RegCloseKey;
decltype(&GetParent) const volatile kWindowImport = &GetParent;

bool IsDirectory(const char *path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES &&
         (GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder through its item list, as linkto.exe resolves /sendto.
bool SendToFolder(char *out) {
  IMalloc *allocator = nullptr;
  if (SHGetMalloc(&allocator) != S_OK) {
    return false;
  }
  LPITEMIDLIST item = nullptr;
  bool found = false;
  if (SHGetSpecialFolderLocation(nullptr, CSIDL_SENDTO, &item) == S_OK) {
    found = SHGetPathFromIDListA(item, out) != FALSE;
    allocator->Free(item);
  }
  allocator->Release();
  return found;
}

// The folder's canonical form, parsed by the desktop folder.
bool CanonicalFolder(const char *path, char *out) {
  IMalloc *allocator = nullptr;
  if (SHGetMalloc(&allocator) != S_OK) {
    return false;
  }
  bool parsed = false;
  IShellFolder *desktop = nullptr;
  if (SHGetDesktopFolder(&desktop) == S_OK) {
    WCHAR wide[MAX_PATH];
    LPITEMIDLIST item = nullptr;
    ULONG eaten = 0;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) > 0 &&
        desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, &item, nullptr) == S_OK) {
      parsed = SHGetPathFromIDListA(item, out) != FALSE;
      allocator->Free(item);
    }
    desktop->Release();
  }
  allocator->Release();
  return parsed;
}

bool SaveLink(const char *target, const char *folder) {
  WCHAR wideTarget[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, target, -1, wideTarget, MAX_PATH) <= 0) {
    return false;
  }
  const char *slash = strrchr(target, '\\');
  const char *name = slash != nullptr ? slash + 1 : target;
  char link[MAX_PATH * 2];
  char workingDirectory[MAX_PATH * 2];
  if (strlen(folder) + strlen(name) + 6 > sizeof link ||
      strlen(target) >= sizeof workingDirectory) {
    return false;
  }
  strcpy(link, folder);
  strcat(link, "\\");
  strcat(link, name);
  strcat(link, ".lnk");
  strcpy(workingDirectory, target);
  workingDirectory[name - target > 0 ? name - target - 1 : 0] = '\0';

  CoInitialize(nullptr);
  bool saved = false;
  IShellLinkA *shellLink = nullptr;
  if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                       reinterpret_cast<void **>(&shellLink)) == S_OK) {
    shellLink->SetPath(target);
    shellLink->SetWorkingDirectory(workingDirectory);
    shellLink->SetShowCmd(SW_SHOWNORMAL);
    WCHAR wideLink[MAX_PATH * 2];
    const bool converted = MultiByteToWideChar(CP_ACP, 0, link, -1, wideLink, MAX_PATH * 2) > 0;
    IPersistFile *persistFile = nullptr;
    if (shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&persistFile)) ==
        S_OK) {
      saved = converted && persistFile->Save(wideLink, TRUE) == S_OK;
      persistFile->Release();
    }
    shellLink->Release();
  }
  CoUninitialize();
  return saved;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)showCommand;
  const int argc = __argc;
  char **argv = __argv;
  if (argc < 2 || kRegistryImport == nullptr || kWindowImport == nullptr) {
    return 255;
  }
  InitCommonControls();
  CoInitialize(nullptr);
  // The order of linkto.exe's calls: the target's existence; the folder, its
  // canonical form, both tested as directories; then once more every
  // argument's existence and the folder, and the save.
  bool saved = false;
  char folder[MAX_PATH];
  char canonical[MAX_PATH];
  if (GetFileAttributesA(argv[1]) != INVALID_FILE_ATTRIBUTES && SendToFolder(folder) &&
      IsDirectory(folder) && CanonicalFolder(folder, canonical) && IsDirectory(canonical)) {
    for (int i = 1; i < argc; ++i) {
      if (GetFileAttributesA(argv[i]) != INVALID_FILE_ATTRIBUTES && i == 1 &&
          IsDirectory(canonical)) {
        saved = SaveLink(argv[1], canonical);
      }
    }
  }
  CoUninitialize();
  return saved ? 0 : 1;
}
