// Names and working directories of shortcuts, and the limits under which a
// link is not written at all.
#include "shell/shortcut.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// 表 (95 5C), 予 (97 5C), ソ (83 5C): each ends in the backslash byte.
const std::string kHyo = "\x95\x5C", kYo = "\x97\x5C", kSo = "\x83\x5C";

struct Built {
  bool ok;
  std::string link;
};

Built Build(const std::string &folder, const std::string &target, bool dropExtension) {
  char link[kLinkPathBufferSize + 8];
  memset(link, 'x', sizeof link);
  const bool ok = BuildLinkPath(link, folder.c_str(), target.c_str(), dropExtension);
  EXPECT_EQ(link[kLinkPathBufferSize], 'x'); // nothing past the buffer
  return {ok, link};
}

// A folder of exactly length bytes: C:\ then 'f's, cut by a backslash every
// 100 bytes.
std::string FolderOfLength(size_t length) {
  std::string folder = "C:\\";
  while (folder.size() < length) {
    folder += folder.size() % 100 == 40 ? '\\' : 'f';
  }
  return folder;
}

} // namespace

TEST(BuildLinkPath, NamesAndWorkingDirectories) {
  const struct {
    std::string target, folder;
    bool dropExtension;
    std::string link, workingDirectory;
  } cases[] = {
      {"C:\\Tools\\app.exe", "C:\\SendTo", false, "C:\\SendTo\\app.exe.lnk", "C:\\Tools"},
      {"C:\\Tools\\app.exe", "C:\\SendTo", true, "C:\\SendTo\\app.lnk", "C:\\Tools"},
      {"C:\\Tools\\archive.tar.gz", "C:\\SendTo", true, "C:\\SendTo\\archive.tar.lnk", "C:\\Tools"},
      {"C:\\Tools\\README", "C:\\SendTo", true, "C:\\SendTo\\README.lnk", "C:\\Tools"},
      {"C:\\Data", "C:\\SendTo", false, "C:\\SendTo\\Data.lnk", "C:"},
      {"C:\\boot.ini", "C:\\SendTo", false, "C:\\SendTo\\boot.ini.lnk", "C:"},
      {"C:\\" + kHyo + "\\" + kYo + "\x92\xE8.txt", "C:\\SendTo", true,
       "C:\\SendTo\\" + kYo + "\x92\xE8.lnk", "C:\\" + kHyo},
      {"C:\\x\\.profile", "C:\\SendTo", true, "C:\\SendTo\\.lnk", "C:\\x"},
      {"C:\\x\\.profile", "C:\\SendTo", false, "C:\\SendTo\\.profile.lnk", "C:\\x"},
      {"app.exe", "C:\\SendTo", false, "C:\\SendTo\\app.exe.lnk", "app.exe"},
      {"C:\\Tools\\app.exe", "C:\\", false, "C:\\app.exe.lnk", "C:\\Tools"},
      {"C:\\a.b\\file", "C:\\SendTo", true, "C:\\SendTo\\file.lnk", "C:\\a.b"},
      {"C:\\" + kSo, "C:\\" + kHyo, false, "C:\\" + kHyo + "\\" + kSo + ".lnk", "C:"},
      {"C:\\Tools\\", "C:\\SendTo", false, "C:\\SendTo\\.lnk", "C:\\Tools"},
      {"C:\\x\\file.", "C:\\SendTo", true, "C:\\SendTo\\file.lnk", "C:\\x"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.target + " in " + c.folder);
    const Built built = Build(c.folder, c.target, c.dropExtension);
    EXPECT_TRUE(built.ok);
    EXPECT_EQ(built.link, c.link);
    char dir[kPathBufferSize];
    BuildWorkingDirectory(dir, c.target.c_str());
    EXPECT_EQ(std::string(dir), c.workingDirectory);
  }
}

TEST(BuildLinkPath, RefusesLinksOutsideTheFolderOrUnderACutName) {
  const std::string name = "n.txt";
  const struct {
    std::string folder, target;
    bool dropExtension;
    bool ok;
  } cases[] = {
      // The names "." and ".." would name the folder itself or its parent.
      {"C:\\SendTo", "C:\\Tools\\.", false, false},
      {"C:\\SendTo", "C:\\Tools\\..", false, false},
      {"C:\\SendTo", ".", false, false},
      {"C:\\SendTo", "..", true, false},
      // A colon or a slash would name a data stream or another folder.
      {"C:\\SendTo", "C:", false, false},
      {"C:\\SendTo", "C:app.exe", false, false},
      {"C:\\SendTo", "C:\\x\\app.exe:stream", false, false},
      {"C:\\SendTo", "C:\\x\\sub/app.exe", true, false},
      // The whole link path, ".lnk" included, holds at most 260 bytes.
      {FolderOfLength(260 - 4 - 6), "C:\\t\\" + name, false, true},  // 260
      {FolderOfLength(260 - 4 - 5), "C:\\t\\" + name, false, false}, // 261
      {FolderOfLength(260 - 4 - 3), "C:\\t\\" + name, false, false}, // joined 260
      {FolderOfLength(260 - 4 - 5), "C:\\t\\" + name, true, true},   // n.lnk fits
      // The join had to cut the name: that would be another file's name,
      // unless the cut fell inside an extension that is dropped anyway.
      {FolderOfLength(250), "C:\\t\\ab.c.0123456789", true, true}, // ab.c.lnk: 260
      {FolderOfLength(250), "C:\\t\\ab.c.0123456789", false, false},
      {FolderOfLength(250), "C:\\t\\abcdefgh.c.x", true, false}, // cut before ".x"
      {FolderOfLength(250), "C:\\t\\abcdefghi.x", true, false},  // cut at the dot
      {FolderOfLength(258), "C:\\t\\" + name, true, false},
      {FolderOfLength(259), "C:\\t\\" + name, false, false},
      {FolderOfLength(260), "C:\\t\\" + name, false, false},
      {FolderOfLength(300), "C:\\t\\" + name, false, false},
      {FolderOfLength(250) + "\\", "C:\\t\\" + kHyo + kHyo + kHyo + kHyo + kHyo, true, false},
      // A folder ending in the lead half of a character cannot be joined.
      {"C:\\x\x95", "C:\\t\\" + name, false, false},
      {"", "C:\\t\\" + name, false, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::to_string(c.folder.size()) + ": " + c.folder.substr(0, 20) + " + " +
                 c.target);
    const Built built = Build(c.folder, c.target, c.dropExtension);
    EXPECT_EQ(built.ok, c.ok);
    if (c.ok) {
      EXPECT_LE(built.link.size(), 260u);
      EXPECT_EQ(built.link.substr(0, c.folder.size()), c.folder);
      EXPECT_EQ(built.link.substr(built.link.size() - 4), ".lnk");
    } else {
      EXPECT_EQ(built.link, "");
    }
  }
}

TEST(BuildWorkingDirectory, LongTargetsAreCutWithoutSplittingACharacter) {
  char dir[kPathBufferSize + 8];
  memset(dir, 'x', sizeof dir);
  const std::string target = "C:\\" + std::string(255, 'a') + "\\" + kHyo + kHyo + ".txt";
  BuildWorkingDirectory(dir, target.c_str());
  EXPECT_EQ(dir[kPathBufferSize], 'x');
  EXPECT_EQ(std::string(dir), "C:\\" + std::string(255, 'a'));
}
