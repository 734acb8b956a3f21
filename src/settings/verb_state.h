// The state of the context-menu verbs while the menu-items dialog is open:
// one record per verb, indexed by the verb's destination bit number.
#pragma once

#include "settings/verbs.h"

struct VerbState {
  bool enabled;  // the verb is (to be) registered
  char *caption; // menu text, code page 932; heap, owned
  char *command; // command line; heap, owned
  char *keyPath; // the display key path of the verb table; heap, owned
};

// Records for the bit numbers 0 to 24; only the verbs' indexes are used.
constexpr int kVerbStateCount = 25;

// Fills state from what the registry gave for entry (ownership of caption
// and command passes to the record; either may be null). A verb with a
// caption is registered: it keeps its caption, and its command line, or the
// default command line when none could be read. A verb without a caption is
// offered unregistered with the default caption and the default command line
// for modulePath. keyPath is a copy of the display key path. A string that
// cannot be copied (out of memory) stays null.
void FillVerbState(VerbState *state, const VerbEntry &entry, char *caption, char *command,
                   const char *modulePath);

// A command line that may name a copy of this program that has moved: its
// first token, as the program's own splitter cuts it (quoted or not), is a
// full path (a drive, a colon and a separator, or two separators) whose file
// name is that of modulePath, ASCII letter case aside (both bytes of a
// double-byte character compare as themselves). Writes into buffer
// (kCommandBufferSize bytes) the command line that names modulePath instead,
// in double quotes, followed by everything after the first token exactly as
// it was; returns the first token unquoted, the path of the copy, as a heap
// string, for the caller to test whether that copy is still there and then
// free. Null, with buffer empty, for any other command line, for a new text
// that would not fit whole in the buffer, or out of memory.
char *RetargetCommand(char *buffer, const char *command, const char *modulePath);

// Releases the three strings of state and sets them to null.
void ReleaseVerbState(VerbState *state);

// Puts text in place of *slot, releasing the old string; a null text (it
// could not be read) leaves *slot as it was.
void ReplaceOwnedText(char **slot, char *text);

// What OK does with one verb.
enum VerbWrite {
  kVerbRegister,   // write caption and command line
  kVerbUnregister, // delete the verb
  kVerbKeep,       // leave the registry as it is: a string is missing
};
VerbWrite DecideVerbWrite(const VerbState &state);

// A heap copy of text, or null (null text, or no memory).
char *DupText(const char *text);

// What OK brought about for one verb.
enum VerbOutcome {
  kVerbDone,       // written or removed as the user chose, or left alone
  kVerbLeft,       // still registered for all users: only an administrator may remove it
  kVerbNotWritten, // could not be registered
};

// The report of an OK is built in a buffer of this many bytes; a caption is
// named by at most the first kReportCaptionSize - 1 bytes of it.
constexpr unsigned kReportBufferSize = 1025;
constexpr int kReportCaptionSize = 65;

// Writes into buffer (kReportBufferSize bytes, always terminated) the message
// that tells the user which verbs stayed registered for all users, and that
// running the program as administrator removes them, and which verbs could
// not be written: one line a verb, its caption (cut, never inside a
// double-byte character) and its verb key. outcomes and captions follow the
// verb table; a caption may be null. headings, when given, holds
// kReportHeadingCount texts that head the two parts (verbs left registered,
// verbs not written); a null one, or no headings, takes the built-in Japanese
// text. False, with an empty text, when every verb is done: there is nothing
// to tell.
constexpr int kReportHeadingCount = 2;
bool FormatVerbReport(char *buffer, const VerbOutcome *outcomes, const char *const *captions,
                      const char *const *headings = nullptr);
