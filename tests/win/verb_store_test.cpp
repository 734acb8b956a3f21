// The verb registry store against the real registry of the test bed. Every
// test puts back what it touched: the default value of HKCR\.exe, the shell
// keys of .exe and exefile, and every verb key these tests use.
#include "settings/verb_store.h"

#include "core/text.h"
#include "settings/verbs.h"
#include "testbed.h"
#include "verb_dialogs.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

const char kTestVerb[] = "linktoTestVerb";
const char kTestClass[] = "linktoTestClass";
const char kMissingClass[] = "linktoNoSuchClass";

using Text = std::unique_ptr<char, decltype(&free)>;
Text Take(char *text) {
  return Text(text, &free);
}

std::string Bytes(const char *data, size_t size) {
  return std::string(data, size);
}
// A string as the store writes it: its bytes and the terminator.
std::string Sz(const std::string &text) {
  return text + '\0';
}

// Raw access to HKEY_CLASSES_ROOT, past the store.
struct TestKey {
  TestKey(const std::string &path, bool create) {
    const LONG status =
        create ? RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr)
               : RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) {
      key = nullptr;
    }
  }
  ~TestKey() {
    if (key != nullptr) {
      RegCloseKey(key);
    }
  }
  HKEY key = nullptr;
};

bool KeyPresent(const std::string &path) {
  return TestKey(path, false).key != nullptr;
}

struct RawValue {
  bool present = false;
  DWORD type = REG_NONE;
  std::string bytes;
};

RawValue ReadRaw(const std::string &path, const char *name = nullptr) {
  RawValue value;
  TestKey open(path, false);
  DWORD size = 0;
  if (open.key != nullptr &&
      RegQueryValueExA(open.key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<char> data(size + 1u);
    value.present = RegQueryValueExA(open.key, name, nullptr, &value.type,
                                     reinterpret_cast<BYTE *>(data.data()), &size) == ERROR_SUCCESS;
    value.bytes.assign(data.data(), value.present ? size : 0);
  }
  return value;
}

void WriteRaw(const std::string &path, const char *name, DWORD type, const std::string &bytes) {
  TestKey made(path, true);
  ASSERT_NE(made.key, nullptr) << path;
  EXPECT_EQ(RegSetValueExA(made.key, name, 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS)
      << path;
}

void WriteDefault(const std::string &path, DWORD type, const std::string &bytes) {
  WriteRaw(path, nullptr, type, bytes);
}

void MakeKey(const std::string &path) {
  EXPECT_NE(TestKey(path, true).key, nullptr) << path;
}

void DeleteDefault(const std::string &path) {
  TestKey open(path, false);
  if (open.key != nullptr) {
    RegDeleteValueA(open.key, nullptr);
  }
}

void DeleteTree(const std::string &path) {
  if (KeyPresent(path)) {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, path.c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, path.c_str());
  }
}

DWORD CountSubkeys(const std::string &path) {
  TestKey open(path, false);
  DWORD count = 0;
  if (open.key != nullptr) {
    RegQueryInfoKeyA(open.key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr);
  }
  return count;
}

std::string VerbPath(const std::string &cls, const char *verb) {
  return cls + "\\shell\\" + verb;
}

std::string CommandPath(const std::string &cls, const char *verb) {
  return VerbPath(cls, verb) + "\\command";
}

// Whether a key existed and what its default value was.
struct SavedKey {
  std::string path;
  bool existed;
  RawValue value;
};

// What Wine's reg.exe prints for "reg query KEY /s": code page 932 text.
std::string RegQuery(const std::string &key, DWORD *exitCode) {
  char folder[MAX_PATH] = {};
  char file[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  GetTempFileNameA(folder, "reg", 0, file);
  *exitCode =
      RunProcess("cmd.exe /c reg.exe query " + key + " /s > " + Quoted(file), kProcessWaitMs)
          .exitCode;
  std::string output;
  if (FILE *in = fopen(file, "rb")) {
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, in)) > 0;) {
      output.append(chunk, n);
    }
    fclose(in);
  }
  DeleteFileA(file);
  return output;
}

// The data of the default value that reg.exe shows on the line after a key:
// "    NAME    REG_SZ    DATA".
std::string RegSzAfterKey(const std::string &output, const std::string &key) {
  const std::string separator = "    REG_SZ    ";
  const size_t keyLine = output.find(key + "\r\n");
  if (keyLine == std::string::npos) {
    return "(no line " + key + ")";
  }
  const size_t start = keyLine + key.size() + 2;
  const std::string line = output.substr(start, output.find("\r\n", start) - start);
  const size_t at = line.find(separator);
  return at == std::string::npos ? "(not REG_SZ: " + line + ")"
                                 : line.substr(at + separator.size());
}

class VerbStore : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "code page 932 tests would pass for nothing";
    std::vector<std::string> paths = {".exe", ".exe\\shell", "exefile\\shell", kTestClass};
    for (const char *cls : {".exe", "exefile", kTestClass}) {
      for (const char *verb : Verbs()) {
        paths.push_back(VerbPath(cls, verb));
        paths.push_back(CommandPath(cls, verb));
      }
    }
    for (const std::string &path : paths) {
      saved_.push_back({path, KeyPresent(path), ReadRaw(path)});
    }
    RemoveVerbs();
  }

  void TearDown() override {
    RemoveVerbs();
    // Remove what was not there, then put back what was, parents first.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (!it->existed) {
        DeleteTree(it->path);
      }
    }
    for (const SavedKey &key : saved_) {
      if (!key.existed) {
        continue;
      }
      MakeKey(key.path);
      if (key.value.present) {
        WriteDefault(key.path, key.value.type, key.value.bytes);
      } else {
        DeleteDefault(key.path);
      }
    }
    EXPECT_FALSE(KeyPresent(std::string("shell\\") + kTestVerb));
  }

  static std::vector<const char *> Verbs() {
    std::vector<const char *> verbs = {kTestVerb};
    for (const VerbEntry &row : kVerbTable) {
      verbs.push_back(row.verbKey);
    }
    return verbs;
  }

  static void RemoveVerbs() {
    for (const char *cls : {".exe", "exefile", kTestClass}) {
      for (const char *verb : Verbs()) {
        DeleteTree(VerbPath(cls, verb));
      }
    }
  }

  static void SetExeClass(const std::string &name) { WriteDefault(".exe", REG_SZ, name + '\0'); }

  std::vector<SavedKey> saved_;
};

// What HKCR\.exe holds decides where the verbs live.
TEST_F(VerbStore, ClassOfExeDecidesWhereVerbsLive) {
  struct Case {
    const char *what;
    bool present;
    DWORD type;
    std::string bytes;
    std::string expected;
  };
  const std::string exefile = "exefile";
  const Case kCases[] = {
      {"exefile", true, REG_SZ, exefile + '\0', "exefile"},
      {"another existing class", true, REG_SZ, std::string(kTestClass) + '\0', kTestClass},
      {"no default value", false, REG_NONE, "", ".exe"},
      {"a class with no key", true, REG_SZ, std::string(kMissingClass) + '\0', ".exe"},
      {"empty string", true, REG_SZ, Sz(""), ".exe"},
      {"zero length", true, REG_SZ, "", ".exe"},
      {"no terminator", true, REG_SZ, exefile, "exefile"},
      {"261 bytes with the terminator", true, REG_SZ, exefile + std::string(254, '\0'), "exefile"},
      {"262 bytes", true, REG_SZ, exefile + std::string(255, '\0'), ".exe"},
      {"300 letters", true, REG_SZ, std::string(300, 'x') + '\0', ".exe"},
      {"expandable string", true, REG_EXPAND_SZ, exefile + '\0', "exefile"},
      {"binary", true, REG_BINARY, exefile + '\0', ".exe"},
      {"dword", true, REG_DWORD, Bytes("\x01\0\0\0", 4), ".exe"},
      {"multi-string", true, REG_MULTI_SZ, exefile + '\0' + '\0', ".exe"},
  };
  MakeKey(kTestClass);
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.what);
    if (c.present) {
      WriteDefault(".exe", c.type, c.bytes);
    } else {
      DeleteDefault(".exe");
      ASSERT_FALSE(ReadRaw(".exe").present);
    }
    char resolved[kPathBufferSize];
    memset(resolved, 'z', sizeof resolved);
    EXPECT_TRUE(ResolveFileClass(HKEY_CLASSES_ROOT, ".exe", resolved, sizeof resolved));
    EXPECT_STREQ(resolved, c.expected.c_str());

    ASSERT_TRUE(RegisterVerb(".exe", kTestVerb, "caption", "command"));
    EXPECT_TRUE(KeyPresent(CommandPath(c.expected, kTestVerb)));
    for (const char *other : {".exe", "exefile", kTestClass}) {
      if (c.expected != other) {
        EXPECT_FALSE(KeyPresent(VerbPath(other, kTestVerb))) << other;
      }
    }
    // Never directly under the root.
    EXPECT_FALSE(KeyPresent(std::string("shell\\") + kTestVerb));
    EXPECT_STREQ(Take(ReadVerbCaption(".exe", kTestVerb)).get(), "caption");
    EXPECT_STREQ(Take(ReadVerbCommand(".exe", kTestVerb)).get(), "command");
    EXPECT_TRUE(UnregisterVerb(".exe", kTestVerb));
    EXPECT_FALSE(KeyPresent(VerbPath(c.expected, kTestVerb)));
    // The class lookup never writes the value it reads.
    const RawValue after = ReadRaw(".exe");
    EXPECT_EQ(after.present, c.present);
    if (c.present) {
      EXPECT_EQ(after.type, c.type);
    }
  }
}

// Without HKCR\.exe there is no class key to work under, and the store never
// makes one.
TEST_F(VerbStore, NoExeKeyMeansNoVerbs) {
  if (CountSubkeys(".exe") != 0) {
    GTEST_SKIP() << "HKCR\\.exe has subkeys that this test would lose";
  }
  DeleteTree(".exe");
  ASSERT_FALSE(KeyPresent(".exe"));
  char resolved[kPathBufferSize];
  EXPECT_TRUE(ResolveFileClass(HKEY_CLASSES_ROOT, ".exe", resolved, sizeof resolved));
  EXPECT_STREQ(resolved, ".exe");
  EXPECT_FALSE(RegisterVerb(".exe", kTestVerb, "caption", "command"));
  EXPECT_FALSE(UnregisterVerb(".exe", kTestVerb));
  EXPECT_EQ(ReadVerbCaption(".exe", kTestVerb), nullptr);
  EXPECT_EQ(ReadVerbCommand(".exe", kTestVerb), nullptr);
  EXPECT_FALSE(KeyPresent(".exe"));
}

TEST_F(VerbStore, AllSixVerbsRoundTrip) {
  SetExeClass("exefile");
  char module[kPathBufferSize] = {};
  ASSERT_GT(GetModuleFileNameA(nullptr, module, sizeof module), 0u);
  std::vector<std::string> commands;
  for (int i = 0; i < kVerbCount; ++i) {
    const VerbEntry &row = kVerbTable[i];
    SCOPED_TRACE(row.verbKey);
    char command[kCommandBufferSize];
    ASSERT_TRUE(FormatDefaultCommand(command, module, row.switchText));
    commands.push_back(command);
    ASSERT_TRUE(RegisterVerb(".exe", row.verbKey, row.defaultCaption, command));

    const RawValue caption = ReadRaw(VerbPath("exefile", row.verbKey));
    EXPECT_EQ(caption.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(caption.bytes, std::string(row.defaultCaption) + '\0');
    const RawValue stored = ReadRaw(CommandPath("exefile", row.verbKey));
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.bytes, std::string(command) + '\0');
  }
  for (int i = 0; i < kVerbCount; ++i) {
    const VerbEntry &row = kVerbTable[i];
    SCOPED_TRACE(row.verbKey);
    EXPECT_STREQ(Take(ReadVerbCaption(".exe", row.verbKey)).get(), row.defaultCaption);
    EXPECT_STREQ(Take(ReadVerbCommand(".exe", row.verbKey)).get(), commands[i].c_str());
  }
  for (const VerbEntry &row : kVerbTable) {
    EXPECT_TRUE(UnregisterVerb(".exe", row.verbKey));
    EXPECT_FALSE(KeyPresent(VerbPath("exefile", row.verbKey))) << row.verbKey;
    EXPECT_EQ(ReadVerbCaption(".exe", row.verbKey), nullptr);
    EXPECT_EQ(ReadVerbCommand(".exe", row.verbKey), nullptr);
  }
  // The container stays.
  EXPECT_TRUE(KeyPresent("exefile\\shell"));
}

// Wine's own reg.exe sees what the store wrote.
TEST_F(VerbStore, RegQuerySeesTheVerb) {
  SetExeClass("exefile");
  const VerbEntry &sendTo = kVerbTable[2];
  ASSERT_STREQ(sendTo.verbKey, "toSendTo");
  const std::string command = "\"C:\\Tools\\linkto.exe\" /sendto \"%1\"";
  ASSERT_TRUE(RegisterVerb(".exe", sendTo.verbKey, sendTo.defaultCaption, command.c_str()));

  const std::string key = "HKEY_CLASSES_ROOT\\exefile\\shell\\toSendTo";
  DWORD exitCode = 1;
  const std::string output = RegQuery(key, &exitCode);
  EXPECT_EQ(exitCode, 0u) << output;
  // [送る] へ登録
  EXPECT_EQ(RegSzAfterKey(output, key), "[\x91\x97\x82\xE9] \x82\xD6\x93\x6F\x98\x5E");
  EXPECT_EQ(RegSzAfterKey(output, key + "\\command"), command);

  EXPECT_TRUE(UnregisterVerb(".exe", sendTo.verbKey));
  RegQuery(key, &exitCode);
  EXPECT_NE(exitCode, 0u);
}

TEST_F(VerbStore, RegisteringAgainOverwritesInPlace) {
  SetExeClass("exefile");
  ASSERT_TRUE(RegisterVerb(".exe", kTestVerb, "a longer first caption", "\"a\" /first \"%1\""));
  // Something else keeps its own value and subkey under the verb.
  WriteRaw(VerbPath("exefile", kTestVerb), "Extended", REG_SZ, Sz(""));
  MakeKey(VerbPath("exefile", kTestVerb) + "\\ddeexec");

  ASSERT_TRUE(RegisterVerb(".exe", kTestVerb, "second", "\"b\" /second \"%1\""));
  EXPECT_EQ(ReadRaw(VerbPath("exefile", kTestVerb)).bytes, Sz("second"));
  EXPECT_EQ(ReadRaw(CommandPath("exefile", kTestVerb)).bytes, Sz("\"b\" /second \"%1\""));
  EXPECT_STREQ(Take(ReadVerbCaption(".exe", kTestVerb)).get(), "second");
  EXPECT_STREQ(Take(ReadVerbCommand(".exe", kTestVerb)).get(), "\"b\" /second \"%1\"");
  EXPECT_EQ(CountSubkeys(VerbPath("exefile", kTestVerb)), 2u);
  EXPECT_TRUE(ReadRaw(VerbPath("exefile", kTestVerb), "Extended").present);

  // Deletion goes one key at a time: command goes, the verb key with a
  // subkey of someone else's stays.
  EXPECT_TRUE(UnregisterVerb(".exe", kTestVerb));
  EXPECT_FALSE(KeyPresent(CommandPath("exefile", kTestVerb)));
  EXPECT_TRUE(KeyPresent(VerbPath("exefile", kTestVerb) + "\\ddeexec"));
  EXPECT_EQ(ReadVerbCaption(".exe", kTestVerb), nullptr);
}

TEST_F(VerbStore, EmptyCaptionIsRegistered) {
  SetExeClass("exefile");
  ASSERT_TRUE(RegisterVerb(".exe", kTestVerb, "", ""));
  const RawValue caption = ReadRaw(VerbPath("exefile", kTestVerb));
  EXPECT_EQ(caption.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(caption.bytes, Sz(""));
  EXPECT_EQ(ReadRaw(CommandPath("exefile", kTestVerb)).bytes, Sz(""));
  EXPECT_STREQ(Take(ReadVerbCaption(".exe", kTestVerb)).get(), "");
  EXPECT_STREQ(Take(ReadVerbCommand(".exe", kTestVerb)).get(), "");
}

TEST_F(VerbStore, UnregisteringWhatIsNotThere) {
  SetExeClass("exefile");
  ASSERT_TRUE(KeyPresent("exefile\\shell"));
  const DWORD verbs = CountSubkeys("exefile\\shell");
  EXPECT_TRUE(UnregisterVerb(".exe", kTestVerb));
  EXPECT_EQ(CountSubkeys("exefile\\shell"), verbs);

  // A class key without shell: .exe itself, once it names no class.
  DeleteTree(".exe\\shell");
  SetExeClass(kMissingClass);
  EXPECT_FALSE(UnregisterVerb(".exe", kTestVerb));
  EXPECT_EQ(ReadVerbCaption(".exe", kTestVerb), nullptr);
  EXPECT_EQ(ReadVerbCommand(".exe", kTestVerb), nullptr);
  EXPECT_FALSE(KeyPresent(".exe\\shell"));
  // Registering makes the shell key.
  EXPECT_TRUE(RegisterVerb(".exe", kTestVerb, "caption", "command"));
  EXPECT_TRUE(KeyPresent(CommandPath(".exe", kTestVerb)));
  EXPECT_TRUE(UnregisterVerb(".exe", kTestVerb));
  EXPECT_TRUE(KeyPresent(".exe\\shell"));
}

TEST_F(VerbStore, HalfWrittenVerbsReadAsNotRegistered) {
  SetExeClass("exefile");
  const std::string verb = VerbPath("exefile", kTestVerb);
  const std::string command = CommandPath("exefile", kTestVerb);

  // A caption without a command key, as a registration cut short leaves it.
  WriteDefault(verb, REG_SZ, Sz("caption"));
  EXPECT_EQ(ReadVerbCaption(".exe", kTestVerb), nullptr);
  EXPECT_EQ(ReadVerbCommand(".exe", kTestVerb), nullptr);
  EXPECT_TRUE(UnregisterVerb(".exe", kTestVerb));
  EXPECT_FALSE(KeyPresent(verb));

  // A command without a caption.
  WriteDefault(command, REG_SZ, Sz("cmd"));
  EXPECT_EQ(ReadVerbCaption(".exe", kTestVerb), nullptr);
  EXPECT_STREQ(Take(ReadVerbCommand(".exe", kTestVerb)).get(), "cmd");
  EXPECT_TRUE(UnregisterVerb(".exe", kTestVerb));
  EXPECT_FALSE(KeyPresent(verb));

  // A command key without a value of its own.
  WriteDefault(verb, REG_SZ, Sz("caption"));
  MakeKey(command);
  EXPECT_STREQ(Take(ReadVerbCaption(".exe", kTestVerb)).get(), "caption");
  EXPECT_EQ(ReadVerbCommand(".exe", kTestVerb), nullptr);
}

// Values that someone else wrote come back as terminated strings or not at
// all, in the verb key and in its command key alike.
TEST_F(VerbStore, ForeignValuesReadSafely) {
  SetExeClass("exefile");
  struct Case {
    const char *what;
    DWORD type;
    std::string bytes;
    bool readable;
    std::string expected;
  };
  const std::string big(200000, 'x');
  const Case kCases[] = {
      {"terminated", REG_SZ, Sz("abc"), true, "abc"},
      // Wine's ANSI calls add a missing terminator themselves; Windows need not.
      {"no terminator", REG_SZ, "abc", true, "abc"},
      {"zero length", REG_SZ, "", true, ""},
      {"inner NUL", REG_SZ, Bytes("ab\0cd\0", 6), true, "ab"},
      {"large", REG_SZ, big + '\0', true, big},
      {"large without terminator", REG_SZ, big, true, big},
      {"expandable, not expanded", REG_EXPAND_SZ, Sz("%SystemRoot%\\a.exe"), true,
       "%SystemRoot%\\a.exe"},
      {"dword", REG_DWORD, Bytes("\x61\x62\x63\x64", 4), false, ""},
      {"binary", REG_BINARY, "abcd", false, ""},
      {"multi-string", REG_MULTI_SZ, Bytes("a\0b\0\0", 5), false, ""},
      {"none", REG_NONE, "abcd", false, ""},
  };
  const std::string verb = VerbPath("exefile", kTestVerb);
  const std::string command = CommandPath("exefile", kTestVerb);
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.what);
    WriteDefault(verb, c.type, c.bytes);
    WriteDefault(command, REG_SZ, Sz("cmd"));
    Text caption = Take(ReadVerbCaption(".exe", kTestVerb));
    EXPECT_EQ(caption != nullptr, c.readable);
    if (caption != nullptr) {
      EXPECT_EQ(std::string(caption.get()), c.expected);
    }

    WriteDefault(verb, REG_SZ, Sz("caption"));
    WriteDefault(command, c.type, c.bytes);
    Text line = Take(ReadVerbCommand(".exe", kTestVerb));
    EXPECT_EQ(line != nullptr, c.readable);
    if (line != nullptr) {
      EXPECT_EQ(std::string(line.get()), c.expected);
    }
  }
}

// Every key that an operation opens is closed before it returns, on every way
// out. Wine hands out the lowest free handle slot, so a key left open shows
// as a new handle value.
TEST_F(VerbStore, NoKeyStaysOpen) {
  SetExeClass("exefile");
  WriteDefault(VerbPath("exefile", kTestVerb), REG_SZ, Sz("half"));
  auto everyWayOut = [] {
    free(ReadVerbCaption(".exe", kTestVerb)); // no command key yet
    RegisterVerb(".exe", kTestVerb, "caption", "command");
    free(ReadVerbCaption(".exe", kTestVerb));
    free(ReadVerbCommand(".exe", kTestVerb));
    UnregisterVerb(".exe", kTestVerb);
    UnregisterVerb(".exe", kTestVerb);
    free(ReadVerbCommand(".exe", kTestVerb));
    SetExeClass(kMissingClass); // .exe has no shell key
    UnregisterVerb(".exe", kTestVerb);
    free(ReadVerbCaption(".exe", kTestVerb));
    SetExeClass("exefile");
    WriteDefault(VerbPath("exefile", kTestVerb), REG_SZ, Sz("half"));
  };
  everyWayOut(); // whatever the system opens once and keeps
  auto probe = [] {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(event);
    return event;
  };
  const HANDLE before = probe();
  everyWayOut();
  EXPECT_EQ(probe(), before);
}

// Where a verb is written, read from and removed, with the machine's classes
// open to this user or read-only (as they are to a standard user) and the
// verb in the user's classes, the machine's, both or neither beforehand.
TEST_F(VerbStore, TheUsersClassesTakeWhatTheMachinesRefuse) {
  SetExeClass("exefile");
  struct Case {
    const char *what;
    bool readOnly;
    const char *user; // caption of the verb there before (command: caption + "!"), or none
    const char *machine;
    bool unregister; // else register "new"
    bool userPath;   // the key path names the user's classes
    const char *userAfter;
    const char *machineAfter;
  };
  const Case kCases[] = {
      {"open machine", false, nullptr, nullptr, false, false, nullptr, "new"},
      {"the user's verb takes the write", false, "U", "M", false, true, "new", "M"},
      {"read-only machine", true, nullptr, nullptr, false, true, "new", nullptr},
      {"an all-users verb changed for the user", true, nullptr, "M", false, true, "new", "M"},
      {"an all-users verb as it is: no copy", true, nullptr, "new", false, true, nullptr, "new"},
      {"removed from both", false, "U", "M", true, true, nullptr, nullptr},
      {"the all-users verb stays", true, "U", "M", true, true, nullptr, "M"},
  };
  const auto registered = [](const char *caption) {
    return caption != nullptr ? Registered(caption, std::string(caption) + "!") : VerbKey();
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.what);
    const UserClassesGuard userClasses;
    for (const auto &[caption, where] :
         {std::pair(c.user, Classes::User), std::pair(c.machine, Classes::Machine)}) {
      DeleteVerbKey(kTestVerb, where);
      if (caption != nullptr) {
        WriteVerbKey(kTestVerb, caption, (std::string(caption) + "!").c_str(), where);
      }
    }
    std::optional<ReadOnlyMachineKeys> lock;
    if (c.readOnly) {
      lock.emplace({kTestVerb});
      ASSERT_TRUE(lock->locked());
    }
    EXPECT_EQ(
        Take(ReadVerbKeyPath(".exe", kTestVerb)).get(),
        std::string(c.userPath ? "HKEY_CURRENT_USER\\Software\\Classes" : "HKEY_CLASSES_ROOT") +
            "\\exefile\\shell\\" + kTestVerb + "\\command");
    EXPECT_TRUE(c.unregister ? UnregisterVerb(".exe", kTestVerb)
                             : RegisterVerb(".exe", kTestVerb, "new", "new!"));
    // What the user sees: the user's verb, else the machine's.
    const VerbKey seen = registered(c.userAfter != nullptr ? c.userAfter : c.machineAfter);
    Text caption = Take(ReadVerbCaption(".exe", kTestVerb));
    Text command = Take(ReadVerbCommand(".exe", kTestVerb));
    EXPECT_EQ(caption != nullptr ? Registered(caption.get(), command.get()) : VerbKey(), seen);
    lock.reset();
    EXPECT_EQ(ReadVerbKey(kTestVerb, Classes::User), registered(c.userAfter));
    EXPECT_EQ(ReadVerbKey(kTestVerb, Classes::Machine), registered(c.machineAfter));
    DeleteVerbKey(kTestVerb, Classes::User);
  }
}

// Nothing ever addresses the root of HKEY_CLASSES_ROOT or shell itself.
TEST_F(VerbStore, EmptyNamesAreRefused) {
  SetExeClass("exefile");
  const DWORD verbs = CountSubkeys("exefile\\shell");
  const RawValue shellDefault = ReadRaw("exefile\\shell");
  EXPECT_FALSE(RegisterVerb(".exe", "", "caption", "command"));
  EXPECT_FALSE(RegisterVerb(".exe", nullptr, "caption", "command"));
  EXPECT_FALSE(RegisterVerb("", kTestVerb, "caption", "command"));
  EXPECT_FALSE(RegisterVerb(".exe", kTestVerb, nullptr, "command"));
  EXPECT_FALSE(RegisterVerb(".exe", kTestVerb, "caption", nullptr));
  EXPECT_FALSE(UnregisterVerb(".exe", ""));
  EXPECT_FALSE(UnregisterVerb("", kTestVerb));
  EXPECT_EQ(ReadVerbCaption(".exe", ""), nullptr);
  EXPECT_EQ(ReadVerbCommand("", kTestVerb), nullptr);
  EXPECT_EQ(CountSubkeys("exefile\\shell"), verbs);
  EXPECT_EQ(ReadRaw("exefile\\shell").present, shellDefault.present);
  EXPECT_FALSE(KeyPresent(VerbPath("exefile", kTestVerb)));
  EXPECT_FALSE(KeyPresent("shell"));
}

} // namespace
