// The switch-text editing of the command-line dialog: which option switches
// a verb's command text holds, and the text rebuilt with one switch added or
// removed. Texts are split with the program's own splitter, in unquoting mode
// to compare tokens and in verbatim mode to rebuild the text, so every other
// token keeps its quotes and backslashes exactly as typed.
#pragma once

#include <cstddef>
#include <cstdint>

// Option bits of a command text.
constexpr uint32_t kOptionPath = 1;          // "/path"
constexpr uint32_t kOptionDropExtension = 2; // "/ext:0"
constexpr uint32_t kOptionNoOpen = 4;        // "/open:0"

// One option switch and the check box that stands for it.
struct OptionSwitch {
  uint32_t bit;
  int boxId;
  const char *switchText;
};

constexpr int kOptionCount = 3;

// Walked in this order when scanning and when setting the boxes.
inline constexpr OptionSwitch kOptionTable[kOptionCount] = {
    {kOptionNoOpen, 1066, "/open:0"},
    {kOptionDropExtension, 1065, "/ext:0"},
    {kOptionPath, 1067, "/path"},
};

// The state of a check box as the system reports it.
constexpr int kBoxUnchecked = 0;
constexpr int kBoxChecked = 1;

// Stores in *bits the option bits of the switches that text holds as whole
// arguments (ASCII case ignored, quoted or not); the first token, the program
// path, is never looked at. False, *bits untouched, when the text cannot be
// split (out of memory). A null text counts as empty.
bool ScanOptionSwitches(const char *text, uint32_t *bits);

// Bytes that either rebuilt text of n verbatim tokens v with switchText can
// take, without the terminator: the length of the switch, n + 1 blanks and
// the lengths of the tokens.
size_t JoinedLengthBound(int n, const char *const *v, const char *switchText);

// out = v[0], a blank, switchText, then a blank and v[i] for every later
// token. out holds JoinedLengthBound + 1 bytes.
void InsertSwitchText(char *out, const char *const *v, int n, const char *switchText);

// out = v[0], then a blank and v[i] for every later token whose unquoted form
// u[i] is not switchText (ASCII case ignored). The first token always stays.
// out holds JoinedLengthBound + 1 bytes.
void RemoveSwitchText(const char *const *v, char *out, int n, const char *const *u,
                      const char *switchText);

// What a click on the box of switchText does to text, the box having taken
// boxState: checked adds the switch after the first token unless some token
// (the first included) already is the switch; unchecked removes every later
// occurrence; any other state changes nothing. Returns the new text as a heap
// string for the caller to free, or null when the text stays as it is (no
// change, a rebuilt text equal to the old one ignoring ASCII case, or no
// memory). A null text counts as empty.
char *ToggleSwitchText(const char *text, const char *switchText, int boxState);
