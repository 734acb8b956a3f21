// The options of one run, parsed from the command line.
#pragma once

#include <cstdint>

#include "core/string_list.h"
#include "core/text.h"

struct LaunchOptions {
  bool dropExtension;       // /ext:0: link names leave out the target's extension
  bool openAfter;           // cleared by /open:0: folders are not opened afterwards
  uint32_t destinationBits; // one bit per destination
  StringList *folders;      // owned: canonical destination folders, in order
};

// Fills options from the arguments (argv[0], the program path, is skipped):
// the switches, the /path: folders, and the browser's folder when /path is
// given. False when the folder list cannot be created, or when no argument
// from index 1 names an existing path (then no switch is looked at).
// options->folders is the caller's to destroy in every case.
//
// wide, when given, holds argc entries: wide[i] is the UTF-16 form of an
// argument that the code page cannot spell, which is then taken instead of
// argv[i], or null for an argument taken in its code-page form. Such an
// argument is a path, or a /path: folder; it is no other switch, since every
// other switch is ASCII.
bool ParseLaunchOptions(char **argv, int argc, LaunchOptions *options,
                        WideUnit *const *wide = nullptr);

// The UTF-16 form to take for argument i (see ParseLaunchOptions), or null.
inline const WideUnit *WideArgument(WideUnit *const *wide, int i) {
  return wide != nullptr ? wide[i] : nullptr;
}

// The system takes a path of at most MAX_PATH units and the terminator from
// the code page.
constexpr int kSystemPathUnits = 261;

// The UTF-16 form in which argument i goes to the system: wide[i] where the
// code page cannot spell it, else argv[i] converted from the code page into
// buffer (kSystemPathUnits units). Null when it does not fit there.
const WideUnit *SystemArgument(char **argv, WideUnit *const *wide, int i, WideUnit *buffer);
// The same for an entry of the folder list: a tagged entry's UTF-16 form, or
// the code-page text converted into buffer. Null for an entry with no text.
const WideUnit *SystemFolder(const char *entry, WideUnit *buffer);

// Adds the canonical form of path to folders when it is an existing
// directory, unless an equal entry (ASCII letters folded) is there already.
// Returns the count afterwards, or -1 when the path is rejected or cannot be
// stored.
int32_t AddFolder(StringList *folders, const char *path);
// The same for a path in UTF-16: one the code page spells goes to AddFolder;
// any other goes in as a tagged entry of its canonical form.
int32_t AddFolderWide(StringList *folders, const WideUnit *path);

// Adds the special folders that destinationBits name, in table order, then
// Quick Launch when it exists. Bit 0 and bits 25 to 31 add nothing.
bool ResolveDestinations(StringList *folders, uint32_t destinationBits);
