// The run flow: picks one of the program's three modes from the arguments and
// carries it out.
#pragma once

#include "core/string_list.h"
#include "core/text.h"

// Runs the flow over the split command line (argv[0] is the program path).
// wide, when given, holds the UTF-16 form of every argument the code page
// cannot spell, taken instead of its code-page form (see ParseLaunchOptions).
// Returns the process exit code, always 0.
int RunFlow(int argc, char **argv, WideUnit *const *wide = nullptr);

// Writes a shortcut to every argument from index 1 that names an existing
// path (switches included) into every folder of the list that is a directory
// now: arguments in order outside, folders in list order inside. Entries
// without text are skipped; a shortcut that fails is passed over. True.
// Targets and folders named outside the code page are taken in UTF-16.
bool WriteAllShortcuts(int argc, char **argv, const StringList *folders, bool dropExtension,
                       WideUnit *const *wide = nullptr);

// Opens every folder of the list that is a directory now, in list order,
// with the shell's "open" verb (in UTF-16 for a folder named outside the
// code page). True.
bool OpenFolders(const StringList *folders);
