// The run flow: picks one of the program's three modes from the arguments and
// carries it out.
#pragma once

// Runs the flow over the split command line (argv[0] is the program path).
// Returns the process exit code, always 0.
int RunFlow(int argc, char **argv);
