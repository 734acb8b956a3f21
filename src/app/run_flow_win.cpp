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

// A destination folder of the list that is a directory now: its code-page
// text, or else its UTF-16 path; false for an entry to pass over.
bool FolderNow(const StringListNode *node, const char **text, const WCHAR **wide) {
  *text = StringListText(node);
  *wide = WideFolderText(*text);
  if (*wide != nullptr) {
    return IsDirectoryWide(*wide);
  }
  return *text != nullptr && IsDirectory(*text);
}

// Writes the link to a target in one of the two forms into a folder in one
// of the two forms. Both in the code page go the code-page way; otherwise
// the code-page one is taken in UTF-16, which it converts to whole.
void WriteShortcutTo(const char *target, const WCHAR *wideTarget, const char *folder,
                     const WCHAR *wideFolder, bool dropExtension) {
  if (wideTarget == nullptr && wideFolder == nullptr) {
    WriteShortcut(target, folder, dropExtension);
    return;
  }
  WCHAR targetUnits[MAX_PATH];
  WCHAR folderUnits[MAX_PATH];
  if (wideTarget == nullptr) {
    if (MultiByteToWideChar(CP_ACP, 0, target, -1, targetUnits, MAX_PATH) <= 0) {
      return;
    }
    wideTarget = targetUnits;
  }
  if (wideFolder == nullptr) {
    if (MultiByteToWideChar(CP_ACP, 0, folder, -1, folderUnits, MAX_PATH) <= 0) {
      return;
    }
    wideFolder = folderUnits;
  }
  WriteShortcutWide(wideTarget, wideFolder, dropExtension);
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
    const WCHAR *wideTarget = WideArgument(wide, i);
    if (wideTarget != nullptr ? !PathExistsWide(wideTarget) : !PathExists(argv[i])) {
      continue;
    }
    for (StringListNode *node = StringListEnd(folders, kForward); node != nullptr;
         node = StringListStep(node, kForward)) {
      const char *folder = nullptr;
      const WCHAR *wideFolder = nullptr;
      if (FolderNow(node, &folder, &wideFolder)) {
        WriteShortcutTo(argv[i], wideTarget, folder, wideFolder, dropExtension);
      }
    }
  }
  return true;
}

bool OpenFolders(const StringList *folders) {
  for (StringListNode *node = StringListEnd(folders, kForward); node != nullptr;
       node = StringListStep(node, kForward)) {
    const char *folder = nullptr;
    const WCHAR *wideFolder = nullptr;
    if (!FolderNow(node, &folder, &wideFolder)) {
      continue;
    }
    if (wideFolder != nullptr) {
      ShellExecuteW(nullptr, L"open", wideFolder, nullptr, nullptr, SW_SHOWNORMAL);
    } else {
      ShellExecuteA(nullptr, "open", folder, nullptr, nullptr, SW_SHOWNORMAL);
    }
  }
  return true;
}
