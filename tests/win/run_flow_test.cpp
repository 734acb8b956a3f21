// The real linkto.exe under Wine, started with exact command lines: the links
// it leaves on disk (and nowhere else), read back through the shell's link
// object and once through lnkinfo, and the folders it opens, seen by a
// stand-in for the shell's folder window.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "linkbed.h"

namespace {

const std::string kHyo = "\x95\x5C", kYo = "\x97\x5C", kSo = "\x83\x5C";
const std::string kYotei = kYo + "\x92\xE8";          // 予定
const std::string kSofuto = kSo + "\x83\x74\x83\x67"; // ソフト

::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new OpenLogEnvironment);

template <typename Text> struct ExpectedOf { Text link, target, workingDirectory; };
typedef ExpectedOf<std::string> Expected;
typedef ExpectedOf<std::wstring> WideExpected;

std::string Special(int csidl) {
  return SpecialFolder(csidl);
}
const int kSendTo = 0x09, kDesktop = 0x10, kAppData = 0x1A;

std::string Parent(const std::string &path) {
  return path.substr(0, path.find_last_of('\\'));
}

// Expected link of target in folder under name; the working directory is the
// target's folder unless given (Parent does not know double-byte names).
Expected LinkOf(const std::string &folder, const std::string &name, const std::string &target,
                const std::string &workingDirectory = std::string()) {
  return {folder + "\\" + name, target,
          workingDirectory.empty() ? Parent(target) : workingDirectory};
}

std::vector<std::string> LinkPaths(const std::vector<Expected> &expected) {
  std::vector<std::string> paths;
  for (const Expected &e : expected) {
    paths.push_back(e.link);
  }
  return paths;
}

// Exactly the expected links were added (added: as the watch lists them),
// each pointing where it should (read back by read).
template <typename Text, typename Read, typename Target>
void CheckLinks(const std::vector<Text> &added, const std::vector<ExpectedOf<Text>> &expected,
                Read read, Target targetOf) {
  std::vector<Text> wanted;
  for (const ExpectedOf<Text> &e : expected) {
    wanted.push_back(LowerAscii(e.link));
  }
  std::sort(wanted.begin(), wanted.end());
  wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
  EXPECT_EQ(added, wanted);
  for (const ExpectedOf<Text> &e : expected) {
    SCOPED_TRACE(e.link);
    const auto info = read(e.link);
    ASSERT_TRUE(info.loaded);
    EXPECT_EQ(targetOf(info), e.target);
    EXPECT_EQ(info.workingDirectory, e.workingDirectory);
    EXPECT_EQ(info.showCommand, SW_SHOWNORMAL);
  }
}

void ExpectLinks(const LinkWatch &watch, const std::vector<Expected> &expected) {
  CheckLinks(watch.Added(), expected, ReadLink, [](const LinkInfo &info) { return info.target; });
}

void ExpectWideLinks(const LinkWatch &watch, const std::vector<WideExpected> &expected) {
  CheckLinks(watch.AddedWide(), expected, ReadLinkWide,
             [](const WideLinkInfo &info) { return info.itemPath; });
}

// Runs linkto.exe; the run must end by itself with exit code 0.
LinktoRun Launch(const std::string &arguments, const std::vector<std::string> &links = {}) {
  openLog->Reset(links);
  LinktoRun run = RunLinkto(arguments);
  EXPECT_TRUE(run.process.started) << "CreateProcess error " << run.process.startError;
  EXPECT_FALSE(run.process.timedOut);
  EXPECT_EQ(run.process.exitCode, 0u);
  return run;
}

std::vector<std::string> Lower(std::vector<std::string> paths) {
  for (std::string &path : paths) {
    path = LowerAscii(path);
  }
  return paths;
}

// A window of the destination dialog is allowed where no destination was
// given; the runner cancels it. Nothing else may appear.
void ExpectAtMostTheDestinationDialog(const LinktoRun &run) {
  EXPECT_LE(run.windows.size(), 1u);
  for (const std::string &window : run.windows) {
    EXPECT_EQ(window, std::string("#32770|") + kDestinationTitle);
  }
}

unsigned long long WriteTime(const std::string &path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32 |
         data.ftLastWriteTime.dwLowDateTime;
}

std::string Upper(std::string text) {
  for (char &c : text) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return text;
}

} // namespace

TEST(RunFlow, EverySwitchOfTheTableWritesIntoItsFolderAndOpensIt) {
  ScratchDir dir("every-switch");
  const std::string target = dir.File("tool.exe");
  const struct {
    const char *text;
    int csidl;
  } table[] = {
      {"/startmenu", 0x0B},     {"/programs", 0x02},    {"/startup", 0x07},
      {"/admintools", 0x30},    {"/sendto", 0x09},      {"/favorites", 0x06},
      {"/mydoc", 0x05},         {"/mypict", 0x27},      {"/mymusic", 0x0D},
      {"/myvideo", 0x0E},       {"/desktop", 0x10},     {"/startmenu:all", 0x16},
      {"/programs:all", 0x17},  {"/startup:all", 0x18}, {"/admintools:all", 0x2F},
      {"/favorites:all", 0x1F}, {"/mydoc:all", 0x2E},   {"/mypict:all", 0x36},
      {"/mymusic:all", 0x35},   {"/myvideo:all", 0x37}, {"/desktop:all", 0x19},
      {"/windows", 0x24},       {"/system", 0x25},
  };
  for (size_t row = 0; row < sizeof table / sizeof table[0]; ++row) {
    // Every other switch in capitals: letters compare without regard to case.
    const std::string text = row % 2 != 0 ? Upper(table[row].text) : table[row].text;
    SCOPED_TRACE(text);
    const std::string folder = Special(table[row].csidl);
    ASSERT_FALSE(folder.empty());
    const LinkWatch watch;
    const std::vector<Expected> expected = {LinkOf(folder, "tool.exe.lnk", target)};
    const LinktoRun run = Launch(Quoted(target) + " " + text, LinkPaths(expected));
    ExpectLinks(watch, expected);
    EXPECT_EQ(Opened(1), Lower({folder}));
    EXPECT_EQ(run.windows, std::vector<std::string>{});
  }
}

TEST(RunFlow, TargetsOutsideFoldersInsideThenEveryFolderOpenedOnce) {
  ScratchDir dir("order");
  const std::string a = dir.Dir("A"), b = dir.Dir("B");
  const std::string one = dir.File("x\\one.txt"), two = dir.File("y\\two.txt");
  const std::string sendTo = Special(kSendTo), desktop = Special(kDesktop);
  // /path: folders in argument order, then the table's folders in table order
  // (SendTo, row 4, before the desktop, row 10), whatever the order given.
  const std::vector<std::string> folders = {b, a, sendTo, desktop};
  std::vector<Expected> expected;
  for (const std::string &target : {one, two}) {
    for (const std::string &folder : folders) {
      expected.push_back(
          LinkOf(folder, target.substr(target.find_last_of('\\') + 1) + ".lnk", target));
    }
  }
  const LinkWatch watch;
  const LinktoRun run = Launch(Quoted(one) + " /desktop " + Quoted("/path:" + b) + " " +
                                   Quoted(two) + " /sendto " + Quoted("/path:" + a),
                               LinkPaths(expected));
  ExpectLinks(watch, expected);
  for (size_t i = 1; i < expected.size(); ++i) {
    EXPECT_LT(WriteTime(expected[i - 1].link), WriteTime(expected[i].link)) << expected[i].link;
  }
  EXPECT_EQ(Opened(folders.size()), Lower(folders));
  EXPECT_EQ(run.windows, std::vector<std::string>{});
}

TEST(RunFlow, TheLaterOfTwoTargetsWithOneNameWins) {
  ScratchDir dir("same-name");
  const std::string first = dir.File("a\\same.txt"), second = dir.File("b\\same.txt");
  const LinkWatch watch;
  Launch(Quoted(first) + " " + Quoted(second) + " /sendto /open:0");
  ExpectLinks(watch, {LinkOf(Special(kSendTo), "same.txt.lnk", second)});
}

TEST(RunFlow, FoldersAreTargetsAndMissingTargetsAreSkipped) {
  ScratchDir dir("targets");
  const std::string data = dir.Dir("Data"), file = dir.File("file.txt");
  const std::string sendTo = Special(kSendTo);
  const LinkWatch watch;
  Launch(Quoted(data) + " " + Quoted(dir / "missing.txt") + " " + Quoted(file) + " " +
         Quoted(dir / "gone\\x") + " /sendto /open:0");
  ExpectLinks(watch, {LinkOf(sendTo, "Data.lnk", data), LinkOf(sendTo, "file.txt.lnk", file)});
}

TEST(RunFlow, DropExtensionTakesOnlyTheLastExtension) {
  ScratchDir dir("ext");
  const std::string sendTo = Special(kSendTo);
  const std::string archive = dir.File("archive.tar.gz"), profile = dir.File(".profile"),
                    readme = dir.File("README"), folder = dir.Dir("v1.2");
  const LinkWatch watch;
  Launch(Quoted(archive) + " " + Quoted(profile) + " " + Quoted(readme) + " " + Quoted(folder) +
         " /ext:0 /sendto /ext:0 /open:0");
  ExpectLinks(watch, {LinkOf(sendTo, "archive.tar.lnk", archive), LinkOf(sendTo, ".lnk", profile),
                      LinkOf(sendTo, "README.lnk", readme), LinkOf(sendTo, "v1.lnk", folder)});
}

TEST(RunFlow, DoubleByteNamesWhoseSecondByteIsABackslash) {
  ScratchDir dir("dbcs");
  const std::string dest = dir.Dir(kHyo + kSo); // 表ソ: ends in the byte 0x5C
  const std::string yotei = dir.File(kHyo + "\\" + kYotei + ".txt");
  const std::string sofuto = dir.File(kSofuto + "\\" + kSo + ".txt");
  const std::string folderTarget = dir / kHyo;
  const LinkWatch watch;
  const LinktoRun run = Launch(Quoted(yotei) + " " + Quoted(sofuto) + " " + Quoted(folderTarget) +
                               " " + Quoted("/path:" + dest) + " /ext:0");
  ExpectLinks(watch, {LinkOf(dest, kYotei + ".lnk", yotei, dir / kHyo),
                      LinkOf(dest, kSo + ".lnk", sofuto, dir / kSofuto),
                      LinkOf(dest, kHyo + ".lnk", folderTarget, dir.path())});
  EXPECT_EQ(Opened(1), Lower({dest}));
}

TEST(RunFlow, PathFoldersThatDoNotExistAreDropped) {
  ScratchDir dir("path-dropped");
  const std::string target = dir.File("t.txt");
  const std::string file = dir.File("plain.txt"), folder = dir.Dir("Real Folder");
  const std::string sendTo = Special(kSendTo);
  const LinkWatch watch;
  // The last argument's backslash escapes its closing quote: the program
  // receives /path:...\Real Folder" and finds no such folder.
  const LinktoRun run =
      Launch(Quoted(target) + " /sendto " + Quoted("/path:" + (dir / "missing")) + " " +
                 Quoted("/path:" + file) + " /path: " + Quoted("/PATH:" + folder + "\\"),
             {sendTo + "\\t.txt.lnk"});
  ExpectLinks(watch, {LinkOf(sendTo, "t.txt.lnk", target)});
  EXPECT_EQ(Opened(1), Lower({sendTo}));
  EXPECT_EQ(run.windows, std::vector<std::string>{});
}

TEST(RunFlow, OneFolderNamedTwiceKeepsItsFirstPlace) {
  ScratchDir dir("named-twice");
  const std::string target = dir.File("t.txt"), a = dir.Dir("A");
  const std::string windows = Special(0x24), sendTo = Special(kSendTo);
  ASSERT_EQ(LowerAscii(windows), "c:\\windows");
  const std::vector<Expected> expected = {LinkOf(a, "t.txt.lnk", target),
                                          LinkOf(windows, "t.txt.lnk", target),
                                          LinkOf(sendTo, "t.txt.lnk", target)};
  const LinkWatch watch;
  Launch(Quoted(target) + " /sendto /windows " + Quoted("/path:" + a) + " /path:c:\\WINDOWS " +
             Quoted("/path:" + a + "\\") + " /WINDOWS",
         LinkPaths(expected));
  ExpectLinks(watch, expected);
  EXPECT_EQ(Opened(3), Lower({a, windows, sendTo}));
}

TEST(RunFlow, OpenZeroOpensNothingButWritesAsUsual) {
  ScratchDir dir("open-zero");
  const std::string target = dir.File("t.txt");
  const LinkWatch watch;
  const LinktoRun run = Launch(Quoted(target) + " /SendTo /OPEN:0 /DESKTOP /Ext:0");
  ExpectLinks(watch, {LinkOf(Special(kSendTo), "t.lnk", target),
                      LinkOf(Special(kDesktop), "t.lnk", target)});
  EXPECT_EQ(Opened(0), std::vector<std::string>{});
  EXPECT_EQ(run.windows, std::vector<std::string>{});
}

TEST(RunFlow, WithoutADestinationNothingIsWritten) {
  ScratchDir dir("no-destination");
  const std::string target = dir.File("t.txt");
  const std::string tails[] = {
      "",
      " /ext:0 /open:0",
      " /sendto:all /qlaunch:all /windows:all /SENDTO:ALL /send /path:",
      " " + Quoted("/path:" + (dir / "missing")),
  };
  for (const std::string &tail : tails) {
    SCOPED_TRACE(tail);
    const LinkWatch watch;
    const LinktoRun run = Launch(Quoted(target) + tail);
    EXPECT_EQ(watch.Added(), std::vector<std::string>{});
    EXPECT_EQ(Opened(0), std::vector<std::string>{});
    ExpectAtMostTheDestinationDialog(run);
  }
}

TEST(RunFlow, WithoutAnExistingPathNoSwitchActs) {
  ScratchDir dir("nothing-exists");
  const std::string tails[] = {"", "/sendto", "/path",
                               Quoted(dir / "missing.txt") + " /sendto /path",
                               Quoted("/path:" + dir.path()) + " /desktop"};
  for (const std::string &tail : tails) {
    SCOPED_TRACE(tail);
    const LinkWatch watch;
    const LinktoRun run = Launch(tail);
    EXPECT_EQ(watch.Added(), std::vector<std::string>{});
    EXPECT_EQ(Opened(0), std::vector<std::string>{});
    // The menu-items dialog may show; the folder browser never does.
    EXPECT_LE(run.windows.size(), 1u);
    for (const std::string &window : run.windows) {
      EXPECT_EQ(window.find("|tree"), std::string::npos) << window;
    }
  }
}

TEST(RunFlow, QuickLaunchOnlyWhenItsFolderExists) {
  ScratchDir dir("qlaunch");
  const std::string target = dir.File("t.txt");
  const std::string ie = Special(kAppData) + "\\Microsoft\\Internet Explorer";
  const std::string quickLaunch = ie + "\\Quick Launch";
  ASSERT_FALSE(DirectoryExists(quickLaunch)); // a fresh prefix has none
  const bool madeIe = !DirectoryExists(ie);
  {
    const LinkWatch watch;
    const LinktoRun run = Launch(Quoted(target) + " /qlaunch");
    EXPECT_EQ(watch.Added(), std::vector<std::string>{});
    EXPECT_EQ(Opened(0), std::vector<std::string>{});
    EXPECT_EQ(run.windows, std::vector<std::string>{}); // a destination was given
  }
  ASSERT_TRUE(MakeDirectories(quickLaunch));
  {
    const LinkWatch watch;
    const std::vector<Expected> expected = {LinkOf(quickLaunch, "t.txt.lnk", target)};
    Launch(Quoted(target) + " /QLaunch", LinkPaths(expected));
    ExpectLinks(watch, expected);
    EXPECT_EQ(Opened(1), Lower({quickLaunch}));
  }
  RemoveTree(madeIe ? ie : quickLaunch);
}

TEST(RunFlow, LinkPathsAtThe260ByteLimit) {
  ScratchDir dir("limit");
  const std::string target = dir.File("t\\name.txt"); // "\name.txt.lnk": 13 bytes
  std::string fits = dir.path() + "\\";
  fits.resize(247, 'f');
  std::string over = dir.path() + "\\";
  over.resize(248, 'o');
  std::string cut = dir.path() + "\\";
  cut.resize(252, 'c'); // the join would cut "name.txt"
  for (const std::string &folder : {fits, over, cut}) {
    ASSERT_TRUE(MakeDirectories(folder));
  }
  const std::string sendTo = Special(kSendTo);
  {
    const LinkWatch watch;
    Launch(Quoted(target) + " " + Quoted("/path:" + fits) + " " + Quoted("/path:" + over) + " " +
           Quoted("/path:" + cut) + " /sendto /open:0");
    ExpectLinks(watch,
                {LinkOf(fits, "name.txt.lnk", target), LinkOf(sendTo, "name.txt.lnk", target)});
  }
  {
    const LinkWatch watch;
    Launch(Quoted(target) + " " + Quoted("/path:" + over) + " " + Quoted("/path:" + cut) +
           " /ext:0 /open:0");
    ExpectLinks(watch, {LinkOf(over, "name.lnk", target)}); // 248 + 9 bytes
  }
}

TEST(RunFlow, LnkinfoReadsWhatTheShellReads) {
  ScratchDir dir("lnkinfo");
  const std::string target = dir.File("Sample Folder\\sample file.txt");
  const LinkWatch watch;
  Launch(Quoted(target) + " /sendto /desktop /open:0");
  const std::vector<Expected> expected = {LinkOf(Special(kSendTo), "sample file.txt.lnk", target),
                                          LinkOf(Special(kDesktop), "sample file.txt.lnk", target)};
  ExpectLinks(watch, expected);
  for (const Expected &e : expected) {
    const std::string report = LnkinfoReport(e.link);
    ASSERT_NE(report, "") << "lnkinfo did not run";
    EXPECT_NE(report.find("Local path\t\t\t: " + e.target + "\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Working directory\t\t: " + e.workingDirectory + "\n"), std::string::npos)
        << report;
  }
}

// Names the code page cannot spell, passed as the shell passes them: in a
// UTF-16 command line. Each is linked as itself: é is no e, and the yen sign
// (U+00A5) is no backslash, though the code-page command line has them so.
// Every system code page gives the same links: the program's own is 932
// whether the system grants its manifest's request or not (the UTF-8 bytes of
// あ, E3 81 82, or the é of José on code page 1252 would otherwise open a
// double-byte character and hide the backslash after them).
class RunFlowOn : public ::testing::TestWithParam<SystemUnderTest> {};
INSTANTIATE_TEST_SUITE_P(Systems, RunFlowOn, ::testing::ValuesIn(kSystemsUnderTest), SystemName);

TEST_P(RunFlowOn, NamesInAnyScriptAreLinkedAsThemselves) {
  const SystemGuard system(GetParam());
  ASSERT_TRUE(system.ready());
  ScratchDir dir("outside");
  const std::wstring root = WideOf(dir.path());
  const std::wstring cafe = dir.WideFile(L"caf\u00E9.txt"),
                     hangul = dir.WideFile(L"\uD55C\uAE00.exe");
  const std::wstring yen = dir.WideFile(L"a\u00A5b.txt"), yenOnly = dir.WideFile(L"a\u00A5");
  dir.File("a\\b.txt"); // what the code-page form of a¥b.txt names
  const std::wstring plain = WideOf(dir.File("plain.txt"));
  const std::wstring out = WideOf(dir.Dir("out")), dest = dir.WideDir(L"d\u00E9st");
  const std::wstring sendTo = SpecialFolderWide(kSendTo), desktop = SpecialFolderWide(kDesktop);
  const std::wstring destinationDialog = L"#32770|\u767B\u9332\u5148\u306E\u9078\u629E";
  const std::wstring menuItemsDialog =
      L"#32770|\u30E1\u30CB\u30E5\u30FC\u9805\u76EE\u306E\u7DE8\u96C6";
  const std::wstring jose = dir.WideFile(L"Jos\u00E9\\c.txt"),
                     andre = dir.WideFile(L"Andr\u00E9\\c.txt"),
                     kana = dir.WideFile(L"\u3042\\c.txt");
  const std::wstring nihon = dir.WideFile(L"\u65E5\u672C\\\u65E5\u672C.txt");
  auto q = [](const std::wstring &text) { return L"\"" + text + L"\""; };
  const struct {
    std::wstring arguments;
    std::vector<WideExpected> links;
    std::wstring window;              // the one window shown, or none
    std::vector<std::wstring> opened; // folders opened, in order
  } cases[] = {
      {q(cafe) + L" /sendto /open:0", {{sendTo + L"\\caf\u00E9.txt.lnk", cafe, root}}, L"", {}},
      {q(cafe) + L" /ext:0 " + q(L"/path:" + dest) + L" " + q(L"/PATH:" + root + L"\\D\u00E9ST"),
       {{dest + L"\\caf\u00E9.lnk", cafe, root}},
       L"",
       {dest}},
      {q(hangul) + L" " + q(plain) + L" /desktop /open:0",
       {{desktop + L"\\\uD55C\uAE00.exe.lnk", hangul, root},
        {desktop + L"\\plain.txt.lnk", plain, root}},
       L"",
       {}},
      {q(yen) + L" " + q(L"/path:" + out) + L" /open:0",
       {{out + L"\\a\u00A5b.txt.lnk", yen, root}},
       L"",
       {}},
      // A name the code page spells goes the code-page way, as before.
      {q(plain) + L" " + q(L"/path:" + out), {{out + L"\\plain.txt.lnk", plain, root}}, L"", {out}},
      // Folders whose names the system's own code page reads otherwise.
      {q(jose) + L" " + q(L"/path:" + out) + L" /open:0",
       {{out + L"\\c.txt.lnk", jose, root + L"\\Jos\u00E9"}},
       L"",
       {}},
      {q(andre) + L" " + q(L"/path:" + out) + L" /open:0",
       {{out + L"\\c.txt.lnk", andre, root + L"\\Andr\u00E9"}},
       L"",
       {}},
      {q(kana) + L" " + q(L"/path:" + out) + L" /open:0",
       {{out + L"\\c.txt.lnk", kana, root + L"\\\u3042"}},
       L"",
       {}},
      {q(nihon) + L" /sendto /open:0",
       {{sendTo + L"\\\u65E5\u672C.txt.lnk", nihon, root + L"\\\u65E5\u672C"}},
       L"",
       {}},
      // No destination: the chooser is asked (and cancelled).
      {q(cafe), {}, destinationDialog, {}},
      // The look-alike backslash escapes the quote after it: the code-page
      // line splits into fewer arguments, and is taken as it is, naming
      // nothing that exists.
      {q(yenOnly) + L" " + q(plain) + L" /sendto /open:0", {}, menuItemsDialog, {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.arguments);
    const LinkWatch watch;
    openLog->Reset({});
    const LinktoRun run = RunLinktoWide(c.arguments);
    EXPECT_TRUE(run.process.started) << "CreateProcess error " << run.process.startError;
    EXPECT_FALSE(run.process.timedOut);
    EXPECT_EQ(run.process.exitCode, 0u);
    ExpectWideLinks(watch, c.links);
    std::vector<std::string> opened;
    for (const std::wstring &folder : c.opened) {
      opened.push_back(LowerAscii(CodePageOf(folder))); // as the open log receives it
    }
    EXPECT_EQ(Opened(opened.size()), opened);
    EXPECT_EQ(run.windows, c.window.empty() ? std::vector<std::string>{}
                                            : std::vector<std::string>{CodePageOf(c.window)});
  }
}

// A Send To folder named outside the code page, as under a user profile
// named so, receives its links too.
TEST(RunFlow, ShellFoldersNamedOutsideTheCodePage) {
  ScratchDir dir("outside-shell");
  const std::wstring sendTo = dir.WideDir(L"d\u00E9st\\SendTo");
  const std::wstring plain = WideOf(dir.File("plain.txt"));
  const ShellFolderRedirect redirect(L"SendTo", sendTo);
  ASSERT_EQ(SpecialFolderWide(kSendTo), sendTo);
  const LinkWatch watch;
  openLog->Reset({});
  const LinktoRun run = RunLinktoWide(L"\"" + plain + L"\" /sendto");
  EXPECT_EQ(run.process.exitCode, 0u);
  ExpectWideLinks(watch, {{sendTo + L"\\plain.txt.lnk", plain, WideOf(dir.path())}});
  EXPECT_EQ(Opened(1), std::vector<std::string>{LowerAscii(CodePageOf(sendTo))});
}

namespace {

const char kAppOverrides[] = "Software\\Wine\\AppDefaults\\linkto.exe";

// While it lives, the runs of linkto.exe are the copy program, and Wine takes
// dll from the folder of a linkto.exe first, as Windows takes every DLL that
// is not one of its KnownDLLs. (Wine takes WINEDLLOVERRIDES from no Windows
// parent, so the override is winecfg's, for the program by name.)
struct PlantedRun {
  PlantedRun(const std::string &program, const char *dll) {
    SetProgramUnderTest(program);
    EXPECT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER,
                              (std::string(kAppOverrides) + "\\DllOverrides").c_str(), dll, REG_SZ,
                              "native,builtin", sizeof "native,builtin"),
              ERROR_SUCCESS);
  }
  ~PlantedRun() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kAppOverrides);
    SetProgramUnderTest(std::string());
  }
};

} // namespace

// A DLL named like a system one beside the program (a web page can drop one
// into Downloads unasked) never runs, in any mode, and each mode still does
// its work. Planted in turn: every DLL the program's process loads in the
// bed that Windows would look for there (not the KnownDLLs, not Wine's own
// parts).
TEST(RunFlow, NoDllPlantedBesideTheProgramRuns) {
  const char *const planted[] = {"comctl32", "msimg32", "ucrtbase", "uxtheme", "version", "win32u"};
  ScratchDir dir("planted");
  const std::string target = Quoted(dir.File("t.txt")), program = dir / "linkto.exe";
  const std::string plant = UnixToWindowsPath(LINKTO_TEST_PROGRAMS_UNIX_DIR) + "\\planted.dll";
  ASSERT_TRUE(CopyFileA(LinktoExe().c_str(), program.c_str(), FALSE));
  // The planted DLL leaves its mark when it runs, or every row passes for nothing.
  FreeLibrary(LoadLibraryA(plant.c_str()));
  ASSERT_TRUE(DeleteFileA((plant + ".ran").c_str())) << "planted.dll left no mark";
  const std::string sendTo = Special(kSendTo), link = sendTo + "\\t.txt.lnk";
  const struct {
    const char *name;
    std::string arguments;
    std::string window; // part of the one window the mode shows; "" for none
    bool opens;         // opens Send To
  } modes[] = {
      {"main job", target + " /sendto /open:0", "", false},
      {"destination chooser", target, std::string("#32770|") + kDestinationTitle, false},
      {"menu items", "", std::string("#32770|") + kMenuTitle, false},
      {"folder browser", target + " /path", "|tree", false},
      {"opens the folder", target + " /sendto", "", true},
  };
  for (const char *dll : planted) {
    const std::string copy = dir / dll + ".dll";
    ASSERT_TRUE(CopyFileA(plant.c_str(), copy.c_str(), FALSE));
    const PlantedRun planting(program, dll);
    for (const auto &mode : modes) {
      SCOPED_TRACE(std::string(dll) + ".dll, " + mode.name);
      const LinkWatch watch;
      const LinktoRun run = Launch(mode.arguments);
      EXPECT_FALSE(FileExists(copy + ".ran")) << "the planted DLL ran";
      DeleteFileA((copy + ".ran").c_str());
      EXPECT_EQ(run.windows.size(), mode.window.empty() ? 0u : 1u);
      EXPECT_TRUE(mode.window.empty() || Showed(run, mode.window));
      // A mode that shows no window writes the link.
      EXPECT_EQ(watch.Added(), Lower(mode.window.empty() ? std::vector<std::string>{link}
                                                         : std::vector<std::string>{}));
      if (mode.opens) {
        EXPECT_EQ(Opened(1), Lower({sendTo}));
      }
    }
    DeleteFileA(copy.c_str());
  }
}
