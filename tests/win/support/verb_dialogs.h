// What the tests of the verbs and their dialogs share: the verb keys under
// exefile\shell, in the machine's classes and in the user's, read and written
// past the program; a guard that clears the six verbs for a test and puts
// them back after it; a guard that makes the machine's keys read-only, as a
// standard user finds them; and runs of linkto.exe with no argument whose
// dialogs are driven from here.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <ostream>
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
// How a failed expectation shows a verb.
void PrintTo(const VerbKey &key, std::ostream *out);

// Where a verb key is read or written: the machine's classes
// (HKEY_CLASSES_ROOT) or the user's (HKEY_CURRENT_USER\Software\Classes),
// which the bed's Wine does not merge.
enum class Classes { Machine, User };

VerbKey ReadVerbKey(const char *verb, Classes where = Classes::Machine);
// Deletes the verb key with everything under it.
void DeleteVerbKey(const char *verb, Classes where = Classes::Machine);
// Makes the verb key with caption as its default value (none when null), and
// its command key with command (no command key when null).
void WriteVerbKey(const char *verb, const char *caption, const char *command,
                  Classes where = Classes::Machine);

// Deletes, when it goes, the user's classes (HKEY_CURRENT_USER\Software\Classes,
// or its exefile key) if they were not there when it came.
class UserClassesGuard {
public:
  UserClassesGuard();
  ~UserClassesGuard();
  UserClassesGuard(const UserClassesGuard &) = delete;
  UserClassesGuard &operator=(const UserClassesGuard &) = delete;

private:
  std::string made_; // the outermost key that was missing, or ""
};

// Clears the six verbs in both classes while it lives and puts back what
// they held before.
class VerbKeysGuard {
public:
  VerbKeysGuard();
  ~VerbKeysGuard();
  VerbKeysGuard(const VerbKeysGuard &) = delete;
  VerbKeysGuard &operator=(const VerbKeysGuard &) = delete;

private:
  UserClassesGuard userClasses_;
  VerbKey saved_[2][6];
};

// While it lives, the machine's keys .exe, exefile and exefile\shell, and the
// key and command key of each verb given (those that exist), carry the DACL
// D:P(A;;KR;;;WD)(A;;RCWD;;;BA): everyone reads them, and the administrators
// may only put the DACL back. So a standard user, or an administrator under
// UAC, finds the machine's classes. Each key's own DACL is put back after.
class ReadOnlyMachineKeys {
public:
  explicit ReadOnlyMachineKeys(std::initializer_list<const char *> verbs);
  ~ReadOnlyMachineKeys();
  ReadOnlyMachineKeys(const ReadOnlyMachineKeys &) = delete;
  ReadOnlyMachineKeys &operator=(const ReadOnlyMachineKeys &) = delete;
  // True when every key took the read-only DACL.
  bool locked() const { return locked_; }

private:
  struct Saved {
    std::string path;
    std::vector<BYTE> descriptor;
  };
  std::vector<Saved> saved_;
  bool locked_ = true;
};

// The default command line of a verb for the program under test.
std::string DefaultCommandOf(const char *switchText);

// The text of a control of another process (WM_GETTEXT in UTF-16, as the
// user sees it), in code page 932.
std::string ControlText(HWND dialog, int id);
// Sets it with WM_SETTEXT (in UTF-16), as a paste would.
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
// Waits up to kWaitMs for a visible window of that title that owner owns (a
// dialog, a message box); null when none showed.
HWND WaitForOwned(HWND owner, const wchar_t *title);
// The text of a message box (its static text, id 0xFFFF), code page 932.
std::string MessageBoxText(HWND box);
// Ends a dialog with the button id and waits until it is gone; false when it
// stayed.
bool EndWith(HWND dialog, int id);
