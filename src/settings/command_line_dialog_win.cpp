#include "settings/command_line_dialog.h"

#include <cstdint>
#include <cstdlib>

#include "resource.h"
#include "settings/command_line_edit.h"
#include "ui/placement.h"
#include "ui/window.h"

static_assert(kOptionTable[0].boxId == IDC_OPEN0_CHECK, "option table: /open:0 box");
static_assert(kOptionTable[1].boxId == IDC_EXT0_CHECK, "option table: /ext:0 box");
static_assert(kOptionTable[2].boxId == IDC_PATH_CHECK, "option table: /path box");

namespace {

// How a control follows a change of the client size: a non-zero flag applies
// the change to that coordinate.
struct AnchorRow {
  int controlId;
  unsigned char moveX;
  unsigned char moveY;
  unsigned char growWidth;
  unsigned char growHeight;
};

// OK and Cancel follow the right edge; the two edits grow with the width.
const AnchorRow kAnchorTable[] = {
    {IDOK, 1, 0, 0, 0},
    {IDCANCEL, 1, 0, 0, 0},
    {IDC_KEY_PATH_EDIT, 0, 0, 1, 0},
    {IDC_COMMAND_EDIT, 0, 0, 1, 0},
};
constexpr int kAnchorCount = static_cast<int>(sizeof kAnchorTable / sizeof kAnchorTable[0]);

// Dragged by the client area, sized by the left and right edges only: the
// top and bottom edges are plain border, the corners act as the side edges.
const HitTestPair kHitTestMap[] = {
    {kHitClient, kHitCaption},    {kHitTop, kHitBorder},     {kHitBottom, kHitBorder},
    {kHitTopLeft, kHitLeft},      {kHitTopRight, kHitRight}, {kHitBottomLeft, kHitLeft},
    {kHitBottomRight, kHitRight},
};
constexpr int kHitTestCount = static_cast<int>(sizeof kHitTestMap / sizeof kHitTestMap[0]);

// Sizes of the one command-line dialog that is open. dialog is set once
// WM_INITDIALOG has recorded them: size and track-size messages that arrive
// while the window is still being created are left to the system.
struct OpenDialogSizes {
  HWND dialog;
  SIZE initialWindow; // outer size when it opened; its height never changes
  SIZE lastClient;    // client size after the last applied resize
};
OpenDialogSizes openSizes = {};

bool SizesRecorded(HWND dialog) {
  return dialog != nullptr && openSizes.dialog == dialog;
}

VerbState *DialogState(HWND dialog) {
  return static_cast<VerbState *>(GetPropA(dialog, PROP_DIALOGPARAM));
}

// The option bits of the command edit's text; false when the text cannot be
// copied or split.
bool ScanOptionSwitches(HWND dialog, uint32_t *bits) {
  char *text = DupDlgItemText(dialog, IDC_COMMAND_EDIT);
  if (text == nullptr) {
    return false;
  }
  const bool scanned = ::ScanOptionSwitches(text, bits);
  free(text);
  return scanned;
}

// Sets each option box to whether the command text holds its switch. Setting
// a box is no click: it never rewrites the text.
void SyncOptionBoxes(HWND dialog) {
  uint32_t bits = 0;
  if (!ScanOptionSwitches(dialog, &bits)) {
    return;
  }
  for (const OptionSwitch &option : kOptionTable) {
    const UINT wanted = (bits & option.bit) != 0 ? BST_CHECKED : BST_UNCHECKED;
    if (IsDlgButtonChecked(dialog, option.boxId) != wanted) {
      CheckDlgButton(dialog, option.boxId, wanted);
    }
  }
}

// A click on an option box (which has already taken its new state): the
// switch is added to or removed from the command text.
void ToggleOptionSwitch(const char *switchText, HWND dialog, int boxId) {
  char *text = DupDlgItemText(dialog, IDC_COMMAND_EDIT);
  if (text == nullptr) {
    return;
  }
  char *built =
      ToggleSwitchText(text, switchText, static_cast<int>(IsDlgButtonChecked(dialog, boxId)));
  free(text);
  if (built == nullptr) {
    return;
  }
  // The edit reports the new text with EN_CHANGE, which brings the boxes in
  // line; syncing again is harmless and holds also where it does not.
  SetDlgItemCodePageText(dialog, IDC_COMMAND_EDIT, built);
  free(built);
  SyncOptionBoxes(dialog);
}

void InitCommandLineDialog(HWND dialog, VerbState *state) {
  SetPropA(dialog, PROP_DIALOGPARAM, state);
  WindowSize(dialog, &openSizes.initialWindow);
  ClientSize(dialog, &openSizes.lastClient);
  openSizes.dialog = dialog;
  CenterOnCursor(dialog);
  SetDlgItemCodePageText(dialog, IDC_KEY_PATH_EDIT, state != nullptr ? state->keyPath : nullptr);
  SetDlgItemCodePageText(dialog, IDC_COMMAND_EDIT, state != nullptr ? state->command : nullptr);
  SyncOptionBoxes(dialog);
}

// OK: the edit's text becomes the verb's command line. The boxes act only
// through the text and are not read.
void ConfirmCommandLine(HWND dialog) {
  VerbState *state = DialogState(dialog);
  char *text = DupDlgItemText(dialog, IDC_COMMAND_EDIT);
  if (state != nullptr) {
    ReplaceOwnedText(&state->command, text);
  } else {
    free(text);
  }
  EndDialog(dialog, IDOK);
}

// Adds a move of control by the given changes to batch; returns the batch,
// or null when it failed (the batch is then to be abandoned).
HDWP DeferMoveControl(HDWP batch, HWND control, int dx, int dy, int dWidth, int dHeight) {
  SIZE size = {};
  WindowSize(control, &size);
  POINT corner = {};
  WindowOrigin(control, &corner);
  const HWND parent = GetParent(control);
  if (parent != nullptr && IsChild(parent, control)) {
    ScreenToClient(parent, &corner);
  }
  return DeferWindowPos(batch, control, nullptr, static_cast<int>(corner.x) + dx,
                        static_cast<int>(corner.y) + dy, static_cast<int>(size.cx) + dWidth,
                        static_cast<int>(size.cy) + dHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

// WM_SIZE: the anchored controls follow the change of the client size since
// the last resize that was applied.
void ResizeControls(HWND dialog, WPARAM sizeType, LPARAM lParam) {
  if (sizeType == SIZE_MINIMIZED) {
    return;
  }
  HDWP batch = BeginDeferWindowPos(kAnchorCount);
  if (batch == nullptr) {
    return;
  }
  const int width = static_cast<int>(LOWORD(lParam));
  const int height = static_cast<int>(HIWORD(lParam));
  const int dx = width - static_cast<int>(openSizes.lastClient.cx);
  const int dy = height - static_cast<int>(openSizes.lastClient.cy);
  for (const AnchorRow &row : kAnchorTable) {
    batch = DeferMoveControl(batch, GetDlgItem(dialog, row.controlId), row.moveX != 0 ? dx : 0,
                             row.moveY != 0 ? dy : 0, row.growWidth != 0 ? dx : 0,
                             row.growHeight != 0 ? dy : 0);
    if (batch == nullptr) {
      return; // abandoned: the next resize starts from the last applied size
    }
  }
  if (!EndDeferWindowPos(batch)) {
    return;
  }
  openSizes.lastClient.cx = width;
  openSizes.lastClient.cy = height;
}

// At least three OK buttons wide; exactly as tall as it opened.
void LimitTrackSize(HWND dialog, MINMAXINFO *info) {
  info->ptMinTrackSize.x = 3 * WindowWidth(GetDlgItem(dialog, IDOK));
  info->ptMinTrackSize.y = openSizes.initialWindow.cy;
  info->ptMaxTrackSize.y = openSizes.initialWindow.cy;
}

// True when the default hit test is remapped; the answer is then the
// dialog's message result.
bool RemapHitTest(HWND dialog, WPARAM wParam, LPARAM lParam) {
  const int code = static_cast<int>(DefWindowProcW(dialog, WM_NCHITTEST, wParam, lParam));
  int answer = code;
  if (!MapHitTestCode(kHitTestMap, kHitTestCount, code, &answer)) {
    return false;
  }
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, answer);
  return true;
}

INT_PTR HandleCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
  case IDOK:
    ConfirmCommandLine(dialog);
    return TRUE;
  case IDCANCEL:
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  case IDC_COMMAND_EDIT:
    if (HIWORD(wParam) == EN_CHANGE) {
      SyncOptionBoxes(dialog);
    }
    return FALSE;
  default:
    for (const OptionSwitch &option : kOptionTable) {
      if (LOWORD(wParam) == option.boxId) {
        ToggleOptionSwitch(option.switchText, dialog, option.boxId);
      }
    }
    return FALSE;
  }
}

} // namespace

INT_PTR CALLBACK CommandLineDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    InitCommandLineDialog(dialog, reinterpret_cast<VerbState *>(lParam));
    return TRUE;
  case WM_COMMAND:
    return HandleCommand(dialog, wParam);
  case WM_SIZE:
    if (!SizesRecorded(dialog)) {
      return FALSE;
    }
    ResizeControls(dialog, wParam, lParam);
    return TRUE;
  case WM_GETMINMAXINFO:
    if (!SizesRecorded(dialog)) {
      return FALSE;
    }
    LimitTrackSize(dialog, reinterpret_cast<MINMAXINFO *>(lParam));
    return TRUE;
  case WM_NCHITTEST:
    return RemapHitTest(dialog, wParam, lParam) ? TRUE : FALSE;
  case WM_DESTROY:
    RemovePropA(dialog, PROP_DIALOGPARAM);
    if (openSizes.dialog == dialog) {
      openSizes.dialog = nullptr;
    }
    return TRUE;
  default:
    return FALSE;
  }
}

bool ShowCommandLineDialog(HWND owner, VerbState *state) {
  if (state == nullptr) {
    return false;
  }
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_COMMAND_LINE), owner,
                         CommandLineDialogProc, reinterpret_cast<LPARAM>(state)) == IDOK;
}
