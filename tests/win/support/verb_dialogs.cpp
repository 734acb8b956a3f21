#include "verb_dialogs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dialog_driver.h"
#include "linkbed.h"

const char *const kVerbKeys[6] = {"toStartMenu", "toStartup", "toSendTo",
                                  "toDesktop",   "toPath",    "toQuickLaunch"};

namespace {

const wchar_t kMenuTitle[] = L"メニュー項目の編集";
const wchar_t kCommandLineTitle[] = L"コマンドライン引数の編集";

std::string VerbPath(const char *verb) {
  return std::string("exefile\\shell\\") + verb;
}

struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle != nullptr) {
      RegCloseKey(handle);
    }
  }
};

bool ReadDefault(const std::string &path, bool *keyExists, std::string *text) {
  Key key;
  *keyExists =
      RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key.handle) == ERROR_SUCCESS;
  DWORD type = 0, size = 0;
  if (!*keyExists ||
      RegQueryValueExA(key.handle, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  std::vector<char> data(size + 1u, '\0');
  if (RegQueryValueExA(key.handle, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(data.data()),
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  *text = data.data();
  return true;
}

void WriteDefault(const std::string &path, const char *text) {
  Key key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key.handle, nullptr),
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
  if (WindowTitleW(window) != kMenuTitle) {
    return false;
  }
  ++run->dialogs;
  (*run->script)(window);
  // A script that stopped early (a failed assertion) leaves its dialogs open:
  // cancel them, inner first, so the run ends at once and writes nothing.
  if (!WaitFor([window] { return !IsWindow(window); }, kWaitMs)) {
    const HWND inner = FindOwnedDialog(window, kCommandLineTitle);
    if (inner != nullptr) {
      PostMessageA(inner, WM_COMMAND, IDCANCEL, 0);
    }
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    ADD_FAILURE() << "the script left the menu-items dialog open";
  }
  return true;
}

} // namespace

bool operator==(const VerbKey &a, const VerbKey &b) {
  return a.exists == b.exists && a.hasCaption == b.hasCaption && a.caption == b.caption &&
         a.hasCommandKey == b.hasCommandKey && a.hasCommand == b.hasCommand &&
         a.command == b.command;
}

VerbKey ReadVerbKey(const char *verb) {
  VerbKey state;
  state.hasCaption = ReadDefault(VerbPath(verb), &state.exists, &state.caption);
  state.hasCommand =
      ReadDefault(VerbPath(verb) + "\\command", &state.hasCommandKey, &state.command);
  return state;
}

void DeleteVerbKey(const char *verb) {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, VerbPath(verb).c_str());
  RegDeleteKeyA(HKEY_CLASSES_ROOT, VerbPath(verb).c_str());
}

void WriteVerbKey(const char *verb, const char *caption, const char *command) {
  WriteDefault(VerbPath(verb), caption);
  if (command != nullptr) {
    WriteDefault(VerbPath(verb) + "\\command", command);
  }
}

VerbKeysGuard::VerbKeysGuard() {
  for (int i = 0; i < 6; ++i) {
    saved_[i] = ReadVerbKey(kVerbKeys[i]);
    DeleteVerbKey(kVerbKeys[i]);
  }
}

VerbKeysGuard::~VerbKeysGuard() {
  for (int i = 0; i < 6; ++i) {
    DeleteVerbKey(kVerbKeys[i]);
    const VerbKey &saved = saved_[i];
    if (saved.exists) {
      WriteVerbKey(kVerbKeys[i], saved.hasCaption ? saved.caption.c_str() : nullptr, nullptr);
    }
    if (saved.hasCommandKey) {
      WriteDefault(VerbPath(kVerbKeys[i]) + "\\command",
                   saved.hasCommand ? saved.command.c_str() : nullptr);
    }
  }
}

std::string DefaultCommandOf(const char *switchText) {
  return Quoted(LinktoExe()) + " " + switchText + " \"%1\"";
}

std::string ControlText(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &length)) {
    return "(no answer)";
  }
  std::vector<char> text(length + 2, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, kWaitMs, &copied);
  return text.data();
}

void SetControlText(HWND dialog, int id, const std::string &text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
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

HWND OpenDetails(HWND menu, int detailsId) {
  PostMessageA(GetDlgItem(menu, detailsId), BM_CLICK, 0, 0);
  HWND inner = nullptr;
  WaitFor([&] { return (inner = FindOwnedDialog(menu, kCommandLineTitle)) != nullptr; }, kWaitMs);
  return inner;
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
