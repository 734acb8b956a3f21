// The run flow: the menu-items dialog when nothing on the command line
// exists; otherwise shortcuts to every existing argument in every destination
// folder, then the folders opened.
#include "app/run_flow.h"

#include <windows.h>
#include <shellapi.h>

#include "app/launch_options.h"
#include "settings/destination_dialog.h"
#include "settings/menu_items_dialog.h"
#include "shell/shell_folders.h"
#include "shell/shortcut.h"

int RunFlow(int argc, char **argv) {
  LaunchOptions options = {};
  if (!ParseLaunchOptions(argv, argc, &options)) {
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
  WriteAllShortcuts(argc, argv, options.folders, options.dropExtension);
  if (options.openAfter) {
    OpenFolders(options.folders);
  }
  StringListDestroy(options.folders);
  return 0;
}

bool WriteAllShortcuts(int argc, char **argv, const StringList *folders, bool dropExtension) {
  for (int i = 1; i < argc; ++i) {
    if (!PathExists(argv[i])) {
      continue;
    }
    for (StringListNode *node = StringListEnd(folders, kForward); node != nullptr;
         node = StringListStep(node, kForward)) {
      const char *folder = StringListText(node);
      if (folder != nullptr && IsDirectory(folder)) {
        WriteShortcut(argv[i], folder, dropExtension);
      }
    }
  }
  return true;
}

bool OpenFolders(const StringList *folders) {
  for (StringListNode *node = StringListEnd(folders, kForward); node != nullptr;
       node = StringListStep(node, kForward)) {
    const char *folder = StringListText(node);
    if (folder != nullptr && IsDirectory(folder)) {
      ShellExecuteA(nullptr, "open", folder, nullptr, nullptr, SW_SHOWNORMAL);
    }
  }
  return true;
}
