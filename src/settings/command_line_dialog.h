// The command-line dialog: edits the command line of one context-menu verb,
// with check boxes that follow the option switches of the text.
#pragma once

#include <windows.h>

#include "settings/verb_state.h"

// Runs dialog 132 modally on state, owned by owner. True exactly when it
// ended with OK; state->command then holds the edit's text (the old string
// released). After Cancel, or when the dialog cannot be created, state is
// unchanged.
bool ShowCommandLineDialog(HWND owner, VerbState *state);

// The dialog procedure; lParam of WM_INITDIALOG is the VerbState.
INT_PTR CALLBACK CommandLineDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
