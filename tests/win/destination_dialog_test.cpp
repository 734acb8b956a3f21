// The destination chooser. Its procedure on template 127 in this process
// (any starting mask), and the real linkto.exe with an existing file and no
// destination, its dialog driven from here as a user would: placement at the
// cursor, boxes, OK, Cancel, Esc, Close, the always-on-top item, dragging.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "linkbed.h"
#include "resource.h"
#include "settings/destination_dialog.h"
#include "ui/placement.h"
#include "ui/window.h"

namespace {

const wchar_t kTitle[] = L"登録先の選択";
const int kBoxes[] = {IDC_SENDTO_CHECK, IDC_STARTUP_CHECK, IDC_STARTMENU_CHECK, IDC_DESKTOP_CHECK,
                      IDC_QLAUNCH_CHECK};
const int kSendTo = 0x09, kAppData = 0x1A;

// ---- the procedure in this process ----

HWND MakeDestinationDialog(LaunchOptions *options) {
  static HMODULE program = LoadLibraryExA(LinktoExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(IDD_DESTINATION), RT_DIALOG);
  if (found == nullptr) {
    return nullptr;
  }
  return CreateDialogIndirectParamA(
      GetModuleHandleA(nullptr),
      static_cast<const DLGTEMPLATE *>(LockResource(LoadResource(program, found))), nullptr,
      DestinationDialogProc, reinterpret_cast<LPARAM>(options));
}

struct DialogGuard {
  HWND handle;
  ~DialogGuard() { DestroyWindow(handle); }
};

// The bit each box stands for.
uint32_t BitOfBox(int id) {
  switch (id) {
  case IDC_STARTMENU_CHECK:
    return 0x2;
  case IDC_STARTUP_CHECK:
    return 0x8;
  case IDC_SENDTO_CHECK:
    return 0x20;
  case IDC_DESKTOP_CHECK:
    return 0x800;
  default:
    return 0x1000000;
  }
}

TEST(DestinationDialogProc, BoxesShowTheMaskAndOkReplacesIt) {
  struct Case {
    uint32_t before;
    std::vector<int> clicks;
    uint32_t after;
  } const cases[] = {
      {0, {}, 0},
      {0, {IDC_SENDTO_CHECK, IDC_QLAUNCH_CHECK}, 0x1000020},
      {0x24, {}, 0x20}, // Send To and the Programs menu: the bit without a box goes
      {0x100082A, {}, 0x100082A},
      {0xFFFFFFFF, {IDC_STARTMENU_CHECK}, 0x1000828},
      {0x20, {IDC_SENDTO_CHECK}, 0},
      {0, {IDC_DESKTOP_CHECK, IDC_STARTUP_CHECK, IDC_DESKTOP_CHECK}, 0x8},
  };
  StringList *const folders = reinterpret_cast<StringList *>(static_cast<ULONG_PTR>(0x1234));
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.before);
    LaunchOptions options = {true, false, c.before, folders};
    DialogGuard dialog{MakeDestinationDialog(&options)};
    ASSERT_NE(dialog.handle, nullptr);
    EXPECT_EQ(GetPropA(dialog.handle, PROP_DIALOGPARAM), &options);
    for (int id : kBoxes) {
      EXPECT_EQ(IsDlgButtonChecked(dialog.handle, id),
                (c.before & BitOfBox(id)) != 0 ? BST_CHECKED : BST_UNCHECKED)
          << id;
    }
    for (int id : c.clicks) {
      SendDlgItemMessageA(dialog.handle, id, BM_CLICK, 0, 0);
    }
    EXPECT_EQ(options.destinationBits, c.before); // nothing before OK
    SendDlgItemMessageA(dialog.handle, IDOK, BM_CLICK, 0, 0);
    EXPECT_EQ(options.destinationBits, c.after);
    EXPECT_FALSE(IsWindowVisible(dialog.handle)); // ended
    EXPECT_TRUE(options.dropExtension);
    EXPECT_FALSE(options.openAfter);
    EXPECT_EQ(options.folders, folders);
  }
}

TEST(DestinationDialogProc, CancelEscAndCloseLeaveTheRecord) {
  struct Ending {
    const char *name;
    UINT message;
    WPARAM wParam;
  } const endings[] = {
      {"Cancel", WM_COMMAND, IDCANCEL},
      {"Close", WM_SYSCOMMAND, SC_CLOSE},
      {"WM_CLOSE", WM_CLOSE, 0},
  };
  for (const Ending &ending : endings) {
    SCOPED_TRACE(ending.name);
    LaunchOptions options = {false, true, 0x24, nullptr};
    DialogGuard dialog{MakeDestinationDialog(&options)};
    ASSERT_NE(dialog.handle, nullptr);
    SendDlgItemMessageA(dialog.handle, IDC_SENDTO_CHECK, BM_CLICK, 0, 0);
    SendDlgItemMessageA(dialog.handle, IDC_DESKTOP_CHECK, BM_CLICK, 0, 0);
    SendMessageA(dialog.handle, ending.message, ending.wParam, 0);
    EXPECT_FALSE(IsWindowVisible(dialog.handle));
    EXPECT_EQ(options.destinationBits, 0x24u);
  }
}

TEST(DestinationDialogProc, HasTheSharedBehaviour) {
  LaunchOptions options = {false, true, 0, nullptr};
  ASSERT_TRUE(SetCursorPos(20, 1000));
  DialogGuard dialog{MakeDestinationDialog(&options)};
  ASSERT_NE(dialog.handle, nullptr);
  RECT rect = {};
  GetWindowRect(dialog.handle, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_NE(SendMessageA(dialog.handle, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageA(dialog.handle, WM_GETICON, ICON_SMALL, 0), 0);
  const HMENU menu = GetSystemMenu(dialog.handle, FALSE);
  EXPECT_EQ(FindMenuItemPos(menu, IDM_TOPMOST) + 2, FindMenuItemPos(menu, SC_CLOSE));
  SendMessageA(dialog.handle, WM_SYSCOMMAND, IDM_TOPMOST, 0);
  EXPECT_TRUE(IsTopmost(dialog.handle));
  SendMessageA(dialog.handle, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
               MAKELPARAM(0, TRUE));
  EXPECT_EQ(GetMenuState(menu, IDM_TOPMOST, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  EXPECT_EQ(
      SendMessageA(dialog.handle, WM_NCHITTEST, 0, MAKELPARAM(rect.left + 8, rect.bottom - 8)),
      HTCAPTION);
  EXPECT_EQ(options.destinationBits, 0u);
}

TEST(DestinationDialogProc, ShowReturnsFalseWhenTheDialogCannotBeMade) {
  // This test program carries no dialog 127.
  LaunchOptions options = {false, true, 0x20, nullptr};
  EXPECT_FALSE(ShowDestinationDialog(nullptr, &options));
  EXPECT_EQ(options.destinationBits, 0x20u);
  EXPECT_FALSE(ShowDestinationDialog(nullptr, nullptr));
}

// ---- the real program ----

::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new OpenLogEnvironment);

// What the driver does with the dialog, and what it saw.
struct Script {
  enum Ending { kOk, kCancelButton, kEscKey, kCloseCommand, kLeave };
  std::vector<int> clicks;
  Ending ending = kOk;
  // Extra work on the open dialog, after the clicks.
  void (*extra)(HWND dialog, Script *script) = nullptr;
  const char *screenshot = nullptr;

  int dialogs = 0;
  RECT rect = {};
  std::vector<int> initialStates;
  std::vector<int> clickedStates;
  std::vector<std::wstring> texts; // the title, the prompt and the boxes'
  bool ended = false;
  bool systemMenuRead = false;
  std::vector<std::string> notes;
};

bool DriveDialog(HWND window, void *user) {
  Script *script = static_cast<Script *>(user);
  const std::wstring title = WindowTitleW(window);
  if (title != kTitle && title != L"Choose Destinations") {
    return false;
  }
  ++script->dialogs;
  GetWindowRect(window, &script->rect);
  script->texts = {WindowTitleW(window), ControlTextW(window, IDC_PROMPT)};
  for (int id : kBoxes) {
    script->initialStates.push_back(ButtonState(window, id));
    script->texts.push_back(ControlTextW(window, id));
  }
  for (int id : script->clicks) {
    ClickButton(window, id);
  }
  for (int id : kBoxes) {
    script->clickedStates.push_back(ButtonState(window, id));
  }
  if (script->extra != nullptr) {
    script->extra(window, script);
  }
  if (script->screenshot != nullptr) {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    const bool saved = CaptureWindow(window, &width, &height, &rgb) &&
                       WritePng(ScreenshotPath(script->screenshot), width, height, rgb);
    const bool plain = std::all_of(rgb.begin(), rgb.end(),
                                   [&rgb](unsigned char byte) { return byte == rgb.front(); });
    if (!saved || plain) {
      script->notes.push_back("no screenshot");
    }
  }
  switch (script->ending) {
  case Script::kOk:
    script->ended = ClickButton(window, IDOK);
    break;
  case Script::kCancelButton:
    script->ended = ClickButton(window, IDCANCEL);
    break;
  case Script::kEscKey:
    script->ended = PressKey(window, VK_ESCAPE);
    break;
  case Script::kCloseCommand:
    script->ended = PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) != 0;
    break;
  case Script::kLeave:
    return false; // the runner cancels it
  }
  return true;
}

// Runs linkto.exe on arguments with the dialog driven by script; the run must
// end by itself with exit code 0, having shown the dialog once.
LinktoRun RunWithDialog(const std::string &arguments, Script *script,
                        const std::vector<std::string> &links = {}) {
  openLog->Reset(links);
  LinktoRun run = RunLinkto(arguments, kProcessWaitMs, DriveDialog, script);
  EXPECT_TRUE(run.process.started) << "CreateProcess error " << run.process.startError;
  EXPECT_FALSE(run.process.timedOut);
  EXPECT_EQ(run.process.exitCode, 0u);
  EXPECT_EQ(script->dialogs, 1);
  EXPECT_EQ(run.windows.size(), 1u);
  EXPECT_EQ(script->notes, std::vector<std::string>{});
  return run;
}

std::vector<std::string> OpenedFolders(size_t count) {
  std::vector<std::string> folders;
  for (const OpenRecord &record : openLog->Wait(count)) {
    EXPECT_EQ(record.linksPresent, record.linksListed) << record.folder;
    folders.push_back(LowerAscii(record.folder));
  }
  return folders;
}

// The Quick Launch folder exists while this lives (a fresh prefix has none).
class QuickLaunchFolder {
public:
  QuickLaunchFolder()
      : ie_(SpecialFolder(kAppData) + "\\Microsoft\\Internet Explorer"),
        path_(ie_ + "\\Quick Launch"), madeIe_(!DirectoryExists(ie_)),
        made_(!DirectoryExists(path_)) {
    MakeDirectories(path_);
  }
  ~QuickLaunchFolder() {
    if (madeIe_) {
      RemoveTree(ie_);
    } else if (made_) {
      RemoveTree(path_);
    }
  }
  const std::string &path() const { return path_; }

private:
  std::string ie_, path_;
  bool madeIe_, made_;
};

void ExpectLinkTo(const std::string &link, const std::string &target) {
  const LinkInfo info = ReadLink(link);
  EXPECT_TRUE(info.loaded) << link;
  EXPECT_EQ(info.target, target) << link;
}

TEST(DestinationDialog, OpensCentredOnTheCursorInsideTheWorkAreaWithNoBoxChecked) {
  ScratchDir dir("dialog-place");
  const std::string target = dir.File("t.txt");
  const ScreenRect work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT area = {};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  ASSERT_EQ(area.right, work.right); // the bed has no taskbar
  const POINT spots[] = {{640, 512}, {0, 0},     {1279, 1023}, {1279, 0},
                         {0, 1023},  {150, 600}, {900, 40}};
  for (const POINT &spot : spots) {
    SCOPED_TRACE(testing::Message() << "cursor " << spot.x << "," << spot.y);
    ASSERT_TRUE(SetCursorPos(spot.x, spot.y));
    const LinkWatch watch;
    Script script;
    script.ending = Script::kLeave;
    RunWithDialog(Quoted(target), &script);
    const ScreenPoint want = PlaceCentredOnCursor(script.rect.right - script.rect.left,
                                                  script.rect.bottom - script.rect.top,
                                                  ScreenPoint{spot.x, spot.y}, &work);
    EXPECT_EQ(script.rect.left, want.x);
    EXPECT_EQ(script.rect.top, want.y);
    EXPECT_GE(script.rect.left, work.left);
    EXPECT_GE(script.rect.top, work.top);
    EXPECT_LE(script.rect.right, work.right);
    EXPECT_LE(script.rect.bottom, work.bottom);
    EXPECT_EQ(script.initialStates, std::vector<int>(5, BST_UNCHECKED));
    EXPECT_EQ(watch.Added(), std::vector<std::string>{});
    EXPECT_EQ(OpenedFolders(0), std::vector<std::string>{});
  }
}

TEST(DestinationDialog, OkWithSendToAndQuickLaunchWritesIntoExactlyThose) {
  ScratchDir dir("dialog-ok");
  const std::string target = dir.File("t.txt");
  const QuickLaunchFolder quickLaunch;
  const std::string sendToLink = SpecialFolder(kSendTo) + "\\t.txt.lnk";
  const std::string quickLaunchLink = quickLaunch.path() + "\\t.txt.lnk";
  const LinkWatch watch;
  Script script;
  script.clicks = {IDC_SENDTO_CHECK, IDC_QLAUNCH_CHECK};
  script.screenshot = "destination.png";
  RunWithDialog(Quoted(target), &script, {sendToLink, quickLaunchLink});
  EXPECT_TRUE(script.ended);
  EXPECT_EQ(script.clickedStates, (std::vector<int>{BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED,
                                                    BST_UNCHECKED, BST_CHECKED}));
  std::vector<std::string> expected = {LowerAscii(sendToLink), LowerAscii(quickLaunchLink)};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(watch.Added(), expected);
  ExpectLinkTo(sendToLink, target);
  ExpectLinkTo(quickLaunchLink, target);
  // Both folders are opened afterwards, in the order of the destination bits.
  EXPECT_EQ(OpenedFolders(2), (std::vector<std::string>{LowerAscii(SpecialFolder(kSendTo)),
                                                        LowerAscii(quickLaunch.path())}));
}

TEST(DestinationDialog, OkWithNoBoxWritesNothing) {
  ScratchDir dir("dialog-none");
  const std::string target = dir.File("t.txt");
  const LinkWatch watch;
  Script script;
  RunWithDialog(Quoted(target), &script);
  EXPECT_TRUE(script.ended);
  EXPECT_EQ(watch.Added(), std::vector<std::string>{});
  EXPECT_EQ(OpenedFolders(0), std::vector<std::string>{});
}

// On every system code page the chooser shows its texts whole, in Japanese
// for a Japanese display language and in English for any other, and a file
// named in kanji and kana goes where it is sent.
class DestinationDialogOn : public ::testing::TestWithParam<SystemUnderTest> {};
INSTANTIATE_TEST_SUITE_P(Systems, DestinationDialogOn, ::testing::ValuesIn(kSystemsUnderTest),
                         SystemName);
INSTANTIATE_TEST_SUITE_P(Languages, DestinationDialogOn, ::testing::ValuesIn(kOtherLanguages),
                         SystemName);

TEST_P(DestinationDialogOn, ShowsItsTextsWholeAndOkSendsTheFile) {
  const SystemGuard system(GetParam());
  ASSERT_TRUE(system.ready());
  ScratchDir dir("dialog-systems");
  const std::wstring target = dir.WideFile(L"\u65E5\u672C\\\u3042.txt");
  const std::wstring link = SpecialFolderWide(kSendTo) + L"\\\u3042.txt.lnk";
  const LinkWatch watch;
  Script script;
  script.clicks = {IDC_SENDTO_CHECK};
  if (TakesEnglishPictures(GetParam())) {
    script.screenshot = "destination-en.png"; // the English user guide's picture
  }
  RunWithDialog(Quoted(CodePageOf(target)) + " /open:0", &script);
  const std::vector<std::wstring> japanese = {kTitle,
                                              L"登録先を指定してください。",
                                              L"[送る] へ登録",
                                              L"[スタートアップ] へ登録",
                                              L"[スタートメニュー] へ登録",
                                              L"[デスクトップ] へ登録",
                                              L"[クイック起動] へ登録"};
  const std::vector<std::wstring> english = {L"Choose Destinations",  L"Choose the destinations.",
                                             L"Add to [Send To]",     L"Add to [Startup]",
                                             L"Add to [Start Menu]",  L"Add to [Desktop]",
                                             L"Add to [Quick Launch]"};
  EXPECT_EQ(script.texts, GetParam().locale->japanese ? japanese : english);
  EXPECT_EQ(watch.AddedWide(), std::vector<std::wstring>{LowerAscii(link)});
  EXPECT_EQ(ReadLinkWide(link).itemPath, target);
  EXPECT_EQ(OpenedFolders(0), std::vector<std::string>{});
}

TEST(DestinationDialog, CancelEscAndCloseWriteNothing) {
  ScratchDir dir("dialog-cancel");
  const std::string target = dir.File("t.txt");
  const QuickLaunchFolder quickLaunch;
  const Script::Ending endings[] = {Script::kCancelButton, Script::kEscKey, Script::kCloseCommand};
  for (Script::Ending ending : endings) {
    SCOPED_TRACE(static_cast<int>(ending));
    const LinkWatch watch;
    Script script;
    script.clicks = {IDC_SENDTO_CHECK, IDC_DESKTOP_CHECK, IDC_QLAUNCH_CHECK};
    script.ending = ending;
    RunWithDialog(Quoted(target), &script);
    EXPECT_TRUE(script.ended);
    EXPECT_EQ(script.clickedStates, (std::vector<int>{BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED,
                                                      BST_CHECKED, BST_CHECKED}));
    EXPECT_EQ(watch.Added(), std::vector<std::string>{});
    EXPECT_EQ(OpenedFolders(0), std::vector<std::string>{});
  }
}

TEST(DestinationDialog, ExtAndOpenSwitchesStillApplyAfterTheDialog) {
  ScratchDir dir("dialog-switches");
  const std::string target = dir.File("t.txt");
  const std::string sendTo = SpecialFolder(kSendTo);
  struct Case {
    const char *switches;
    const char *linkName;
    bool opened;
  } const cases[] = {
      {"", "t.txt.lnk", true},
      {" /ext:0", "t.lnk", true},
      {" /open:0", "t.txt.lnk", false},
      {" /ext:0 /open:0", "t.lnk", false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.switches);
    const LinkWatch watch;
    const std::string link = sendTo + "\\" + c.linkName;
    Script script;
    script.clicks = {IDC_SENDTO_CHECK};
    RunWithDialog(Quoted(target) + c.switches, &script, {link});
    EXPECT_EQ(watch.Added(), std::vector<std::string>{LowerAscii(link)});
    ExpectLinkTo(link, target);
    EXPECT_EQ(OpenedFolders(c.opened ? 1 : 0),
              c.opened ? std::vector<std::string>{LowerAscii(sendTo)} : std::vector<std::string>{});
  }
}

// The always-on-top item: toggled from outside through the system command;
// the system menu is checked as well when this process can read it.
void ToggleTopmost(HWND dialog, Script *script) {
  auto topmost = [dialog] { return (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  if (topmost()) {
    script->notes.push_back("topmost at the start");
  }
  for (bool want : {true, false, true, false}) {
    PostMessageA(dialog, WM_SYSCOMMAND, IDM_TOPMOST, 0);
    if (!WaitFor([&] { return topmost() == want; }, kWaitMs)) {
      script->notes.push_back(want ? "not made topmost" : "not made normal");
    }
  }
  const HMENU menu = GetSystemMenu(dialog, FALSE);
  if (menu == nullptr || GetMenuItemCount(menu) <= 0) {
    return; // another process's menu cannot be read here
  }
  script->systemMenuRead = true;
  const int close = FindMenuItemPos(menu, SC_CLOSE);
  if (close < 2 || GetMenuItemID(menu, close - 2) != IDM_TOPMOST ||
      (GetMenuState(menu, static_cast<UINT>(close - 1), MF_BYPOSITION) & MF_SEPARATOR) == 0) {
    script->notes.push_back("topmost item not just above Close");
  }
  for (bool want : {true, false}) {
    PostMessageA(dialog, WM_SYSCOMMAND, IDM_TOPMOST, 0);
    WaitFor([&] { return topmost() == want; }, kWaitMs);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                        MAKELPARAM(0, TRUE), SMTO_ABORTIFHUNG, kWaitMs, &ignored);
    if (((GetMenuState(menu, IDM_TOPMOST, MF_BYCOMMAND) & MF_CHECKED) != 0) != want) {
      script->notes.push_back(want ? "no check mark when topmost" : "check mark when normal");
    }
  }
}

TEST(DestinationDialog, TopmostItemTogglesTheTopmostBand) {
  ScratchDir dir("dialog-topmost");
  const std::string target = dir.File("t.txt");
  const LinkWatch watch;
  Script script;
  script.extra = ToggleTopmost;
  script.ending = Script::kCancelButton;
  RunWithDialog(Quoted(target), &script);
  EXPECT_EQ(watch.Added(), std::vector<std::string>{});
  if (!script.systemMenuRead) {
    // Its place and check mark are then covered by the shared-dialog tests.
    printf("note: the system menu of another process cannot be read here\n");
  }
}

// Hit tests and real mouse drags on spots that are not interactive controls:
// an empty spot, the prompt text, the inside of the group box.
void DragByTheClientArea(HWND dialog, Script *script) {
  RECT window = {}, client = {}, prompt = {}, lastBox = {};
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT *>(&client), 2);
  GetWindowRect(GetDlgItem(dialog, IDC_PROMPT), &prompt);
  GetWindowRect(GetDlgItem(dialog, IDC_QLAUNCH_CHECK), &lastBox);
  struct Spot {
    const char *name;
    POINT offset; // from the window's top-left corner
  } const spots[] = {
      {"empty spot", {client.left + 3 - window.left, client.bottom - 3 - window.top}},
      {"prompt", {prompt.left + 3 - window.left, (prompt.top + prompt.bottom) / 2 - window.top}},
      {"group box", {client.right - 20 - window.left, lastBox.bottom + 3 - window.top}},
  };
  int dx = 40;
  for (const Spot &spot : spots) {
    RECT before = {};
    GetWindowRect(dialog, &before);
    const POINT from = {before.left + spot.offset.x, before.top + spot.offset.y};
    DWORD_PTR code = 0;
    if (!SendMessageTimeoutA(dialog, WM_NCHITTEST, 0, MAKELPARAM(from.x, from.y), SMTO_ABORTIFHUNG,
                             kWaitMs, &code) ||
        code != HTCAPTION) {
      script->notes.push_back(std::string(spot.name) + " does not answer as the caption");
    }
    DragWithMouse(from, dx, 30);
    RECT after = {};
    const bool moved = WaitFor(
        [&] {
          GetWindowRect(dialog, &after);
          return after.left == before.left + dx && after.top == before.top + 30;
        },
        kWaitMs);
    if (!moved) {
      script->notes.push_back(std::string("dragging the ") + spot.name + " did not move it");
    }
    dx = -dx;
  }
}

TEST(DestinationDialog, DragsByItsClientArea) {
  ScratchDir dir("dialog-drag");
  const std::string target = dir.File("t.txt");
  ASSERT_TRUE(SetCursorPos(640, 400));
  const LinkWatch watch;
  Script script;
  script.extra = DragByTheClientArea;
  script.ending = Script::kCancelButton;
  RunWithDialog(Quoted(target), &script);
  EXPECT_EQ(watch.Added(), std::vector<std::string>{});
}

} // namespace
