#include "settings/menu_items_dialog.h"

#include <cstdlib>

#include "app/split.h"
#include "core/code_page.h"
#include "core/text.h"
#include "resource.h"
#include "settings/command_line_dialog.h"
#include "settings/verb_store.h"
#include "shell/shell_folders.h"
#include "ui/window.h"

namespace {

// One row of the dialog: a verb with its check box, caption edit and details
// button. Processed in this order, which is not the order on screen.
struct DialogRow {
  int verbIndex;
  int checkId;
  int editId;
  int detailsId;
};

const DialogRow kDialogRows[] = {
    {1, IDC_STARTMENU_CHECK, IDC_STARTMENU_CAPTION, IDC_STARTMENU_DETAILS},
    {3, IDC_STARTUP_CHECK, IDC_STARTUP_CAPTION, IDC_STARTUP_DETAILS},
    {5, IDC_SENDTO_CHECK, IDC_SENDTO_CAPTION, IDC_SENDTO_DETAILS},
    {11, IDC_DESKTOP_CHECK, IDC_DESKTOP_CAPTION, IDC_DESKTOP_DETAILS},
    {24, IDC_QLAUNCH_CHECK, IDC_QLAUNCH_CAPTION, IDC_QLAUNCH_DETAILS},
};

// The caption of the message box that reports what OK could not do.
const WCHAR kReportTitle[] = L"LinkTo";

VerbState *DialogStates(HWND dialog) {
  return static_cast<VerbState *>(GetPropA(dialog, PROP_DIALOGPARAM));
}

void ReleaseVerbStates(VerbState *states) {
  if (states == nullptr) {
    return;
  }
  for (const VerbEntry &entry : kVerbTable) {
    ReleaseVerbState(&states[entry.index]);
  }
  free(states);
}

// The program's own path in code page 932, as the ANSI call gives it; empty
// when it cannot be read.
void ReadModulePath(char *path) {
  WCHAR wide[kPathBufferSize];
  const DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), wide, kPathBufferSize);
  wide[length < static_cast<DWORD>(kPathBufferSize) ? length : kPathBufferSize - 1] = 0;
  char *text = DupCodePageFromWide(wide);
  CopyBounded(path, text != nullptr ? text : "", kPathBufferSize);
  free(text);
}

// A registered command line that names a copy of this program that is gone
// names this program instead, the rest of it as it was (RetargetCommand).
// The copy counts as gone only when its path, in the UTF-16 form that the
// registry holds, names nothing: a path that the code page does not spell
// (é read as e) may name a copy that is there, so its command line stays as
// it is, and so does one whose copy cannot be told missing.
void FollowProgram(VerbState *state, const VerbEntry &entry, const char *modulePath) {
  char command[kCommandBufferSize];
  char *copy = state->enabled ? RetargetCommand(command, state->command, modulePath) : nullptr;
  if (copy == nullptr) {
    return;
  }
  WCHAR *stored = ReadVerbCommandWide(kExecutableExtension, entry.verbKey);
  int count = 0;
  WCHAR **tokens = stored != nullptr ? SplitWideCommandLine(stored, true, &count) : nullptr;
  const bool gone =
      tokens != nullptr && SpellsInCodePage(copy, tokens[0]) && PathMissingWide(tokens[0]);
  free(tokens);
  free(stored);
  free(copy);
  if (gone) {
    ReplaceOwnedText(&state->command, DupText(command));
  }
}

bool RowChecked(HWND dialog, const DialogRow &row) {
  return IsDlgButtonChecked(dialog, row.checkId) == BST_CHECKED;
}

// A checked row's caption can be edited and its command line opened; an
// unchecked row still shows its caption, read-only.
void UpdateRowControls(HWND dialog) {
  for (const DialogRow &row : kDialogRows) {
    const bool checked = RowChecked(dialog, row);
    SendDlgItemMessageW(dialog, row.editId, EM_SETREADONLY, checked ? FALSE : TRUE, 0);
    EnableDlgItem(dialog, row.detailsId, checked);
  }
}

void InitMenuItemsDialog(HWND dialog) {
  VerbState *states = static_cast<VerbState *>(calloc(kVerbStateCount, sizeof(VerbState)));
  if (states == nullptr) {
    EndDialog(dialog, IDCANCEL); // nothing to edit, nothing will be written
    return;
  }
  LoadVerbStates(states);
  if (!SetPropA(dialog, PROP_DIALOGPARAM, states)) {
    ReleaseVerbStates(states);
    EndDialog(dialog, IDCANCEL);
    return;
  }
  InitSharedDialog(dialog);
  for (const DialogRow &row : kDialogRows) {
    const VerbState &state = states[row.verbIndex];
    CheckDlgButton(dialog, row.checkId, state.enabled ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemCodePageText(dialog, row.editId, state.caption);
  }
  UpdateRowControls(dialog);
}

// Writes or deletes one verb as state says; what came of it, and the
// caption that names it in the report: for a verb left registered, a new
// heap string in *left (the caller frees it).
VerbOutcome ApplyVerbState(const VerbEntry &entry, const VerbState &state, const char **name,
                           char **left) {
  *name = state.caption;
  switch (DecideVerbWrite(state)) {
  case kVerbRegister:
    return RegisterVerb(kExecutableExtension, entry.verbKey, state.caption, state.command)
               ? kVerbDone
               : kVerbNotWritten;
  case kVerbUnregister:
    UnregisterVerb(kExecutableExtension, entry.verbKey);
    // Still registered: for all users, and only an administrator may remove it.
    *left = ReadVerbCaption(kExecutableExtension, entry.verbKey);
    *name = *left;
    return *left != nullptr ? kVerbLeft : kVerbDone;
  case kVerbKeep:
    break;
  }
  return kVerbDone;
}

// OK: checked rows take their caption from the edit; then every verb is
// written or deleted. A checked row whose caption cannot be read keeps the
// caption it had; a verb that lacks a string is left as the registry holds it.
// Verbs that could not be brought to the state chosen are named in one
// message; when all were, nothing is shown.
void ConfirmMenuItems(HWND dialog) {
  VerbState *states = DialogStates(dialog);
  if (states == nullptr) {
    EndDialog(dialog, IDCANCEL);
    return;
  }
  for (const DialogRow &row : kDialogRows) {
    VerbState &state = states[row.verbIndex];
    if (RowChecked(dialog, row)) {
      state.enabled = true;
      ReplaceOwnedText(&state.caption, DupDlgItemText(dialog, row.editId));
    } else {
      state.enabled = false;
    }
  }
  VerbOutcome outcomes[kVerbCount];
  const char *names[kVerbCount];
  char *left[kVerbCount] = {};
  for (int i = 0; i < kVerbCount; ++i) {
    const VerbEntry &entry = kVerbTable[i];
    outcomes[i] = ApplyVerbState(entry, states[entry.index], &names[i], &left[i]);
  }
  // The headings in the display language; the built-in ones where the string
  // table has none.
  char *headings[kReportHeadingCount] = {DupProgramText(IDS_REPORT_LEFT),
                                         DupProgramText(IDS_REPORT_NOT_WRITTEN)};
  char report[kReportBufferSize];
  const bool any = FormatVerbReport(report, outcomes, names, headings);
  for (char *heading : headings) {
    free(heading);
  }
  if (any) {
    WCHAR *text = DupWideFromCodePage(report);
    if (text != nullptr) {
      MessageBoxW(dialog, text, kReportTitle, MB_OK | MB_ICONWARNING);
    }
    free(text);
  }
  for (char *caption : left) {
    free(caption);
  }
  EndDialog(dialog, IDOK);
}

// True when id is a row's details button or check box, which it handles.
bool HandleRowCommand(HWND dialog, int id) {
  for (const DialogRow &row : kDialogRows) {
    if (id == row.detailsId) {
      VerbState *states = DialogStates(dialog);
      if (states != nullptr) {
        ShowCommandLineDialog(dialog, &states[row.verbIndex]);
      }
      return true;
    }
    if (id == row.checkId) {
      UpdateRowControls(dialog);
      return true;
    }
  }
  return false;
}

INT_PTR HandleCommand(HWND dialog, WPARAM wParam) {
  const int id = LOWORD(wParam);
  switch (id) {
  case IDOK:
    ConfirmMenuItems(dialog);
    return TRUE;
  case IDCANCEL:
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  default:
    return HandleRowCommand(dialog, id) ? TRUE : FALSE;
  }
}

} // namespace

void LoadVerbStates(VerbState *states) {
  char modulePath[kPathBufferSize];
  ReadModulePath(modulePath);
  for (int i = 0; i < kVerbCount; ++i) {
    // The default caption in the display language; the table's own where the
    // string table has none.
    VerbEntry entry = kVerbTable[i];
    char *defaultCaption = DupProgramText(IDS_CAPTION_STARTMENU + static_cast<unsigned>(i));
    if (defaultCaption != nullptr) {
      entry.defaultCaption = defaultCaption;
    }
    char *caption = ReadVerbCaption(kExecutableExtension, entry.verbKey);
    char *command = ReadVerbCommand(kExecutableExtension, entry.verbKey);
    VerbState &state = states[entry.index];
    FillVerbState(&state, entry, caption, command, modulePath);
    FollowProgram(&state, entry, modulePath);
    free(defaultCaption);
    // Where the verb's command line is written; the table's text when that
    // cannot be told.
    ReplaceOwnedText(&state.keyPath, ReadVerbKeyPath(kExecutableExtension, entry.verbKey));
  }
}

INT_PTR CALLBACK MenuItemsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    InitMenuItemsDialog(dialog);
    return TRUE;
  case WM_COMMAND:
    return HandleCommand(dialog, wParam);
  case WM_DESTROY: {
    VerbState *states = DialogStates(dialog);
    RemovePropA(dialog, PROP_DIALOGPARAM);
    ReleaseVerbStates(states);
    return TRUE;
  }
  default: {
    INT_PTR result = FALSE;
    SharedDialogMessage(dialog, message, wParam, lParam, &result);
    return result;
  }
  }
}

bool ShowMenuItemsDialog(HWND owner) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MENU_ITEMS), owner,
                         MenuItemsDialogProc, 0) == IDOK;
}
