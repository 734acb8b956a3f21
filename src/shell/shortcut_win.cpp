// Saving shell link files through the shell's own link object.
#include "shell/shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "shell/com_guard.h"

bool WriteShortcut(const char *target, const char *folder, bool dropExtension) {
  // The link object holds a target of at most MAX_PATH - 1 characters. Given
  // a longer one it still reports success and saves some other, broken
  // target, so such a link is not written at all. The system's own
  // conversion has the last word.
  WCHAR wideTarget[kTargetUnitLimit + 1];
  if (!LinkTargetFits(target) ||
      MultiByteToWideChar(CP_ACP, 0, target, -1, wideTarget, kTargetUnitLimit + 1) <= 0) {
    return false;
  }
  char link[kLinkPathBufferSize];
  if (!BuildLinkPath(link, folder, target, dropExtension)) {
    return false;
  }
  char workingDirectory[kWorkingDirectoryBufferSize];
  if (!BuildWorkingDirectory(workingDirectory, target)) {
    return false;
  }
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
      // The name is saved only when it converts whole into MAX_PATH units
      // and the terminator; the conversion fails (returns 0) otherwise.
      WCHAR wideLink[kLinkPathUnitLimit + 1];
      const int units = MultiByteToWideChar(CP_ACP, 0, link, -1, wideLink, kLinkPathUnitLimit + 1);
      const bool converted = units > 0 && wideLink[units - 1] == 0;
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
