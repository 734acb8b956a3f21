// The menu-items dialog of the real linkto.exe, started with no argument and
// driven from here as a user would: its rows, OK and Cancel against the
// registry of the test bed, the command-line dialog on a row, the shared
// window behaviour, and the whole loop from a ticked row to a shortcut made
// by the registered verb.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "linkbed.h"
#include "resource.h"
#include "settings/verb_state.h"
#include "settings/verbs.h"
#include "ui/placement.h"
#include "verb_dialogs.h"

namespace {

struct Row {
  const char *verb;
  const char *switchText;
  int check;
  int edit;
  int details;
  const wchar_t *english; // the default caption in English
};

// In the order of the dialog, top to bottom.
const Row kRows[] = {
    {"toSendTo", "/sendto", IDC_SENDTO_CHECK, IDC_SENDTO_CAPTION, IDC_SENDTO_DETAILS,
     L"Add to [Send To]"},
    {"toStartup", "/startup", IDC_STARTUP_CHECK, IDC_STARTUP_CAPTION, IDC_STARTUP_DETAILS,
     L"Add to [Startup]"},
    {"toStartMenu", "/startmenu", IDC_STARTMENU_CHECK, IDC_STARTMENU_CAPTION, IDC_STARTMENU_DETAILS,
     L"Add to [Start Menu]"},
    {"toDesktop", "/desktop", IDC_DESKTOP_CHECK, IDC_DESKTOP_CAPTION, IDC_DESKTOP_DETAILS,
     L"Add to [Desktop]"},
    {"toQuickLaunch", "/qlaunch", IDC_QLAUNCH_CHECK, IDC_QLAUNCH_CAPTION, IDC_QLAUNCH_DETAILS,
     L"Add to [Quick Launch]"},
};
const Row &kSendToRow = kRows[0];
const Row &kStartupRow = kRows[1];
const Row &kDesktopRow = kRows[3];

// "テスト" in code page 932.
const char kTestCaption[] = "\x83\x65\x83\x58\x83\x67";

std::string DefaultCaption(const char *verb) {
  for (const VerbEntry &entry : kVerbTable) {
    if (std::string(entry.verbKey) == verb) {
      return entry.defaultCaption;
    }
  }
  return std::string();
}

const VerbKey kAbsent;

void ExpectRow(HWND dialog, const Row &row, bool checked, const std::string &caption) {
  SCOPED_TRACE(row.verb);
  EXPECT_EQ(ButtonState(dialog, row.check), checked ? BST_CHECKED : BST_UNCHECKED);
  EXPECT_EQ(ControlText(dialog, row.edit), caption);
  EXPECT_EQ(IsReadOnly(dialog, row.edit), !checked);
  EXPECT_TRUE(IsEnabled(dialog, row.edit));
  EXPECT_EQ(IsEnabled(dialog, row.details), checked);
}

void SaveScreenshot(HWND window, const char *name) {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  EXPECT_TRUE(CaptureWindow(window, &width, &height, &rgb) &&
              WritePng(ScreenshotPath(name), width, height, rgb))
      << name;
}

TEST(MenuItemsDialog, TheBedNamesTheClassOfExecutables) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".exe", 0, KEY_READ, &key), ERROR_SUCCESS);
  char value[64] = {};
  DWORD size = sizeof value - 1;
  EXPECT_EQ(
      RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size),
      ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_STREQ(value, "exefile");
  EXPECT_EQ(GetACP(), 932u);
}

TEST(MenuItemsDialog, WithNoVerbRowsOpenUncheckedAndCheckingUnlocksThem) {
  for (int ending : {IDOK, IDCANCEL}) {
    SCOPED_TRACE(ending);
    const VerbKeysGuard guard;
    RunMenuItems([ending](HWND dialog) {
      for (const Row &row : kRows) {
        ExpectRow(dialog, row, false, DefaultCaption(row.verb));
      }
      if (ending == IDCANCEL) {
        for (const Row &row : kRows) {
          ClickButton(dialog, row.check);
          ExpectRow(dialog, row, true, DefaultCaption(row.verb));
          SetControlText(dialog, row.edit, kTestCaption);
          ClickButton(dialog, row.check);
          ExpectRow(dialog, row, false, kTestCaption); // the text stays shown
        }
      }
      EXPECT_TRUE(EndWith(dialog, ending));
    });
    // OK unregisters all six, which leaves the registry as it was.
    for (const char *verb : kVerbKeys) {
      EXPECT_EQ(ReadVerbKey(verb), kAbsent) << verb;
    }
  }
}

TEST(MenuItemsDialog, OkRegistersCheckedRowsWithTheirCaptionAndTheDefaultCommand) {
  const VerbKeysGuard guard;
  RunMenuItems([](HWND dialog) {
    ClickButton(dialog, kSendToRow.check);
    SetControlText(dialog, kSendToRow.edit, kTestCaption);
    ClickButton(dialog, kStartupRow.check);
    SetControlText(dialog, kStartupRow.edit, "");
    EXPECT_TRUE(EndWith(dialog, IDOK));
  });
  EXPECT_EQ(ReadVerbKey("toSendTo"), Registered(kTestCaption, DefaultCommandOf("/sendto")));
  EXPECT_EQ(ReadVerbKey("toStartup"), Registered("", DefaultCommandOf("/startup")));
  for (const char *verb : {"toStartMenu", "toDesktop", "toPath", "toQuickLaunch"}) {
    EXPECT_EQ(ReadVerbKey(verb), kAbsent) << verb;
  }
}

// On every system code page the rows offer the default captions whole, in
// the display language (English for any but Japanese), the command-line
// dialog shows its texts in it too, and OK stores the captions as shown.
class MenuItemsDialogOn : public ::testing::TestWithParam<SystemUnderTest> {};
INSTANTIATE_TEST_SUITE_P(Systems, MenuItemsDialogOn, ::testing::ValuesIn(kSystemsUnderTest),
                         SystemName);
INSTANTIATE_TEST_SUITE_P(Languages, MenuItemsDialogOn, ::testing::ValuesIn(kOtherLanguages),
                         SystemName);

TEST_P(MenuItemsDialogOn, ShowsItsTextsAndStoresTheDefaultCaptionsWhole) {
  const SystemGuard system(GetParam());
  ASSERT_TRUE(system.ready());
  const bool japanese = GetParam().locale->japanese;
  auto caption = [japanese](const Row &row) {
    return japanese ? DefaultCaption(row.verb) : CodePageOf(row.english);
  };
  const VerbKeysGuard guard;
  const char *pictures = GuidePictures(GetParam());
  std::optional<GuideProgramCopy> copy;
  if (pictures != nullptr) {
    copy.emplace();
  }
  RunMenuItems([&](HWND dialog) {
    EXPECT_EQ(WindowTitleW(dialog), japanese ? L"メニュー項目の編集" : L"Edit Menu Items");
    EXPECT_EQ(ControlTextW(dialog, IDC_PROMPT), japanese ? L"メニューに登録する項目を指定します。"
                                                         : L"Choose the items to add to the menu.");
    for (const Row &row : kRows) {
      ExpectRow(dialog, row, false, caption(row));
    }
    ClickButton(dialog, kSendToRow.check);
    ClickButton(dialog, kDesktopRow.check);
    if (pictures != nullptr) {
      SaveScreenshot(dialog, (std::string("menu-items") + pictures + ".png").c_str());
    }
    const HWND details = OpenDetails(dialog, kSendToRow.details);
    ASSERT_NE(details, nullptr);
    if (pictures != nullptr) {
      SaveScreenshot(details, (std::string("command-line") + pictures + ".png").c_str());
    }
    EXPECT_EQ(ControlTextW(details, IDC_PATH_CHECK),
              japanese ? L"/path - 登録先を [フォルダの参照] ダイアログで指定します"
                       : L"/path - choose the destination in the Browse for Folder dialog");
    EXPECT_TRUE(EndWith(details, IDCANCEL));
    EXPECT_TRUE(EndWith(dialog, IDOK));
  });
  EXPECT_EQ(ReadVerbKey("toSendTo"), Registered(caption(kSendToRow), DefaultCommandOf("/sendto")));
  EXPECT_EQ(ReadVerbKey("toDesktop"),
            Registered(caption(kDesktopRow), DefaultCommandOf("/desktop")));
}

// What the registry holds before the dialog opens, and after its OK; Cancel
// leaves it as it was. A command line naming a copy of the program that is
// gone names the program that runs after OK, the rest of it kept.
TEST(MenuItemsDialog, RegisteredVerbsOpenCheckedAndOkWritesThemBack) {
  const std::string desktopArguments = " /desktop /ext:0 \"%1\"";
  const std::string pathArguments = "  /open:0 /path /ext:0 \"%1\" x";
  const std::string gone = "C:\\Users\\me\\Downloads\\linkto\\linkto.exe";
  ScratchDir dir("menu-copy");
  const std::string there = dir.File("LinkTo.exe"); // another copy, still there
  struct Case {
    const char *name;
    std::string desktop, path; // the programs named; no path: a leftover toPath key
    bool followed;             // OK names the program that runs instead
    Classes where;
  } const cases[] = {
      {"registered toPath", "\"C:\\Tools\\x.exe\"", "\"C:\\p.exe\"", false, Classes::Machine},
      {"leftover toPath", "\"C:\\Tools\\x.exe\"", "", false, Classes::Machine},
      {"copies gone", Quoted(gone), gone, true, Classes::Machine},
      {"the user's copies gone", gone, Quoted(gone), true, Classes::User},
      {"copies there", Quoted(there), there, false, Classes::User},
  };
  for (const Case &c : cases) {
    for (const int ending : {IDOK, IDCANCEL}) {
      SCOPED_TRACE(std::string(c.name) + (ending == IDOK ? ", OK" : ", Cancel"));
      const VerbKeysGuard guard;
      WriteVerbKey("toDesktop", "Desk", (c.desktop + desktopArguments).c_str(), c.where);
      WriteVerbKey("toPath", "P", c.path.empty() ? nullptr : (c.path + pathArguments).c_str(),
                   c.where);
      WriteVerbKey("toQuickLaunch", "Q", nullptr); // no command key: not registered
      WriteVerbKey("toStartMenu", nullptr, "cmd"); // no caption: not registered
      const VerbKey pathBefore = ReadVerbKey("toPath", c.where);
      RunMenuItems([ending](HWND dialog) {
        ExpectRow(dialog, kDesktopRow, true, "Desk");
        ExpectRow(dialog, kRows[4], false, DefaultCaption("toQuickLaunch"));
        ExpectRow(dialog, kRows[2], false, DefaultCaption("toStartMenu"));
        EXPECT_TRUE(EndWith(dialog, ending));
      });
      const bool ok = ending == IDOK;
      auto after = [&](const std::string &program, const std::string &arguments) {
        return (ok && c.followed ? Quoted(LinktoExe()) : program) + arguments;
      };
      EXPECT_EQ(ReadVerbKey("toDesktop", c.where),
                Registered("Desk", after(c.desktop, desktopArguments)));
      EXPECT_EQ(ReadVerbKey("toPath", c.where),
                c.path.empty() ? (ok ? kAbsent : pathBefore)
                               : Registered("P", after(c.path, pathArguments)));
      EXPECT_EQ(ReadVerbKey("toQuickLaunch").exists, !ok);
      EXPECT_EQ(ReadVerbKey("toStartMenu").exists, !ok);
    }
  }
}

TEST(MenuItemsDialog, ClearingARegisteredRowUnregistersItAndDropsItsEditedCaption) {
  const VerbKeysGuard guard;
  WriteVerbKey("toDesktop", "Desk", "\"C:\\x.exe\" /desktop \"%1\"");
  RunMenuItems([](HWND dialog) {
    SetControlText(dialog, kDesktopRow.edit, "edited");
    ClickButton(dialog, kDesktopRow.check);
    EXPECT_TRUE(EndWith(dialog, IDOK));
  });
  EXPECT_EQ(ReadVerbKey("toDesktop"), kAbsent);
}

TEST(MenuItemsDialog, TheDetailsDialogShowsTheRowsVerbAndItsOkReachesTheRegistry) {
  const VerbKeysGuard guard;
  RunMenuItems([](HWND dialog) {
    ClickButton(dialog, kSendToRow.check);
    const HWND inner = OpenDetails(dialog, kSendToRow.details);
    ASSERT_NE(inner, nullptr);
    EXPECT_FALSE(IsWindowEnabled(dialog)); // modal, owned by the menu-items dialog
    EXPECT_EQ(ControlText(inner, IDC_KEY_PATH_EDIT),
              "HKEY_CLASSES_ROOT\\exefile\\shell\\toSendTo\\command");
    EXPECT_EQ(ControlText(inner, IDC_COMMAND_EDIT), DefaultCommandOf("/sendto"));
    ClickButton(inner, IDC_EXT0_CHECK);
    ASSERT_TRUE(EndWith(inner, IDOK));
    EXPECT_TRUE(EndWith(dialog, IDOK));
  });
  EXPECT_EQ(ReadVerbKey("toSendTo"),
            Registered(DefaultCaption("toSendTo"), Quoted(LinktoExe()) + " /ext:0 /sendto \"%1\""));
}

TEST(MenuItemsDialog, CancelAfterEditsInTheDetailsDialogWritesNothing) {
  const VerbKeysGuard guard;
  const std::string desktopCommand = "\"C:\\x.exe\" /desktop \"%1\"";
  WriteVerbKey("toDesktop", "Desk", desktopCommand.c_str());
  RunMenuItems([](HWND dialog) {
    for (const Row *row : {&kSendToRow, &kDesktopRow}) {
      if (ButtonState(dialog, row->check) != BST_CHECKED) {
        ClickButton(dialog, row->check);
      }
      const HWND inner = OpenDetails(dialog, row->details);
      ASSERT_NE(inner, nullptr) << row->verb;
      ClickButton(inner, IDC_OPEN0_CHECK);
      ASSERT_TRUE(EndWith(inner, IDOK));
    }
    EXPECT_TRUE(EndWith(dialog, IDCANCEL));
  });
  EXPECT_EQ(ReadVerbKey("toSendTo"), kAbsent);
  EXPECT_EQ(ReadVerbKey("toDesktop"), Registered("Desk", desktopCommand));
}

TEST(MenuItemsDialog, HasTheSharedWindowBehaviour) {
  const VerbKeysGuard guard;
  ASSERT_TRUE(SetCursorPos(700, 300));
  RunMenuItems([](HWND dialog) {
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    const ScreenRect screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const ScreenPoint want = PlaceCentredOnCursor(rect.right - rect.left, rect.bottom - rect.top,
                                                  ScreenPoint{700, 300}, &screen);
    EXPECT_EQ(rect.left, want.x);
    EXPECT_EQ(rect.top, want.y);
    // An empty spot below the group box drags the dialog like its caption.
    const RECT ok = ControlRect(dialog, IDOK);
    EXPECT_EQ(SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(rect.left + 12, ok.top + 4)),
              HTCAPTION);
    PostMessageA(dialog, WM_SYSCOMMAND, IDM_TOPMOST, 0);
    EXPECT_TRUE(WaitFor(
        [dialog] { return (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, kWaitMs));
    EXPECT_TRUE(EndWith(dialog, IDCANCEL));
  });
}

// A standard user, to whom the machine's classes are read-only: the verb
// registered for all users shows; what the user ticks goes to the user's own
// classes; what only an administrator may remove stays, and OK says so once.
TEST(MenuItemsDialog, WithTheMachinesClassesReadOnlyVerbsGoToTheUsersOwn) {
  const VerbKeysGuard guard;
  const std::string allUsersCommand = "\"C:\\x.exe\" /sendto \"%1\"";
  WriteVerbKey("toSendTo", "All", allUsersCommand.c_str());
  const ReadOnlyMachineKeys lock({"toSendTo"});
  ASSERT_TRUE(lock.locked());
  RunMenuItems([](HWND dialog) {
    ExpectRow(dialog, kSendToRow, true, "All");
    ClickButton(dialog, kStartupRow.check);
    SetControlText(dialog, kStartupRow.edit, kTestCaption);
    const HWND inner = OpenDetails(dialog, kStartupRow.details);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(ControlText(inner, IDC_KEY_PATH_EDIT),
              "HKEY_CURRENT_USER\\Software\\Classes\\exefile\\shell\\toStartup\\command");
    ASSERT_TRUE(EndWith(inner, IDCANCEL));
    EXPECT_TRUE(EndWith(dialog, IDOK)); // everything written: no message
  });
  EXPECT_EQ(ReadVerbKey("toStartup", Classes::User),
            Registered(kTestCaption, DefaultCommandOf("/startup")));
  EXPECT_EQ(ReadVerbKey("toSendTo", Classes::User), kAbsent); // no copy of the all-users verb
  for (const char *verb : kVerbKeys) {
    EXPECT_EQ(ReadVerbKey(verb),
              std::string(verb) == "toSendTo" ? Registered("All", allUsersCommand) : kAbsent)
        << verb;
  }

  RunMenuItems([](HWND dialog) {
    ExpectRow(dialog, kSendToRow, true, "All");
    ExpectRow(dialog, kStartupRow, true, kTestCaption);
    ClickButton(dialog, kSendToRow.check);
    ClickButton(dialog, kStartupRow.check);
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    const HWND box = WaitForOwned(dialog, L"LinkTo");
    ASSERT_NE(box, nullptr) << "no message after OK";
    const VerbOutcome outcomes[kVerbCount] = {kVerbDone, kVerbDone, kVerbLeft,
                                              kVerbDone, kVerbDone, kVerbDone};
    const char *const captions[kVerbCount] = {nullptr, nullptr, "All", nullptr, nullptr, nullptr};
    char report[kReportBufferSize];
    ASSERT_TRUE(FormatVerbReport(report, outcomes, captions));
    EXPECT_EQ(MessageBoxText(box), report);
    EXPECT_TRUE(EndWith(box, IDOK));
    EXPECT_TRUE(WaitFor([dialog] { return !IsWindow(dialog); }, kWaitMs))
        << "the dialog stayed after one message";
  });
  EXPECT_EQ(ReadVerbKey("toStartup", Classes::User), kAbsent);
  EXPECT_EQ(ReadVerbKey("toSendTo"), Registered("All", allUsersCommand));
}

// From a ticked row to a shortcut: the verb written on OK, run as the shell
// runs it (the clicked file in place of %1), puts the file into Send To.
TEST(MenuItemsDialog, TheRegisteredVerbMakesTheShortcut) {
  const VerbKeysGuard guard;
  FolderOpenLog openLog;
  ASSERT_TRUE(openLog.installed());
  ScratchDir dir("menu-loop");
  const std::string file = dir.File("tool.exe");
  const std::string sendTo = SpecialFolder(CSIDL_SENDTO);
  const std::string link = sendTo + "\\tool.exe.lnk";
  const LinkWatch watch;

  RunMenuItems([](HWND dialog) {
    ClickButton(dialog, kSendToRow.check);
    EXPECT_TRUE(EndWith(dialog, IDOK));
  });
  const VerbKey verb = ReadVerbKey("toSendTo");
  ASSERT_TRUE(verb.hasCommand);
  std::string command = verb.command;
  const size_t placeholder = command.find("%1");
  ASSERT_NE(placeholder, std::string::npos) << command;
  command.replace(placeholder, 2, file);

  openLog.Reset({link});
  const ProcessResult run = RunProcess(command, kProcessWaitMs);
  EXPECT_TRUE(run.started) << command << ": CreateProcess error " << run.startError;
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(watch.Added(), std::vector<std::string>{LowerAscii(link)});
  const LinkInfo info = ReadLink(link);
  EXPECT_TRUE(info.loaded);
  EXPECT_EQ(info.target, file);
  const std::vector<OpenRecord> opened = openLog.Wait(1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(LowerAscii(opened[0].folder), LowerAscii(sendTo));
  EXPECT_EQ(opened[0].linksPresent, 1u); // written before the folder opened
}

} // namespace
