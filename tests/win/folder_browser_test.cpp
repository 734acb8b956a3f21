// The folder browser of /path in the real linkto.exe, driven from this
// process as a user would: cancelled, or a folder chosen and OK pressed.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "linkbed.h"

namespace {

::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new OpenLogEnvironment);

bool IsBrowser(HWND window) {
  return FindWindowExA(window, nullptr, "SysTreeView32", nullptr) != nullptr;
}

bool WaitUntil(bool (*condition)(HWND), HWND window, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition(window)) {
    if (GetTickCount() - start > timeoutMs) {
      return false;
    }
    Sleep(50);
  }
  return true;
}

bool OkEnabled(HWND browser) {
  return IsWindowEnabled(GetDlgItem(browser, IDOK)) != FALSE;
}

// Selects path in the browser of another process: the message carries a
// pointer, so the text is first written into that process.
bool SelectInBrowser(HWND browser, const std::wstring &path) {
  DWORD processId = 0;
  GetWindowThreadProcessId(browser, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) {
    return false;
  }
  const SIZE_T bytes = (path.size() + 1) * sizeof(wchar_t);
  void *remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  SIZE_T written = 0;
  bool sent = remote != nullptr &&
              WriteProcessMemory(process, remote, path.c_str(), bytes, &written) &&
              written == bytes;
  DWORD_PTR result = 0;
  sent = sent &&
         SendMessageTimeoutW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote),
                             SMTO_NORMAL, kWaitMs, &result) != 0;
  if (remote != nullptr) {
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return sent;
}

// Chooses the folder named by user (a std::wstring) and presses OK.
bool ChooseIn(HWND window, void *user) {
  if (!IsBrowser(window)) {
    return false;
  }
  const std::wstring &folder = *static_cast<const std::wstring *>(user);
  EXPECT_TRUE(WaitForTreeItems(window)) << "the browser's tree stayed empty";
  EXPECT_FALSE(OkEnabled(window)); // the empty initial path selects nothing
  // A busy browser may still be filling its tree and pass over a selection:
  // it is asked again until OK comes on.
  const DWORD start = GetTickCount();
  bool enabled = false;
  while (!enabled && GetTickCount() - start < kWaitMs) {
    EXPECT_TRUE(SelectInBrowser(window, folder));
    enabled = WaitUntil(OkEnabled, window, 2000);
  }
  EXPECT_TRUE(enabled) << "OK stayed disabled for " << kWaitMs / 1000 << " s after selecting "
                       << CodePageOf(folder);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0, SMTO_NORMAL, kWaitMs, &result);
  return true;
}

LinktoRun Launch(const std::string &arguments, WindowHandler handler = nullptr,
                 void *user = nullptr, const std::vector<std::string> &links = {}) {
  openLog->Reset(links);
  LinktoRun run = RunLinkto(arguments, kProcessWaitMs, handler, user);
  EXPECT_TRUE(run.process.started) << "CreateProcess error " << run.process.startError;
  EXPECT_FALSE(run.process.timedOut);
  EXPECT_EQ(run.process.exitCode, 0u);
  return run;
}

size_t Browsers(const LinktoRun &run) {
  size_t count = 0;
  for (const std::string &window : run.windows) {
    count += window.find("|tree") != std::string::npos ? 1 : 0;
  }
  return count;
}

} // namespace

TEST(FolderBrowser, CancelAddsNothingAndAsksForNothingElse) {
  ScratchDir dir("browse-cancel");
  const std::string target = dir.File("t.txt");
  const LinkWatch watch;
  // Given several times, the browser still shows once.
  const LinktoRun run = Launch(Quoted(target) + " /path /PATH /path");
  EXPECT_EQ(run.windows.size(), 1u); // the browser; no destination dialog after it
  EXPECT_EQ(Browsers(run), 1u);
  EXPECT_EQ(watch.Added(), std::vector<std::string>{});
  EXPECT_EQ(Opened(0), std::vector<std::string>{});
}

TEST(FolderBrowser, CancelLeavesTheOtherDestinations) {
  ScratchDir dir("browse-cancel-other");
  const std::string target = dir.File("t.txt");
  const std::string sendTo = SpecialFolder(0x09);
  const LinkWatch watch;
  const LinktoRun run =
      Launch(Quoted(target) + " /sendto /path", nullptr, nullptr, {sendTo + "\\t.txt.lnk"});
  EXPECT_EQ(Browsers(run), 1u);
  EXPECT_EQ(watch.Added(), std::vector<std::string>{LowerAscii(sendTo + "\\t.txt.lnk")});
  EXPECT_EQ(Opened(1), std::vector<std::string>{LowerAscii(sendTo)});
}

TEST(FolderBrowser, TheChosenFolderComesAfterPathFoldersAndBeforeSpecialOnes) {
  ScratchDir dir("browse-choose");
  const std::string target = dir.File("t.txt");
  const std::string given = dir.Dir("Given"), chosen = dir.Dir("Chosen \x95\x5C");
  const std::string sendTo = SpecialFolder(0x09);
  const std::vector<std::string> links = {given + "\\t.lnk", chosen + "\\t.lnk",
                                          sendTo + "\\t.lnk"};
  const LinkWatch watch;
  std::wstring choice = WideOf(chosen);
  const LinktoRun run = Launch(Quoted(target) + " /sendto /path /ext:0 " + Quoted("/path:" + given),
                               ChooseIn, &choice, links);
  EXPECT_EQ(Browsers(run), 1u);
  EXPECT_EQ(run.windows.size(), 1u);
  std::vector<std::string> expected;
  for (const std::string &link : links) {
    expected.push_back(LowerAscii(link));
    const LinkInfo info = ReadLink(link);
    EXPECT_EQ(info.target, target) << link;
    EXPECT_EQ(info.workingDirectory, dir.path()) << link;
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(watch.Added(), expected);
  EXPECT_EQ(Opened(3),
            (std::vector<std::string>{LowerAscii(given), LowerAscii(chosen), LowerAscii(sendTo)}));
}

TEST(FolderBrowser, ChoosingAFolderAlreadyGivenAddsItOnce) {
  ScratchDir dir("browse-same");
  const std::string target = dir.File("t.txt");
  const std::string given = dir.Dir("Given");
  const LinkWatch watch;
  std::wstring choice = WideOf(given);
  const LinktoRun run = Launch(Quoted(target) + " /path " + Quoted("/path:" + given), ChooseIn,
                               &choice, {given + "\\t.txt.lnk"});
  EXPECT_EQ(Browsers(run), 1u);
  EXPECT_EQ(watch.Added(), std::vector<std::string>{LowerAscii(given + "\\t.txt.lnk")});
  EXPECT_EQ(Opened(1), std::vector<std::string>{LowerAscii(given)});
}

// On every system code page a folder picked in the browser, named outside the
// code page, gets the link.
class FolderBrowserOn : public ::testing::TestWithParam<SystemUnderTest> {};
INSTANTIATE_TEST_SUITE_P(Systems, FolderBrowserOn, ::testing::ValuesIn(kSystemsUnderTest),
                         SystemName);

TEST_P(FolderBrowserOn, AFolderNamedOutsideTheCodePageGetsTheLink) {
  const SystemGuard system(GetParam());
  ASSERT_TRUE(system.ready());
  ScratchDir dir("browse-systems");
  const std::string target = dir.File("t.txt");
  std::wstring chosen = dir.WideDir(L"d\u00E9st");
  const LinkWatch watch;
  const LinktoRun run = Launch(Quoted(target) + " /path /open:0", ChooseIn, &chosen);
  EXPECT_EQ(Browsers(run), 1u);
  EXPECT_EQ(watch.AddedWide(), std::vector<std::wstring>{LowerAscii(chosen + L"\\t.txt.lnk")});
  EXPECT_EQ(ReadLinkWide(chosen + L"\\t.txt.lnk").itemPath, WideOf(target));
}
