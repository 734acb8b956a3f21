// The destination chooser: asks where shortcuts go when no destination was
// given on the command line.
#pragma once

#include <windows.h>

#include "app/launch_options.h"

// Runs dialog 127 modally. True when it ended with OK; the dialog has then
// replaced options->destinationBits. False when cancelled or not created (or
// without a record); the record is then unchanged.
bool ShowDestinationDialog(HWND owner, LaunchOptions *options);

// The dialog procedure; lParam of WM_INITDIALOG is the LaunchOptions record.
INT_PTR CALLBACK DestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
