// Shell folder services against the real shell of the test prefix: special
// folders, the shell's form of a folder path, the attribute tests, and the
// folder browser driven from a second thread.
#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include <array>

#include "dialog_driver.h"
#include "linkbed.h"
#include "core/text.h"
#include "shell/shell_folders.h"

namespace {

class ComScope {
public:
  ComScope() { CoInitialize(nullptr); }
  ~ComScope() { CoUninitialize(); }
};

// A folder of length bytes inside dir, made on disk.
std::string LongFolder(const ScratchDir &dir, size_t length) {
  std::string path = dir.path() + "\\" + std::to_string(length) + "\\";
  path.resize(length, 'd');
  MakeDirectories(path);
  return path;
}

} // namespace

TEST(SpecialFolderPath, EveryFolderOfTheSwitchTableAndAppData) {
  ComScope com;
  const int csidls[] = {0x0B, 0x02, 0x07, 0x30, 0x09, 0x06, 0x05, 0x27, 0x0D, 0x0E, 0x10, 0x16,
                        0x17, 0x18, 0x2F, 0x1F, 0x2E, 0x36, 0x35, 0x37, 0x19, 0x24, 0x25, 0x1A};
  for (int csidl : csidls) {
    SCOPED_TRACE(csidl);
    char path[MAX_PATH + 1] = {};
    ASSERT_TRUE(SpecialFolderPath(nullptr, csidl, path));
    std::string text = path;
    if (text.size() > 3 && text.back() == '\\') {
      text.pop_back(); // Documents comes back with a trailing backslash under Wine
    }
    EXPECT_EQ(text, SpecialFolder(csidl));
    EXPECT_TRUE(IsDirectory(path));
  }
}

TEST(SpecialFolderPath, VirtualFoldersHaveNoPath) {
  ComScope com;
  // My Computer, Control Panel, the Recycle Bin.
  for (int csidl : {0x11, 0x03, 0x0A}) {
    char path[MAX_PATH + 1] = {};
    EXPECT_FALSE(SpecialFolderPath(nullptr, csidl, path)) << csidl;
  }
}

TEST(CanonicalPath, GivesTheShellsFormOfAFolder) {
  ComScope com;
  ScratchDir dir("canonical");
  const std::string longest = LongFolder(dir, 259);
  dir.Dir("Sub Dir\\\x95\x5C\x83\x5C"); // 表ソ: both trail bytes are 0x5C
  const struct {
    std::string in, out;
  } cases[] = {
      {"c:\\WINDOWS", "C:\\windows"},
      {"C:\\windows\\", "C:\\windows"},
      {"c:\\LT\\canonical\\sub dir", dir / "Sub Dir"},
      {dir / "Sub Dir\\\x95\x5C\x83\x5C", dir / "Sub Dir\\\x95\x5C\x83\x5C"},
      {"C:\\", "C:\\"},
      {longest, longest},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.in);
    char out[kPathBufferSize];
    memset(out, 'x', sizeof out);
    ASSERT_TRUE(CanonicalPath(c.in.c_str(), out, 261));
    EXPECT_EQ(std::string(out), c.out);
  }
}

TEST(CanonicalPath, FailsWithAnEmptyOutput) {
  ComScope com;
  ScratchDir dir("canonical-fail");
  const std::string tooLong = LongFolder(dir, 260);
  ASSERT_TRUE(DirectoryExists(tooLong));
  const struct {
    std::string path;
    unsigned size;
  } cases[] = {
      {"C:\\lt\\no such folder\\x", 261},
      {"", 261},
      {"relative folder", 261},
      {tooLong, 261},        // 260 units and the terminator do not fit in 260
      {dir.path(), 5},       // the conversion is bounded by size
      {"C:\\windows\\", 11}, // the result would fit, the input does not
      {"C:\\windows", 8},    // the result, 10 bytes, does not fit
      {"C:\\windows", 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path + " size " + std::to_string(c.size));
    char out[kPathBufferSize];
    memset(out, 'x', sizeof out);
    EXPECT_FALSE(CanonicalPath(c.path.c_str(), out, c.size));
    EXPECT_EQ(out[0], '\0');
  }
}

TEST(AttributeTests, FilesFoldersAndMissingPaths) {
  ScratchDir dir("attributes");
  const std::string file = dir.File("\x97\x5C\x92\xE8.txt"); // 予定.txt
  const std::string folder = dir.Dir("\x95\x5C");            // 表
  const struct {
    std::string path;
    bool exists, directory;
  } cases[] = {
      {file, true, false},
      {folder, true, true},
      {folder + "\\", true, true},
      {"C:\\", true, true},
      {dir / "missing", false, false},
      {dir / "missing\\x.txt", false, false},
      {"", false, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(PathExists(c.path.c_str()), c.exists);
    EXPECT_EQ(IsDirectory(c.path.c_str()), c.directory);
  }
}

namespace {

// Messages a stand-in browser window received: {message, wParam, lParam}.
std::vector<std::array<LPARAM, 3>> received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER) {
    received.push_back({static_cast<LPARAM>(message), static_cast<LPARAM>(wParam), lParam});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

// The callback on its own, talking to a stand-in for the browser window: the
// real browser of Wine also disables OK by itself for items without a path,
// which would hide a callback that does not.
TEST(FolderBrowserCallback, SelectsTheInitialPathAndEnablesOkOnlyForPaths) {
  ComScope com;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = RecordingProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "LinkToBrowserStandIn";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA("LinkToBrowserStandIn", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  LPITEMIDLIST computer = nullptr, windows = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_WINDOWS, &windows), S_OK);
  static const wchar_t initial[] = L"C:\\windows";
  static const wchar_t empty[] = L"";
  const LPARAM computerItem = reinterpret_cast<LPARAM>(computer);
  const LPARAM windowsItem = reinterpret_cast<LPARAM>(windows);
  const struct {
    UINT message;
    LPARAM parameter, data;
    std::vector<std::array<LPARAM, 3>> sent;
  } cases[] = {
      {BFFM_INITIALIZED,
       0,
       reinterpret_cast<LPARAM>(initial),
       {{BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(initial)}}},
      {BFFM_INITIALIZED,
       0,
       reinterpret_cast<LPARAM>(empty),
       {{BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(empty)}}},
      {BFFM_INITIALIZED, 0, 0, {}},
      {BFFM_SELCHANGED, computerItem, 0, {{BFFM_ENABLEOK, 0, 0}}},
      {BFFM_SELCHANGED, windowsItem, 0, {{BFFM_ENABLEOK, 0, 1}}},
      {BFFM_SELCHANGED, 0, 0, {}},
      {BFFM_VALIDATEFAILEDA, windowsItem, 0, {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::to_string(c.message) + " " + std::to_string(c.parameter != 0));
    received.clear();
    EXPECT_EQ(FolderBrowserCallback(window, c.message, c.parameter, c.data), 0);
    EXPECT_EQ(received, c.sent);
  }
  CoTaskMemFree(windows);
  CoTaskMemFree(computer);
  DestroyWindow(window);
}

namespace {

BOOL CALLBACK FindDialog(HWND window, LPARAM out) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND *>(out) = window;
    return FALSE;
  }
  return TRUE;
}

} // namespace

// The browser driven from a second thread of this process, as a user would.
class ChooseFolderTest : public ::testing::Test {
protected:
  // Waits for the browser of this process and returns it, or null.
  static HWND FindBrowser() {
    HWND found = nullptr;
    if (!WaitFor(
            [&found] {
              EnumThreadWindows(browserThread_, FindDialog, reinterpret_cast<LPARAM>(&found));
              return found != nullptr;
            },
            kWaitMs)) {
      return nullptr;
    }
    return WaitForTreeItems(found) ? found : nullptr;
  }

  static bool OkEnabled(HWND browser) { return IsWindowEnabled(GetDlgItem(browser, IDOK)) != 0; }

  // The text of the tree's selected item, or "" while nothing is selected.
  static std::string SelectedItem(HWND browser) {
    const HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    const HTREEITEM item = TreeView_GetSelection(tree);
    char text[kPathBufferSize] = {};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    return item != nullptr && TreeView_GetItem(tree, &data) ? text : "";
  }

  // Runs ChooseFolder on this thread while driver acts on the browser.
  template <typename Driver> bool Run(const char *initialPath, char *out, Driver driver) {
    browserThread_ = GetCurrentThreadId();
    std::thread thread([&driver] {
      HWND browser = FindBrowser();
      if (browser == nullptr) {
        ADD_FAILURE() << "no folder browser";
        return;
      }
      driver(browser);
    });
    const bool chosen = ChooseFolder(nullptr, 0, "", out, initialPath);
    thread.join();
    return chosen;
  }

  ComScope com_;
  static DWORD browserThread_;
};

DWORD ChooseFolderTest::browserThread_ = 0;

TEST_F(ChooseFolderTest, CancelLeavesTheOutputAlone) {
  char out[kPathBufferSize] = "untouched";
  EXPECT_FALSE(Run("", out, [](HWND browser) {
    EXPECT_FALSE(OkEnabled(browser)); // the empty initial path selects nothing
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
  }));
  EXPECT_STREQ(out, "untouched");
}

TEST_F(ChooseFolderTest, StartsAtTheInitialPathAndReturnsIt) {
  ScratchDir dir("browse-initial");
  const std::string folder = dir.Dir("\x83\x5C\x95\x5C"); // ソ表
  char out[kPathBufferSize] = {};
  EXPECT_TRUE(Run(folder.c_str(), out, [](HWND browser) {
    // The browser may show before the callback's selection reaches the tree.
    EXPECT_TRUE(WaitFor([browser] { return SelectedItem(browser) == "\x83\x5C\x95\x5C"; }, kWaitMs))
        << "waited for the tree to select the initial folder; selected: " << SelectedItem(browser);
    EXPECT_TRUE(OkEnabled(browser));
    SendMessageA(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
  }));
  EXPECT_EQ(std::string(out), folder);
}
