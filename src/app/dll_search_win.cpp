// Where the process takes its DLLs from: the system folder, never the
// program's own folder or the current directory.
//
// LinkTo is run where it was unpacked, Downloads most often, where a web page
// can drop a file named like a system DLL without asking. Windows looks for a
// DLL that is not one of its KnownDLLs in the program's folder first. So the
// program imports only KERNEL32 and msvcrt at start (the build makes every
// other system DLL a delay import, cmake/delay_imports.cmake), and the entry
// calls RestrictDllSearch before anything else: from then on every DLL loaded
// by name, by the program's delay imports or by the system DLLs on its behalf
// (themes, image lists, the folder browser, COM), comes from the system
// folder.
#include "app/dll_search.h"

#include <windows.h>

namespace {

// DLLs that a system DLL loads by name through its own delay imports, which
// look in the program's folder first whatever the process's search says.
// Each is loaded here from the system folder, so that every later load by
// name finds the one already loaded. A name is added only for a load seen.
const WCHAR *const kLoadedAtEntry[] = {
    // Wine's uxtheme loads it through its delay imports while a dialog draws.
    L"msimg32.dll",
};

typedef BOOL(WINAPI *SetDefaultDllDirectoriesProc)(DWORD);

} // namespace

void RestrictDllSearch() {
  // Windows 7 has the call only with its 2011 update: found by name, so the
  // program still runs without it, with at least the current directory left
  // out of the search.
  const SetDefaultDllDirectoriesProc setDefault =
      reinterpret_cast<SetDefaultDllDirectoriesProc>(reinterpret_cast<void *>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefault == nullptr || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    SetDllDirectoryW(L"");
    return;
  }
  for (const WCHAR *name : kLoadedAtEntry) {
    LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
}
