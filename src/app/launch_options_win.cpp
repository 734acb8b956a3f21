// Parsing the command line into the options of a run, and resolving the
// destination bits into folders.
#include "app/launch_options.h"

#include <windows.h>

#include <cstring>

#include "app/switches.h"
#include "core/code_page.h"
#include "core/text.h"
#include "shell/shell_folders.h"

bool ParseLaunchOptions(char **argv, int argc, LaunchOptions *options, WCHAR *const *wide) {
  options->dropExtension = false;
  options->destinationBits = 0;
  options->openAfter = true;
  options->folders = StringListCreate();
  if (options->folders == nullptr) {
    return false;
  }
  bool anyPath = false;
  for (int i = 1; i < argc && !anyPath; ++i) {
    WCHAR buffer[kSystemPathUnits];
    const WCHAR *path = SystemArgument(argv, wide, i, buffer);
    anyPath = path != nullptr && PathExistsWide(path);
  }
  if (!anyPath) {
    return false;
  }
  for (int i = 1; i < argc; ++i) {
    const WCHAR *outside = WideArgument(wide, i);
    if (outside != nullptr) {
      const WCHAR *folder = WideSkipPrefixNoCase(outside, kPathFolderPrefix);
      if (folder != nullptr) {
        AddFolderWide(options->folders, folder);
      }
      continue;
    }
    const char *folder = ApplySwitch(argv[i], options);
    if (folder != nullptr) {
      AddFolder(options->folders, folder);
    }
  }
  if ((options->destinationBits & kDestinationBrowse) != 0) {
    WCHAR chosen[MAX_PATH] = {};
    if (ChooseFolderWide(nullptr, 0, "", chosen, "")) {
      AddFolderWide(options->folders, chosen);
    }
  }
  return true;
}

const WCHAR *SystemArgument(char **argv, WCHAR *const *wide, int i, WCHAR *buffer) {
  const WCHAR *outside = WideArgument(wide, i);
  if (outside != nullptr) {
    return outside;
  }
  return WideFromCodePage(argv[i], buffer, kSystemPathUnits) ? buffer : nullptr;
}

const WCHAR *SystemFolder(const char *entry, WCHAR *buffer) {
  const WCHAR *outside = WideFolderText(entry);
  if (outside != nullptr) {
    return outside;
  }
  return entry != nullptr && WideFromCodePage(entry, buffer, kSystemPathUnits) ? buffer : nullptr;
}

int32_t AddFolder(StringList *folders, const char *path) {
  if (!IsDirectory(path)) {
    return -1;
  }
  char canonical[kPathBufferSize];
  if (!CanonicalPath(path, canonical, kPathBufferSize)) {
    return -1;
  }
  if (!IsDirectory(canonical)) {
    return -1;
  }
  return AppendFolderOnce(folders, canonical);
}

int32_t AddFolderWide(StringList *folders, const WCHAR *path) {
  // Twice MAX_PATH bytes hold the code-page form of any path the shell takes,
  // so only a name the code page cannot spell fails here.
  char text[2 * MAX_PATH + 1];
  if (CodePageForm(path, text, sizeof text)) {
    return AddFolder(folders, text);
  }
  WCHAR canonical[MAX_PATH];
  if (!IsDirectoryWide(path) || !CanonicalPathWide(path, canonical) ||
      !IsDirectoryWide(canonical)) {
    return -1;
  }
  // The shell's form may be spelt in the code page after all (C:\dést\..).
  if (CodePageForm(canonical, text, sizeof text)) {
    return strlen(text) < MAX_PATH ? AppendFolderOnce(folders, text) : -1;
  }
  return AppendWideFolderOnce(folders, canonical);
}

bool ResolveDestinations(StringList *folders, uint32_t destinationBits) {
  WCHAR path[MAX_PATH];
  for (const FolderSwitch &row : kFolderSwitches) {
    if ((destinationBits & row.mask) != 0 && SpecialFolderPathWide(nullptr, row.csidl, path)) {
      AddFolderWide(folders, path);
    }
  }
  WCHAR quickLaunch[MAX_PATH];
  if ((destinationBits & kDestinationQuickLaunch) != 0 &&
      SpecialFolderPathWide(nullptr, kCsidlAppData, path) &&
      JoinWidePath(quickLaunch, MAX_PATH, path, kQuickLaunchRelative)) {
    AddFolderWide(folders, quickLaunch);
  }
  return true;
}
