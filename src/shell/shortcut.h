// The shortcut writer: one shell link file (.lnk) to a target file or folder,
// saved into one destination folder and named after the target's last
// component.
#pragma once

#include "core/text.h"

// The platform counts its path limits in UTF-16 units, not bytes: the link
// object holds a target of at most MAX_PATH - 1 units, and a link file is
// saved under a name of at most MAX_PATH units (261 with the terminator). In
// code page 932 a unit takes up to two bytes.
constexpr int kTargetUnitLimit = 259;
constexpr int kLinkPathUnitLimit = 260;
// Bytes that hold a link path of kLinkPathUnitLimit double-byte characters
// and the terminator.
constexpr int kLinkPathBufferSize = 2 * kLinkPathUnitLimit + 1;
// Bytes that hold the folder of a target of kTargetUnitLimit double-byte
// characters, and the terminator.
constexpr int kWorkingDirectoryBufferSize = 2 * kTargetUnitLimit + 1;

// True when the link object can hold target: at most kTargetUnitLimit units.
bool LinkTargetFits(const char *target);

// Builds the link path for target in folder, whole: folder, a separator
// unless folder ends in one, the target's last component (without its
// extension when dropExtension is set), ".lnk". link holds
// kLinkPathBufferSize bytes. Returns false, leaving link empty, when the link
// would not lie directly inside folder under the target's own name (the name
// is "." or "..", holds a colon or a slash, folder ends in the Lead half of a
// character), when folder is empty or longer than 260 bytes (destination
// folders come from the shell's MAX_PATH-byte calls), or when the link path
// takes more than kLinkPathUnitLimit units. A name is never shortened.
bool BuildLinkPath(char *link, const char *folder, const char *target, bool dropExtension);

// The working directory of a link to target: the target cut at its last
// separator, whole (C:\Tools\app.exe gives C:\Tools, C:\boot.ini gives C:; a
// target without a separator is taken as it is). dir holds
// kWorkingDirectoryBufferSize bytes. False, leaving dir empty, when that
// folder does not fit, which never happens for a target that LinkTargetFits.
bool BuildWorkingDirectory(char *dir, const char *target);

// The same rules over UTF-16 text, for names that the code page cannot
// spell: only the unit 0x5C separates, every limit counts units, and the
// buffers hold as many units as the code-page ones hold bytes.
bool LinkTargetFits(const WideUnit *target);
bool BuildLinkPath(WideUnit *link, const WideUnit *folder, const WideUnit *target,
                   bool dropExtension);
bool BuildWorkingDirectory(WideUnit *dir, const WideUnit *target);

// Writes the link to target (exactly as given) into folder, with the
// target's folder as working directory and the normal show command. True
// when the link file was saved. An existing file of the same name is
// replaced. A target that the link object cannot hold gets no link, nor does
// a link path longer than the platform saves.
bool WriteShortcut(const char *target, const char *folder, bool dropExtension);
// The same for a target and a folder in UTF-16.
bool WriteShortcutWide(const WideUnit *target, const WideUnit *folder, bool dropExtension);

// Creates the shell's link object, sets target, working directory and show
// command, and saves it under link (at most kLinkPathUnitLimit units of
// code-page text; a longer name is not saved). Runs inside its own COM
// initialisation. True only when the save returned S_OK.
bool SaveShellLink(const char *link, const char *target, const char *workingDirectory,
                   int showCommand);
// The link writer itself, over UTF-16 text (IShellLinkW): SaveShellLink
// converts into it. link is saved only when it holds at most
// kLinkPathUnitLimit units.
bool SaveShellLinkWide(const WideUnit *link, const WideUnit *target,
                       const WideUnit *workingDirectory, int showCommand);
