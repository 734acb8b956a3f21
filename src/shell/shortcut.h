// The shortcut writer: one shell link file (.lnk) to a target file or folder,
// saved into one destination folder and named after the target's last
// component.
#pragma once

#include "core/text.h"

// The link path takes the joined path (at most 260 bytes) and ".lnk"; it is
// saved only when the whole of it holds at most 260 bytes.
constexpr int kLinkPathBufferSize = kPathBufferSize + 4;

// Builds the link path for target in folder: folder joined with the target's
// last component, without that component's extension when dropExtension is
// set, followed by ".lnk". link holds kLinkPathBufferSize bytes. Returns
// false, leaving link empty, when the link would not lie directly inside
// folder under the target's own name: the name is "." or "..", holds a colon
// or a slash, the join had to cut the name, or the whole link path is longer
// than 260 bytes.
bool BuildLinkPath(char *link, const char *folder, const char *target, bool dropExtension);

// The working directory of a link to target: the target cut to 260 bytes,
// then at its last separator (C:\Tools\app.exe gives C:\Tools, C:\boot.ini
// gives C:). dir holds kPathBufferSize bytes.
void BuildWorkingDirectory(char *dir, const char *target);

// Writes the link to target (exactly as given) into folder, with the
// target's folder as working directory and the normal show command. True
// when the link file was saved. An existing file of the same name is
// replaced. A target of 260 bytes or more, which the link object cannot
// hold, gets no link.
bool WriteShortcut(const char *target, const char *folder, bool dropExtension);

// Creates the shell's link object, sets target, working directory and show
// command, and saves it under link (at most 260 bytes of code-page text).
// Runs inside its own COM initialisation. True only when the save returned
// S_OK.
bool SaveShellLink(const char *link, const char *target, const char *workingDirectory,
                   int showCommand);
