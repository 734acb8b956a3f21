// The registry store of the context-menu verbs for executable files.
//
// CLASS\shell\VERB holds the verb's caption as its default value,
// CLASS\shell\VERB\command the command line as its default value. CLASS is
// the file class that HKEY_CLASSES_ROOT\.exe names, or the extension itself
// when that names no usable class. The verbs live in two places: the
// machine's classes (HKEY_LOCAL_MACHINE\Software\Classes, which
// HKEY_CLASSES_ROOT shows), for every user, which only an administrator's
// elevated run may change; and the user's own classes
// (HKEY_CURRENT_USER\Software\Classes). Where both hold a verb, the user's
// wins, as in Windows' merged view of HKEY_CLASSES_ROOT; Wine does not merge
// the two, so the store reads both itself.
//
// The store keeps no state: every operation resolves the class anew and
// closes every key it opened before it returns. Reading asks for KEY_READ
// only, writing for what it writes.
//
// Values read back are always terminated strings. Only REG_SZ and
// REG_EXPAND_SZ values count as text (taken as they are, not expanded);
// values of any other type read as absent. A zero-length string value reads
// as an empty string.
#pragma once

#include <windows.h>

// Writes the caption and the command line as REG_SZ default values of the
// verb key and its command key, creating CLASS\shell, the verb key and the
// command key as needed, where this user may write the verb: into the user's
// classes when the verb is there already (a key there takes the write, as in
// Windows), else into the machine's classes when this user may change them,
// else into the user's classes (creating CLASS there too; the machine's class
// key is never created). An all-users verb that already reads so and that
// this user may not change is left as it is, with no copy of the user's own.
// True when everything was written; false for a null or empty verb key or a
// null text.
bool RegisterVerb(const char *extension, const char *verbKey, const char *caption,
                  const char *command);

// Deletes the verb's command key and then the verb key, one key at a time,
// from the user's classes and from the machine's, wherever this user may
// change the keys; an all-users verb that only an administrator may remove
// stays whole. Neither shell nor the class key is ever deleted. False only
// when neither classes have the class key with its shell key (or for a null
// or empty verb key); true whether or not anything was there to delete.
bool UnregisterVerb(const char *extension, const char *verbKey);

// The verb's caption as a new heap string (the caller frees it), or null.
// Null as well when the verb has no command key: it is not registered. The
// user's verb, where there is one with a command key, else the machine's.
char *ReadVerbCaption(const char *extension, const char *verbKey);

// The verb's command line as a new heap string (the caller frees it), or
// null; from the same verb key as ReadVerbCaption.
char *ReadVerbCommand(const char *extension, const char *verbKey);

// The same command line as the registry holds it, in UTF-16 (a name that the
// code page lacks is itself, not its look-alike), as a new heap string (the
// caller frees it), or null.
WCHAR *ReadVerbCommandWide(const char *extension, const char *verbKey);

// The key that RegisterVerb writes the verb's command line to, as a registry
// editor names it ("HKEY_CLASSES_ROOT\exefile\shell\toSendTo\command", or
// "HKEY_CURRENT_USER\Software\Classes\exefile\shell\toSendTo\command"), as
// a new heap string; null for a null or empty name or out of memory.
char *ReadVerbKeyPath(const char *extension, const char *verbKey);

// Writes the name of the class that extension belongs to under root into
// result (size bytes, always terminated): the extension key's default value
// when it is a string of at most 260 bytes that names an existing key under
// root, else the extension itself. An empty name counts as no name. Always
// true.
bool ResolveFileClass(HKEY root, const char *extension, char *result, int size);

// The named value of key (null name: the default value) as a new heap string,
// terminated after the stored bytes; null when it is absent, not a string, or
// cannot be read.
char *ReadValueAlloc(HKEY key, const char *valueName);
