// What the tests of the menu-items and command-line dialogs share: the six
// verb keys under HKEY_CLASSES_ROOT\exefile\shell read and written past the
// program, a guard that clears them for a test and puts them back after it,
// and runs of linkto.exe with no argument whose dialogs are driven from here.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The verb keys of the program, in the order of its verb table.
extern const char *const kVerbKeys[6];

// One verb as the registry holds it under exefile\shell.
struct VerbKey {
  bool exists = false;
  bool hasCaption = false; // the verb key's default value
  std::string caption;
  bool hasCommandKey = false;
  bool hasCommand = false; // the command key's default value
  std::string command;
};

// The state of a verb registered with caption and command.
VerbKey Registered(const std::string &caption, const std::string &command);
bool operator==(const VerbKey &a, const VerbKey &b);

VerbKey ReadVerbKey(const char *verb);
// Deletes the verb key with everything under it.
void DeleteVerbKey(const char *verb);
// Makes the verb key with caption as its default value (none when null), and
// its command key with command (no command key when null).
void WriteVerbKey(const char *verb, const char *caption, const char *command);

// Clears the six verbs while it lives and puts back what they held before.
class VerbKeysGuard {
public:
  VerbKeysGuard();
  ~VerbKeysGuard();
  VerbKeysGuard(const VerbKeysGuard &) = delete;
  VerbKeysGuard &operator=(const VerbKeysGuard &) = delete;

private:
  VerbKey saved_[6];
};

// The default command line of a verb for the program under test.
std::string DefaultCommandOf(const char *switchText);

// The text of a control of another process (WM_GETTEXT), code page 932.
std::string ControlText(HWND dialog, int id);
// Sets it with WM_SETTEXT, as a paste would.
void SetControlText(HWND dialog, int id, const std::string &text);
// Types text at the end of an edit, one WM_CHAR a byte, as a keyboard would.
void TypeAtEnd(HWND dialog, int id, const std::string &text);
bool IsReadOnly(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
// A control's rectangle in screen coordinates.
RECT ControlRect(HWND dialog, int id);

// Runs linkto.exe with no argument; script gets the menu-items dialog once it
// shows and must end it (OK or Cancel). Every other window is cancelled.
// Expects the run to end by itself with exit code 0 after one dialog.
void RunMenuItems(const std::function<void(HWND dialog)> &script);

// Clicks a details button of the menu-items dialog and waits for the
// command-line dialog it owns; null when none showed.
HWND OpenDetails(HWND menu, int detailsId);
// Ends a dialog with the button id and waits until it is gone; false when it
// stayed.
bool EndWith(HWND dialog, int id);
