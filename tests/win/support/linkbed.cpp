#include "linkbed.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char kScratchRoot[] = "C:\\lt";
const char kFolderCommandKey[] = "Folder\\shell\\open\\command";

// Every CSIDL of the folder switch table, and CSIDL_APPDATA.
const int kLookedAtFolders[] = {0x0B, 0x02, 0x07, 0x30, 0x09, 0x06, 0x05, 0x27,
                                0x0D, 0x0E, 0x10, 0x16, 0x17, 0x18, 0x2F, 0x1F,
                                0x2E, 0x36, 0x35, 0x37, 0x19, 0x24, 0x25, 0x1A};

} // namespace

std::string LowerAscii(std::string text) {
  for (char &c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

std::wstring LowerAscii(std::wstring text) {
  for (WCHAR &c : text) {
    if (c >= L'A' && c <= L'Z') {
      c = static_cast<WCHAR>(c - L'A' + L'a');
    }
  }
  return text;
}

namespace {

bool EndsWithLnk(const std::wstring &name) {
  return name.size() >= 4 && LowerAscii(name.substr(name.size() - 4)) == L".lnk";
}

void CollectLinks(const std::wstring &folder, bool recurse, int depth,
                  std::set<std::wstring> *out) {
  if (depth > 24) {
    return;
  }
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") {
      continue;
    }
    const std::wstring path = folder + L"\\" + name;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if (recurse && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        CollectLinks(path, true, depth + 1, out);
      }
    } else if (EndsWithLnk(name)) {
      out->insert(LowerAscii(path));
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

struct KeyGuard {
  HKEY key = nullptr;
  ~KeyGuard() {
    if (key != nullptr) {
      RegCloseKey(key);
    }
  }
};

bool SetFolderCommand(const std::string &command) {
  KeyGuard guard;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kFolderCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &guard.key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(guard.key, nullptr, 0, REG_SZ,
                        reinterpret_cast<const BYTE *>(command.c_str()),
                        static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}

std::vector<std::string> ReadLogLines(const std::string &path) {
  std::vector<std::string> lines;
  FILE *file = fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return lines;
  }
  std::string line;
  for (int c = fgetc(file); c != EOF; c = fgetc(file)) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += static_cast<char>(c);
    }
  }
  fclose(file);
  return lines;
}

struct Watch {
  DWORD processId;
  WindowHandler handler;
  void *user;
  std::set<HWND> *seen;
  std::vector<std::string> *windows;
};

BOOL CALLBACK WatchWindow(HWND window, LPARAM parameter) {
  Watch *watch = reinterpret_cast<Watch *>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != watch->processId || !IsWindowVisible(window) || watch->seen->count(window) != 0) {
    return TRUE;
  }
  watch->seen->insert(window);
  char className[128] = {};
  char title[512] = {};
  GetClassNameA(window, className, sizeof className);
  GetWindowTextA(window, title, sizeof title);
  const bool tree = FindWindowExA(window, nullptr, "SysTreeView32", nullptr) != nullptr;
  watch->windows->push_back(std::string(className) + "|" + title + (tree ? "|tree" : ""));
  if (watch->handler == nullptr || !watch->handler(window, watch->user)) {
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  }
  return TRUE;
}

} // namespace

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH + 1] = {};
  if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) {
    return std::string();
  }
  std::string text = path;
  while (text.size() > 3 && text.back() == '\\') {
    text.pop_back();
  }
  return text;
}

std::wstring SpecialFolderWide(int csidl) {
  WCHAR path[MAX_PATH + 1] = {};
  if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) {
    return std::wstring();
  }
  std::wstring text = path;
  while (text.size() > 3 && text.back() == L'\\') {
    text.pop_back();
  }
  return text;
}

bool FileExists(const std::string &path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DirectoryExists(const std::string &path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectories(const std::string &path) {
  return MakeDirectoriesWide(WideOf(path));
}

bool MakeDirectoriesWide(const std::wstring &path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return true;
  }
  const size_t cut = path.find_last_of(L'\\');
  if (cut != std::wstring::npos && cut > 2 && !MakeDirectoriesWide(path.substr(0, cut))) {
    return false;
  }
  return CreateDirectoryW(path.c_str(), nullptr) != FALSE ||
         (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WriteTextFile(const std::string &path, const std::string &text) {
  FILE *file = fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  return fclose(file) == 0 && written;
}

void RemoveTree(const std::string &path) {
  RemoveTreeWide(WideOf(path));
}

void RemoveTreeWide(const std::wstring &path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    return;
  }
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") {
        RemoveTreeWide(path + L"\\" + name);
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

ScratchDir::ScratchDir(const std::string &name) : path_(std::string(kScratchRoot) + "\\" + name) {
  RemoveTree(path_);
  MakeDirectories(path_);
}

ScratchDir::~ScratchDir() {
  RemoveTree(path_);
}

std::string ScratchDir::File(const std::string &relative) const {
  const std::string path = *this / relative;
  const size_t cut = path.find_last_of('\\');
  MakeDirectories(path.substr(0, cut));
  WriteTextFile(path, "sample\r\n");
  return path;
}

std::wstring ScratchDir::WideFile(const std::wstring &relative) const {
  const std::wstring path = WideOf(path_) + L"\\" + relative;
  MakeDirectoriesWide(path.substr(0, path.find_last_of(L'\\')));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, "sample\r\n", 8, &written, nullptr);
    CloseHandle(file);
  }
  return path;
}

std::wstring ScratchDir::WideDir(const std::wstring &relative) const {
  const std::wstring path = WideOf(path_) + L"\\" + relative;
  MakeDirectoriesWide(path);
  return path;
}

std::string ScratchDir::Dir(const std::string &relative) const {
  const std::string path = *this / relative;
  MakeDirectories(path);
  return path;
}

LinkInfo ReadLink(const std::string &path) {
  const WideLinkInfo wide = ReadLinkWide(WideOf(path));
  LinkInfo info;
  info.loaded = wide.loaded;
  info.target = CodePageOf(wide.target);
  info.itemPath = CodePageOf(wide.itemPath);
  info.workingDirectory = CodePageOf(wide.workingDirectory);
  info.showCommand = wide.showCommand;
  return info;
}

WideLinkInfo ReadLinkWide(const std::wstring &path) {
  WideLinkInfo info;
  const HRESULT initialised = CoInitialize(nullptr);
  IShellLinkW *link = nullptr;
  if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                       reinterpret_cast<void **>(&link)) == S_OK) {
    IPersistFile *file = nullptr;
    if (link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)) == S_OK) {
      if (file->Load(path.c_str(), STGM_READ) == S_OK) {
        WCHAR text[1024] = {};
        if (link->GetPath(text, 1024, nullptr, SLGP_RAWPATH) == S_OK) {
          info.target = text;
        }
        LPITEMIDLIST item = nullptr;
        if (link->GetIDList(&item) == S_OK && item != nullptr) {
          WCHAR itemPath[MAX_PATH + 1] = {};
          if (SHGetPathFromIDListW(item, itemPath)) {
            info.itemPath = itemPath;
          }
          CoTaskMemFree(item);
        }
        text[0] = 0;
        link->GetWorkingDirectory(text, 1024);
        info.workingDirectory = text;
        info.loaded = true;
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(initialised)) {
    CoUninitialize();
  }
  FILE *raw = _wfopen(path.c_str(), L"rb");
  if (raw != nullptr) {
    unsigned char field[4] = {};
    if (fseek(raw, 0x3C, SEEK_SET) == 0 && fread(field, 1, 4, raw) == 4) {
      info.showCommand = field[0] | field[1] << 8 | field[2] << 16 | field[3] << 24;
    }
    fclose(raw);
  }
  return info;
}

std::set<std::wstring> LinkSnapshotWide() {
  std::set<std::wstring> links;
  CollectLinks(L"C:\\users", true, 0, &links);
  CollectLinks(L"C:\\ProgramData", true, 0, &links);
  CollectLinks(WideOf(kScratchRoot), true, 0, &links);
  CollectLinks(L"C:", false, 0, &links);
  for (int csidl : kLookedAtFolders) {
    const std::wstring folder = SpecialFolderWide(csidl);
    if (!folder.empty()) {
      CollectLinks(folder, false, 0, &links);
    }
  }
  return links;
}

std::set<std::string> LinkSnapshot() {
  std::set<std::string> links;
  for (const std::wstring &link : LinkSnapshotWide()) {
    links.insert(LowerAscii(CodePageOf(link)));
  }
  return links;
}

std::vector<std::string> Added(const std::set<std::string> &before,
                               const std::set<std::string> &after) {
  std::vector<std::string> added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                      std::back_inserter(added));
  return added;
}

std::vector<std::wstring> LinkWatch::AddedWide() const {
  const std::set<std::wstring> after = LinkSnapshotWide();
  std::vector<std::wstring> added;
  std::set_difference(after.begin(), after.end(), before_.begin(), before_.end(),
                      std::back_inserter(added));
  return added;
}

std::vector<std::string> LinkWatch::Added() const {
  std::set<std::string> added;
  for (const std::wstring &link : AddedWide()) {
    added.insert(LowerAscii(CodePageOf(link)));
  }
  return std::vector<std::string>(added.begin(), added.end());
}

LinkWatch::~LinkWatch() {
  for (const std::wstring &link : AddedWide()) {
    DeleteFileW(link.c_str());
  }
}

std::string LnkinfoReport(const std::string &link) {
  MakeDirectories(kScratchRoot);
  const std::string reportPath = std::string(kScratchRoot) + "\\lnkinfo.txt";
  const std::string donePath = reportPath + ".done";
  DeleteFileA(donePath.c_str());
  const std::wstring unixLink = UnixNameOf(WideOf(link)), unixDone = UnixNameOf(WideOf(donePath));
  if (unixLink.empty() || unixDone.empty()) {
    return std::string();
  }
  // Wine may signal a Unix program's process before the program has run, so
  // the shell around lnkinfo leaves a file behind once lnkinfo has ended, and
  // that file is what is waited for. The paths go in UTF-16 and arrive as
  // they were.
  std::wstring commandLine =
      L"Z:\\bin\\sh -c \"/usr/bin/lnkinfo -c windows-932 \\\"$1\\\"; echo end >\\\"$2\\\"\" sh \"" +
      unixLink + L"\" \"" + unixDone + L"\"";
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE report = CreateFileA(reportPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (report == INVALID_HANDLE_VALUE) {
    return std::string();
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = report;
  startup.hStdError = report;
  PROCESS_INFORMATION info = {};
  const bool started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &info) != FALSE;
  CloseHandle(report);
  if (!started) {
    printf("note: lnkinfo did not start (CreateProcess error %lu)\n",
           static_cast<unsigned long>(GetLastError()));
    return std::string();
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  const DWORD start = GetTickCount();
  while (GetFileAttributesA(donePath.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start > kProcessWaitMs) {
      printf("note: lnkinfo had not ended after %lu ms\n",
             static_cast<unsigned long>(kProcessWaitMs));
      return std::string();
    }
    Sleep(20);
  }
  std::string text;
  FILE *file = fopen(reportPath.c_str(), "rb");
  if (file != nullptr) {
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) {
      text.append(buffer, got);
    }
    fclose(file);
  }
  DeleteFileA(reportPath.c_str());
  DeleteFileA(donePath.c_str());
  return text;
}

namespace {

// Watches the started process's windows until it ends or timeoutMs pass.
LinktoRun WatchRun(bool started, const PROCESS_INFORMATION &info, DWORD timeoutMs,
                   WindowHandler handler, void *user) {
  LinktoRun run;
  if (!started) {
    run.process.startError = GetLastError();
    return run;
  }
  run.process.started = true;
  std::set<HWND> seen;
  Watch watch = {info.dwProcessId, handler, user, &seen, &run.windows};
  const DWORD start = GetTickCount();
  for (;;) {
    EnumWindows(WatchWindow, reinterpret_cast<LPARAM>(&watch));
    if (WaitForSingleObject(info.hProcess, 50) == WAIT_OBJECT_0) {
      break;
    }
    if (GetTickCount() - start > timeoutMs) {
      run.process.timedOut = true;
      TerminateProcess(info.hProcess, 255);
      WaitForSingleObject(info.hProcess, 5000);
      break;
    }
  }
  GetExitCodeProcess(info.hProcess, &run.process.exitCode);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return run;
}

} // namespace

const char kDestinationTitle[] = "\x93\x6F\x98\x5E\x90\xE6\x82\xCC\x91\x49\x91\xF0";
const char kMenuTitle[] =
    "\x83\x81\x83\x6A\x83\x85\x81\x5B\x8D\x80\x96\xDA\x82\xCC\x95\xD2\x8F\x57";

bool Showed(const LinktoRun &run, const std::string &part) {
  for (const std::string &window : run.windows) {
    if (window.find(part) != std::string::npos) {
      return true;
    }
  }
  return false;
}

LinktoRun RunLinkto(const std::string &arguments, DWORD timeoutMs, WindowHandler handler,
                    void *user) {
  PROCESS_INFORMATION info = {};
  const std::string commandLine = Quoted(LinktoExe()) + " " + arguments;
  const bool started = &ProgramLocale() == &kJapaneseSystem
                           ? StartProcess(std::string(), commandLine, 0, &info)
                           : StartProcessOn(ProgramLocale(), WideOf(commandLine), &info);
  return WatchRun(started, info, timeoutMs, handler, user);
}

LinktoRun RunLinktoWide(const std::wstring &arguments, DWORD timeoutMs) {
  PROCESS_INFORMATION info = {};
  const std::wstring commandLine = L"\"" + WideOf(LinktoExe()) + L"\" " + arguments;
  const bool started = &ProgramLocale() == &kJapaneseSystem
                           ? StartProcessWide(commandLine, 0, &info)
                           : StartProcessOn(ProgramLocale(), commandLine, &info);
  return WatchRun(started, info, timeoutMs, nullptr, nullptr);
}

std::string IgnoredCodePageCopy() {
  static std::string copy;
  if (!copy.empty()) {
    return copy;
  }
  const std::wstring program = WideOf(LinktoExe());
  std::string bytes;
  if (FILE *file = _wfopen(program.c_str(), L"rb")) {
    char buffer[65536];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) {
      bytes.append(buffer, got);
    }
    fclose(file);
  }
  const std::string asked = "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/"
                            "WindowsSettings\">ja-JP</activeCodePage>";
  const size_t at = bytes.find(asked);
  if (at == std::string::npos || bytes.find(asked, at + 1) != std::string::npos) {
    return std::string();
  }
  bytes.replace(bytes.find("ja-JP", at), 5, "zz-ZZ");
  const std::string folder = UnixToWindowsPath(LINKTO_BINARY_UNIX_DIR) + "\\code-page-ignored";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\linkto.exe";
  FILE *file = fopen(path.c_str(), "wb");
  const bool written =
      file != nullptr && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file != nullptr && fclose(file) != 0) {
    return std::string();
  }
  if (written) {
    copy = path;
  }
  return copy;
}

const SystemUnderTest kSystemsUnderTest[6] = {
    {&kJapaneseSystem, false}, {&kWesternSystem, false}, {&kUtf8System, false},
    {&kJapaneseSystem, true},  {&kWesternSystem, true},  {&kUtf8System, true},
};

const SystemUnderTest kOtherLanguages[3] = {
    {&kEnglishSystem, false}, {&kEnglishSystem, true}, {&kGermanSystem, false}};

bool TakesEnglishPictures(const SystemUnderTest &system) {
  return system.locale == &kEnglishSystem && system.codePageIgnored;
}

const char *GuidePictures(const SystemUnderTest &system) {
  if (TakesEnglishPictures(system)) {
    return "-en";
  }
  return system.locale == &kJapaneseSystem && !system.codePageIgnored ? "" : nullptr;
}

std::string SystemName(const ::testing::TestParamInfo<SystemUnderTest> &info) {
  return std::string(info.param.locale->name) +
         (info.param.codePageIgnored ? "Ignored" : "Granted");
}

void PrintTo(const SystemUnderTest &system, std::ostream *out) {
  *out << system.locale->name << (system.codePageIgnored ? ", code page request ignored" : "");
}

SystemGuard::SystemGuard(const SystemUnderTest &system) {
  const std::string copy = system.codePageIgnored ? IgnoredCodePageCopy() : std::string();
  if (system.codePageIgnored && copy.empty()) {
    return;
  }
  SetProgramUnderTest(copy);
  SetProgramLocale(*system.locale);
  ready_ = true;
}

SystemGuard::~SystemGuard() {
  SetProgramUnderTest(std::string());
  SetProgramLocale(kJapaneseSystem);
}

GuideProgramCopy::GuideProgramCopy() : previous_(LinktoExe()) {
  const std::string copy = "C:\\Tools\\LinkTo\\linkto.exe";
  EXPECT_TRUE(MakeDirectories("C:\\Tools\\LinkTo") &&
              CopyFileA(previous_.c_str(), copy.c_str(), FALSE))
      << copy;
  SetProgramUnderTest(copy);
}

GuideProgramCopy::~GuideProgramCopy() {
  SetProgramUnderTest(previous_);
  RemoveTree("C:\\Tools");
}

FolderOpenLog::FolderOpenLog() : log_(std::string(kScratchRoot) + "\\open.log") {
  MakeDirectories(kScratchRoot);
  {
    KeyGuard guard;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kFolderCommandKey, 0, KEY_READ, &guard.key) ==
        ERROR_SUCCESS) {
      char value[2048] = {};
      DWORD size = sizeof value - 1;
      DWORD type = 0;
      if (RegQueryValueExA(guard.key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(value),
                           &size) == ERROR_SUCCESS &&
          type == REG_SZ) {
        hadCommand_ = true;
        oldCommand_ = value;
      }
    }
  }
  installed_ =
      SetFolderCommand(Quoted(TestProgram("open_logger")) + " " + Quoted(log_) + " \"%1\"");
}

FolderOpenLog::~FolderOpenLog() {
  if (hadCommand_) {
    SetFolderCommand(oldCommand_);
  } else {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kFolderCommandKey);
  }
  DeleteFileA(log_.c_str());
  DeleteFileA((log_ + ".expect").c_str());
}

void FolderOpenLog::Reset(const std::vector<std::string> &links) {
  DeleteFileA(log_.c_str());
  std::string text;
  for (const std::string &link : links) {
    text += link + "\r\n";
  }
  WriteTextFile(log_ + ".expect", text);
}

std::vector<OpenRecord> FolderOpenLog::Wait(size_t count, DWORD timeoutMs, DWORD settleMs) {
  const DWORD start = GetTickCount();
  size_t seen = 0;
  while ((seen = ReadLogLines(log_).size()) < count && GetTickCount() - start < timeoutMs) {
    Sleep(50);
  }
  if (seen < count) {
    ADD_FAILURE() << "waited " << timeoutMs / 1000 << " s for " << count << " folder openings in "
                  << log_ << ", saw " << seen;
  }
  Sleep(settleMs);
  std::vector<OpenRecord> records;
  for (const std::string &line : ReadLogLines(log_)) {
    OpenRecord record;
    char folder[1024] = {};
    if (sscanf(line.c_str(), "%llx\t%u/%u\t%1023[^\r\n]", &record.created, &record.linksPresent,
               &record.linksListed, folder) >= 3) {
      record.folder = folder;
      records.push_back(record);
    }
  }
  std::stable_sort(records.begin(), records.end(),
                   [](const OpenRecord &a, const OpenRecord &b) { return a.created < b.created; });
  return records;
}

namespace {

const WCHAR *const kShellFolderKeys[2] = {
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"};

} // namespace

ShellFolderRedirect::ShellFolderRedirect(const std::wstring &valueName, const std::wstring &path)
    : name_(valueName) {
  for (int k = 0; k < 2; ++k) {
    KeyGuard guard;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolderKeys[k], 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &guard.key, nullptr) != ERROR_SUCCESS) {
      continue;
    }
    Saved &saved = saved_[k];
    DWORD size = 0;
    if (RegQueryValueExW(guard.key, name_.c_str(), nullptr, &saved.type, nullptr, &size) ==
        ERROR_SUCCESS) {
      saved.data.resize(size);
      saved.had = RegQueryValueExW(guard.key, name_.c_str(), nullptr, &saved.type,
                                   saved.data.data(), &size) == ERROR_SUCCESS;
    }
    RegSetValueExW(guard.key, name_.c_str(), 0, k == 0 ? REG_EXPAND_SZ : REG_SZ,
                   reinterpret_cast<const BYTE *>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(WCHAR)));
  }
}

ShellFolderRedirect::~ShellFolderRedirect() {
  for (int k = 0; k < 2; ++k) {
    KeyGuard guard;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolderKeys[k], 0, KEY_ALL_ACCESS, &guard.key) !=
        ERROR_SUCCESS) {
      continue;
    }
    const Saved &saved = saved_[k];
    if (saved.had) {
      RegSetValueExW(guard.key, name_.c_str(), 0, saved.type, saved.data.data(),
                     static_cast<DWORD>(saved.data.size()));
    } else {
      RegDeleteValueW(guard.key, name_.c_str());
    }
  }
}

FolderOpenLog *openLog = nullptr;

void OpenLogEnvironment::SetUp() {
  openLog = new FolderOpenLog;
  ASSERT_TRUE(openLog->installed());
}

void OpenLogEnvironment::TearDown() {
  delete openLog;
  openLog = nullptr;
}

std::vector<std::string> Opened(size_t count) {
  std::vector<std::string> folders;
  for (const OpenRecord &record : openLog->Wait(count)) {
    EXPECT_EQ(record.linksPresent, record.linksListed) << record.folder;
    folders.push_back(LowerAscii(record.folder));
  }
  return folders;
}
