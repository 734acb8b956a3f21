// The run flow: picks one of the program's three modes from the arguments and
// carries it out.
#pragma once

#include "core/string_list.h"

// Runs the flow over the split command line (argv[0] is the program path).
// Returns the process exit code, always 0.
int RunFlow(int argc, char **argv);

// Writes a shortcut to every argument from index 1 that names an existing
// path (switches included) into every folder of the list that is a directory
// now: arguments in order outside, folders in list order inside. Entries
// without text are skipped; a shortcut that fails is passed over. True.
bool WriteAllShortcuts(int argc, char **argv, const StringList *folders, bool dropExtension);

// Opens every folder of the list that is a directory now, in list order,
// with the shell's "open" verb. True.
bool OpenFolders(const StringList *folders);
