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

namespace {

bool EndsWithLnk(const char *name) {
  const size_t length = strlen(name);
  return length >= 4 && LowerAscii(name + length - 4) == ".lnk";
}

void CollectLinks(const std::string &folder, bool recurse, int depth, std::set<std::string> *out) {
  if (depth > 24) {
    return;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return;
  }
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") {
      continue;
    }
    const std::string path = folder + "\\" + name;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if (recurse && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        CollectLinks(path, true, depth + 1, out);
      }
    } else if (EndsWithLnk(found.cFileName)) {
      out->insert(LowerAscii(path));
    }
  } while (FindNextFileA(search, &found));
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

bool FileExists(const std::string &path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DirectoryExists(const std::string &path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectories(const std::string &path) {
  if (DirectoryExists(path)) {
    return true;
  }
  const size_t cut = path.find_last_of('\\');
  if (cut != std::string::npos && cut > 2 && !MakeDirectories(path.substr(0, cut))) {
    return false;
  }
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE || DirectoryExists(path);
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
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") {
        RemoveTree(path + "\\" + name);
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
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

std::string ScratchDir::Dir(const std::string &relative) const {
  const std::string path = *this / relative;
  MakeDirectories(path);
  return path;
}

LinkInfo ReadLink(const std::string &path) {
  LinkInfo info;
  const HRESULT initialised = CoInitialize(nullptr);
  IShellLinkA *link = nullptr;
  if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                       reinterpret_cast<void **>(&link)) == S_OK) {
    IPersistFile *file = nullptr;
    if (link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)) == S_OK) {
      WCHAR wide[1024] = {};
      if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 1024) > 0 &&
          file->Load(wide, STGM_READ) == S_OK) {
        char text[1024] = {};
        if (link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH) == S_OK) {
          info.target = text;
        }
        text[0] = 0;
        link->GetWorkingDirectory(text, sizeof text);
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
  FILE *raw = fopen(path.c_str(), "rb");
  if (raw != nullptr) {
    unsigned char field[4] = {};
    if (fseek(raw, 0x3C, SEEK_SET) == 0 && fread(field, 1, 4, raw) == 4) {
      info.showCommand = field[0] | field[1] << 8 | field[2] << 16 | field[3] << 24;
    }
    fclose(raw);
  }
  return info;
}

std::set<std::string> LinkSnapshot() {
  std::set<std::string> links;
  CollectLinks("C:\\users", true, 0, &links);
  CollectLinks("C:\\ProgramData", true, 0, &links);
  CollectLinks(kScratchRoot, true, 0, &links);
  CollectLinks("C:", false, 0, &links);
  for (int csidl : kLookedAtFolders) {
    const std::string folder = SpecialFolder(csidl);
    if (!folder.empty()) {
      CollectLinks(folder, false, 0, &links);
    }
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

LinkWatch::~LinkWatch() {
  for (const std::string &link : Added()) {
    DeleteFileA(link.c_str());
  }
}

namespace {

// The Unix name of a Windows path as UTF-16 (the way a command line reaches a
// Unix program under Wine), or empty.
std::wstring UnixNameOf(const std::string &path) {
  typedef char *(CDECL * UnixName)(const WCHAR *);
  const UnixName toUnix = reinterpret_cast<UnixName>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  WCHAR wide[1024] = {};
  if (toUnix == nullptr || MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 1024) <= 0) {
    return std::wstring();
  }
  char *unixPath = toUnix(wide);
  if (unixPath == nullptr) {
    return std::wstring();
  }
  std::vector<WCHAR> name(strlen(unixPath) + 1);
  const int units =
      MultiByteToWideChar(CP_UTF8, 0, unixPath, -1, name.data(), static_cast<int>(name.size()));
  HeapFree(GetProcessHeap(), 0, unixPath);
  return units > 0 ? std::wstring(name.data()) : std::wstring();
}

} // namespace

std::string LnkinfoReport(const std::string &link) {
  MakeDirectories(kScratchRoot);
  const std::string reportPath = std::string(kScratchRoot) + "\\lnkinfo.txt";
  const std::string donePath = reportPath + ".done";
  DeleteFileA(donePath.c_str());
  const std::wstring unixLink = UnixNameOf(link), unixDone = UnixNameOf(donePath);
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

LinktoRun RunLinkto(const std::string &arguments, DWORD timeoutMs, WindowHandler handler,
                    void *user) {
  LinktoRun run;
  std::string commandLine = Quoted(LinktoExe()) + " " + arguments;
  PROCESS_INFORMATION info = {};
  if (!StartProcess(std::string(), commandLine, 0, &info)) {
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
