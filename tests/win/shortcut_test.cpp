// The shortcut writer against the shell's real link object, where the runs of
// linkto.exe cannot reach: drive roots, names that would leave the folder,
// save failures, and the balance of its COM initialisation. Names, limits and
// double-byte paths are covered through linkto.exe in run_flow_test.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "linkbed.h"
#include "shell/shortcut.h"

namespace {

class ComScope {
public:
  ComScope() { CoInitialize(nullptr); }
  ~ComScope() { CoUninitialize(); }
};

} // namespace

TEST(WriteShortcut, DriveRootsAsTargetAndAsFolder) {
  ComScope com;
  const std::string target = "C:\\lt-root-target.ini";
  const std::string link = "C:\\lt-root-target.ini.lnk";
  ASSERT_TRUE(WriteTextFile(target, "x"));
  const std::set<std::string> before = LinkSnapshot();
  EXPECT_TRUE(WriteShortcut(target.c_str(), "C:\\", false));
  EXPECT_EQ(Added(before, LinkSnapshot()), std::vector<std::string>{LowerAscii(link)});
  const LinkInfo info = ReadLink(link);
  EXPECT_EQ(info.target, target);
  EXPECT_EQ(info.workingDirectory, "C:"); // the root's backslash goes with the name
  DeleteFileA(link.c_str());
  DeleteFileA(target.c_str());
}

TEST(WriteShortcut, DotNamesNeverLeaveTheFolder) {
  ComScope com;
  ScratchDir dir("dots");
  const std::string dest = dir.Dir("Dest\\Inner");
  const std::string source = dir.Dir("Source\\Sub");
  const std::set<std::string> before = LinkSnapshot();
  EXPECT_FALSE(WriteShortcut((source + "\\.").c_str(), dest.c_str(), false));
  EXPECT_FALSE(WriteShortcut((source + "\\..").c_str(), dest.c_str(), false));
  EXPECT_EQ(Added(before, LinkSnapshot()), std::vector<std::string>{});
}

TEST(SaveShellLink, FailsWithoutWritingWhenTheNameCannotBeSaved) {
  ComScope com;
  ScratchDir dir("save");
  const std::string target = dir.File("a.txt");
  const std::string tooLong = dir.path() + "\\" + std::string(261 - dir.path().size(), 'x');
  const std::set<std::string> before = LinkSnapshot();
  EXPECT_FALSE(SaveShellLink((dir / "missing\\a.lnk").c_str(), target.c_str(), dir.path().c_str(),
                             SW_SHOWNORMAL));
  EXPECT_FALSE(
      SaveShellLink((tooLong + ".lnk").c_str(), target.c_str(), dir.path().c_str(), SW_SHOWNORMAL));
  EXPECT_EQ(Added(before, LinkSnapshot()), std::vector<std::string>{});
  EXPECT_TRUE(SaveShellLink((dir / "min.lnk").c_str(), target.c_str(), dir.path().c_str(),
                            SW_SHOWMINNOACTIVE));
  EXPECT_EQ(ReadLink(dir / "min.lnk").showCommand, SW_SHOWMINNOACTIVE);
}

// The writer pairs its own CoInitialize with a CoUninitialize: a thread
// without COM is left without, a thread with COM keeps it.
TEST(SaveShellLink, LeavesTheCallersComStateAsItWas) {
  ScratchDir dir("com");
  const std::string target = dir.File("a.txt");
  std::thread([&] {
    EXPECT_TRUE(WriteShortcut(target.c_str(), dir.path().c_str(), false));
    const HRESULT again = CoInitialize(nullptr);
    EXPECT_EQ(again, S_OK); // not initialised any more
    CoUninitialize();
  }).join();
  std::thread([&] {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_TRUE(WriteShortcut(target.c_str(), dir.path().c_str(), true));
    const HRESULT again = CoInitialize(nullptr);
    EXPECT_EQ(again, S_FALSE); // still initialised, once
    CoUninitialize();
    CoUninitialize();
  }).join();
  EXPECT_TRUE(FileExists(dir / "a.txt.lnk"));
  EXPECT_TRUE(FileExists(dir / "a.lnk"));
}
