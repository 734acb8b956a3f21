// The registry store of the context-menu verbs for executable files.
#include "settings/verb_store.h"

#include "core/text.h"

#include <cstdlib>
#include <cstring>

namespace {

const REGSAM kAccess = KEY_ALL_ACCESS;
const char kShellKeyName[] = "shell";
const char kCommandKeyName[] = "command";
// The class string of created keys; the call takes it as non-const.
char kEmptyClass[] = "";

bool IsName(const char *name) {
  return name != nullptr && name[0] != '\0';
}

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ;
}

// Registry primitives: one system call each (two for KeyExists), true when it
// returned ERROR_SUCCESS.

bool CreateKey(HKEY parent, const char *name, REGSAM access, HKEY *key) {
  DWORD disposition = 0;
  *key = nullptr;
  if (RegCreateKeyExA(parent, name, 0, kEmptyClass, REG_OPTION_NON_VOLATILE, access, nullptr, key,
                      &disposition) != ERROR_SUCCESS) {
    *key = nullptr;
    return false;
  }
  return true;
}

bool OpenKey(HKEY parent, const char *name, REGSAM access, HKEY *key) {
  *key = nullptr;
  if (RegOpenKeyExA(parent, name, 0, access, key) != ERROR_SUCCESS) {
    *key = nullptr;
    return false;
  }
  return true;
}

bool CloseKey(HKEY key) {
  return RegCloseKey(key) == ERROR_SUCCESS;
}

bool DeleteKey(HKEY parent, const char *name) {
  return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

bool KeyExists(HKEY parent, const char *name) {
  HKEY key = nullptr;
  if (!OpenKey(parent, name, kAccess, &key)) {
    return false;
  }
  CloseKey(key);
  return true;
}

bool SetStringValue(HKEY key, const char *valueName, const char *text) {
  size_t length = strlen(text);
  if (length >= MAXDWORD) {
    return false;
  }
  return RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                        static_cast<DWORD>(length + 1)) == ERROR_SUCCESS;
}

// The stored size and type of a value.
bool QueryValueSize(HKEY key, const char *valueName, DWORD *type, DWORD *size) {
  *size = 0;
  return RegQueryValueExA(key, valueName, nullptr, type, nullptr, size) == ERROR_SUCCESS;
}

// Reads a value into buffer (capacity bytes); *size receives the byte count
// stored there.
bool QueryValue(HKEY key, const char *valueName, DWORD *type, char *buffer, DWORD capacity,
                DWORD *size) {
  *size = capacity;
  if (RegQueryValueExA(key, valueName, nullptr, type, reinterpret_cast<BYTE *>(buffer), size) !=
      ERROR_SUCCESS) {
    return false;
  }
  return *size <= capacity;
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
  if (!QueryValueSize(key, valueName, &type, &size) || !IsStringType(type) || size == MAXDWORD) {
    return nullptr;
  }
  // One byte more than stored, for a value written without its terminator.
  const DWORD capacity = size + 1;
  char *block = static_cast<char *>(malloc(capacity));
  if (block == nullptr) {
    return nullptr;
  }
  DWORD read = 0;
  if (!QueryValue(key, valueName, &type, block, capacity, &read) || !IsStringType(type) ||
      !TerminateRead(block, read, capacity)) {
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
    if (!OpenKey(root, extension, kAccess, extensionKey.out())) {
      return true;
    }
    DWORD type = REG_NONE;
    DWORD read = 0;
    if (!QueryValue(extensionKey.get(), nullptr, &type, name, sizeof name, &read) ||
        !IsStringType(type) || !TerminateRead(name, read, sizeof name)) {
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

bool OpenClassKey(HKEY root, const char *extension, HKEY *key) {
  *key = nullptr;
  if (!IsName(extension)) {
    return false;
  }
  char className[kPathBufferSize];
  ResolveFileClass(root, extension, className, kPathBufferSize);
  if (className[0] == '\0') {
    return false;
  }
  return OpenKey(root, className, kAccess, key);
}

bool OpenShellKey(HKEY root, const char *extension, HKEY *key) {
  *key = nullptr;
  KeyGuard classKey;
  if (!OpenClassKey(root, extension, classKey.out())) {
    return false;
  }
  return OpenKey(classKey.get(), kShellKeyName, kAccess, key);
}

bool OpenVerbKey(const char *extension, const char *verbKey, HKEY *key) {
  *key = nullptr;
  if (!IsName(verbKey)) {
    return false;
  }
  KeyGuard shellKey;
  if (!OpenShellKey(HKEY_CLASSES_ROOT, extension, shellKey.out())) {
    return false;
  }
  return OpenKey(shellKey.get(), verbKey, kAccess, key);
}

bool RegisterVerb(const char *extension, const char *verbKey, const char *caption,
                  const char *command) {
  if (!IsName(verbKey) || caption == nullptr || command == nullptr) {
    return false;
  }
  // Declared outermost first: the guards close command, verb, shell and
  // class, in this order.
  KeyGuard classKey;
  KeyGuard shellKey;
  KeyGuard verb;
  KeyGuard commandKey;
  if (!OpenClassKey(HKEY_CLASSES_ROOT, extension, classKey.out()) ||
      !CreateKey(classKey.get(), kShellKeyName, kAccess, shellKey.out()) ||
      !CreateKey(shellKey.get(), verbKey, kAccess, verb.out())) {
    return false;
  }
  SetStringValue(verb.get(), nullptr, caption);
  if (!CreateKey(verb.get(), kCommandKeyName, kAccess, commandKey.out())) {
    return false;
  }
  SetStringValue(commandKey.get(), nullptr, command);
  return true;
}

bool UnregisterVerb(const char *extension, const char *verbKey) {
  if (!IsName(verbKey)) {
    return false;
  }
  KeyGuard shellKey;
  if (!OpenShellKey(HKEY_CLASSES_ROOT, extension, shellKey.out())) {
    return false;
  }
  if (KeyExists(shellKey.get(), verbKey)) {
    KeyGuard verb;
    if (OpenKey(shellKey.get(), verbKey, kAccess, verb.out())) {
      if (KeyExists(verb.get(), kCommandKeyName)) {
        DeleteKey(verb.get(), kCommandKeyName);
      }
      verb.Close();
      DeleteKey(shellKey.get(), verbKey);
    }
  }
  return true;
}

char *ReadVerbCaption(const char *extension, const char *verbKey) {
  KeyGuard verb;
  if (!OpenVerbKey(extension, verbKey, verb.out())) {
    return nullptr;
  }
  {
    // Without a command key the verb is not registered.
    KeyGuard commandKey;
    if (!OpenKey(verb.get(), kCommandKeyName, kAccess, commandKey.out())) {
      return nullptr;
    }
  }
  return ReadValueAlloc(verb.get(), nullptr);
}

char *ReadVerbCommand(const char *extension, const char *verbKey) {
  KeyGuard commandKey;
  {
    KeyGuard verb;
    if (!OpenVerbKey(extension, verbKey, verb.out()) ||
        !OpenKey(verb.get(), kCommandKeyName, kAccess, commandKey.out())) {
      return nullptr;
    }
  }
  return ReadValueAlloc(commandKey.get(), nullptr);
}
