// Saving shell link files through the shell's own link object.
#include "shell/shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

#include "shell/com_guard.h"

bool WriteShortcut(const char *target, const char *folder, bool dropExtension) {
  // The link object holds a target of at most MAX_PATH - 1 characters. Given
  // a longer one it still reports success and saves some other, broken
  // target, so such a link is not written at all.
  if (strlen(target) >= static_cast<size_t>(kPathBufferSize - 1)) {
    return false;
  }
  char link[kLinkPathBufferSize];
  if (!BuildLinkPath(link, folder, target, dropExtension)) {
    return false;
  }
  char workingDirectory[kPathBufferSize];
  BuildWorkingDirectory(workingDirectory, target);
  return SaveShellLink(link, target, workingDirectory, SW_SHOWNORMAL);
}

bool SaveShellLink(const char *link, const char *target, const char *workingDirectory,
                   int showCommand) {
  // Each link is saved inside its own COM initialisation, nested in the one
  // the process holds for the whole run.
  CoInitialize(nullptr);
  bool saved = false;
  {
    ComGuard<IShellLinkA> shellLink;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         shellLink.out()) == S_OK &&
        shellLink.get() != nullptr) {
      shellLink->SetPath(target);
      shellLink->SetWorkingDirectory(workingDirectory);
      shellLink->SetShowCmd(showCommand);
      // 260 bytes of code-page text never take more than 260 UTF-16 units;
      // a name that does not convert whole is not saved under any name.
      WCHAR wideLink[kPathBufferSize + 1];
      const bool converted =
          strlen(link) < static_cast<size_t>(kPathBufferSize) &&
          MultiByteToWideChar(CP_ACP, 0, link, -1, wideLink, kPathBufferSize) > 0;
      ComGuard<IPersistFile> persistFile;
      if (shellLink->QueryInterface(IID_IPersistFile, persistFile.out()) == S_OK &&
          persistFile.get() != nullptr) {
        saved = converted && persistFile->Save(wideLink, TRUE) == S_OK;
      }
    }
    // The guards release IPersistFile, then IShellLinkA, before COM goes.
  }
  CoUninitialize();
  return saved;
}
