// Process entry of linkto.exe.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>

#include "app/dll_search.h"
#include "app/run_flow.h"
#include "app/split.h"
#include "core/code_page.h"
#include "shell/shell_folders.h"
#include "ui/trace.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)showCommand;

  // Before anything else: no DLL from the program's own folder.
  RestrictDllSearch();
  // The command line is read again from the system: it includes the program
  // path, which the entry point's own argument leaves out. It is taken in
  // UTF-16 and brought into code page 932 as the system brings it to an ANSI
  // program of a Japanese system, whatever the system's code page here.
  const WCHAR *wideCommandLine = GetCommandLineW();
  char *codePageLine = DupCodePageFromWide(wideCommandLine);
  int argc = 0;
  char **argv = codePageLine != nullptr ? SplitCommandLine(codePageLine, true, &argc) : nullptr;
  free(codePageLine);
  if (argv == nullptr) {
    return 1;
  }
  for (int i = 0; i < argc; ++i) {
    GetTraceProc()("argv[%2d]=%s\r\n", i, argv[i]);
  }
  // The code-page command line spells what the code page lacks as look-alikes
  // (é as e, the yen sign as a backslash). An argument whose code-page form
  // does not convert back to its UTF-16 form is taken in UTF-16; the others
  // keep their code-page form (their entries are cleared).
  WCHAR **wide = PairWideArguments(argc, wideCommandLine);
  for (int i = 0; wide != nullptr && i < argc; ++i) {
    if (SpellsInCodePage(argv[i], wide[i])) {
      wide[i] = nullptr;
    }
  }
  InitCommonControls();
  CoInitialize(nullptr);
  const int exitCode = RunFlow(argc, argv, wide);
  CoUninitialize();
  free(wide);
  free(argv);
  return exitCode;
}
