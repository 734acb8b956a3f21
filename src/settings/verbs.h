// The context-menu verbs that the program offers for executable files, and the
// command line that a verb runs by default.
#pragma once

// One verb of the table.
struct VerbEntry {
  int index;                  // destination bit number; index of the verb's state
  const char *verbKey;        // subkey under CLASS\shell (ASCII)
  const char *defaultCaption; // caption offered while the verb is not registered (code page 932)
  const char *switchText;     // destination switch of the default command line
  const char *displayKeyPath; // shown read-only; always names exefile, never used as a key
};

constexpr int kVerbCount = 6;

// Every loop over the verbs runs in this order. The captions are code page 932
// bytes: "[スタートメニュー] へ登録", "[スタートアップ] へ登録", "[送る] へ登録",
// "[デスクトップ] へ登録", "[...] へ登録", "[クイック起動] へ登録".
inline constexpr VerbEntry kVerbTable[kVerbCount] = {
    {1, "toStartMenu",
     "[\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x81\x83\x6A\x83\x85\x81\x5B] \x82\xD6\x93\x6F\x98\x5E",
     "/startmenu", "HKEY_CLASSES_ROOT\\exefile\\shell\\toStartMenu\\command"},
    {3, "toStartup",
     "[\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x41\x83\x62\x83\x76] \x82\xD6\x93\x6F\x98\x5E",
     "/startup", "HKEY_CLASSES_ROOT\\exefile\\shell\\toStartup\\command"},
    {5, "toSendTo", "[\x91\x97\x82\xE9] \x82\xD6\x93\x6F\x98\x5E", "/sendto",
     "HKEY_CLASSES_ROOT\\exefile\\shell\\toSendTo\\command"},
    {11, "toDesktop", "[\x83\x66\x83\x58\x83\x4E\x83\x67\x83\x62\x83\x76] \x82\xD6\x93\x6F\x98\x5E",
     "/desktop", "HKEY_CLASSES_ROOT\\exefile\\shell\\toDesktop\\command"},
    {0, "toPath", "[...] \x82\xD6\x93\x6F\x98\x5E", "/path",
     "HKEY_CLASSES_ROOT\\exefile\\shell\\toPath\\command"},
    {24, "toQuickLaunch",
     "[\x83\x4E\x83\x43\x83\x62\x83\x4E\x8B\x4E\x93\xAE] \x82\xD6\x93\x6F\x98\x5E", "/qlaunch",
     "HKEY_CLASSES_ROOT\\exefile\\shell\\toQuickLaunch\\command"},
};

// The extension whose file class carries the verbs.
constexpr char kExecutableExtension[] = ".exe";

// A verb's default command line: the module path in quotes, the switch, and
// the shell's placeholder for the clicked file in quotes.
constexpr char kDefaultCommandFormat[] = "\"%s\" %s \"%s\"";
constexpr char kClickedFilePlaceholder[] = "%1";

// Command lines are built in buffers of this many bytes: 1024 of text and the
// terminator.
constexpr unsigned kCommandBufferSize = 1025;

// Writes the default command line for switchText into buffer, which holds
// kCommandBufferSize bytes; always terminated. A text longer than 1024 bytes
// is cut, never inside a double-byte character. A null argument counts as an
// empty text. True when the whole text fit.
bool FormatDefaultCommand(char *buffer, const char *modulePath, const char *switchText);
