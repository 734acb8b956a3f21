#include "testbed.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

struct HandleGuard {
  HANDLE handle;
  explicit HandleGuard(HANDLE h) : handle(h) {}
  ~HandleGuard() {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
      CloseHandle(handle);
    }
  }
  HandleGuard(const HandleGuard &) = delete;
  HandleGuard &operator=(const HandleGuard &) = delete;
};

BOOL CALLBACK CancelWindow(HWND window, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId) && IsWindowVisible(window)) {
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  }
  return TRUE;
}

// The file handle that process-start and DLL-load events hand the debugger.
void CloseEventFile(const DEBUG_EVENT &event) {
  HANDLE file = nullptr;
  if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
    file = event.u.CreateProcessInfo.hFile;
  } else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
    file = event.u.LoadDll.hFile;
  }
  if (file != nullptr) {
    CloseHandle(file);
  }
}

} // namespace

std::string UnixToWindowsPath(const char *unixPath) {
  std::string path = "Z:";
  for (const char *p = unixPath; *p != '\0'; ++p) {
    path += *p == '/' ? '\\' : *p;
  }
  return path;
}

namespace {
std::string programUnderTest;
} // namespace

std::string LinktoExe() {
  return programUnderTest.empty() ? UnixToWindowsPath(LINKTO_EXE_UNIX_PATH) : programUnderTest;
}

void SetProgramUnderTest(const std::string &windowsPath) {
  programUnderTest = windowsPath;
}

std::string TestProgram(const char *name) {
  return UnixToWindowsPath(LINKTO_TEST_PROGRAMS_UNIX_DIR) + "\\" + name + ".exe";
}

std::string Quoted(const std::string &text) {
  return "\"" + text + "\"";
}

namespace {

// Calls start (one CreateProcess) again, with a note, while it fails with
// ERROR_INTERNAL_ERROR, at most kStartAttempts times.
template <typename Start> bool StartWithRetries(Start start) {
  for (int attempt = 1;; ++attempt) {
    if (start()) {
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == kStartAttempts) {
      return false; // the caller reads GetLastError
    }
    printf("note: the new process died while starting (CreateProcess error %lu), start %d of %d\n",
           static_cast<unsigned long>(error), attempt, kStartAttempts);
    fflush(stdout);
  }
}

} // namespace

bool StartProcess(const std::string &program, const std::string &commandLine, DWORD flags,
                  PROCESS_INFORMATION *info) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return StartWithRetries([&] {
    std::vector<char> line(commandLine.begin(),
                           commandLine.end()); // CreateProcessA may write into it
    line.push_back('\0');
    return CreateProcessA(program.empty() ? nullptr : program.c_str(), line.data(), nullptr,
                          nullptr, FALSE, flags, nullptr, nullptr, &startup, info) != FALSE;
  });
}

bool StartProcessWide(const std::wstring &commandLine, DWORD flags, PROCESS_INFORMATION *info) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  return StartWithRetries([&] {
    std::vector<WCHAR> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                          &startup, info) != FALSE;
  });
}

const SystemLocale kJapaneseSystem = {"cp932", L"ja_JP.UTF-8", nullptr, 932, true};
const SystemLocale kWesternSystem = {"cp1252", L"ja_JP.UTF-8", L"en_US.UTF-8", 1252, true};
const SystemLocale kUtf8System = {"cp65001", L"ja_JP.UTF-8", L"hi_IN.UTF-8", 65001, true};
const SystemLocale kEnglishSystem = {"English", L"en_US.UTF-8", nullptr, 1252, false};
const SystemLocale kGermanSystem = {"German", L"de_DE.UTF-8", nullptr, 1252, false};

namespace {

const SystemLocale *programLocale = &kJapaneseSystem;

// The environment block of this process with the locale variables of
// locale, and extra variables, in place of its own.
std::vector<WCHAR> LocaleEnvironment(const SystemLocale &locale,
                                     const std::vector<std::wstring> &extra) {
  std::vector<WCHAR> block;
  const WCHAR *own = GetEnvironmentStringsW();
  for (const WCHAR *entry = own; entry != nullptr && *entry != 0; entry += wcslen(entry) + 1) {
    const std::wstring text = entry;
    bool dropped = false;
    for (const wchar_t *name : {L"LC_ALL=", L"LANG=", L"LC_CTYPE=", L"LC_MESSAGES="}) {
      dropped = dropped || text.compare(0, wcslen(name), name) == 0;
    }
    if (!dropped) {
      block.insert(block.end(), text.begin(), text.end());
      block.push_back(0);
    }
  }
  FreeEnvironmentStringsW(const_cast<WCHAR *>(own));
  std::vector<std::wstring> added = extra;
  added.push_back(std::wstring(L"LANG=") + locale.lang);
  if (locale.ctype != nullptr) {
    added.push_back(std::wstring(L"LC_CTYPE=") + locale.ctype);
  }
  for (const std::wstring &text : added) {
    block.insert(block.end(), text.begin(), text.end());
    block.push_back(0);
  }
  block.push_back(0);
  return block;
}

std::string ReadSmallFile(const std::wstring &path) {
  std::string text;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return text;
  }
  char buffer[256];
  DWORD read = 0;
  if (ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
    text.assign(buffer, read);
  }
  CloseHandle(file);
  return text;
}

} // namespace

std::wstring UnixNameOf(const std::wstring &path) {
  typedef char *(CDECL * UnixName)(const WCHAR *);
  const UnixName toUnix = reinterpret_cast<UnixName>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char *unixPath = toUnix == nullptr ? nullptr : toUnix(path.c_str());
  if (unixPath == nullptr) {
    return std::wstring();
  }
  std::vector<WCHAR> name(strlen(unixPath) + 1);
  const int units =
      MultiByteToWideChar(CP_UTF8, 0, unixPath, -1, name.data(), static_cast<int>(name.size()));
  HeapFree(GetProcessHeap(), 0, unixPath);
  return units > 0 ? std::wstring(name.data()) : std::wstring();
}

void SetProgramLocale(const SystemLocale &locale) {
  programLocale = &locale;
}

const SystemLocale &ProgramLocale() {
  return *programLocale;
}

namespace {

// One start through the launcher. False with ERROR_INTERNAL_ERROR when the
// launcher, or the program it started, died while starting: a busy Wine does
// that to any new process, and this one is a Unix process's child, which no
// CreateProcess error tells of.
bool LaunchOnce(const SystemLocale &locale, const std::wstring &commandLine,
                PROCESS_INFORMATION *info) {
  static unsigned launches = 0;
  const std::wstring id =
      std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++launches);
  const std::wstring eventName = L"LinkToLaunch-" + id;
  WCHAR temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring report = std::wstring(temp) + L"linkto-launch-" + id + L".txt";
  DeleteFileW(report.c_str());
  const std::wstring unixReport = UnixNameOf(report);
  HandleGuard held(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
  std::vector<WCHAR> environment =
      LocaleEnvironment(locale, {L"LINKTO_LAUNCH=" + commandLine, L"LINKTO_LAUNCH_REPORT=" + report,
                                 L"LINKTO_LAUNCH_EVENT=" + eventName});
  // A Unix program started from here gets its Unix environment, and with it
  // its locale, from the Windows environment; a Windows program would take
  // this process's own. The shell around the launcher removes the report
  // once the launcher has ended, or writes "ended <status>" there when the
  // launcher ended without one.
  std::wstring line =
      L"Z:\\bin\\sh -c \"/usr/bin/wine \\\"$1\\\"; s=$?; if [ -e \\\"$2\\\" ]; then /bin/rm -f "
      L"\\\"$2\\\"; else echo ended $s >\\\"$2\\\"; fi\" sh \"" +
      WideOf(LINKTO_TEST_PROGRAMS_UNIX_DIR "/locale_launcher.exe") + L"\" \"" + unixReport + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION unix = {};
  if (held.handle == nullptr || unixReport.empty() ||
      !CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                      environment.data(), nullptr, &startup, &unix)) {
    printf("note: the launcher did not start (error %lu)\n",
           static_cast<unsigned long>(GetLastError()));
    return false;
  }
  // A Unix process gives no handles; the report says how the start went.
  std::string text;
  const DWORD start = GetTickCount();
  while ((text = ReadSmallFile(report)).empty()) {
    if (GetTickCount() - start > kProcessWaitMs) {
      printf("note: waited %lu ms for the launcher's report %ls\n",
             static_cast<unsigned long>(kProcessWaitMs), report.c_str());
      SetLastError(ERROR_TIMEOUT);
      return false;
    }
    Sleep(20);
  }
  if (text.compare(0, 6, "ended ") == 0) {
    DeleteFileW(report.c_str());
    printf("note: the launcher on %s ended without a report (status %s)\n", locale.name,
           text.substr(6, text.find('\n') - 6).c_str());
    SetLastError(ERROR_INTERNAL_ERROR);
    return false;
  }
  unsigned long pid = 0;
  unsigned codePage = 0;
  unsigned long error = 0;
  bool opened = false;
  if (sscanf(text.c_str(), "%lu %u", &pid, &codePage) == 2 && codePage == locale.codePage) {
    info->dwProcessId = pid;
    info->dwThreadId = 0;
    info->hThread = nullptr;
    info->hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    opened = info->hProcess != nullptr;
  }
  SetEvent(held.handle); // the launcher lets go of the process, and ends
  if (opened) {
    return true;
  }
  if (sscanf(text.c_str(), "error %lu", &error) == 1) {
    SetLastError(error);
    return false;
  }
  printf("note: the launcher on %s reported \"%s\", not a process on code page %u\n", locale.name,
         text.c_str(), locale.codePage);
  SetLastError(ERROR_INVALID_DATA);
  return false;
}

} // namespace

bool StartProcessOn(const SystemLocale &locale, const std::wstring &commandLine,
                    PROCESS_INFORMATION *info) {
  return StartWithRetries([&] { return LaunchOnce(locale, commandLine, info); });
}

std::wstring WideOf(const std::string &text) {
  std::vector<WCHAR> wide(text.size() + 1);
  const int units =
      MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  return units > 0 ? std::wstring(wide.data()) : std::wstring();
}

std::string CodePageOf(const std::wstring &text) {
  std::vector<char> bytes(2 * text.size() + 1);
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(),
                                       static_cast<int>(bytes.size()), nullptr, nullptr);
  return size > 0 ? std::string(bytes.data()) : std::string();
}

ProcessResult RunProcess(const std::string &commandLine, DWORD timeoutMs) {
  ProcessResult result;
  PROCESS_INFORMATION info = {};
  if (!StartProcess(std::string(), commandLine, 0, &info)) {
    result.startError = GetLastError();
    return result;
  }
  HandleGuard process(info.hProcess);
  HandleGuard thread(info.hThread);
  result.started = true;
  if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    result.timedOut = true;
    TerminateProcess(info.hProcess, 255);
    WaitForSingleObject(info.hProcess, 5000);
  }
  GetExitCodeProcess(info.hProcess, &result.exitCode);
  return result;
}

void CancelWindowsOf(DWORD processId) {
  EnumWindows(CancelWindow, static_cast<LPARAM>(processId));
}

namespace {

// Debugs the process that started (if it did) until it ends.
DebugRun DebugStarted(bool started, const PROCESS_INFORMATION &info, DWORD timeoutMs) {
  DebugRun run;
  if (!started) {
    run.process.startError = GetLastError();
    return run;
  }
  HandleGuard process(info.hProcess);
  HandleGuard thread(info.hThread);
  run.process.started = true;
  const DWORD deadline = GetTickCount() + timeoutMs;
  for (;;) {
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(deadline - now) <= 0) {
      run.process.timedOut = true;
      TerminateProcess(info.hProcess, 255);
      DebugActiveProcessStop(info.dwProcessId);
      break;
    }
    DEBUG_EVENT event = {};
    if (!WaitForDebugEvent(&event, 100)) {
      CancelWindowsOf(info.dwProcessId);
      continue;
    }
    DWORD continueStatus = DBG_CONTINUE;
    if (event.dwProcessId != info.dwProcessId) {
      // Left from an earlier run on this thread, such as a process whose
      // start failed after the debugger was attached: never this run's.
      printf("note: debug event %lu of process %lu, not of this run's %lu, ignored\n",
             static_cast<unsigned long>(event.dwDebugEventCode),
             static_cast<unsigned long>(event.dwProcessId),
             static_cast<unsigned long>(info.dwProcessId));
      CloseEventFile(event);
      ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
      continue;
    }
    switch (event.dwDebugEventCode) {
    case CREATE_PROCESS_DEBUG_EVENT:
    case LOAD_DLL_DEBUG_EVENT:
      CloseEventFile(event);
      break;
    case OUTPUT_DEBUG_STRING_EVENT: {
      const OUTPUT_DEBUG_STRING_INFO &out = event.u.DebugString;
      std::vector<char> text(out.nDebugStringLength + 1u, '\0');
      SIZE_T read = 0;
      if (!out.fUnicode && ReadProcessMemory(info.hProcess, out.lpDebugStringData, text.data(),
                                             out.nDebugStringLength, &read)) {
        run.debugStrings.emplace_back(text.data());
      }
      break;
    }
    case EXCEPTION_DEBUG_EVENT:
      if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
        continueStatus = DBG_EXCEPTION_NOT_HANDLED;
      }
      break;
    default:
      break;
    }
    const bool exited = event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
    if (exited) {
      run.process.exitCode = event.u.ExitProcess.dwExitCode;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
    if (exited) {
      break;
    }
  }
  WaitForSingleObject(info.hProcess, 5000);
  return run;
}

} // namespace

DebugRun RunUnderDebugger(const std::string &program, const std::string &commandLine,
                          DWORD timeoutMs) {
  PROCESS_INFORMATION info = {};
  const bool started = StartProcess(program, commandLine, DEBUG_ONLY_THIS_PROCESS, &info);
  return DebugStarted(started, info, timeoutMs);
}

DebugRun RunUnderDebuggerWide(const std::wstring &commandLine, DWORD timeoutMs) {
  PROCESS_INFORMATION info = {};
  const bool started = StartProcessWide(commandLine, DEBUG_ONLY_THIS_PROCESS, &info);
  return DebugStarted(started, info, timeoutMs);
}
