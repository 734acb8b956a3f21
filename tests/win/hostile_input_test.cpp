// The real linkto.exe under Wine against hostile input: command lines at the
// system's limit, random bytes and broken double-byte text, paths around 260
// bytes, destinations that refuse the link or vanish during the run, a
// locked target, and odd registry values under the verbs. Every run must end
// by itself with exit code 0 (a run that died of an exception ends with its
// NTSTATUS, such as 0xC0000005), and write links and registry values only
// where it should.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/split.h"
#include "dialog_driver.h"
#include "linkbed.h"
#include "resource.h"
#include "verb_dialogs.h"

namespace {

const int kSendTo = 0x09;
// CreateProcess takes at most 32,767 characters with the terminator.
const size_t kLongestCommandLine = 32766;

std::string Hex(DWORD value) {
  char text[16];
  snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
  return text;
}

void ExpectCleanExit(const ProcessResult &process) {
  EXPECT_TRUE(process.started) << "CreateProcess error " << process.startError;
  EXPECT_FALSE(process.timedOut);
  EXPECT_EQ(Hex(process.exitCode), Hex(0));
}

std::vector<VerbKey> VerbSnapshot() {
  std::vector<VerbKey> keys;
  for (const char *verb : kVerbKeys) {
    keys.push_back(ReadVerbKey(verb));
  }
  return keys;
}

// Runs linkto.exe: a clean exit, and no verb touched.
LinktoRun Launch(const std::string &arguments, WindowHandler handler = nullptr,
                 void *user = nullptr) {
  const std::vector<VerbKey> verbs = VerbSnapshot();
  const LinktoRun run = RunLinkto(arguments, kProcessWaitMs, handler, user);
  ExpectCleanExit(run.process);
  EXPECT_TRUE(VerbSnapshot() == verbs);
  return run;
}

std::string SendToLink(const std::string &name) {
  return LowerAscii(SpecialFolder(kSendTo) + "\\" + name);
}

// The command line as the started program reads it back: Wine carries it
// through UTF-16 with the ANSI code page, as these two calls do.
std::string AsDelivered(const std::string &text) {
  typedef LONG(WINAPI * ToWide)(WCHAR *, ULONG, ULONG *, const char *, ULONG);
  typedef LONG(WINAPI * ToBytes)(char *, ULONG, ULONG *, const WCHAR *, ULONG);
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const ToWide toWide = reinterpret_cast<ToWide>(
      reinterpret_cast<void *>(GetProcAddress(ntdll, "RtlMultiByteToUnicodeN")));
  const ToBytes toBytes = reinterpret_cast<ToBytes>(
      reinterpret_cast<void *>(GetProcAddress(ntdll, "RtlUnicodeToMultiByteN")));
  if (toWide == nullptr || toBytes == nullptr) {
    ADD_FAILURE() << "no code page conversion in ntdll";
    return text;
  }
  std::vector<WCHAR> wide(text.size() + 1);
  ULONG wideBytes = 0;
  toWide(wide.data(), static_cast<ULONG>(wide.size() * sizeof(WCHAR)), &wideBytes, text.data(),
         static_cast<ULONG>(text.size()));
  std::vector<char> bytes(text.size() * 2 + 2);
  ULONG length = 0;
  toBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &length, wide.data(), wideBytes);
  return std::string(bytes.data(), length);
}

// The trace lines that the splitter gives for a command line; a line holds
// at most 1023 bytes.
std::vector<std::string> ExpectedTrace(const std::string &commandLine) {
  int count = 0;
  char **argv = SplitCommandLine(commandLine.c_str(), true, &count);
  std::vector<std::string> lines;
  for (int i = 0; argv != nullptr && i < count; ++i) {
    char index[16];
    snprintf(index, sizeof index, "%2d", i);
    lines.push_back(("argv[" + std::string(index) + "]=" + argv[i] + "\r\n").substr(0, 1023));
  }
  free(argv);
  return lines;
}

// Runs linkto.exe with exactly commandLine under the debugger: a clean exit,
// a trace of what the splitter gives for the command line as delivered, and
// exactly the links expected (lower case). No verb is touched.
void ExpectRun(const std::string &commandLine, const std::vector<std::string> &links) {
  const std::vector<VerbKey> verbs = VerbSnapshot();
  const LinkWatch watch;
  const DebugRun run = RunUnderDebugger(LinktoExe(), commandLine, kProcessWaitMs);
  ExpectCleanExit(run.process);
  const std::vector<std::string> expected = ExpectedTrace(AsDelivered(commandLine));
  EXPECT_EQ(run.debugStrings.size(), expected.size());
  for (size_t i = 0; i < expected.size() && i < run.debugStrings.size(); ++i) {
    if (run.debugStrings[i] != expected[i]) {
      ADD_FAILURE() << "trace line " << i << " is " << run.debugStrings[i].substr(0, 80) << ", not "
                    << expected[i].substr(0, 80);
      break;
    }
  }
  EXPECT_EQ(watch.Added(), links);
  EXPECT_TRUE(VerbSnapshot() == verbs);
}

// Paths past 260 bytes: only the wide calls with the \\?\ prefix reach them.
std::wstring Wide(const std::string &path) {
  std::wstring wide(path.size() + 1, L'\0');
  const int units =
      MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
  wide.resize(units > 0 ? static_cast<size_t>(units - 1) : 0);
  return L"\\\\?\\" + wide;
}

bool MakeLongDirectory(const std::string &path) {
  return CreateDirectoryW(Wide(path).c_str(), nullptr) != FALSE ||
         GetLastError() == ERROR_ALREADY_EXISTS;
}

bool MakeLongFile(const std::string &path) {
  const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  CloseHandle(file);
  return true;
}

void RemoveLongTree(const std::string &path) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    DeleteFileW(wide.c_str());
    return;
  }
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((wide + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      char name[MAX_PATH * 2] = {};
      WideCharToMultiByte(CP_ACP, 0, found.cFileName, -1, name, sizeof name, nullptr, nullptr);
      if (strcmp(name, ".") != 0 && strcmp(name, "..") != 0) {
        RemoveLongTree(path + "\\" + name);
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(wide.c_str());
}

// A path of exactly length bytes under base: a folder of 200 bytes, then a
// last component that fills it up, ending in tail.
std::string PathOfLength(const std::string &base, size_t length, const std::string &tail) {
  std::string path = base + "\\" + std::string(200 - base.size() - 1, 'd') + "\\";
  path += std::string(length - path.size() - tail.size(), 'n') + tail;
  return path;
}

// A deterministic byte source for the random command lines.
uint32_t NextRandom(uint32_t *state) {
  *state = *state * 1664525u + 1013904223u;
  return *state >> 8;
}

} // namespace

TEST(HostileInput, CommandLinesAtTheSystemLimit) {
  ScratchDir dir("hostile-long-line");
  const std::string target = dir.File("t.txt");
  const std::string head = Quoted(LinktoExe()) + " " + Quoted(target) + " /sendto /open:0";
  auto filled = [](std::string text, const std::string &unit, const std::string &end) {
    while (text.size() + unit.size() + end.size() <= kLongestCommandLine) {
      text += unit;
    }
    text += end;
    return text + std::string(kLongestCommandLine - text.size(), 'z');
  };
  const struct {
    const char *name;
    std::string commandLine;
  } cases[] = {
      {"many arguments", filled(head, " /sendto", "")},
      {"many quoted arguments", filled(head, " \"a \\\"b\\\\\" x\\\\\\\"y", " ")},
      {"one huge argument", filled(head + " \"", "a b\\", "\"")},
      {"one huge quote never closed", filled(head + " \"", "\\\\\\\"", "")},
      {"a huge /path: folder", filled(head + " /path:" + dir.path(), "\\.", "")},
      {"a huge program path", filled("\"", "C:\\x", "\" " + Quoted(target) + " /sendto /open:0")},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.commandLine.size(), kLongestCommandLine);
    ExpectRun(c.commandLine, {SendToLink("t.txt.lnk")});
  }
  // One character more is refused by the system before the program starts.
  EXPECT_FALSE(RunProcess(filled(head, " /sendto", "") + "z", 5000).started);
}

TEST(HostileInput, RandomBytesAndBrokenDoubleByteText) {
  ScratchDir dir("hostile-bytes");
  const std::string target = dir.File("t.txt");
  const std::string head = Quoted(LinktoExe()) + " " + Quoted(target) + " /sendto /open:0 ";
  std::vector<std::string> tails = {
      "\x81",                          // a lone lead byte at the very end
      "x\x81",                         // the same after a character
      "\"\x81\"",                      // a lead byte before a closing quote
      "\x81\" x y",                    // a lead byte before an opening quote
      "\x95\\\" a\"",                  // a double-byte character ending in the backslash byte
      "\"\x83\\\" b",                  // the same inside a quoted run
      "\x81 \x81\t\x81",               // lead bytes before blanks
      "\x81\x7F \x80\xA0\xFD\xFE\xFF", // bytes that open or are no character
      "\x01\x1B\r\n\x7F x",            // control characters
  };
  uint32_t state = 8;
  for (int round = 0; round < 24; ++round) {
    std::string tail;
    const size_t length = 1 + NextRandom(&state) % (round < 20 ? 40 : 3000);
    for (size_t i = 0; i < length; ++i) {
      tail += static_cast<char>(1 + NextRandom(&state) % 255);
    }
    tails.push_back(tail);
  }
  // Wine alters some of these on the way (a lone lead byte at the end is
  // dropped); the program must read what arrives as its splitter reads it.
  EXPECT_NE(AsDelivered(head + tails[0]), head + tails[0]);
  for (const std::string &tail : tails) {
    std::string shown;
    for (unsigned char c : tail.substr(0, 40)) {
      char hex[4];
      snprintf(hex, sizeof hex, "%02X ", c);
      shown += hex;
    }
    SCOPED_TRACE(shown);
    ExpectRun(head + tail, {SendToLink("t.txt.lnk")});
  }
}

TEST(HostileInput, PathsAroundTheLimitAsTargetsAndFolders) {
  ScratchDir dir("hostile-paths");
  const std::string base = dir.path();
  const std::string sendTo = SpecialFolder(kSendTo);
  ASSERT_TRUE(MakeLongDirectory(base + "\\" + std::string(200 - base.size() - 1, 'd')));
  const struct {
    size_t length;
    bool reached; // the ANSI file calls reach the path (Wine: up to 260 bytes)
    bool linked;  // a link to a target of this length is written
  } cases[] = {
      {259, true, true},
      // The link object cannot hold it (it would save a broken target).
      {260, true, false},
      {261, false, false},
      {300, false, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.length);
    const std::string target = PathOfLength(base, c.length, ".txt");
    const std::string folder = PathOfLength(base, c.length, "F");
    ASSERT_EQ(target.size(), c.length);
    ASSERT_TRUE(MakeLongFile(target));
    ASSERT_TRUE(MakeLongDirectory(folder));
    EXPECT_EQ(FileExists(target), c.reached);
    EXPECT_EQ(DirectoryExists(folder), c.reached);
    const std::string name = target.substr(target.find_last_of('\\') + 1) + ".lnk";
    {
      SCOPED_TRACE("as target");
      const LinkWatch watch;
      Launch(Quoted(target) + " /sendto /open:0");
      std::vector<std::string> expected;
      if (c.linked) {
        expected.push_back(LowerAscii(sendTo + "\\" + name));
      }
      EXPECT_EQ(ReadLink(sendTo + "\\" + name).target, c.linked ? target : "");
      EXPECT_EQ(watch.Added(), expected);
    }
    {
      // No link fits into such a folder; the other destination still gets one.
      SCOPED_TRACE("as folder");
      const std::string shortTarget = dir.File("t.txt");
      const LinkWatch watch;
      const LinktoRun run =
          Launch(Quoted(shortTarget) + " " + Quoted("/path:" + folder) + " /sendto /open:0");
      EXPECT_EQ(watch.Added(), std::vector<std::string>{LowerAscii(sendTo + "\\t.txt.lnk")});
      EXPECT_EQ(run.windows, std::vector<std::string>{});
    }
    RemoveLongTree(target);
    RemoveLongTree(folder);
  }
  RemoveLongTree(base);
}

namespace {

// count different kanji from 亜 (88 9F) on: two bytes in code page 932,
// three in the UTF-8 of a Linux file name (so a name holds 80 of them).
std::string Kanji(size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    text += '\x88';
    text += static_cast<char>(0x9F + i % 0x5E);
  }
  return text;
}

std::string Repeated(const std::string &unit, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    text += unit;
  }
  return text;
}

// Code-page text as lnkinfo prints it.
std::string Utf8(const std::string &text) {
  std::vector<WCHAR> wide(text.size() + 1);
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  std::vector<char> bytes(text.size() * 3 + 1);
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, bytes.data(), static_cast<int>(bytes.size()),
                      nullptr, nullptr);
  return bytes.data();
}

// base\part\part...: every folder on the way made through the wide calls.
std::string MakeLongFolders(const std::string &base, const std::vector<std::string> &parts) {
  std::string path = base;
  for (const std::string &part : parts) {
    path += "\\" + part;
    EXPECT_TRUE(MakeLongDirectory(path)) << path.size();
  }
  return path;
}

} // namespace

// The platform counts paths in characters (UTF-16 units): in code page 932 a
// kanji takes two bytes, and a path of many more than 260 bytes still fits.
TEST(HostileInput, JapanesePathsAreMeasuredInCharacters) {
  ScratchDir dir("hostile-jp"); // C:\lt\hostile-jp: 16 bytes
  const std::string base = dir.path();
  const std::string hyo = "\x95\x5C", so = "\x83\x5C"; // 表, ソ: second byte 0x5C
  const std::string sendTo = SpecialFolder(kSendTo);
  const struct {
    const char *name;
    std::vector<std::string> targetFolders; // under base
    std::string targetName;
    std::vector<std::string> destination; // a /path: folder under base, or none
    bool dropExtension;
    bool inSendTo, inDestination;
  } cases[] = {
      // Targets: the link object holds 259 units; one more is refused.
      {"target of 259 units (495 bytes)",
       {Kanji(80), Kanji(80)},
       Kanji(76) + ".txt",
       {},
       false,
       true,
       false},
      {"target of 260 units", {Kanji(80), Kanji(80)}, Kanji(77) + ".txt", {}, false, false, false},
      {"target of 276 bytes, 150 units", {Kanji(80), Kanji(46)}, "x.txt", {}, false, true, false},
      {"folders filled with 表 and ソ (298 bytes)",
       {Repeated(hyo, 80), Repeated(so, 60)},
       hyo + so + ".txt",
       {},
       true,
       true,
       false},
      // Link paths: saved whole up to 260 units, not at all past them.
      {"link path of 302 bytes, 164 units",
       {"t"},
       Kanji(80) + ".txt",
       {Kanji(58)},
       false,
       true,
       true},
      {"link path of 444 bytes, 260 units",
       {"t"},
       Kanji(64) + std::string(49, 'n') + ".txt",
       {Kanji(80), Kanji(40)},
       false,
       true,
       true},
      {"link path of 261 units",
       {"t"},
       Kanji(64) + std::string(50, 'n') + ".txt",
       {Kanji(80), Kanji(40)},
       false,
       true,
       false},
      // Destination folders still come from the shell's MAX_PATH-byte calls.
      {"destination of 278 bytes", {"t"}, "x.txt", {Kanji(80), Kanji(50)}, false, true, false},
      // The shell's call leaves the first 260 bytes unterminated: that is its
      // parent's path, and no link goes there.
      {"destination of 262 bytes below a parent of 260",
       {"t"},
       "x.txt",
       {Kanji(80), Kanji(41), "x"},
       false,
       true,
       false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = MakeLongFolders(base, c.targetFolders);
    const std::string target = folder + "\\" + c.targetName;
    ASSERT_TRUE(MakeLongFile(target));
    ASSERT_TRUE(FileExists(target)) << "the ANSI file calls do not reach the target";
    std::string arguments = Quoted(target) + " /sendto /open:0";
    std::string destination;
    if (!c.destination.empty()) {
      destination = MakeLongFolders(base, c.destination);
      arguments += " " + Quoted("/path:" + destination);
    }
    if (c.dropExtension) {
      arguments += " /ext:0";
    }
    std::string name = c.targetName;
    if (c.dropExtension) {
      name = name.substr(0, name.rfind('.'));
    }
    name += ".lnk";
    std::vector<std::string> links;
    if (c.inDestination) {
      links.push_back(destination + "\\" + name);
    }
    if (c.inSendTo) {
      links.push_back(sendTo + "\\" + name);
    }
    std::vector<std::string> expected;
    for (const std::string &link : links) {
      expected.push_back(LowerAscii(link));
    }
    std::sort(expected.begin(), expected.end());
    const LinkWatch watch;
    Launch(arguments);
    EXPECT_EQ(watch.Added(), expected);
    for (const std::string &link : links) {
      SCOPED_TRACE(link.size());
      const LinkInfo info = ReadLink(link);
      EXPECT_TRUE(info.loaded);
      EXPECT_EQ(info.target, target);
      EXPECT_EQ(info.workingDirectory, folder);
      const std::string report = LnkinfoReport(link);
      ASSERT_NE(report, "") << "lnkinfo did not run";
      EXPECT_NE(report.find("Local path\t\t\t: " + Utf8(target) + "\n"), std::string::npos)
          << report;
      EXPECT_NE(report.find("Working directory\t\t: " + Utf8(folder) + "\n"), std::string::npos)
          << report;
    }
    RemoveLongTree(target);
  }
  RemoveLongTree(base);
}

namespace {

// True when a new file can be made in folder (it is removed again).
// Each probe has a name of its own: a probe made just before the folder
// turned immutable cannot be deleted, and must not stand in the way of the
// probes after it is writable again.
bool Writable(const std::string &folder) {
  static unsigned probes = 0;
  const std::string probe = folder + "\\probe" + std::to_string(++probes) + ".tmp";
  const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  return true;
}

// Sets or clears the immutable flag of the Unix folder behind a Windows path
// with the host's chattr: the one way to keep even root from writing into a
// folder. Wine may report the Unix program ended before it has, so the
// effect is waited for. False when it did not take effect.
bool SetImmutable(const std::string &folder, bool on) {
  typedef char *(CDECL * UnixName)(const WCHAR *);
  const UnixName toUnix = reinterpret_cast<UnixName>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  WCHAR wide[MAX_PATH] = {};
  if (toUnix == nullptr ||
      MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH) <= 0) {
    return false;
  }
  char *unixPath = toUnix(wide);
  if (unixPath == nullptr) {
    return false;
  }
  const std::string command =
      std::string("Z:\\usr\\bin\\chattr ") + (on ? "+i " : "-i ") + Quoted(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  const ProcessResult chattr = RunProcess(command, kProcessWaitMs);
  if (!chattr.started || chattr.timedOut) {
    printf("note: %s did not run (CreateProcess error %lu, timed out %d)\n", command.c_str(),
           static_cast<unsigned long>(chattr.startError), chattr.timedOut ? 1 : 0);
  }
  return WaitFor([&] { return Writable(folder) != on; }, kWaitMs);
}

} // namespace

TEST(HostileInput, AFolderThatRefusesTheLinkLeavesTheOthersTheirs) {
  ScratchDir dir("hostile-refused");
  const std::string target = dir.File("t.txt");
  const std::string blocked = dir.Dir("Blocked"), open = dir.Dir("Open");
  const std::string readOnly = dir.Dir("ReadOnly"), immutable = dir.Dir("Immutable");
  // The link's name is taken by a folder with a file in it: the save fails.
  const std::string inside = dir.File("Blocked\\t.txt.lnk\\keep.txt");
  // The read-only attribute of a folder does not keep files out of it: that
  // folder gets its link. A folder nobody may write into gets none.
  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  const bool refuses = SetImmutable(immutable, true);
  if (!refuses) {
    printf("note: no immutable folder here (chattr +i needs root on ext4 or the like); "
           "the folder taken by the link's name still refuses the link\n");
  }
  const LinkWatch watch;
  Launch(Quoted(target) + " " + Quoted("/path:" + blocked) + " " + Quoted("/path:" + immutable) +
         " " + Quoted("/path:" + readOnly) + " " + Quoted("/path:" + open) + " /sendto /open:0");
  std::vector<std::string> expected = {LowerAscii(open + "\\t.txt.lnk"),
                                       LowerAscii(readOnly + "\\t.txt.lnk"),
                                       SendToLink("t.txt.lnk")};
  if (!refuses) {
    expected.insert(expected.begin(), LowerAscii(immutable + "\\t.txt.lnk"));
  }
  if (refuses) {
    EXPECT_TRUE(SetImmutable(immutable, false));
  }
  EXPECT_EQ(watch.Added(), expected);
  EXPECT_TRUE(DirectoryExists(blocked + "\\t.txt.lnk"));
  EXPECT_TRUE(FileExists(inside));
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

namespace {

// What happens to the first /path: folder while the folder browser holds the
// run between reading the command line and writing the links.
struct Vanishing {
  std::string folder;
  bool replaceWithFile;
  int browsers;
};

bool RemoveWhileBrowsing(HWND window, void *user) {
  Vanishing *vanishing = static_cast<Vanishing *>(user);
  if (FindWindowExA(window, nullptr, "SysTreeView32", nullptr) == nullptr) {
    return false;
  }
  ++vanishing->browsers;
  RemoveTree(vanishing->folder);
  if (vanishing->replaceWithFile) {
    WriteTextFile(vanishing->folder, "a file where the folder was");
  }
  return false; // cancelled
}

} // namespace

TEST(HostileInput, ADestinationThatVanishesBeforeTheWrite) {
  for (const bool replaceWithFile : {false, true}) {
    SCOPED_TRACE(replaceWithFile ? "replaced by a file" : "removed");
    ScratchDir dir("hostile-vanish");
    const std::string target = dir.File("t.txt");
    Vanishing vanishing = {dir.Dir("Gone"), replaceWithFile, 0};
    const std::string kept = dir.Dir("Kept");
    const LinkWatch watch;
    Launch(Quoted(target) + " " + Quoted("/path:" + vanishing.folder) + " " +
               Quoted("/path:" + kept) + " /path /open:0",
           RemoveWhileBrowsing, &vanishing);
    EXPECT_EQ(vanishing.browsers, 1);
    EXPECT_EQ(watch.Added(), std::vector<std::string>{LowerAscii(kept + "\\t.txt.lnk")});
    EXPECT_EQ(FileExists(vanishing.folder), replaceWithFile);
    EXPECT_FALSE(DirectoryExists(vanishing.folder));
  }
}

TEST(HostileInput, LockedAndHiddenTargetsGetTheirLinks) {
  ScratchDir dir("hostile-locked");
  const struct {
    const char *name;
    DWORD share;
    DWORD attributes;
  } cases[] = {
      {"locked.txt", 0, FILE_ATTRIBUTE_NORMAL},
      {"no-delete.txt", FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_ATTRIBUTE_NORMAL},
      {"hidden.txt", FILE_SHARE_READ,
       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string target = dir.File(c.name);
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), c.attributes));
    const HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const LinkWatch watch;
    Launch(Quoted(target) + " /sendto /open:0");
    CloseHandle(held);
    const std::string link = SpecialFolder(kSendTo) + "\\" + c.name + ".lnk";
    EXPECT_EQ(watch.Added(), std::vector<std::string>{LowerAscii(link)});
    EXPECT_EQ(ReadLink(link).target, target);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

namespace {

// One default value written exactly as given: type and bytes.
void WriteRawDefault(const std::string &key, DWORD type, const std::string &bytes) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(handle, nullptr, 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(handle);
}

} // namespace

TEST(HostileInput, OddVerbValuesAreOpenedAndSaved) {
  const std::string key = "exefile\\shell\\toSendTo";
  const std::string command = "\"C:\\x.exe\" /sendto \"%1\"";
  const std::string huge(100000, 'h');
  const std::string defaultCommand = DefaultCommandOf("/sendto");
  const VerbKey absent;
  const struct {
    const char *name;
    DWORD captionType;
    std::string caption; // bytes as stored
    DWORD commandType;
    std::string commandBytes;
    VerbKey after; // toSendTo after OK
  } cases[] = {
      {"caption without terminator", REG_SZ, "abc", REG_SZ, command + '\0',
       Registered("abc", command)},
      {"command without terminator", REG_SZ, std::string("abc", 4), REG_SZ, command,
       Registered("abc", command)},
      {"empty caption and command", REG_SZ, "", REG_SZ, "", Registered("", "")},
      {"expandable strings taken as they are", REG_EXPAND_SZ, std::string("%PATH%", 7),
       REG_EXPAND_SZ, std::string("%1 %2", 6), Registered("%PATH%", "%1 %2")},
      {"text after a terminator", REG_SZ, std::string("ab\0cd", 6), REG_SZ, std::string("x\0y", 4),
       Registered("ab", "x")},
      // A caption that is no text makes the verb read as not registered: OK
      // removes it, as it removes every verb whose row is clear.
      {"caption of the wrong type", REG_DWORD, std::string("\x01\0\0\0", 4), REG_SZ, command + '\0',
       absent},
      {"caption of several strings", REG_MULTI_SZ, std::string("a\0b\0\0", 5), REG_SZ,
       command + '\0', absent},
      // A command that is no text is replaced by the default one.
      {"command of the wrong type", REG_SZ, std::string("abc", 4), REG_BINARY,
       std::string("\xFF\x00\x81", 3), Registered("abc", defaultCommand)},
      {"command of no type", REG_SZ, std::string("abc", 4), REG_NONE, "",
       Registered("abc", defaultCommand)},
      {"huge caption and command", REG_SZ, huge + '\0', REG_SZ, "\"" + huge + "\" /sendto" + '\0',
       Registered(huge, "\"" + huge + "\" /sendto")},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const VerbKeysGuard guard;
    WriteRawDefault(key, c.captionType, c.caption);
    WriteRawDefault(key + "\\command", c.commandType, c.commandBytes);
    RunMenuItems([](HWND dialog) {
      // A registered row also opens its command line and confirms it.
      if (ButtonState(dialog, IDC_SENDTO_CHECK) == BST_CHECKED) {
        const HWND inner = OpenDetails(dialog, IDC_SENDTO_DETAILS);
        ASSERT_NE(inner, nullptr);
        EXPECT_TRUE(EndWith(inner, IDOK));
      }
      EXPECT_TRUE(EndWith(dialog, IDOK));
    });
    const VerbKey after = ReadVerbKey("toSendTo");
    EXPECT_EQ(after.exists, c.after.exists);
    EXPECT_EQ(after.caption.size(), c.after.caption.size());
    EXPECT_EQ(after.command.size(), c.after.command.size());
    EXPECT_TRUE(after == c.after);
  }
}

TEST(HostileInput, OddNamesAsTargets) {
  ScratchDir dir("hostile-names");
  const std::string file = dir.File("t.txt");
  const std::string dest = dir.Dir("Dest");
  const std::string link = LowerAscii(dest + "\\t.txt.lnk");
  std::string slashed = file;
  for (char &c : slashed) {
    c = c == '\\' ? '/' : c;
  }
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  const struct {
    std::string target;
    std::vector<std::string> links;
  } cases[] = {
      // Devices exist but take no link file.
      {"NUL", {}},
      {"CON", {}},
      {"COM1", {}},
      // Relative and prefixed forms of the file: its own name.
      {"t.txt", {link}},
      {".\\t.txt", {link}},
      {"Dest\\..\\t.txt", {link}},
      {"\\\\?\\" + file, {link}},
      // Names that would leave the folder or name a stream: no link.
      {dir.path() + "\\.", {}},
      {dir.path() + "\\..", {}},
      {"C:", {}},
      {"C:t.txt", {}},
      {slashed, {}},
      // Nothing there: the menu-items dialog, cancelled.
      {file + ":stream", {}},
      {file + "::$DATA", {}},
      {dir.path() + "\\*.txt", {}},
      {dir.path() + "\\t?txt", {}},
      {file + "\\", {}},
      {"\\\\.\\NUL", {}},
      {"\\\\localhost\\C$", {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.target);
    const LinkWatch watch;
    Launch(Quoted(c.target) + " " + Quoted("/path:" + dest) + " /open:0");
    EXPECT_EQ(watch.Added(), c.links);
    for (const std::string &added : c.links) {
      EXPECT_EQ(LowerAscii(ReadLink(added).target),
                LowerAscii(c.target[0] == '\\' ? c.target : file));
    }
  }
  SetCurrentDirectoryA(previous);
}
