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

std::string Repeat(const std::string &unit, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    text += unit;
  }
  return text;
}

// count different kanji from 亜 (88 9F) on.
std::string Kanji(size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    text += '\x88';
    text += static_cast<char>(0x9F + i % 0x5E);
  }
  return text;
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
      // Past 260 bytes the folder stays whole: 276 bytes of kanji (146 units),
      // and folder names filled with characters ending in the byte 0x5C.
      {"C:\\data\\" + Kanji(80) + "\\" + Kanji(50) + "\\x.txt", "C:\\SendTo", false,
       "C:\\SendTo\\x.txt.lnk", "C:\\data\\" + Kanji(80) + "\\" + Kanji(50)},
      {"C:\\" + Repeat(kHyo, 80) + "\\" + Repeat(kSo, 60) + "\\" + kHyo + kSo + ".txt",
       "C:\\SendTo", true, "C:\\SendTo\\" + kHyo + kSo + ".lnk",
       "C:\\" + Repeat(kHyo, 80) + "\\" + Repeat(kSo, 60)},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.target + " in " + c.folder);
    const Built built = Build(c.folder, c.target, c.dropExtension);
    EXPECT_TRUE(built.ok);
    EXPECT_EQ(built.link, c.link);
    char dir[kWorkingDirectoryBufferSize];
    EXPECT_TRUE(BuildWorkingDirectory(dir, c.target.c_str()));
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
      // Past 260 bytes the link path counts in characters: 265 bytes, 260
      // units; one character more is refused, never shortened.
      {FolderOfLength(250) + "\\", "C:\\t\\" + kHyo + kHyo + kHyo + kHyo + kHyo, true, true},
      {FolderOfLength(250) + "\\", "C:\\t\\" + Repeat(kHyo, 6), true, false},
      {"C:\\" + Kanji(60), "C:\\t\\" + Kanji(80) + ".txt", false, true},   // 295 bytes, 153 units
      {"C:\\" + Kanji(127), "C:\\t\\" + Kanji(125) + ".txt", true, true},  // 260 units
      {"C:\\" + Kanji(127), "C:\\t\\" + Kanji(126) + ".txt", true, false}, // 261 units
      // Folders come from the shell's MAX_PATH-byte calls: 260 bytes at most.
      {"C:\\" + Kanji(128) + "\\", "C:\\t\\" + name, false, true},
      {"C:\\" + Kanji(129), "C:\\t\\" + name, false, false},
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
      EXPECT_LE(Utf16Length(built.link.c_str()), 260u);
      EXPECT_EQ(built.link.substr(0, c.folder.size()), c.folder);
      EXPECT_EQ(built.link.substr(built.link.size() - 4), ".lnk");
    } else {
      EXPECT_EQ(built.link, "");
    }
  }
}

TEST(BuildWorkingDirectory, LongTargetsAreCutWithoutSplittingACharacter) {
  char dir[kWorkingDirectoryBufferSize + 8];
  memset(dir, 'x', sizeof dir);
  const std::string target = "C:\\" + std::string(255, 'a') + "\\" + kHyo + kHyo + ".txt";
  BuildWorkingDirectory(dir, target.c_str());
  EXPECT_EQ(dir[kWorkingDirectoryBufferSize], 'x');
  EXPECT_EQ(std::string(dir), "C:\\" + std::string(255, 'a'));
}

TEST(LinkTargetFits, CountsCharactersNotBytes) {
  const struct {
    std::string target;
    bool fits;
  } cases[] = {
      {"C:\\" + std::string(256, 'a'), true},  // 259
      {"C:\\" + std::string(257, 'a'), false}, // 260
      {"C:\\" + Kanji(128), true},             // 259 bytes
      {"C:\\" + Kanji(256), true},             // 515 bytes, 259 units
      {"C:\\" + Kanji(257), false},
      // A Lead byte without its Trail byte counts apart from the next byte.
      {"C:\\" + Kanji(255) + "\x81 ", false},
      {"C:\\" + Kanji(255) + "\x81", true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.target.size());
    EXPECT_EQ(LinkTargetFits(c.target.c_str()), c.fits);
  }
  // Nothing past the working-directory buffer for any length.
  const std::string far = "C:\\" + std::string(600, 'a') + "\\x";
  char dir[kWorkingDirectoryBufferSize + 8];
  memset(dir, 'x', sizeof dir);
  EXPECT_FALSE(BuildWorkingDirectory(dir, far.c_str()));
  EXPECT_EQ(std::string(dir), "");
  EXPECT_EQ(dir[kWorkingDirectoryBufferSize], 'x');
}

#if defined(_WIN32)
#define WIDE(text) L##text
#else
#define WIDE(text) u##text
#endif

// Names outside the code page, in UTF-16: the same rules, where only the
// unit 0x5C separates (the yen sign U+00A5 is a letter like any other) and
// every limit counts units.
TEST(BuildLinkPath, WideNamesAndWorkingDirectories) {
  using Wide = std::basic_string<WideUnit>;
  const Wide longFolder = WIDE("C:\\") + Wide(247, 'f'); // 250 units
  const struct {
    Wide target, folder;
    bool dropExtension;
    bool ok;
    Wide link, workingDirectory;
  } cases[] = {
      {WIDE("C:\\an\\caf\u00E9.txt"), WIDE("C:\\SendTo"), false, true,
       WIDE("C:\\SendTo\\caf\u00E9.txt.lnk"), WIDE("C:\\an")},
      {WIDE("C:\\an\\caf\u00E9.txt"), WIDE("C:\\d\u00E9st\\"), true, true,
       WIDE("C:\\d\u00E9st\\caf\u00E9.lnk"), WIDE("C:\\an")},
      {WIDE("C:\\an\\a\u00A5b.txt"), WIDE("C:\\out"), false, true,
       WIDE("C:\\out\\a\u00A5b.txt.lnk"), WIDE("C:\\an")},
      {WIDE("C:\\\uD55C\uAE00"), WIDE("C:\\x"), true, true, WIDE("C:\\x\\\uD55C\uAE00.lnk"),
       WIDE("C:")},
      {WIDE("C:\\an\\.."), WIDE("C:\\x"), false, false, WIDE(""), WIDE("C:\\an")},
      {WIDE("C:\\an\\a:b"), WIDE("C:\\x"), false, false, WIDE(""), WIDE("C:\\an")},
      // 250 + 1 + 5 + 4 units fit; one more does not.
      {WIDE("C:\\t\\\u00E9.txt"), longFolder, false, true, longFolder + WIDE("\\\u00E9.txt.lnk"),
       WIDE("C:\\t")},
      {WIDE("C:\\t\\\u00E9x.txt"), longFolder, false, false, WIDE(""), WIDE("C:\\t")},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.link.size());
    WideUnit link[kLinkPathBufferSize];
    EXPECT_EQ(BuildLinkPath(link, c.folder.c_str(), c.target.c_str(), c.dropExtension), c.ok);
    EXPECT_EQ(Wide(link), c.link);
    WideUnit dir[kWorkingDirectoryBufferSize];
    EXPECT_TRUE(BuildWorkingDirectory(dir, c.target.c_str()));
    EXPECT_EQ(Wide(dir), c.workingDirectory);
  }
  EXPECT_TRUE(LinkTargetFits((WIDE("C:\\") + Wide(256, 0xE9)).c_str())); // 259 units
  EXPECT_FALSE(LinkTargetFits((WIDE("C:\\") + Wide(257, 0xE9)).c_str()));
}
