// Saving shell link files through the shell's own link object.
#include "shell/shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "core/code_page.h"
#include "shell/com_guard.h"

bool WriteShortcut(const char *target, const char *folder, bool dropExtension) {
  // The link object holds a target of at most MAX_PATH - 1 characters. Given
  // a longer one it still reports success and saves some other, broken
  // target, so such a link is not written at all. The system's own
  // conversion has the last word.
  WCHAR wideTarget[kTargetUnitLimit + 1];
  if (!LinkTargetFits(target) || !WideFromCodePage(target, wideTarget, kTargetUnitLimit + 1)) {
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

bool WriteShortcutWide(const WCHAR *target, const WCHAR *folder, bool dropExtension) {
  WCHAR link[kLinkPathBufferSize];
  WCHAR workingDirectory[kWorkingDirectoryBufferSize];
  return LinkTargetFits(target) && BuildLinkPath(link, folder, target, dropExtension) &&
         BuildWorkingDirectory(workingDirectory, target) &&
         SaveShellLinkWide(link, target, workingDirectory, SW_SHOWNORMAL);
}

bool SaveShellLink(const char *link, const char *target, const char *workingDirectory,
                   int showCommand) {
  // The name is saved only when it converts whole into MAX_PATH units and
  // the terminator.
  WCHAR wideLink[kLinkPathUnitLimit + 1];
  WCHAR wideTarget[kWorkingDirectoryBufferSize];
  WCHAR wideDirectory[kWorkingDirectoryBufferSize];
  return WideFromCodePage(link, wideLink, kLinkPathUnitLimit + 1) &&
         WideFromCodePage(target, wideTarget, kWorkingDirectoryBufferSize) &&
         WideFromCodePage(workingDirectory, wideDirectory, kWorkingDirectoryBufferSize) &&
         SaveShellLinkWide(wideLink, wideTarget, wideDirectory, showCommand);
}

bool SaveShellLinkWide(const WCHAR *link, const WCHAR *target, const WCHAR *workingDirectory,
                       int showCommand) {
  if (WideLength(link) > static_cast<size_t>(kLinkPathUnitLimit)) {
    return false;
  }
  // Each link is saved inside its own COM initialisation, nested in the one
  // the process holds for the whole run.
  CoInitialize(nullptr);
  bool saved = false;
  {
    ComGuard<IShellLinkW> shellLink;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                         shellLink.out()) == S_OK &&
        shellLink.get() != nullptr) {
      shellLink->SetPath(target);
      shellLink->SetWorkingDirectory(workingDirectory);
      shellLink->SetShowCmd(showCommand);
      ComGuard<IPersistFile> persistFile;
      if (shellLink->QueryInterface(IID_IPersistFile, persistFile.out()) == S_OK &&
          persistFile.get() != nullptr) {
        saved = persistFile->Save(link, TRUE) == S_OK;
      }
    }
    // The guards release IPersistFile, then IShellLinkW, before COM goes.
  }
  CoUninitialize();
  return saved;
}
