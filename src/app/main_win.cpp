// Process entry of linkto.exe.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>

#include "app/run_flow.h"
#include "app/split.h"
#include "ui/trace.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)showCommand;

  // The command line is read again from the system: it includes the program
  // path, which the entry point's own argument leaves out.
  int argc = 0;
  char **argv = SplitCommandLine(GetCommandLineA(), true, &argc);
  if (argv == nullptr) {
    return 1;
  }
  for (int i = 0; i < argc; ++i) {
    GetTraceProc()("argv[%2d]=%s\r\n", i, argv[i]);
  }
  InitCommonControls();
  CoInitialize(nullptr);
  const int exitCode = RunFlow(argc, argv);
  CoUninitialize();
  free(argv);
  return exitCode;
}
