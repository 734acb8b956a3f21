#include "verb_dialogs.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dialog_driver.h"
#include "linkbed.h"

const char *const kVerbKeys[6] = {"toStartMenu", "toStartup", "toSendTo",
                                  "toDesktop",   "toPath",    "toQuickLaunch"};

namespace {

// The titles in the display language of the runs.
const wchar_t *MenuTitle() {
  return ProgramLocale().japanese ? L"メニュー項目の編集" : L"Edit Menu Items";
}
const wchar_t *CommandLineTitle() {
  return ProgramLocale().japanese ? L"コマンドライン引数の編集" : L"Edit Command-Line Arguments";
}

const char kUserClassesKey[] = "Software\\Classes";
const char kUserExefileKey[] = "Software\\Classes\\exefile";

HKEY RootOf(Classes where) {
  return where == Classes::User ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
}

std::string VerbPath(const char *verb, Classes where) {
  return std::string(where == Classes::User ? "Software\\Classes\\" : "") + "exefile\\shell\\" +
         verb;
}

struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle != nullptr) {
      RegCloseKey(handle);
    }
  }
};

bool KeyPresent(HKEY root, const char *path) {
  Key key;
  return RegOpenKeyExA(root, path, 0, KEY_READ, &key.handle) == ERROR_SUCCESS;
}

bool ReadDefault(HKEY root, const std::string &path, bool *keyExists, std::string *text) {
  Key key;
  *keyExists = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key.handle) == ERROR_SUCCESS;
  DWORD type = 0, size = 0;
  if (!*keyExists ||
      RegQueryValueExW(key.handle, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 1u, L'\0');
  if (RegQueryValueExW(key.handle, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(data.data()),
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  *text = CodePageOf(data.data());
  return true;
}

void WriteDefault(HKEY root, const std::string &path, const char *text) {
  Key key;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.handle,
                            nullptr),
            ERROR_SUCCESS)
      << path;
  if (text != nullptr) {
    ASSERT_EQ(RegSetValueExA(key.handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                             static_cast<DWORD>(strlen(text) + 1)),
              ERROR_SUCCESS)
        << path;
  }
}

namespace {

struct OwnedSearch {
  HWND owner;
  const wchar_t *title;
  HWND found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM param) {
  OwnedSearch *search = reinterpret_cast<OwnedSearch *>(param);
  if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) &&
      WindowTitleW(window) == search->title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

} // namespace

// Among all windows of that title, the one owned by owner: a window of the
// same title left by another run never stands in for it.
HWND FindOwnedDialog(HWND owner, const wchar_t *title) {
  OwnedSearch search = {owner, title, nullptr};
  EnumWindows(MatchOwned, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct MenuRun {
  const std::function<void(HWND)> *script;
  int dialogs;
};

bool DriveMenu(HWND window, void *user) {
  MenuRun *run = static_cast<MenuRun *>(user);
  if (WindowTitleW(window) != MenuTitle()) {
    return false;
  }
  ++run->dialogs;
  (*run->script)(window);
  // A script that stopped early (a failed assertion) leaves its dialogs open:
  // cancel them, inner first, so the run ends at once and writes nothing.
  if (!WaitFor([window] { return !IsWindow(window); }, kWaitMs)) {
    const HWND inner = FindOwnedDialog(window, CommandLineTitle());
    if (inner != nullptr) {
      PostMessageA(inner, WM_COMMAND, IDCANCEL, 0);
    }
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    ADD_FAILURE() << "the script left the menu-items dialog open";
  }
  return true;
}

} // namespace

void PrintTo(const VerbKey &key, std::ostream *out) {
  if (!key.exists) {
    *out << "(no verb key)";
    return;
  }
  *out << "caption " << (key.hasCaption ? "\"" + key.caption + "\"" : "(none)") << ", command "
       << (key.hasCommand      ? "\"" + key.command + "\""
           : key.hasCommandKey ? "(key, no value)"
                               : "(no key)");
}

bool operator==(const VerbKey &a, const VerbKey &b) {
  return a.exists == b.exists && a.hasCaption == b.hasCaption && a.caption == b.caption &&
         a.hasCommandKey == b.hasCommandKey && a.hasCommand == b.hasCommand &&
         a.command == b.command;
}

VerbKey ReadVerbKey(const char *verb, Classes where) {
  VerbKey state;
  const std::string path = VerbPath(verb, where);
  state.hasCaption = ReadDefault(RootOf(where), path, &state.exists, &state.caption);
  state.hasCommand =
      ReadDefault(RootOf(where), path + "\\command", &state.hasCommandKey, &state.command);
  return state;
}

void DeleteVerbKey(const char *verb, Classes where) {
  RegDeleteTreeA(RootOf(where), VerbPath(verb, where).c_str());
  RegDeleteKeyA(RootOf(where), VerbPath(verb, where).c_str());
}

void WriteVerbKey(const char *verb, const char *caption, const char *command, Classes where) {
  WriteDefault(RootOf(where), VerbPath(verb, where), caption);
  if (command != nullptr) {
    WriteDefault(RootOf(where), VerbPath(verb, where) + "\\command", command);
  }
}

UserClassesGuard::UserClassesGuard() {
  for (const char *path : {kUserClassesKey, kUserExefileKey}) {
    if (!KeyPresent(HKEY_CURRENT_USER, path)) {
      made_ = path;
      break;
    }
  }
}

UserClassesGuard::~UserClassesGuard() {
  if (!made_.empty()) {
    RegDeleteTreeA(HKEY_CURRENT_USER, made_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, made_.c_str());
  }
}

namespace {
const Classes kBothClasses[2] = {Classes::Machine, Classes::User};
}

VerbKeysGuard::VerbKeysGuard() {
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < 6; ++i) {
      saved_[c][i] = ReadVerbKey(kVerbKeys[i], kBothClasses[c]);
      DeleteVerbKey(kVerbKeys[i], kBothClasses[c]);
    }
  }
}

VerbKeysGuard::~VerbKeysGuard() {
  for (int c = 0; c < 2; ++c) {
    const Classes where = kBothClasses[c];
    for (int i = 0; i < 6; ++i) {
      DeleteVerbKey(kVerbKeys[i], where);
      const VerbKey &saved = saved_[c][i];
      if (saved.exists) {
        WriteVerbKey(kVerbKeys[i], saved.hasCaption ? saved.caption.c_str() : nullptr, nullptr,
                     where);
      }
      if (saved.hasCommandKey) {
        WriteDefault(RootOf(where), VerbPath(kVerbKeys[i], where) + "\\command",
                     saved.hasCommand ? saved.command.c_str() : nullptr);
      }
    }
  }
}

ReadOnlyMachineKeys::ReadOnlyMachineKeys(std::initializer_list<const char *> verbs) {
  std::vector<std::string> paths = {".exe", "exefile", "exefile\\shell"};
  for (const char *verb : verbs) {
    for (const std::string &path :
         {VerbPath(verb, Classes::Machine), VerbPath(verb, Classes::Machine) + "\\command"}) {
      if (KeyPresent(HKEY_CLASSES_ROOT, path.c_str())) {
        paths.push_back(path);
      }
    }
  }
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)(A;;RCWD;;;BA)",
                                                            SDDL_REVISION_1, &readOnly, nullptr)) {
    locked_ = false;
    return;
  }
  for (const std::string &path : paths) {
    Key key;
    Saved saved = {path, std::vector<BYTE>(4096)};
    DWORD size = static_cast<DWORD>(saved.descriptor.size());
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &key.handle) !=
            ERROR_SUCCESS ||
        RegGetKeySecurity(key.handle, DACL_SECURITY_INFORMATION, saved.descriptor.data(), &size) !=
            ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot read the DACL of HKCR\\" << path;
      locked_ = false;
      break;
    }
    saved_.push_back(saved);
    if (RegSetKeySecurity(key.handle, DACL_SECURITY_INFORMATION, readOnly) != ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot make HKCR\\" << path << " read-only";
      locked_ = false;
      break;
    }
  }
  LocalFree(readOnly);
}

ReadOnlyMachineKeys::~ReadOnlyMachineKeys() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    Key key;
    if (!KeyPresent(HKEY_CLASSES_ROOT, it->path.c_str())) {
      continue; // deleted, DACL and all
    }
    EXPECT_TRUE(RegOpenKeyExA(HKEY_CLASSES_ROOT, it->path.c_str(), 0, WRITE_DAC, &key.handle) ==
                    ERROR_SUCCESS &&
                RegSetKeySecurity(key.handle, DACL_SECURITY_INFORMATION, it->descriptor.data()) ==
                    ERROR_SUCCESS)
        << "the DACL of HKCR\\" << it->path << " was not put back";
  }
}

std::string DefaultCommandOf(const char *switchText) {
  return Quoted(LinktoExe()) + " " + switchText + " \"%1\"";
}

std::string ControlText(HWND dialog, int id) {
  return CodePageOf(ControlTextW(dialog, id));
}

void SetControlText(HWND dialog, int id, const std::string &text) {
  const std::wstring wide = WideOf(text);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                      SMTO_ABORTIFHUNG, kWaitMs, &result);
}

void TypeAtEnd(HWND dialog, int id, const std::string &text) {
  const HWND edit = GetDlgItem(dialog, id);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(edit, EM_SETSEL, 0x7FFF, 0x7FFF, SMTO_ABORTIFHUNG, kWaitMs, &result);
  for (char c : text) {
    SendMessageTimeoutA(edit, WM_CHAR, static_cast<unsigned char>(c), 1, SMTO_ABORTIFHUNG, kWaitMs,
                        &result);
  }
}

bool IsReadOnly(HWND dialog, int id) {
  return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & ES_READONLY) != 0;
}

bool IsEnabled(HWND dialog, int id) {
  return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

RECT ControlRect(HWND dialog, int id) {
  RECT rect = {};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  return rect;
}

void RunMenuItems(const std::function<void(HWND dialog)> &script) {
  MenuRun run = {&script, 0};
  const LinktoRun result = RunLinkto("", kProcessWaitMs, DriveMenu, &run);
  EXPECT_TRUE(result.process.started);
  EXPECT_FALSE(result.process.timedOut);
  EXPECT_EQ(result.process.exitCode, 0u);
  EXPECT_EQ(run.dialogs, 1);
}

HWND WaitForOwned(HWND owner, const wchar_t *title) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindOwnedDialog(owner, title)) != nullptr; }, kWaitMs);
  return found;
}

HWND OpenDetails(HWND menu, int detailsId) {
  PostMessageA(GetDlgItem(menu, detailsId), BM_CLICK, 0, 0);
  return WaitForOwned(menu, CommandLineTitle());
}

std::string MessageBoxText(HWND box) {
  return ControlText(box, 0xFFFF);
}

bool EndWith(HWND dialog, int id) {
  ClickButton(dialog, id);
  return WaitFor([dialog] { return !IsWindow(dialog); }, kWaitMs);
}

VerbKey Registered(const std::string &caption, const std::string &command) {
  VerbKey key;
  key.exists = key.hasCaption = key.hasCommandKey = key.hasCommand = true;
  key.caption = caption;
  key.command = command;
  return key;
}
