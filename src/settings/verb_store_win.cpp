// The registry store of the context-menu verbs for executable files.
#include "settings/verb_store.h"

#include "core/code_page.h"
#include "core/text.h"
#include "settings/verb_state.h"

#include <cstdlib>
#include <cstring>

namespace {

// What the store asks for: reading; creating a key's subkeys; setting its
// values; and, to remove a key, the right to delete it together with the
// right to change it (Wine grants DELETE whatever a key's DACL says, but
// checks the value right as Windows does).
const REGSAM kReadAccess = KEY_READ;
const REGSAM kCreateAccess = KEY_CREATE_SUB_KEY;
const REGSAM kSetAccess = KEY_SET_VALUE;
const REGSAM kRemoveAccess = DELETE | KEY_SET_VALUE;
const char kShellKeyName[] = "shell";
const char kCommandKeyName[] = "command";

bool IsName(const char *name) {
  return name != nullptr && name[0] != '\0';
}

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ;
}

// Key and value names cross to the system in UTF-16: a class name of at most
// 260 bytes under Software\Classes\, or a verb key, fits.
constexpr int kNameUnits = 1025;

// Registry primitives: one system call each (two for KeyExists), true when it
// returned ERROR_SUCCESS. A name that does not convert is no key.

bool CreateKey(HKEY parent, const char *name, REGSAM access, HKEY *key) {
  DWORD disposition = 0;
  *key = nullptr;
  WCHAR wideName[kNameUnits];
  if (!WideFromCodePage(name, wideName, kNameUnits) ||
      RegCreateKeyExW(parent, wideName, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key,
                      &disposition) != ERROR_SUCCESS) {
    *key = nullptr;
    return false;
  }
  return true;
}

bool OpenKey(HKEY parent, const char *name, REGSAM access, HKEY *key) {
  *key = nullptr;
  WCHAR wideName[kNameUnits];
  if (!WideFromCodePage(name, wideName, kNameUnits) ||
      RegOpenKeyExW(parent, wideName, 0, access, key) != ERROR_SUCCESS) {
    *key = nullptr;
    return false;
  }
  return true;
}

bool CloseKey(HKEY key) {
  return RegCloseKey(key) == ERROR_SUCCESS;
}

bool DeleteKey(HKEY parent, const char *name) {
  WCHAR wideName[kNameUnits];
  return WideFromCodePage(name, wideName, kNameUnits) &&
         RegDeleteKeyW(parent, wideName) == ERROR_SUCCESS;
}

bool KeyExists(HKEY parent, const char *name) {
  HKEY key = nullptr;
  if (!OpenKey(parent, name, kReadAccess, &key)) {
    return false;
  }
  CloseKey(key);
  return true;
}

// The store only ever names the default value (null).
bool SetStringValue(HKEY key, const char *text) {
  WCHAR *wide = DupWideFromCodePage(text);
  if (wide == nullptr) {
    return false;
  }
  const size_t bytes = (WideLength(wide) + 1) * sizeof(WCHAR);
  const bool set = bytes < MAXDWORD &&
                   RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(wide),
                                  static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
  free(wide);
  return set;
}

// The named value (null: the default value) as the registry holds it: for a
// string, every stored UTF-16 unit (*units of them, 0 too) and a terminator
// after them, as a heap block that the caller frees. A value of another type
// reads with its type and no data (*wide null). False when the value is
// absent or cannot be read.
bool QueryWideValue(HKEY key, const WCHAR *wideName, DWORD *type, WCHAR **wide, int *units) {
  *wide = nullptr;
  *units = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key, wideName, nullptr, type, nullptr, &bytes) != ERROR_SUCCESS) {
    return false;
  }
  if (!IsStringType(*type)) {
    return true;
  }
  // A spare unit for a value stored with an odd byte count.
  const size_t capacity = bytes / sizeof(WCHAR) + 1;
  if (capacity * sizeof(WCHAR) > MAXDWORD) {
    return false;
  }
  WCHAR *block = static_cast<WCHAR *>(malloc((capacity + 1) * sizeof(WCHAR)));
  if (block == nullptr) {
    return false;
  }
  DWORD read = static_cast<DWORD>(capacity * sizeof(WCHAR));
  if (RegQueryValueExW(key, wideName, nullptr, type, reinterpret_cast<BYTE *>(block), &read) !=
          ERROR_SUCCESS ||
      !IsStringType(*type) || read > capacity * sizeof(WCHAR)) {
    free(block);
    return false;
  }
  *units = static_cast<int>(read / sizeof(WCHAR));
  block[*units] = 0;
  *wide = block;
  return true;
}

// The named value as a program of code page 932 reads it through the ANSI
// call: for a string, every stored UTF-16 unit (0 units too) in code page
// 932, as a heap block of *size bytes and one spare byte, which the caller
// frees. A value of another type reads with its type and no data (*data
// null). False when the value is absent or cannot be read.
bool QueryValue(HKEY key, const char *valueName, DWORD *type, char **data, DWORD *size) {
  *data = nullptr;
  *size = 0;
  WCHAR name[kNameUnits];
  const WCHAR *wideName = valueName != nullptr ? name : nullptr;
  if (valueName != nullptr && !WideFromCodePage(valueName, name, kNameUnits)) {
    return false;
  }
  WCHAR *wide = nullptr;
  int units = 0;
  if (!QueryWideValue(key, wideName, type, &wide, &units)) {
    return false;
  }
  if (wide == nullptr) {
    return true;
  }
  const int length = units > 0 ? WideCharToMultiByte(kProgramCodePage, 0, wide, units, nullptr, 0,
                                                     nullptr, nullptr)
                               : 0;
  bool ok = units == 0 || length > 0;
  if (ok) {
    *data = static_cast<char *>(malloc(static_cast<size_t>(length) + 1));
    ok = *data != nullptr &&
         (units == 0 || WideCharToMultiByte(kProgramCodePage, 0, wide, units, *data, length,
                                            nullptr, nullptr) == length);
  }
  free(wide);
  if (!ok) {
    free(*data);
    *data = nullptr;
    return false;
  }
  *size = static_cast<DWORD>(length);
  return true;
}

// Ends the size bytes read into buffer (capacity bytes) as a string: the
// stored terminator when there is one, else a NUL just after the data. False
// when there is no room for that NUL.
bool TerminateRead(char *buffer, DWORD size, DWORD capacity) {
  if (size > 0 && buffer[size - 1] == '\0') {
    return true;
  }
  if (size >= capacity) {
    return false;
  }
  buffer[size] = '\0';
  return true;
}

// An open registry key, closed when the guard goes (or earlier, by Close).
class KeyGuard {
public:
  KeyGuard() = default;
  ~KeyGuard() { Close(); }
  KeyGuard(const KeyGuard &) = delete;
  KeyGuard &operator=(const KeyGuard &) = delete;

  HKEY get() const { return key_; }
  HKEY *out() { return &key_; }
  void Close() {
    if (key_ != nullptr) {
      CloseKey(key_);
      key_ = nullptr;
    }
  }

private:
  HKEY key_ = nullptr;
};

} // namespace

char *ReadValueAlloc(HKEY key, const char *valueName) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  char *block = nullptr;
  if (!QueryValue(key, valueName, &type, &block, &size) || block == nullptr ||
      !TerminateRead(block, size, size + 1)) {
    free(block);
    return nullptr;
  }
  return block;
}

bool ResolveFileClass(HKEY root, const char *extension, char *result, int size) {
  if (!IsName(extension)) {
    CopyBounded(result, "", size);
    return true;
  }
  CopyBounded(result, extension, size);
  char name[kPathBufferSize];
  {
    KeyGuard extensionKey;
    if (!OpenKey(root, extension, kReadAccess, extensionKey.out())) {
      return true;
    }
    DWORD type = REG_NONE;
    DWORD read = 0;
    char *data = nullptr;
    const bool fits = QueryValue(extensionKey.get(), nullptr, &type, &data, &read) &&
                      data != nullptr && read <= sizeof name;
    if (fits) {
      memcpy(name, data, read);
    }
    free(data);
    if (!fits || !TerminateRead(name, read, sizeof name)) {
      return true;
    }
  }
  // An empty name would make the root itself the class.
  if (name[0] == '\0' || !KeyExists(root, name)) {
    return true;
  }
  CopyBounded(result, name, size);
  return true;
}

namespace {

// The two places of the verbs, in the order they are read: the user's win.
enum Classes { kUserClasses, kMachineClasses };
const Classes kReadOrder[] = {kUserClasses, kMachineClasses};

struct ClassesRoot {
  HKEY hive;         // under Software\Classes
  const char *shown; // how the key path of a verb names it
};
const ClassesRoot kClassesRoots[] = {
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER\\Software\\Classes\\"},
    {HKEY_LOCAL_MACHINE, "HKEY_CLASSES_ROOT\\"},
};
// Software\Classes\ and a class name of at most 260 bytes.
constexpr unsigned kClassPathSize = kPathBufferSize + 18;

// The class of extension under HKEY_CLASSES_ROOT into className
// (kPathBufferSize bytes); false when there is none to work under.
bool ResolveClass(const char *extension, char *className) {
  if (!IsName(extension)) {
    return false;
  }
  ResolveFileClass(HKEY_CLASSES_ROOT, extension, className, kPathBufferSize);
  return className[0] != '\0';
}

// Opens the class key in where's classes; create makes it where it is missing.
bool OpenClassIn(Classes where, const char *className, REGSAM access, bool create, HKEY *key) {
  char path[kClassPathSize];
  BoundedFormat(path, sizeof path, "Software\\Classes\\%s", className);
  const HKEY hive = kClassesRoots[where].hive;
  return create ? CreateKey(hive, path, access, key) : OpenKey(hive, path, access, key);
}

// Opens (never creates) CLASS\shell in where's classes for reading.
bool OpenShellIn(Classes where, const char *className, HKEY *key) {
  KeyGuard classKey;
  return OpenClassIn(where, className, kReadAccess, false, classKey.out()) &&
         OpenKey(classKey.get(), kShellKeyName, kReadAccess, key);
}

bool ClassKeyIn(Classes where, const char *className) {
  KeyGuard classKey;
  return OpenClassIn(where, className, kReadAccess, false, classKey.out());
}

bool VerbKeyIn(Classes where, const char *className, const char *verbKey) {
  KeyGuard shell;
  return OpenShellIn(where, className, shell.out()) && KeyExists(shell.get(), verbKey);
}

// Opens the verb key and its command key in where's classes for reading;
// false when either is missing, for then the verb is not registered there.
bool OpenVerbIn(Classes where, const char *className, const char *verbKey, KeyGuard *verb,
                KeyGuard *command) {
  KeyGuard shell;
  if (!OpenShellIn(where, className, shell.out()) ||
      !OpenKey(shell.get(), verbKey, kReadAccess, verb->out())) {
    return false;
  }
  if (!OpenKey(verb->get(), kCommandKeyName, kReadAccess, command->out())) {
    verb->Close();
    return false;
  }
  return true;
}

// The registered verb as the user sees it: the user's where the user's
// classes hold it, else the machine's.
bool OpenHeldVerb(const char *extension, const char *verbKey, KeyGuard *verb, KeyGuard *command) {
  char className[kPathBufferSize];
  if (!IsName(verbKey) || !ResolveClass(extension, className)) {
    return false;
  }
  for (Classes where : kReadOrder) {
    if (OpenVerbIn(where, className, verbKey, verb, command)) {
      return true;
    }
  }
  return false;
}

// Where this user writes the verb. A verb already in the user's classes is
// the user's: a key there takes the write, as Windows does for
// HKEY_CLASSES_ROOT. Otherwise the machine's classes when this user may
// change them, else the user's. That is asked of the machine's shell key (of
// the class key while it has none) by opening it for the access the write
// needs: Wine does not guard creation, so a create that succeeds proves
// nothing there.
Classes WriteClasses(const char *className, const char *verbKey) {
  if (VerbKeyIn(kUserClasses, className, verbKey)) {
    return kUserClasses;
  }
  KeyGuard classKey;
  KeyGuard probe;
  if (!OpenClassIn(kMachineClasses, className, kReadAccess, false, classKey.out())) {
    return kUserClasses;
  }
  const bool writable =
      KeyExists(classKey.get(), kShellKeyName)
          ? OpenKey(classKey.get(), kShellKeyName, kCreateAccess, probe.out())
          : OpenClassIn(kMachineClasses, className, kCreateAccess, false, probe.out());
  return writable ? kMachineClasses : kUserClasses;
}

// Whether the machine's classes hold the verb with exactly this caption and
// command line.
bool MachineVerbReads(const char *className, const char *verbKey, const char *caption,
                      const char *command) {
  KeyGuard verb;
  KeyGuard commandKey;
  if (!OpenVerbIn(kMachineClasses, className, verbKey, &verb, &commandKey)) {
    return false;
  }
  char *storedCaption = ReadValueAlloc(verb.get(), nullptr);
  char *storedCommand = ReadValueAlloc(commandKey.get(), nullptr);
  const bool same = storedCaption != nullptr && storedCommand != nullptr &&
                    StrEqual(storedCaption, caption) && StrEqual(storedCommand, command);
  free(storedCaption);
  free(storedCommand);
  return same;
}

// Creates or opens the chain in where's classes and writes both values.
bool WriteVerbIn(Classes where, const char *className, const char *verbKey, const char *caption,
                 const char *command) {
  // Declared outermost first: the guards close command, verb, shell and
  // class, in this order.
  KeyGuard classKey;
  KeyGuard shellKey;
  KeyGuard verb;
  KeyGuard commandKey;
  // The user's classes get the class key where the machine's have it; a
  // class key that neither have is never made.
  const bool makeClass = where == kUserClasses && ClassKeyIn(kMachineClasses, className);
  if (!OpenClassIn(where, className, kCreateAccess, makeClass, classKey.out()) ||
      !CreateKey(classKey.get(), kShellKeyName, kCreateAccess, shellKey.out()) ||
      !CreateKey(shellKey.get(), verbKey, kSetAccess | kCreateAccess, verb.out())) {
    return false;
  }
  const bool captionWritten = SetStringValue(verb.get(), caption);
  if (!CreateKey(verb.get(), kCommandKeyName, kSetAccess, commandKey.out())) {
    return false;
  }
  return SetStringValue(commandKey.get(), command) && captionWritten;
}

// Deletes the command key and then the verb key under shell, when this user
// may remove both; otherwise the verb stays whole.
void RemoveVerb(HKEY shell, const char *verbKey) {
  if (!KeyExists(shell, verbKey)) {
    return;
  }
  KeyGuard verb;
  if (!OpenKey(shell, verbKey, kRemoveAccess, verb.out())) {
    return;
  }
  if (KeyExists(verb.get(), kCommandKeyName)) {
    KeyGuard command;
    if (!OpenKey(verb.get(), kCommandKeyName, kRemoveAccess, command.out())) {
      return;
    }
    command.Close();
    DeleteKey(verb.get(), kCommandKeyName);
  }
  verb.Close();
  DeleteKey(shell, verbKey);
}

} // namespace

bool RegisterVerb(const char *extension, const char *verbKey, const char *caption,
                  const char *command) {
  char className[kPathBufferSize];
  if (!IsName(verbKey) || caption == nullptr || command == nullptr ||
      !ResolveClass(extension, className)) {
    return false;
  }
  const Classes where = WriteClasses(className, verbKey);
  // A copy of an all-users verb would outlive that verb's removal.
  if (where == kUserClasses && !VerbKeyIn(kUserClasses, className, verbKey) &&
      MachineVerbReads(className, verbKey, caption, command)) {
    return true;
  }
  return WriteVerbIn(where, className, verbKey, caption, command);
}

bool UnregisterVerb(const char *extension, const char *verbKey) {
  char className[kPathBufferSize];
  if (!IsName(verbKey) || !ResolveClass(extension, className)) {
    return false;
  }
  bool found = false;
  for (Classes where : kReadOrder) {
    KeyGuard shell;
    if (OpenShellIn(where, className, shell.out())) {
      found = true;
      RemoveVerb(shell.get(), verbKey);
    }
  }
  return found;
}

namespace {

// The default value of the registered verb's key, or of its command key.
char *ReadHeldValue(const char *extension, const char *verbKey, bool ofCommand) {
  KeyGuard verb;
  KeyGuard command;
  if (!OpenHeldVerb(extension, verbKey, &verb, &command)) {
    return nullptr;
  }
  return ReadValueAlloc(ofCommand ? command.get() : verb.get(), nullptr);
}

} // namespace

char *ReadVerbCaption(const char *extension, const char *verbKey) {
  return ReadHeldValue(extension, verbKey, false);
}

char *ReadVerbCommand(const char *extension, const char *verbKey) {
  return ReadHeldValue(extension, verbKey, true);
}

WCHAR *ReadVerbCommandWide(const char *extension, const char *verbKey) {
  KeyGuard verb;
  KeyGuard command;
  DWORD type = REG_NONE;
  WCHAR *wide = nullptr;
  int units = 0;
  if (!OpenHeldVerb(extension, verbKey, &verb, &command) ||
      !QueryWideValue(command.get(), nullptr, &type, &wide, &units)) {
    return nullptr;
  }
  return wide;
}

char *ReadVerbKeyPath(const char *extension, const char *verbKey) {
  char className[kPathBufferSize];
  if (!IsName(verbKey) || !ResolveClass(extension, className)) {
    return nullptr;
  }
  char path[kCommandBufferSize];
  if (BoundedFormat(path, sizeof path, "%s%s\\%s\\%s\\%s",
                    kClassesRoots[WriteClasses(className, verbKey)].shown, className, kShellKeyName,
                    verbKey, kCommandKeyName) < 0) {
    return nullptr;
  }
  return DupText(path);
}
