// What the Windows tests share: paths of the programs under test, and
// starting a process with or without a debugger attached.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A Unix path of the build as Wine sees it (drive Z: maps the Unix root).
std::string UnixToWindowsPath(const char *unixPath);
// The program under test, build/win64/linkto.exe, as a Windows path.
std::string LinktoExe();
// Makes LinktoExe() name another build of the program (a Windows path) for
// the rest of the test program; an empty path names linkto.exe again.
void SetProgramUnderTest(const std::string &windowsPath);
// A helper program of tests/win/programs, by name without ".exe".
std::string TestProgram(const char *name);
// A text in double quotes.
std::string Quoted(const std::string &text);

// How long a test lets one run of a program take before it counts as hung:
// generous, since a run on a busy machine that is still filling font caches
// can take many seconds; a passing run never waits it out. The 32-bit build
// is run under CPU emulation (tools/test32), where a process start alone
// takes one to two and a half minutes.
#if defined(LINKTO_TESTS_EMULATED)
constexpr DWORD kProcessWaitMs = 900000;
#else
constexpr DWORD kProcessWaitMs = 120000;
#endif

// How often a start is tried when the new process dies before it has finished
// starting. A busy Wine does that now and then (CreateProcess then fails with
// ERROR_INTERNAL_ERROR, and under a debugger only the exit event of the dead
// process arrives, later); a program under test has not run at all then.
constexpr int kStartAttempts = 3;

// CreateProcessA with default start-up information and no inherited handles,
// started again (with a note) while it fails with ERROR_INTERNAL_ERROR, at
// most kStartAttempts times. Any other failure is returned at once, with
// GetLastError telling it.
bool StartProcess(const std::string &program, const std::string &commandLine, DWORD flags,
                  PROCESS_INFORMATION *info);

// The same with a UTF-16 command line (CreateProcessW), as the shell starts a
// program; its first token names the program.
bool StartProcessWide(const std::wstring &commandLine, DWORD flags, PROCESS_INFORMATION *info);

// The Unix name of a Windows path, as UTF-16 (the way a command line reaches
// a Unix program under Wine), or empty.
std::wstring UnixNameOf(const std::wstring &path);

// text in UTF-16 (from the code page), and back (with the system's look-alikes
// for what the code page lacks, as a program of the code page receives it).
std::wstring WideOf(const std::string &text);
std::string CodePageOf(const std::wstring &text);

// A system the program under test may run on, as Wine takes it from the
// Unix locale of the process: the display language from LANG, the system
// code page from LC_CTYPE. The bed itself is the first: Japanese on code
// page 932.
struct SystemLocale {
  const char *name;     // for test names
  const wchar_t *lang;  // LANG
  const wchar_t *ctype; // LC_CTYPE; null: the display language's own
  UINT codePage;        // the system code page it gives
  bool japanese;        // the display language is Japanese
};
extern const SystemLocale kJapaneseSystem; // code page 932
extern const SystemLocale kWesternSystem;  // a Japanese user on code page 1252
extern const SystemLocale kUtf8System;     // Windows' UTF-8 option: 65001
extern const SystemLocale kEnglishSystem;  // English, code page 1252
extern const SystemLocale kGermanSystem;   // German (no resources of its own), 1252

// Makes the runs of linkto.exe start on locale for the rest of the test
// program, until it is set again.
void SetProgramLocale(const SystemLocale &locale);
const SystemLocale &ProgramLocale();

// Starts commandLine (UTF-16, its first token names the program) on the
// system that locale describes, through locale_launcher.exe, with no
// debugger. info receives a handle of the process (no thread handle). Like
// StartProcess, it starts again (with a note) when the launcher or the
// program died while starting. False when it could not be started, or when
// the launcher did not run on the locale's code page (the run would prove
// nothing); a note says why.
bool StartProcessOn(const SystemLocale &locale, const std::wstring &commandLine,
                    PROCESS_INFORMATION *info);

struct ProcessResult {
  bool started = false;
  DWORD startError = 0; // GetLastError of the failed CreateProcess, when not started
  bool timedOut = false;
  DWORD exitCode = 0;
};

// Starts commandLine (the program is its first token) and waits at most
// timeoutMs; a process still running then is terminated.
ProcessResult RunProcess(const std::string &commandLine, DWORD timeoutMs);

struct DebugRun {
  ProcessResult process;
  std::vector<std::string> debugStrings; // as the debugger received them
};

// Starts program with exactly commandLine (program may be empty: then the
// first token of commandLine names it) under this process as its debugger and
// collects every OutputDebugString text until the process ends. Any window
// the process shows meanwhile is cancelled (IDCANCEL), so a run that opens a
// dialog still ends.
DebugRun RunUnderDebugger(const std::string &program, const std::string &commandLine,
                          DWORD timeoutMs);

// The same with a UTF-16 command line, whose first token names the program.
DebugRun RunUnderDebuggerWide(const std::wstring &commandLine, DWORD timeoutMs);

// Sends IDCANCEL to every visible top-level window of the process.
void CancelWindowsOf(DWORD processId);
