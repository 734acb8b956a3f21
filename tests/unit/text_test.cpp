// Byte-string and path routines: double-byte rules of code page 932 and the
// bounds of every buffer they write.
#include "core/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// Code page 932 characters, spelled as bytes so the sources stay ASCII.
#define HYO "\x95\x5C"    // 表, second byte is a backslash
#define SO "\x83\x5C"     // ソ, second byte is a backslash
#define YO "\x97\x5C"     // 予, second byte is a backslash
#define TEI "\x92\xE8"    // 定
#define KANA_A "\x83\x41" // ア, second byte is the letter A

namespace {

const char kSentinel = '\xEE';
const size_t kGuard = 16;

// A destination of size bytes at the start of a heap block, followed by guard
// bytes that nothing may touch.
struct Guarded {
  explicit Guarded(int n) : size(n), bytes(static_cast<size_t>(n) + kGuard, kSentinel) {}
  char *data() { return bytes.data(); }
  bool GuardIntact() const {
    for (size_t i = static_cast<size_t>(size); i < bytes.size(); ++i) {
      if (bytes[i] != kSentinel) {
        return false;
      }
    }
    return true;
  }
  int size;
  std::vector<char> bytes;
};

// An input in a heap block of exactly its own length and terminator, so that
// AddressSanitizer sees any read past it.
std::vector<char> Exact(const char *text) {
  return std::vector<char>(text, text + strlen(text) + 1);
}

TEST(ByteValues, CodePage932Ranges) {
  struct Case {
    unsigned char byte;
    bool lead;
    bool trail;
  };
  static const Case kCases[] = {
      {0x00, false, false}, {0x3F, false, false}, {0x40, false, true},  {0x5C, false, true},
      {0x7E, false, true},  {0x7F, false, false}, {0x80, false, true},  {0x81, true, true},
      {0x9F, true, true},   {0xA0, false, true},  {0xB1, false, true},  {0xDF, false, true},
      {0xE0, true, true},   {0xFC, true, true},   {0xFD, false, false}, {0xFF, false, false},
  };
  for (const Case &c : kCases) {
    EXPECT_EQ(IsLeadByteValue(c.byte), c.lead) << std::hex << int(c.byte);
    EXPECT_EQ(IsTrailByteValue(c.byte), c.trail) << std::hex << int(c.byte);
  }
}

TEST(ByteKindAt, ClassifiesFromTheStart) {
  struct Case {
    const char *s;
    int index;
    ByteKind kind;
  };
  static const Case kCases[] = {
      {"a" HYO "b", 0, ByteKindSingle},
      {"a" HYO "b", 1, ByteKindLead},
      {"a" HYO "b", 2, ByteKindTrail},
      {"a" HYO "b", 3, ByteKindSingle},
      {"a" HYO "b", 4, ByteKindSingle}, // the terminator
      {"a" HYO "b", 9, ByteKindSingle}, // past it
      {"a" HYO "b", -1, ByteKindSingle},
      {"", 0, ByteKindSingle},
      {"\x81\x20", 0, ByteKindLead},
      {"\x81\x20", 1, ByteKindSingle}, // 0x20 is no Trail byte
      {"\x81\x7F", 1, ByteKindSingle},
      {"\x81\xFD", 1, ByteKindSingle},
      {"\x81\x20\x81\x40", 2, ByteKindLead},
      {"\x81\x20\x81\x40", 3, ByteKindTrail},
      {"\xB1", 0, ByteKindSingle},        // half-width katakana
      {"\x95\x95\x95", 1, ByteKindTrail}, // a Lead value after a Lead byte is a Trail
      {"\x95\x95\x95", 2, ByteKindLead},
      {"ab\x81", 2, ByteKindLead}, // lone Lead byte at the end
      {"ab\x81", 3, ByteKindSingle},
  };
  for (const Case &c : kCases) {
    std::vector<char> s = Exact(c.s);
    EXPECT_EQ(ByteKindAt(s.data(), c.index), c.kind) << c.s << " @" << c.index;
  }
}

TEST(Utf16Length, OneUnitPerCharacter) {
  struct Case {
    const char *s;
    size_t units;
  };
  static const Case kCases[] = {
      {"", 0},
      {"C:\\" HYO SO, 5},
      {"\xB1\xDF", 2},         // half-width katakana
      {"\x81\x20", 2},         // no Trail byte: Wine takes both as one character
      {"ab\x81", 3},           // lone Lead byte at the end
      {"\x95\x95\x95\x40", 2}, // a Lead value after a Lead byte is a Trail
  };
  for (const Case &c : kCases) {
    std::vector<char> s = Exact(c.s);
    EXPECT_EQ(Utf16Length(s.data()), c.units) << c.s;
  }
}

TEST(IsSeparatorAt, OnlySingleBackslashes) {
  struct Case {
    const char *s;
    int index;
    bool separator;
  };
  static const Case kCases[] = {
      {"C:\\" HYO, 2, true}, {"C:\\" HYO, 4, false}, {SO "\\", 1, false}, {SO "\\", 2, true},
      {"a/b", 1, false},     {"\\", -1, false},      {"\\", 1, false},    {"\\", 7, false},
  };
  for (const Case &c : kCases) {
    std::vector<char> s = Exact(c.s);
    EXPECT_EQ(IsSeparatorAt(s.data(), c.index), c.separator) << c.s << " @" << c.index;
  }
}

TEST(CopyBounded, NeverEndsOnALeadByteNorWritesPastSize) {
  struct Case {
    const char *src;
    int size;
    const char *expected;
  };
  static const Case kCases[] = {
      {"abcdef", 4, "abc"},
      {"ab" HYO "c", 4, "ab"}, // the Lead byte at index 2 is not copied alone
      {"ab" HYO "c", 5, "ab" HYO},
      {"abc", 1, ""},
      {"abc", 10, "abc"},
      {HYO, 2, ""},
      {HYO HYO, 4, HYO},
      {"ab\x81", 4, "ab\x81"}, // malformed source copied unchanged
      {"ab\x81", 3, "ab"},
      {"\xB1\xB1\xB1", 3, "\xB1\xB1"},
  };
  for (const Case &c : kCases) {
    Guarded dst(c.size);
    std::vector<char> src = Exact(c.src);
    EXPECT_EQ(CopyBounded(dst.data(), src.data(), c.size), dst.data());
    EXPECT_STREQ(dst.data(), c.expected) << c.src << " size " << c.size;
    EXPECT_TRUE(dst.GuardIntact()) << c.src << " size " << c.size;
    // Bytes behind the copy are cleared up to the last one that may be used.
    for (int i = static_cast<int>(strlen(c.expected)); i < c.size - 1; ++i) {
      EXPECT_EQ(dst.bytes[static_cast<size_t>(i)], 0) << c.src << " size " << c.size << " @" << i;
    }
  }
}

TEST(CopyBounded, ReadsNoMoreThanSizeBytesOfTheSource) {
  // An unterminated source of exactly size bytes.
  std::vector<char> src = {'a', 'b', '\x95', '\x5C'};
  Guarded dst(4);
  CopyBounded(dst.data(), src.data(), 4);
  EXPECT_STREQ(dst.data(), "ab");
}

TEST(Compare, FoldsAsciiLettersOnly) {
  struct Case {
    const char *a;
    const char *b;
    bool equal;
    bool equalNoCase;
  };
  static const Case kCases[] = {
      {"abc", "abc", true, true},     {"abc", "ABC", false, true},
      {"abc", "abd", false, false},   {"abc", "ab", false, false},
      {"", "", true, true},           {"@[", "`{", false, false},
      {"\xC1", "\xE1", false, false}, {KANA_A, "\x83\x61", false, true},
  };
  for (const Case &c : kCases) {
    EXPECT_EQ(StrEqual(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(StrEqualNoCase(c.a, c.b), c.equalNoCase) << c.a << " / " << c.b;
    EXPECT_EQ(StrEqualNoCase(c.b, c.a), c.equalNoCase) << c.b << " / " << c.a;
  }
}

const int kNoMatch = -1;

TEST(FindCharNoCase, ByteWiseWithAsciiFolding) {
  struct Case {
    const char *s;
    char c;
    int offset;
  };
  static const Case kCases[] = {
      {"Hello", 'L', 2}, {KANA_A "a", 'a', 1}, // the Trail byte 0x41 matches
      {"abc", '\0', 3},  {"abc", 'z', kNoMatch}, {"", 'a', kNoMatch},
      {"", '\0', 0},     {"@", '`', kNoMatch},
  };
  for (const Case &c : kCases) {
    std::vector<char> s = Exact(c.s);
    const char *found = FindCharNoCase(s.data(), c.c);
    EXPECT_EQ(found, c.offset == kNoMatch ? nullptr : s.data() + c.offset) << c.s;
  }
}

TEST(FindTextNoCase, LeftmostByteWiseMatch) {
  struct Case {
    const char *s;
    const char *p;
    int offset;
  };
  static const Case kCases[] = {
      {"x/path:", "/path:", 1},
      {"", "", 0},
      {"abc", "", 0},
      {"", "a", kNoMatch},
      {"ab", "abc", kNoMatch},
      {"aab", "ab", 1},
      {"xABc", "abC", 1},
      {"abab", "bab", 1},
      {"aaa", "aaaa", kNoMatch},
      {KANA_A "b", "ab", 1}, // a match may begin on a Trail byte
      {"a/PATH", "/path:", kNoMatch},
  };
  for (const Case &c : kCases) {
    std::vector<char> s = Exact(c.s);
    const char *found = FindTextNoCase(s.data(), c.p);
    EXPECT_EQ(found, c.offset == kNoMatch ? nullptr : s.data() + c.offset) << c.s << " / " << c.p;
    EXPECT_EQ(StartsWithNoCase(s.data(), c.p), c.offset == 0) << c.s << " / " << c.p;
  }
  EXPECT_TRUE(StartsWithNoCase("/PATH:C:\\x", "/path:"));
}

TEST(JoinPath, JoinsAndResolvesDotNames) {
  struct Case {
    int size;
    const char *base;
    const char *name;
    const char *expected;
  };
  static const Case kCases[] = {
      {261, "", "name.txt", "name.txt"},
      {261, "", ".", "."},
      {261, "", "..", ".."},
      {4, "", "abcdef", "abc"},
      {261, "C:\\Tools", "app.exe", "C:\\Tools\\app.exe"},
      {261, "C:\\Tools\\", "app.exe", "C:\\Tools\\app.exe"},
      {261, "C:\\" HYO, "a.txt", "C:\\" HYO "\\a.txt"}, // the final 0x5C is a Trail byte
      {261, "C:\\Tools", "Microsoft\\Internet Explorer\\Quick Launch",
       "C:\\Tools\\Microsoft\\Internet Explorer\\Quick Launch"},
      {261, "C:\\Tools", "", "C:\\Tools\\"},
      {261, "C:\\Tools", ".", "C:\\Tools"},
      {261, "C:\\Tools\\Bin", "..", "C:\\Tools"},
      {261, "C:\\Tools", "..", "C:\\"},
      {261, "C:\\", "..", "C:\\"},
      {261, "C:\\" SO, "..", "C:\\"},
      {261, "C:\\Tools\\", "..", "C:\\Tools"},
      {261, "C:\\" HYO "\\x", "..", "C:\\" HYO},
      {261, HYO "\\x", "..", HYO}, // a Trail 0x5C left in the result: no backslash put back
      {261, "\\\\srv\\share", "..", "\\\\srv"},
      {261, "\\x", "..", "\\"},
      {261, "C:\\a\x81", "..", "C:\\"},
      {10, "C:\\ab", "cdefgh", "C:\\ab\\cde"},
      {11, "C:\\ab", "cd" HYO "gh", "C:\\ab\\cd" HYO},
      {10, "C:\\ab", "cd" HYO "gh", "C:\\ab\\cd"},
      {10, "C:\\abcde", "x", "C:\\abcde\\"}, // no room left for the name
      {10, "C:\\abcde\\", "x", "C:\\abcde\\"},
      {5, "a", HYO, "a\\" HYO},
      {4, "a", HYO, "a\\"},
      {3, "a", "b", "a\\"},
      {2, "\\", "x", "\\"},
      // No parent to name: the result is empty.
      {261, "C:", "..", ""},
      {261, SO, "..", ""},
      {261, "ab" HYO, "..", ""},
      // No room for the separator, or a base that does not fit: empty.
      {10, "C:\\abcdef", "x", ""},
      {10, "C:\\abcdefg", ".", ""},
      {10, "C:\\abcdefg", "..", ""},
      {6, "C:\\abcdefgh\\ij", "..", ""},
      {6, "C:\\a" HYO "b", ".", ""}, // the copy stops before the character
      {2, "a", "b", ""},
      {1, "a", "b", ""},
      // A separator behind a lone Lead byte would be its Trail byte.
      {261, "C:\\a\x81", "b", ""},
  };
  for (const Case &c : kCases) {
    Guarded dst(c.size);
    std::vector<char> base = Exact(c.base);
    EXPECT_TRUE(JoinPath(dst.data(), c.size, base.data(), c.name));
    EXPECT_STREQ(dst.data(), c.expected) << c.base << " + " << c.name << " size " << c.size;
    EXPECT_TRUE(dst.GuardIntact()) << c.base << " + " << c.name << " size " << c.size;
  }
}

TEST(JoinPath, ReadsNoMoreOfTheBaseThanTheBufferHolds) {
  // An unterminated base of exactly size bytes: it cannot fit.
  std::vector<char> base(8, 'a');
  Guarded dst(8);
  EXPECT_TRUE(JoinPath(dst.data(), 8, base.data(), "x"));
  EXPECT_STREQ(dst.data(), "");
  EXPECT_TRUE(dst.GuardIntact());
}

TEST(PathScans, FindFileNameAndRemoveFileName) {
  struct Case {
    const char *path;
    size_t nameOffset;
    const char *cut; // the path after RemoveFileName
  };
  static const Case kCases[] = {
      {"C:\\Tools\\app.exe", 9, "C:\\Tools"},
      {"C:\\Tools\\", 9, "C:\\Tools"},
      {"app.exe", 0, "app.exe"},
      {"C:file.txt", 0, "C:file.txt"},
      {"C:/dir/file.txt", 0, "C:/dir/file.txt"},
      {"C:\\boot.ini", 3, "C:"},
      {"C:\\" HYO "\\a.txt", 6, "C:\\" HYO},
      {"C:\\" HYO, 3, "C:"},
      {"C:\\" SO "\\" YO TEI HYO, 6, "C:\\" SO},
      {SO, 0, SO},
      {YO TEI HYO, 0, YO TEI HYO},
      {"\\x", 1, ""},
      {"", 0, ""},
  };
  for (const Case &c : kCases) {
    std::vector<char> path = Exact(c.path);
    EXPECT_EQ(FindFileName(static_cast<const char *>(path.data())), path.data() + c.nameOffset)
        << c.path;
    std::string name(c.path + c.nameOffset);
    char *rest = RemoveFileName(path.data());
    EXPECT_EQ(rest, path.data() + c.nameOffset) << c.path;
    EXPECT_STREQ(rest, name.c_str()) << c.path;
    EXPECT_STREQ(path.data(), c.cut) << c.path;
  }
}

TEST(PathScans, FindExtensionAndRemoveExtension) {
  struct Case {
    const char *path;
    size_t dotOffset; // the terminator's offset when there is no extension
    const char *cut;  // the path after RemoveExtension
  };
  static const Case kCases[] = {
      {"C:\\x\\archive.tar.gz", 16, "C:\\x\\archive.tar"},
      {"C:\\x\\.profile", 5, "C:\\x\\"},
      {"C:\\x\\file.", 9, "C:\\x\\file"},
      {"C:\\Tools\\app.exe", 12, "C:\\Tools\\app"},
      {"C:\\a.b\\file", 11, "C:\\a.b\\file"},
      {"C:\\x\\" YO TEI HYO, 11, "C:\\x\\" YO TEI HYO},
      {"C:\\x\\file." HYO, 9, "C:\\x\\file"}, // the Trail 0x5C does not end the scan
      {"C:\\x\\" YO ".txt", 7, "C:\\x\\" YO},
      {"a.b\\", 4, "a.b\\"},
      {".", 0, ""},
      {"", 0, ""},
  };
  for (const Case &c : kCases) {
    std::vector<char> path = Exact(c.path);
    const char *dot = FindExtension(static_cast<const char *>(path.data()));
    EXPECT_EQ(dot, path.data() + c.dotOffset) << c.path;
    bool hasDot = *dot == '.';
    std::string extension(hasDot ? dot + 1 : "");
    char *rest = RemoveExtension(path.data());
    EXPECT_EQ(rest, path.data() + c.dotOffset + (hasDot ? 1 : 0)) << c.path;
    EXPECT_STREQ(rest, extension.c_str()) << c.path;
    EXPECT_STREQ(path.data(), c.cut) << c.path;
  }
}

TEST(BoundedFormat, CutsAtSizeAndReportsIt) {
  struct Case {
    unsigned size;
    const char *text;
    int result;
    const char *expected;
  };
  static const Case kCases[] = {
      {4, "abc", 3, "abc"},    {4, "abcd", -1, "abc"}, {1, "", 0, ""},
      {1, "a", -1, ""},        {2, HYO, -1, "\x95"}, // the only cut that may split a character
      {1025, "abc", 3, "abc"},
  };
  for (const Case &c : kCases) {
    Guarded buf(static_cast<int>(c.size));
    EXPECT_EQ(BoundedFormat(buf.data(), c.size, "%s", c.text), c.result) << c.text;
    EXPECT_STREQ(buf.data(), c.expected) << c.text;
    EXPECT_TRUE(buf.GuardIntact()) << c.text;
  }
}

TEST(BoundedFormat, SizeZeroWritesNothing) {
  Guarded buf(0);
  EXPECT_EQ(BoundedFormat(buf.data(), 0, "%s", "abc"), -1);
  EXPECT_TRUE(buf.GuardIntact());
}

} // namespace
