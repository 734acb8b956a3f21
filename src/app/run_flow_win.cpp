// The run flow: the menu-items dialog when nothing on the command line
// exists; otherwise shortcuts to every existing argument in every destination
// folder, then the folders opened.
#include "app/run_flow.h"

#include <windows.h>
#include <shellapi.h>

#include "app/launch_options.h"
#include "app/switches.h"
#include "settings/destination_dialog.h"
#include "settings/menu_items_dialog.h"
#include "shell/shell_folders.h"
#include "shell/shortcut.h"

namespace {

// The UTF-16 form of a destination folder of the list, when it is a
// directory now; null for an entry to pass over.
const WCHAR *FolderNow(const StringListNode *node, WCHAR *buffer) {
  const WCHAR *folder = SystemFolder(StringListText(node), buffer);
  return folder != nullptr && IsDirectoryWide(folder) ? folder : nullptr;
}

} // namespace

int RunFlow(int argc, char **argv, WCHAR *const *wide) {
  LaunchOptions options = {};
  if (!ParseLaunchOptions(argv, argc, &options, wide)) {
    ShowMenuItemsDialog(nullptr);
    StringListDestroy(options.folders);
    return 0;
  }
  const bool destinationsKnown =
      !StringListIsEmpty(options.folders) || options.destinationBits != 0;
  if (!destinationsKnown && !ShowDestinationDialog(nullptr, &options)) {
    StringListDestroy(options.folders);
    return 0;
  }
  ResolveDestinations(options.folders, options.destinationBits);
  WriteAllShortcuts(argc, argv, options.folders, options.dropExtension, wide);
  if (options.openAfter) {
    OpenFolders(options.folders);
  }
  StringListDestroy(options.folders);
  return 0;
}

bool WriteAllShortcuts(int argc, char **argv, const StringList *folders, bool dropExtension,
                       WCHAR *const *wide) {
  for (int i = 1; i < argc; ++i) {
    WCHAR targetBuffer[kSystemPathUnits];
    const WCHAR *target = SystemArgument(argv, wide, i, targetBuffer);
    if (target == nullptr || !PathExistsWide(target)) {
      continue;
    }
    for (StringListNode *node = StringListEnd(folders, kForward); node != nullptr;
         node = StringListStep(node, kForward)) {
      WCHAR folderBuffer[kSystemPathUnits];
      const WCHAR *folder = FolderNow(node, folderBuffer);
      if (folder != nullptr) {
        WriteShortcutWide(target, folder, dropExtension);
      }
    }
  }
  return true;
}

bool OpenFolders(const StringList *folders) {
  for (StringListNode *node = StringListEnd(folders, kForward); node != nullptr;
       node = StringListStep(node, kForward)) {
    WCHAR buffer[kSystemPathUnits];
    const WCHAR *folder = FolderNow(node, buffer);
    if (folder != nullptr) {
      ShellExecuteW(nullptr, L"open", folder, nullptr, nullptr, SW_SHOWNORMAL);
    }
  }
  return true;
}
