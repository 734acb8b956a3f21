// linkto_leakcount.exe, the program with its heap calls counted, through
// every way a run can go: shortcuts, the folder browser and both dialogs
// confirmed and cancelled, the command-line dialog, failures and hostile
// input. Every run must end by itself with exit code 0 and report that each
// block it took was freed again, its guard bytes intact.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "linkbed.h"
#include "resource.h"
#include "verb_dialogs.h"

namespace {

const char kReportVariable[] = "LINKTO_HEAP_REPORT";
const char kReportFile[] = "C:\\lt\\heap-report.txt";

// Every run of this program is a run of the counting build, which reports
// into kReportFile; no run opens a real folder window.
class LeakCountEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    SetProgramUnderTest(UnixToWindowsPath(LINKTO_LEAKCOUNT_UNIX_PATH));
    MakeDirectories("C:\\lt");
    ASSERT_TRUE(SetEnvironmentVariableA(kReportVariable, kReportFile));
  }
  void TearDown() override {
    SetEnvironmentVariableA(kReportVariable, nullptr);
    DeleteFileA(kReportFile);
    SetProgramUnderTest(std::string());
  }
};
::testing::Environment *const leakCountEnvironment =
    ::testing::AddGlobalTestEnvironment(new LeakCountEnvironment);
::testing::Environment *const openLogEnvironment =
    ::testing::AddGlobalTestEnvironment(new OpenLogEnvironment);

struct HeapReport {
  int lines = 0;
  unsigned long allocated = 0, live = 0, overruns = 0, untracked = 0;
  std::string text; // the whole report, live blocks and all
};

HeapReport TakeReport() {
  HeapReport report;
  FILE *file = fopen(kReportFile, "rb");
  if (file != nullptr) {
    char line[256];
    while (fgets(line, sizeof line, file) != nullptr) {
      report.text += line;
      report.lines +=
          sscanf(line, "heap: allocated %lu live %lu overruns %lu untracked %lu", &report.allocated,
                 &report.live, &report.overruns, &report.untracked) == 4
              ? 1
              : 0;
    }
    fclose(file);
  }
  DeleteFileA(kReportFile);
  return report;
}

// The report of the run that just ended: exactly one, every block freed.
void ExpectCleanHeap() {
  const HeapReport report = TakeReport();
  ASSERT_EQ(report.lines, 1) << "the run did not report (did it end in WinMain?)";
  EXPECT_GT(report.allocated, 0ul); // the argument block at least: counting works
  EXPECT_EQ(report.live, 0ul) << report.text;
  EXPECT_EQ(report.overruns, 0ul) << report.text;
  EXPECT_EQ(report.untracked, 0ul);
}

// The destination dialog confirmed with Send To ticked.
bool ConfirmSendTo(HWND window, void *) {
  if (WindowTitleW(window) != L"登録先の選択") {
    return false;
  }
  ClickButton(window, IDC_SENDTO_CHECK);
  ClickButton(window, IDOK);
  return true;
}

// The destination dialog confirmed as it opened: nothing ticked.
bool ConfirmNothing(HWND window, void *) {
  if (WindowTitleW(window) != L"登録先の選択") {
    return false;
  }
  ClickButton(window, IDOK);
  return true;
}

// A verb as the registry holds it before a run: caption and command, either
// of which may be missing.
struct VerbBefore {
  const char *verb;
  const char *caption;
  const char *command;
};

// Opening the menu-items dialog with the verbs given, then script, must leave
// the heap clean.
void ExpectCleanMenuRun(const std::vector<VerbBefore> &verbs,
                        const std::function<void(HWND)> &script) {
  const VerbKeysGuard guard;
  for (const VerbBefore &verb : verbs) {
    WriteVerbKey(verb.verb, verb.caption, verb.command);
  }
  TakeReport();
  RunMenuItems(script);
  ExpectCleanHeap();
}

} // namespace

TEST(HeapCount, CountingBuildIsInPlace) {
  EXPECT_NE(LinktoExe().find("linkto_leakcount.exe"), std::string::npos);
  ScratchDir dir("leaks-probe");
  const LinkWatch watch;
  TakeReport();
  const LinktoRun run = RunLinkto(Quoted(dir.File("t.txt")) + " /open:0 /sendto");
  EXPECT_EQ(run.process.exitCode, 0u);
  EXPECT_EQ(watch.Added().size(), 1u);
  ExpectCleanHeap();
}

TEST(HeapCount, CommandLineRunsLeaveNoBlock) {
  ScratchDir dir("leaks");
  const std::string file = dir.File("one.txt"), folder = dir.Dir("Data");
  const std::string a = dir.Dir("A"), b = dir.Dir("B \x95\x5C");
  const std::string longName = dir.File(std::string(200, 'n') + ".txt");
  const std::string longFolder = dir.Dir(std::string(120, 'f'));
  std::string many = Quoted(file) + " /open:0 /sendto";
  while (many.size() < 30000) {
    many += " /path:" + dir.path() + "\\missing \"\\\"quoted\\\" \x95\x5C\"";
  }
  const struct {
    const char *name;
    std::string arguments;
    size_t links;
    const char *window; // part of the one window the run shows, or null
  } runs[] = {
      {"links and folders",
       Quoted(file) + " " + Quoted(folder) + " /sendto /desktop /ext:0 " + Quoted("/path:" + a) +
           " " + Quoted("/path:" + b),
       8, nullptr},
      {"links, no opening", Quoted(file) + " " + Quoted("/path:" + a) + " /open:0", 1, nullptr},
      {"browser cancelled", Quoted(file) + " /path", 0, "|tree"},
      {"destination cancelled", Quoted(file) + " /ext:0", 0, kDestinationTitle},
      {"missing targets", Quoted(dir / "missing.txt") + " /sendto", 0, kMenuTitle},
      {"missing /path: folder", Quoted(file) + " " + Quoted("/path:" + (dir / "gone")), 0,
       kDestinationTitle},
      {"names too long for a link", Quoted(longName) + " " + Quoted("/path:" + longFolder), 0,
       nullptr},
      {"targets past 260 bytes",
       Quoted(dir.path() + "\\" + std::string(300, 'x')) + " " + Quoted(file) + " " +
           Quoted("/path:" + a),
       1, nullptr},
      {"a long command line", many, 1, nullptr},
  };
  for (const auto &run : runs) {
    SCOPED_TRACE(run.name);
    const LinkWatch watch;
    openLog->Reset({});
    TakeReport();
    const LinktoRun result = RunLinkto(run.arguments);
    EXPECT_TRUE(result.process.started) << "CreateProcess error " << result.process.startError;
    EXPECT_FALSE(result.process.timedOut);
    EXPECT_EQ(result.process.exitCode, 0u);
    EXPECT_EQ(watch.Added().size(), run.links);
    EXPECT_EQ(result.windows.size(), run.window != nullptr ? 1u : 0u);
    if (run.window != nullptr) {
      EXPECT_TRUE(Showed(result, run.window));
    }
    ExpectCleanHeap();
  }
}

TEST(HeapCount, DestinationDialogConfirmed) {
  ScratchDir dir("leaks-destination");
  const std::string file = dir.File("t.txt");
  const struct {
    WindowHandler handler;
    size_t links;
  } runs[] = {{ConfirmSendTo, 1}, {ConfirmNothing, 0}};
  for (const auto &run : runs) {
    SCOPED_TRACE(run.links);
    const LinkWatch watch;
    TakeReport();
    const LinktoRun result = RunLinkto(Quoted(file) + " /open:0", kProcessWaitMs, run.handler);
    EXPECT_EQ(result.process.exitCode, 0u);
    EXPECT_TRUE(Showed(result, kDestinationTitle));
    EXPECT_EQ(watch.Added().size(), run.links);
    ExpectCleanHeap();
  }
}

TEST(HeapCount, MenuItemsDialogConfirmedAndCancelled) {
  const char *const command = "\"C:\\x.exe\" /sendto \"%1\"";
  const struct {
    const char *name;
    std::vector<VerbBefore> verbs;
    std::function<void(HWND)> script;
  } runs[] = {
      {"cancelled", {}, [](HWND dialog) { EXPECT_TRUE(EndWith(dialog, IDCANCEL)); }},
      {"a row ticked and confirmed",
       {},
       [](HWND dialog) {
         ClickButton(dialog, IDC_SENDTO_CHECK);
         EXPECT_TRUE(EndWith(dialog, IDOK));
         EXPECT_TRUE(ReadVerbKey("toSendTo").hasCommand);
       }},
      {"registered verbs read, one cleared, confirmed",
       {{"toSendTo", "a", command}, {"toStartup", "b", command}, {"toPath", "c", command}},
       [](HWND dialog) {
         ClickButton(dialog, IDC_STARTUP_CHECK);
         EXPECT_TRUE(EndWith(dialog, IDOK));
         EXPECT_FALSE(ReadVerbKey("toStartup").exists);
         EXPECT_TRUE(ReadVerbKey("toPath").hasCommand);
       }},
      // A command read for a verb without a caption is released at once; a
      // verb without a command key reads as not registered.
      {"verbs missing a caption or a command",
       {{"toSendTo", nullptr, command}, {"toDesktop", "d", ""}, {"toQuickLaunch", "q", nullptr}},
       [](HWND dialog) { EXPECT_TRUE(EndWith(dialog, IDOK)); }},
  };
  for (const auto &run : runs) {
    SCOPED_TRACE(run.name);
    ExpectCleanMenuRun(run.verbs, run.script);
  }
}

TEST(HeapCount, CommandLineDialogOpenedAndClosed) {
  for (const int ending : {IDOK, IDCANCEL}) {
    SCOPED_TRACE(ending);
    ExpectCleanMenuRun(
        {{"toDesktop", "d", "\"C:\\x.exe\" /desktop \"%1\""}}, [ending](HWND dialog) {
          const HWND inner = OpenDetails(dialog, IDC_DESKTOP_DETAILS);
          ASSERT_NE(inner, nullptr);
          // Each option box rewrites the text: split, rebuilt, copied.
          for (const int box : {IDC_PATH_CHECK, IDC_EXT0_CHECK, IDC_OPEN0_CHECK, IDC_PATH_CHECK}) {
            ClickButton(inner, box);
          }
          TypeAtEnd(inner, IDC_COMMAND_EDIT, " \"x y\"");
          EXPECT_TRUE(EndWith(inner, ending));
          EXPECT_TRUE(EndWith(dialog, ending));
        });
  }
}
