// The command-line dialog of the real linkto.exe, opened from the Send To row
// of the menu-items dialog and driven from here: the option boxes and the
// command text following each other, OK and Cancel on the verb's record, and
// the window that widens but never changes its height.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "linkbed.h"
#include "resource.h"
#include "settings/command_line_edit.h"
#include "verb_dialogs.h"

namespace {

// "@" stands for the quoted path of the program under test.
std::string Expand(const char *text) {
  std::string result;
  for (const char *p = text; *p != '\0'; ++p) {
    result += *p == '@' ? Quoted(LinktoExe()) : std::string(1, *p);
  }
  return result;
}

uint32_t CheckedOptions(HWND dialog) {
  uint32_t bits = 0;
  for (const OptionSwitch &option : kOptionTable) {
    if (ButtonState(dialog, option.boxId) == BST_CHECKED) {
      bits |= option.bit;
    }
  }
  return bits;
}

// Checks the Send To row, opens its command-line dialog and hands both to
// script; whatever script leaves open is cancelled, so nothing is written.
void WithCommandLineDialog(const std::function<void(HWND menu, HWND inner)> &script) {
  RunMenuItems([&script](HWND menu) {
    ClickButton(menu, IDC_SENDTO_CHECK);
    const HWND inner = OpenDetails(menu, IDC_SENDTO_DETAILS);
    ASSERT_NE(inner, nullptr);
    script(menu, inner);
    if (IsWindow(inner)) {
      EndWith(inner, IDCANCEL);
    }
    if (IsWindow(menu)) {
      EXPECT_TRUE(EndWith(menu, IDCANCEL));
    }
  });
}

TEST(CommandLineDialog, BoxesAndTextFollowEachOther) {
  enum Kind { kClick, kPaste, kType };
  struct Step {
    Kind kind;
    int box;          // for kClick
    const char *text; // for kPaste and kType
    const char *expected;
    uint32_t boxes;
  };
  static const Step kSteps[] = {
      {kClick, IDC_EXT0_CHECK, nullptr, "@ /ext:0 /sendto \"%1\"", kOptionDropExtension},
      {kClick, IDC_PATH_CHECK, nullptr, "@ /path /ext:0 /sendto \"%1\"",
       kOptionPath | kOptionDropExtension},
      {kClick, IDC_EXT0_CHECK, nullptr, "@ /path /sendto \"%1\"", kOptionPath},
      {kType, 0, " /OPEN:0", "@ /path /sendto \"%1\" /OPEN:0", kOptionPath | kOptionNoOpen},
      {kClick, IDC_OPEN0_CHECK, nullptr, "@ /path /sendto \"%1\"", kOptionPath},
      {kPaste, 0, "@  \"/ext:0\" /path  /PATH /path:D:\\Links ",
       "@  \"/ext:0\" /path  /PATH /path:D:\\Links ", kOptionPath | kOptionDropExtension},
      {kClick, IDC_PATH_CHECK, nullptr, "@ \"/ext:0\" /path:D:\\Links", kOptionDropExtension},
      {kClick, IDC_EXT0_CHECK, nullptr, "@ /path:D:\\Links", 0},
      {kClick, IDC_PATH_CHECK, nullptr, "@ /path /path:D:\\Links", kOptionPath},
      {kPaste, 0, "", "", 0},
      {kClick, IDC_PATH_CHECK, nullptr, " /path", kOptionPath},
      {kClick, IDC_PATH_CHECK, nullptr, "", 0},
      // The program path is never scanned, but a click sees it.
      {kPaste, 0, "/path", "/path", 0},
      {kClick, IDC_PATH_CHECK, nullptr, "/path", kOptionPath},
  };
  const VerbKeysGuard guard;
  WithCommandLineDialog([](HWND, HWND inner) {
    EXPECT_EQ(ControlText(inner, IDC_COMMAND_EDIT), Expand("@ /sendto \"%1\""));
    EXPECT_EQ(CheckedOptions(inner), 0u);
    int index = 0;
    for (const Step &step : kSteps) {
      SCOPED_TRACE(testing::Message() << "step " << index++);
      switch (step.kind) {
      case kClick:
        ClickButton(inner, step.box);
        break;
      case kPaste:
        SetControlText(inner, IDC_COMMAND_EDIT, Expand(step.text));
        break;
      case kType:
        TypeAtEnd(inner, IDC_COMMAND_EDIT, step.text);
        break;
      }
      EXPECT_EQ(ControlText(inner, IDC_COMMAND_EDIT), Expand(step.expected));
      EXPECT_EQ(CheckedOptions(inner), step.boxes);
    }
  });
  EXPECT_EQ(ReadVerbKey("toSendTo"), VerbKey{});
}

TEST(CommandLineDialog, OkStoresTheTextAndCancelKeepsTheRecord) {
  const VerbKeysGuard guard;
  WithCommandLineDialog([](HWND menu, HWND inner) {
    ClickButton(inner, IDC_EXT0_CHECK);
    SetControlText(inner, IDC_COMMAND_EDIT, "changed");
    ASSERT_TRUE(EndWith(inner, IDCANCEL));
    inner = OpenDetails(menu, IDC_SENDTO_DETAILS);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(ControlText(inner, IDC_COMMAND_EDIT), Expand("@ /sendto \"%1\""));
    // An empty command text is stored as an empty command line.
    SetControlText(inner, IDC_COMMAND_EDIT, "");
    ASSERT_TRUE(EndWith(inner, IDOK));
    inner = OpenDetails(menu, IDC_SENDTO_DETAILS);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(ControlText(inner, IDC_COMMAND_EDIT), "");
    ASSERT_TRUE(EndWith(inner, IDCANCEL));
    EXPECT_TRUE(EndWith(menu, IDOK));
  });
  const VerbKey written = ReadVerbKey("toSendTo");
  EXPECT_TRUE(written.hasCommand);
  EXPECT_EQ(written.command, "");
}

// Every child window with its rectangle, in template order; labels have no
// id of their own, so the order tells them apart.
std::vector<std::pair<int, RECT>> Children(HWND dialog) {
  std::vector<std::pair<int, RECT>> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    children.emplace_back(GetDlgCtrlID(child), rect);
  }
  return children;
}

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

// How a control's rectangle follows a change of the window's width.
void ExpectControlsFollow(const std::vector<std::pair<int, RECT>> &before,
                          const std::vector<std::pair<int, RECT>> &after, int dx) {
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    const int id = before[i].first;
    SCOPED_TRACE(testing::Message() << "control " << i << " id " << id);
    const RECT &was = before[i].second;
    const RECT &now = after[i].second;
    const bool moves = id == IDOK || id == IDCANCEL;
    const bool grows = id == IDC_KEY_PATH_EDIT || id == IDC_COMMAND_EDIT;
    EXPECT_EQ(now.left, was.left + (moves ? dx : 0));
    EXPECT_EQ(now.right, was.right + (moves || grows ? dx : 0));
    EXPECT_EQ(now.top, was.top);
    EXPECT_EQ(now.bottom, was.bottom);
  }
}

TEST(CommandLineDialog, WidensAndNarrowsButKeepsItsHeight) {
  const VerbKeysGuard guard;
  ASSERT_TRUE(SetCursorPos(640, 500));
  WithCommandLineDialog([](HWND, HWND inner) {
    const RECT opened = WindowRect(inner);
    const int width = opened.right - opened.left, height = opened.bottom - opened.top;
    const std::vector<std::pair<int, RECT>> controls = Children(inner);
    ASSERT_EQ(controls.size(), 9u);

    // Dragging the right edge 40 pixels to the right.
    DragWithMouse(POINT{opened.right - 2, (opened.top + opened.bottom) / 2}, 40, 0);
    EXPECT_TRUE(WaitFor([&] { return WindowRect(inner).right == opened.right + 40; }, kWaitMs));
    EXPECT_EQ(WindowRect(inner).left, opened.left);
    ExpectControlsFollow(controls, Children(inner), 40);

    // Dragging the top or bottom edge does nothing.
    const RECT wide = WindowRect(inner);
    const int middle = (wide.left + wide.right) / 2;
    DragWithMouse(POINT{middle, wide.bottom - 2}, 0, 40);
    DragWithMouse(POINT{middle, wide.top + 1}, 0, -40);
    const RECT dragged = WindowRect(inner);
    EXPECT_EQ(dragged.top, wide.top);
    EXPECT_EQ(dragged.bottom, wide.bottom);

    // No height but the first; no narrower than three OK buttons.
    SetWindowPos(inner, nullptr, 0, 0, width + 40, height + 60,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(WindowRect(inner).bottom - WindowRect(inner).top, height);
    SetWindowPos(inner, nullptr, 0, 0, width, height - 30,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(WindowRect(inner).bottom - WindowRect(inner).top, height);
    ExpectControlsFollow(controls, Children(inner), 0);
    const RECT ok = ControlRect(inner, IDOK);
    SetWindowPos(inner, nullptr, 0, 0, 10, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT narrow = WindowRect(inner);
    EXPECT_EQ(narrow.right - narrow.left, 3 * (ok.right - ok.left));
    ExpectControlsFollow(controls, Children(inner), narrow.right - narrow.left - width);
  });
}

TEST(CommandLineDialog, SizesOnlyByItsSidesAndDragsByItsClientArea) {
  const VerbKeysGuard guard;
  ASSERT_TRUE(SetCursorPos(640, 500));
  WithCommandLineDialog([](HWND, HWND inner) {
    const RECT w = WindowRect(inner);
    const RECT ok = ControlRect(inner, IDOK);
    const int midX = (w.left + w.right) / 2, midY = (w.top + w.bottom) / 2;
    struct Spot {
      const char *name;
      POINT at;
      LRESULT code;
    } const spots[] = {
        {"empty spot", {w.left + 20, ok.top + 4}, HTCAPTION},
        {"caption", {midX, w.top + GetSystemMetrics(SM_CYFRAME) + 6}, HTCAPTION},
        {"top edge", {midX, w.top + 1}, HTBORDER},
        {"bottom edge", {midX, w.bottom - 2}, HTBORDER},
        {"left edge", {w.left + 1, midY}, HTLEFT},
        {"right edge", {w.right - 2, midY}, HTRIGHT},
        {"top left", {w.left + 1, w.top + 1}, HTLEFT},
        {"top right", {w.right - 2, w.top + 1}, HTRIGHT},
        {"bottom left", {w.left + 1, w.bottom - 2}, HTLEFT},
        {"bottom right", {w.right - 2, w.bottom - 2}, HTRIGHT},
    };
    for (const Spot &spot : spots) {
      DWORD_PTR code = 0;
      EXPECT_TRUE(SendMessageTimeoutA(inner, WM_NCHITTEST, 0, MAKELPARAM(spot.at.x, spot.at.y),
                                      SMTO_ABORTIFHUNG, kWaitMs, &code));
      EXPECT_EQ(static_cast<LRESULT>(code), spot.code) << spot.name;
    }
    DragWithMouse(spots[0].at, 30, 20);
    EXPECT_TRUE(WaitFor(
        [&] {
          const RECT now = WindowRect(inner);
          return now.left == w.left + 30 && now.top == w.top + 20;
        },
        kWaitMs));
  });
}

} // namespace
