// The destination switches of the command line and the folder set they name.
//
// Every destination has one bit in a 32-bit mask: bit 0 is /path (the folder
// browser), bits 1 to 23 are the rows of the folder switch table, bit 24 is
// /qlaunch. The context-menu verbs use the same bit numbers as their indexes.
#pragma once

#include <cstdint>

#include "app/launch_options.h"
#include "core/string_list.h"

// One row of the folder switch table: the shell folder, its bit, its switch.
struct FolderSwitch {
  int32_t csidl;
  uint32_t mask;
  const char *text;
};

constexpr int kFolderSwitchCount = 23;

// The folder switches in table order, which is also the order in which their
// folders join the folder set. Row k sets bit k + 1.
constexpr FolderSwitch kFolderSwitches[kFolderSwitchCount] = {
    {0x0B, 0x2, "/startmenu"},         // CSIDL_STARTMENU
    {0x02, 0x4, "/programs"},          // CSIDL_PROGRAMS
    {0x07, 0x8, "/startup"},           // CSIDL_STARTUP
    {0x30, 0x10, "/admintools"},       // CSIDL_ADMINTOOLS
    {0x09, 0x20, "/sendto"},           // CSIDL_SENDTO
    {0x06, 0x40, "/favorites"},        // CSIDL_FAVORITES
    {0x05, 0x80, "/mydoc"},            // CSIDL_PERSONAL
    {0x27, 0x100, "/mypict"},          // CSIDL_MYPICTURES
    {0x0D, 0x200, "/mymusic"},         // CSIDL_MYMUSIC
    {0x0E, 0x400, "/myvideo"},         // CSIDL_MYVIDEO
    {0x10, 0x800, "/desktop"},         // CSIDL_DESKTOPDIRECTORY
    {0x16, 0x1000, "/startmenu:all"},  // CSIDL_COMMON_STARTMENU
    {0x17, 0x2000, "/programs:all"},   // CSIDL_COMMON_PROGRAMS
    {0x18, 0x4000, "/startup:all"},    // CSIDL_COMMON_STARTUP
    {0x2F, 0x8000, "/admintools:all"}, // CSIDL_COMMON_ADMINTOOLS
    {0x1F, 0x10000, "/favorites:all"}, // CSIDL_COMMON_FAVORITES
    {0x2E, 0x20000, "/mydoc:all"},     // CSIDL_COMMON_DOCUMENTS
    {0x36, 0x40000, "/mypict:all"},    // CSIDL_COMMON_PICTURES
    {0x35, 0x80000, "/mymusic:all"},   // CSIDL_COMMON_MUSIC
    {0x37, 0x100000, "/myvideo:all"},  // CSIDL_COMMON_VIDEO
    {0x19, 0x200000, "/desktop:all"},  // CSIDL_COMMON_DESKTOPDIRECTORY
    {0x24, 0x400000, "/windows"},      // CSIDL_WINDOWS
    {0x25, 0x800000, "/system"},       // CSIDL_SYSTEM
};

// Bit 0: ask for a folder in the shell's folder browser.
constexpr uint32_t kDestinationBrowse = 0x1;
// Bit 24: the Quick Launch folder under the user's Application Data.
constexpr uint32_t kDestinationQuickLaunch = 0x1000000;

// CSIDL_APPDATA, and the Quick Launch folder relative to it.
constexpr int32_t kCsidlAppData = 0x1A;
constexpr char kQuickLaunchRelative[] = "Microsoft\\Internet Explorer\\Quick Launch";

// Prefix of a switch that names a folder directly: /path:C:\Some Folder.
constexpr char kPathFolderPrefix[] = "/path:";

// Sets the record's fields for one argument: /open:0, /ext:0, /path,
// /qlaunch and the folder switches, whole argument, ASCII letters in any case.
// Returns the folder text of a /path: argument (everything after its six
// characters, possibly empty), or null when the argument has no such prefix.
// An argument that matches nothing changes nothing.
const char *ApplySwitch(const char *argument, LaunchOptions *options);

// Appends a heap copy of folder to the folder set unless an entry equal to it
// with ASCII letters folded is already there. Returns the count afterwards,
// or -1 when the entry cannot be stored. A copy that cannot be made is
// appended as an entry without text, which every walker of the set skips.
int32_t AppendFolderOnce(StringList *folders, const char *folder);

// A folder whose name the code page cannot spell stands in the folder set in
// its UTF-16 form behind a tag: a 0 byte, the byte kWideFolderTag, then the
// units and their terminator. Read as code-page text such an entry is an
// empty path, which names no folder, so code that does not look for the tag
// passes it over and never takes it for another folder. (Every code-page
// entry has a second byte too, so the tag is never read past an entry.)
constexpr char kWideFolderTag = 1;

// Appends a tagged heap copy of folder (UTF-16) unless a tagged entry equal
// to it with ASCII letters folded is already there; as AppendFolderOnce
// otherwise. A folder the code page spells never needs this: its code-page
// form goes in, and the two kinds never name one folder.
int32_t AppendWideFolderOnce(StringList *folders, const WideUnit *folder);

// The UTF-16 path of a tagged entry; null for a code-page entry or none.
const WideUnit *WideFolderText(const char *entry);
