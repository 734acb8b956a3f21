// The verb table and the default command line of a verb.
#include "settings/verbs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// "へ登録" in code page 932, after the closing bracket and one blank.
#define HE_TOUROKU "\x82\xD6\x93\x6F\x98\x5E"

struct ExpectedVerb {
  int index;
  const char *verbKey;
  const char *caption; // bytes from iconv -t CP932
  const char *switchText;
};

// Table order is the order of every loop over the verbs.
const ExpectedVerb kExpected[] = {
    // [スタートメニュー] へ登録
    {1, "toStartMenu",
     "[\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x81\x83\x6A\x83\x85\x81\x5B] " HE_TOUROKU,
     "/startmenu"},
    // [スタートアップ] へ登録
    {3, "toStartup", "[\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x41\x83\x62\x83\x76] " HE_TOUROKU,
     "/startup"},
    // [送る] へ登録
    {5, "toSendTo", "[\x91\x97\x82\xE9] " HE_TOUROKU, "/sendto"},
    // [デスクトップ] へ登録
    {11, "toDesktop", "[\x83\x66\x83\x58\x83\x4E\x83\x67\x83\x62\x83\x76] " HE_TOUROKU, "/desktop"},
    // [...] へ登録
    {0, "toPath", "[...] " HE_TOUROKU, "/path"},
    // [クイック起動] へ登録
    {24, "toQuickLaunch", "[\x83\x4E\x83\x43\x83\x62\x83\x4E\x8B\x4E\x93\xAE] " HE_TOUROKU,
     "/qlaunch"},
};

TEST(VerbTable, RowsInTableOrder) {
  ASSERT_EQ(sizeof kExpected / sizeof kExpected[0], static_cast<size_t>(kVerbCount));
  for (int i = 0; i < kVerbCount; ++i) {
    const VerbEntry &row = kVerbTable[i];
    const ExpectedVerb &want = kExpected[i];
    SCOPED_TRACE(want.verbKey);
    EXPECT_EQ(row.index, want.index);
    EXPECT_STREQ(row.verbKey, want.verbKey);
    EXPECT_STREQ(row.defaultCaption, want.caption);
    EXPECT_STREQ(row.switchText, want.switchText);
    // The path shown to the user always names exefile, whatever class the
    // registry resolves to.
    EXPECT_EQ(std::string(row.displayKeyPath),
              std::string("HKEY_CLASSES_ROOT\\exefile\\shell\\") + want.verbKey + "\\command");
  }
}

// A destination buffer of the command-line size followed by guard bytes.
struct CommandBuffer {
  CommandBuffer() : bytes(kCommandBufferSize + 16, '\xEE') {}
  char *data() { return bytes.data(); }
  bool GuardIntact() const {
    for (size_t i = kCommandBufferSize; i < bytes.size(); ++i) {
      if (bytes[i] != '\xEE') {
        return false;
      }
    }
    return true;
  }
  std::vector<char> bytes;
};

TEST(DefaultCommand, QuotedPathBareSwitchQuotedPlaceholder) {
  struct Case {
    const char *modulePath;
    const char *switchText;
    const char *expected;
  };
  static const Case kCases[] = {
      {"C:\\Tools\\linkto.exe", "/sendto", "\"C:\\Tools\\linkto.exe\" /sendto \"%1\""},
      {"C:\\Program Files\\LinkTo\\linkto.exe", "/qlaunch",
       "\"C:\\Program Files\\LinkTo\\linkto.exe\" /qlaunch \"%1\""},
      // 表 and ソ end in 0x5C; a percent sign in the path is copied as it is.
      {"C:\\\x95\x5C\\\x83\x5C%d\\linkto.exe", "/path",
       "\"C:\\\x95\x5C\\\x83\x5C%d\\linkto.exe\" /path \"%1\""},
      {nullptr, nullptr, "\"\"  \"%1\""},
  };
  for (const Case &c : kCases) {
    CommandBuffer buffer;
    EXPECT_TRUE(FormatDefaultCommand(buffer.data(), c.modulePath, c.switchText));
    EXPECT_STREQ(buffer.data(), c.expected);
    EXPECT_TRUE(buffer.GuardIntact());
  }
}

TEST(DefaultCommand, CutAtTheLimitOfTheBuffer) {
  struct Case {
    std::string modulePath;
    bool whole;
    size_t length;
  };
  // The text is the path plus 15 bytes with /sendto.
  const std::string hyo = "\x95\x5C";
  const Case kCases[] = {
      {std::string(1009, 'a'), true, 1024},
      {std::string(1010, 'a'), false, 1024},
      {std::string(5000, 'a'), false, 1024},
      // Text index 1022..1023 is one whole 表: kept.
      {std::string(1021, 'a') + hyo + hyo, false, 1024},
      // Text index 1023 is the first half of 表: dropped with its lost half.
      {std::string(1022, 'a') + hyo + hyo, false, 1023},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.modulePath.size());
    CommandBuffer buffer;
    EXPECT_EQ(FormatDefaultCommand(buffer.data(), c.modulePath.c_str(), "/sendto"), c.whole);
    EXPECT_TRUE(buffer.GuardIntact());
    ASSERT_EQ(strlen(buffer.data()), c.length);
    const std::string full = "\"" + c.modulePath + "\" /sendto \"%1\"";
    EXPECT_EQ(std::string(buffer.data()), full.substr(0, c.length));
  }
}

} // namespace
