// The menu-items dialog: edits the context-menu verbs for executables.
#pragma once

#include <windows.h>

#include "settings/verb_state.h"

// Runs dialog 125 modally. True only when it ended with OK.
bool ShowMenuItemsDialog(HWND owner);

// Fills the records of the six verbs (states holds kVerbStateCount records)
// from the registry, with the defaults for verbs that are not registered. A
// registered command line that names a copy of this program that is gone
// names this program instead (nothing is written until OK).
void LoadVerbStates(VerbState *states);

// The dialog procedure; it ignores the lParam of WM_INITDIALOG.
INT_PTR CALLBACK MenuItemsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
