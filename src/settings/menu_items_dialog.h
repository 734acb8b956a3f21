// The menu-items dialog: edits the context-menu verbs for executables.
#pragma once

#include <windows.h>

// Runs dialog 125 modally. True only when it ended with OK.
bool ShowMenuItemsDialog(HWND owner);
