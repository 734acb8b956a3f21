// The registry store of the context-menu verbs for executable files.
//
// Everything lives under HKEY_CLASSES_ROOT: CLASS\shell\VERB holds the verb's
// caption as its default value, CLASS\shell\VERB\command the command line as
// its default value. CLASS is the file class that the extension's default
// value names, or the extension itself when that names no usable class. The
// store keeps no state: every operation resolves the class anew and closes
// every key it opened before it returns. Every key is opened with
// KEY_ALL_ACCESS, so a key that cannot be modified counts as absent.
//
// Values read back are always terminated strings. Only REG_SZ and
// REG_EXPAND_SZ values count as text (taken as they are, not expanded);
// values of any other type read as absent. A zero-length string value reads
// as an empty string.
#pragma once

#include <windows.h>

// Creates or opens CLASS\shell, the verb key and its command key, and writes
// the caption and the command line as REG_SZ default values. True when every
// key could be created or opened; a failed value write does not count. False,
// writing nothing, for a null or empty verb key or a null text.
bool RegisterVerb(const char *extension, const char *verbKey, const char *caption,
                  const char *command);

// Deletes the verb's command key and then the verb key, one key at a time;
// neither shell nor the class key is ever deleted. False only when the class
// key or its shell key cannot be opened (or for a null or empty verb key);
// true whether or not anything was there to delete.
bool UnregisterVerb(const char *extension, const char *verbKey);

// The verb's caption as a new heap string (the caller frees it), or null.
// Null as well when the verb has no command key: it is not registered.
char *ReadVerbCaption(const char *extension, const char *verbKey);

// The verb's command line as a new heap string (the caller frees it), or null.
char *ReadVerbCommand(const char *extension, const char *verbKey);

// The key-opening chain. On success the out key is open and the caller closes
// it; on failure it is null.

// Writes the name of the class that extension belongs to under root into
// result (size bytes, always terminated): the extension key's default value
// when it is a string of at most 260 bytes that names an existing key under
// root, else the extension itself. An empty name counts as no name. Always
// true.
bool ResolveFileClass(HKEY root, const char *extension, char *result, int size);
// Opens the resolved class key under root. Never opens root itself.
bool OpenClassKey(HKEY root, const char *extension, HKEY *key);
// Opens (never creates) shell under the class key.
bool OpenShellKey(HKEY root, const char *extension, HKEY *key);
// Opens the verb key under HKEY_CLASSES_ROOT\CLASS\shell.
bool OpenVerbKey(const char *extension, const char *verbKey, HKEY *key);

// The named value of key (null name: the default value) as a new heap string,
// terminated after the stored bytes; null when it is absent, not a string, or
// cannot be read.
char *ReadValueAlloc(HKEY key, const char *valueName);
