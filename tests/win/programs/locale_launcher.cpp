// Starts a program on another system of the bed: the tests start this
// launcher as a Unix process (Wine builds its Unix environment, and with it
// the locale, from the Windows environment it is given), and every Windows
// process it starts runs under that locale: the system code page from
// LC_CTYPE, the display language from LANG. It takes from its environment
//   LINKTO_LAUNCH        the UTF-16 command line to start
//   LINKTO_LAUNCH_REPORT a file to write "<pid> <its own code page>" into
//                        once the program has started ("error <code>" when
//                        it could not be started)
//   LINKTO_LAUNCH_EVENT  an event that the test sets once it has read the
//                        report (and holds the new process); the launcher
//                        keeps the process, and the report, until then.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::wstring Take(const wchar_t *name) {
  wchar_t value[32768];
  const DWORD length = GetEnvironmentVariableW(name, value, 32768);
  SetEnvironmentVariableW(name, nullptr);
  return length > 0 && length < 32768 ? std::wstring(value, length) : std::wstring();
}

// Writes the line whole, under a temporary name first, so the test never
// reads half of it.
void Report(const std::wstring &path, const char *line) {
  const std::wstring partial = path + L".part";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
  CloseHandle(file);
  MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

} // namespace

int main() {
  std::wstring command = Take(L"LINKTO_LAUNCH");
  const std::wstring report = Take(L"LINKTO_LAUNCH_REPORT");
  const std::wstring eventName = Take(L"LINKTO_LAUNCH_EVENT");
  if (command.empty() || report.empty() || eventName.empty()) {
    return 2;
  }
  HANDLE held = OpenEventW(SYNCHRONIZE, FALSE, eventName.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  char line[64];
  if (held == nullptr || !CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                         nullptr, &startup, &info)) {
    snprintf(line, sizeof line, "error %lu", static_cast<unsigned long>(GetLastError()));
    Report(report, line);
    if (held != nullptr) {
      WaitForSingleObject(held, 600000);
      CloseHandle(held);
    }
    return 1;
  }
  snprintf(line, sizeof line, "%lu %u", static_cast<unsigned long>(info.dwProcessId), GetACP());
  Report(report, line);
  WaitForSingleObject(held, 600000);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  CloseHandle(held);
  return 0;
}
