// The least a program can do to save shortcuts with the shell's link object:
// the yardstick that bench_driver measures linkto.exe against. Started as
//   bare_shortcut.exe M FOLDER_1 .. FOLDER_M TARGET_1 .. TARGET_N
// it saves FOLDER_j\<last component of TARGET_i>.lnk for every target and
// every folder, targets outside and folders inside, each pointing at the
// target with the target's folder as working directory. One COM
// initialisation for the whole run, one link object per link, no checks of
// the paths. Exit code: the number of links not saved, or 255 for a bad
// command line.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

namespace {

const char *LastComponent(const char *path) {
  const char *slash = strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

bool SaveLink(const char *target, const char *folder) {
  char link[MAX_PATH * 2];
  char workingDirectory[MAX_PATH * 2];
  const char *name = LastComponent(target);
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

  WCHAR wideLink[MAX_PATH * 2];
  if (MultiByteToWideChar(CP_ACP, 0, link, -1, wideLink, MAX_PATH * 2) <= 0) {
    return false;
  }
  IShellLinkA *shellLink = nullptr;
  if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                       reinterpret_cast<void **>(&shellLink)) != S_OK) {
    return false;
  }
  shellLink->SetPath(target);
  shellLink->SetWorkingDirectory(workingDirectory);
  shellLink->SetShowCmd(SW_SHOWNORMAL);
  bool saved = false;
  IPersistFile *persistFile = nullptr;
  if (shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&persistFile)) ==
      S_OK) {
    saved = persistFile->Save(wideLink, TRUE) == S_OK;
    persistFile->Release();
  }
  shellLink->Release();
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
  if (argc < 3) {
    return 255;
  }
  const int folders = atoi(argv[1]);
  if (folders < 1 || folders > argc - 3) {
    return 255;
  }
  CoInitialize(nullptr);
  int failed = 0;
  for (int t = 2 + folders; t < argc; ++t) {
    for (int f = 2; f < 2 + folders; ++f) {
      if (!SaveLink(argv[t], argv[f])) {
        ++failed;
      }
    }
  }
  CoUninitialize();
  return failed < 255 ? failed : 254;
}
