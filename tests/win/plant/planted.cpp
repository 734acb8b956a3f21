// The DLL that the tests drop beside a copy of linkto.exe under the names of
// system DLLs: when the loader runs it, it leaves a file beside itself, its
// own path with ".ran" added, and does nothing else.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    WCHAR path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcpyW(path + length, L".ran");
      const HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
      if (mark != INVALID_HANDLE_VALUE) {
        CloseHandle(mark);
      }
    }
  }
  return TRUE;
}
