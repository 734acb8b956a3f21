// What the shortcut tests share: the special folders of the test prefix,
// scratch folders, reading links back, snapshots of every link in the places
// the tests look, runs of linkto.exe that record every window it shows, and
// the stand-in for the shell's folder window.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testbed.h"

// The file-system path of a special folder as SHGetFolderPathA gives it
// (without a trailing backslash), or "" when it has none.
std::string SpecialFolder(int csidl);

// The same in UTF-16 (SHGetFolderPathW), for folders named outside the code
// page.
std::wstring SpecialFolderWide(int csidl);

// text with the ASCII letters in lower case (link snapshots hold such paths).
std::string LowerAscii(std::string text);
std::wstring LowerAscii(std::wstring text);

bool FileExists(const std::string &path);
bool DirectoryExists(const std::string &path);
bool MakeDirectories(const std::string &path);
bool WriteTextFile(const std::string &path, const std::string &text);
bool MakeDirectoriesWide(const std::wstring &path);
// Deletes a file or a folder with everything in it.
void RemoveTree(const std::string &path);
void RemoveTreeWide(const std::wstring &path);

// A folder C:\lt\<name> made fresh for one test and removed with everything
// in it afterwards.
class ScratchDir {
public:
  explicit ScratchDir(const std::string &name);
  ~ScratchDir();
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;
  const std::string &path() const { return path_; }
  // path()\relative
  std::string operator/(const std::string &relative) const { return path_ + "\\" + relative; }
  // Creates path()\relative as a file with some text; returns its path.
  std::string File(const std::string &relative) const;
  // Creates path()\relative as a folder; returns its path.
  std::string Dir(const std::string &relative) const;
  // The same for names the code page may not spell.
  std::wstring WideFile(const std::wstring &relative) const;
  std::wstring WideDir(const std::wstring &relative) const;

private:
  std::string path_;
};

// A link file read back through IShellLinkA and IPersistFile::Load; the show
// command is the stored field at offset 0x3C (Wine's GetShowCmd after Load
// does not report it).
template <typename Text> struct LinkInfoOf {
  bool loaded = false;
  Text target;
  // The target as the link's item list names it. Wine's link object keeps
  // the target path itself only in the code page (é read back as e; Windows
  // keeps a UTF-16 copy beside it); its item list holds the name exactly.
  Text itemPath;
  Text workingDirectory;
  int showCommand = -1;
};
typedef LinkInfoOf<std::string> LinkInfo;
LinkInfo ReadLink(const std::string &path);
// The same through IShellLinkW, names as they are.
typedef LinkInfoOf<std::wstring> WideLinkInfo;
WideLinkInfo ReadLinkWide(const std::wstring &path);

// Every .lnk file (full path, ASCII letters in lower case) in the places the tests
// look: the users' and all-users' folders, the scratch root, every folder of
// the folder switch table, C:\ and the Windows and system folders. The
// code-page form gives look-alikes for what the code page lacks.
std::set<std::string> LinkSnapshot();
std::set<std::wstring> LinkSnapshotWide();
// Paths in after that are not in before.
std::vector<std::string> Added(const std::set<std::string> &before,
                               const std::set<std::string> &after);

// Watches the places LinkSnapshot looks at: the links added since it was
// made, all deleted when it goes.
class LinkWatch {
public:
  LinkWatch() : before_(LinkSnapshotWide()) {}
  ~LinkWatch();
  LinkWatch(const LinkWatch &) = delete;
  LinkWatch &operator=(const LinkWatch &) = delete;
  // Links added since the watch began (lower case, sorted).
  std::vector<std::string> Added() const;
  std::vector<std::wstring> AddedWide() const;

private:
  std::set<std::wstring> before_;
};

// The report of lnkinfo, the Linux reader of link files, on a link given by
// its Windows path, its ANSI strings read in code page 932 and printed in
// UTF-8; "" when lnkinfo cannot be started.
std::string LnkinfoReport(const std::string &link);

// While it lives, the user's shell folder valueName (a value of the Explorer
// keys "User Shell Folders" and "Shell Folders" under HKEY_CURRENT_USER, such
// as SendTo) is path; both values are put back afterwards, failures included.
class ShellFolderRedirect {
public:
  ShellFolderRedirect(const std::wstring &valueName, const std::wstring &path);
  ~ShellFolderRedirect();
  ShellFolderRedirect(const ShellFolderRedirect &) = delete;
  ShellFolderRedirect &operator=(const ShellFolderRedirect &) = delete;

private:
  struct Saved {
    bool had = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  std::wstring name_;
  Saved saved_[2];
};

// One run of linkto.exe: every visible top-level window it showed, as
// "class|title", with "|tree" added for a window holding a tree view (the
// folder browser), in the order they appeared.
struct LinktoRun {
  ProcessResult process;
  std::vector<std::string> windows;
};

// The dialogs' titles in code page 932, as a run records them.
extern const char kDestinationTitle[]; // 登録先の選択
extern const char kMenuTitle[];        // メニュー項目の編集

// True when a window that the run recorded holds part.
bool Showed(const LinktoRun &run, const std::string &part);

// Called once for every new visible top-level window of the process; returns
// true when it has dealt with the window, false to have it cancelled.
typedef bool (*WindowHandler)(HWND window, void *user);

// Starts linkto.exe with the command line Quoted(LinktoExe()) + " " +
// arguments and waits at most timeoutMs. Every window the process shows is
// recorded and, unless handler deals with it, cancelled.
LinktoRun RunLinkto(const std::string &arguments, DWORD timeoutMs = kProcessWaitMs,
                    WindowHandler handler = nullptr, void *user = nullptr);

// The same with a UTF-16 command line (CreateProcessW), as the shell starts
// a verb; every window is cancelled.
LinktoRun RunLinktoWide(const std::wstring &arguments, DWORD timeoutMs = kProcessWaitMs);

// A copy of linkto.exe whose manifest asks for the code page "zz-ZZ", which
// no system knows, in place of "ja-JP" (same length, nothing else changed):
// the program as Windows 10 and earlier run it, on the system's own code
// page. Made once per test program; its Windows path, or "" when it could
// not be made.
std::string IgnoredCodePageCopy();

// A system that the end-to-end tables run on: the locale, and whether the
// manifest's code page is granted (Windows 11) or ignored (the copy above).
struct SystemUnderTest {
  const SystemLocale *locale;
  bool codePageIgnored;
};
// The three code pages, each with the request granted and ignored.
extern const SystemUnderTest kSystemsUnderTest[6];
// The display languages English (the request granted and ignored) and
// German (English resources as the fallback).
extern const SystemUnderTest kOtherLanguages[3];
// The system the English user guide's pictures are taken on: English, with
// the code page as Windows 10 leaves it, whose fonts are English Windows'.
bool TakesEnglishPictures(const SystemUnderTest &system);
// The systems the user guides' pictures of the menu-items and command-line
// dialogs are taken on, the bed's own for the Japanese guide and the one
// above for the English: the end of the pictures' names ("" or "-en"), or
// null for any other system.
const char *GuidePictures(const SystemUnderTest &system);
std::string SystemName(const ::testing::TestParamInfo<SystemUnderTest> &info);
void PrintTo(const SystemUnderTest &system, std::ostream *out);

// While it lives, the runs of linkto.exe are the program of system on its
// locale; afterwards the bed's own program and locale.
class SystemGuard {
public:
  explicit SystemGuard(const SystemUnderTest &system);
  ~SystemGuard();
  SystemGuard(const SystemGuard &) = delete;
  SystemGuard &operator=(const SystemGuard &) = delete;
  // False when the copy could not be made (the guard then changed nothing).
  bool ready() const { return ready_; }

private:
  bool ready_ = false;
};

// While it lives, the runs of linkto.exe start a copy of the program under
// test at C:\Tools\LinkTo\linkto.exe, where the user guides suggest putting
// it, so that their pictures show the path a user sees. The copy goes after.
class GuideProgramCopy {
public:
  GuideProgramCopy();
  ~GuideProgramCopy();
  GuideProgramCopy(const GuideProgramCopy &) = delete;
  GuideProgramCopy &operator=(const GuideProgramCopy &) = delete;

private:
  std::string previous_;
};

// One line of the folder-open log.
struct OpenRecord {
  unsigned long long created = 0; // the handler's process creation time
  unsigned linksPresent = 0;      // listed links that existed when it started
  unsigned linksListed = 0;
  std::string folder;
};

// While it lives, the shell's "open" verb for folders runs open_logger.exe
// instead of a folder window; the previous command is put back afterwards.
class FolderOpenLog {
public:
  FolderOpenLog();
  ~FolderOpenLog();
  FolderOpenLog(const FolderOpenLog &) = delete;
  FolderOpenLog &operator=(const FolderOpenLog &) = delete;
  bool installed() const { return installed_; }
  // Empties the log and lists the links the handler checks for.
  void Reset(const std::vector<std::string> &links);
  // Waits until the log has at least count lines (at most timeoutMs), then
  // for settleMs more; returns the lines sorted by creation time.
  std::vector<OpenRecord> Wait(size_t count, DWORD timeoutMs = kProcessWaitMs,
                               DWORD settleMs = 300);

private:
  bool installed_ = false;
  bool hadCommand_ = false;
  std::string oldCommand_;
  std::string log_;
};

// Keeps one FolderOpenLog installed for a whole test program, so that no run
// opens a real folder window. A test program registers it once:
//   ::testing::AddGlobalTestEnvironment(new OpenLogEnvironment)
// and reaches the log through openLog while tests run.
extern FolderOpenLog *openLog;
class OpenLogEnvironment : public ::testing::Environment {
public:
  void SetUp() override;
  void TearDown() override;
};

// The folders the shared log saw opened (lower case, in order), waiting for
// count of them; each opening must have seen every listed link.
std::vector<std::string> Opened(size_t count);
