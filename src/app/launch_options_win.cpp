// Parsing the command line into the options of a run, and resolving the
// destination bits into folders.
#include "app/launch_options.h"

#include <windows.h>

#include "app/switches.h"
#include "core/text.h"
#include "shell/shell_folders.h"

bool ParseLaunchOptions(char **argv, int argc, LaunchOptions *options) {
  options->dropExtension = false;
  options->destinationBits = 0;
  options->openAfter = true;
  options->folders = StringListCreate();
  if (options->folders == nullptr) {
    return false;
  }
  bool anyPath = false;
  for (int i = 1; i < argc && !anyPath; ++i) {
    anyPath = PathExists(argv[i]);
  }
  if (!anyPath) {
    return false;
  }
  for (int i = 1; i < argc; ++i) {
    const char *folder = ApplySwitch(argv[i], options);
    if (folder != nullptr) {
      AddFolder(options->folders, folder);
    }
  }
  if ((options->destinationBits & kDestinationBrowse) != 0) {
    char chosen[kPathBufferSize] = {};
    if (ChooseFolder(nullptr, 0, "", chosen, "")) {
      AddFolder(options->folders, chosen);
    }
  }
  return true;
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

bool ResolveDestinations(StringList *folders, uint32_t destinationBits) {
  char path[kPathBufferSize];
  for (const FolderSwitch &row : kFolderSwitches) {
    if ((destinationBits & row.mask) != 0 && SpecialFolderPath(nullptr, row.csidl, path)) {
      AddFolder(folders, path);
    }
  }
  if ((destinationBits & kDestinationQuickLaunch) != 0 &&
      SpecialFolderPath(nullptr, kCsidlAppData, path)) {
    char quickLaunch[kPathBufferSize];
    JoinPath(quickLaunch, kPathBufferSize, path, kQuickLaunchRelative);
    AddFolder(folders, quickLaunch);
  }
  return true;
}
