// Destination switches: which argument sets what, in any letter case, and the
// folder set's order and duplicate rule.
#include "app/switches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

LaunchOptions Fresh() {
  LaunchOptions options = {};
  options.openAfter = true;
  return options;
}

struct Effect {
  uint32_t bits;
  bool dropExtension;
  bool openAfter;
  const char *folder; // "(none)" when no /path: prefix
};

Effect Apply(const char *argument) {
  LaunchOptions options = Fresh();
  const char *folder = ApplySwitch(argument, &options);
  return {options.destinationBits, options.dropExtension, options.openAfter,
          folder != nullptr ? folder : "(none)"};
}

} // namespace

TEST(FolderSwitches, EachSwitchSetsItsOwnBitAndNamesItsFolder) {
  // Switch, CSIDL, in table order; row k sets bit k + 1.
  const struct {
    const char *text;
    int32_t csidl;
  } expected[] = {
      {"/startmenu", 11},    {"/programs", 2},     {"/startup", 7},         {"/admintools", 48},
      {"/sendto", 9},        {"/favorites", 6},    {"/mydoc", 5},           {"/mypict", 39},
      {"/mymusic", 13},      {"/myvideo", 14},     {"/desktop", 16},        {"/startmenu:all", 22},
      {"/programs:all", 23}, {"/startup:all", 24}, {"/admintools:all", 47}, {"/favorites:all", 31},
      {"/mydoc:all", 46},    {"/mypict:all", 54},  {"/mymusic:all", 53},    {"/myvideo:all", 55},
      {"/desktop:all", 25},  {"/windows", 36},     {"/system", 37},
  };
  ASSERT_EQ(sizeof expected / sizeof expected[0], static_cast<size_t>(kFolderSwitchCount));
  for (int row = 0; row < kFolderSwitchCount; ++row) {
    SCOPED_TRACE(expected[row].text);
    EXPECT_EQ(kFolderSwitches[row].csidl, expected[row].csidl);
    EXPECT_EQ(kFolderSwitches[row].mask, 1u << (row + 1));
    EXPECT_EQ(Apply(expected[row].text).bits, 1u << (row + 1));
  }
}

TEST(ApplySwitch, WholeArgumentsInAnyLetterCase) {
  const struct {
    const char *argument;
    uint32_t bits;
    bool dropExtension, openAfter;
    std::string folder;
  } cases[] = {
      {"/sendto", 0x20, false, true, "(none)"},
      {"/SendTo", 0x20, false, true, "(none)"},
      {"/SENDTO", 0x20, false, true, "(none)"},
      {"/Desktop:ALL", 0x200000, false, true, "(none)"},
      {"/qlaunch", 0x1000000, false, true, "(none)"},
      {"/QLaunch", 0x1000000, false, true, "(none)"},
      {"/path", 0x1, false, true, "(none)"},
      {"/PATH", 0x1, false, true, "(none)"},
      {"/ext:0", 0, true, true, "(none)"},
      {"/EXT:0", 0, true, true, "(none)"},
      {"/open:0", 0, false, false, "(none)"},
      {"/Open:0", 0, false, false, "(none)"},
      // /path: takes the rest of the argument as a folder, whatever it is.
      {"/path:C:\\Tools", 0, false, true, "C:\\Tools"},
      {"/PATH:c:\\x y", 0, false, true, "c:\\x y"},
      {"/path:", 0, false, true, ""},
      {"/path:/open:0", 0, false, true, "/open:0"},
      {"/path:C:\\My Dir\"", 0, false, true, "C:\\My Dir\""},
      // Forms that do not exist, misspellings, other values: no effect.
      {"/sendto:all", 0, false, true, "(none)"},
      {"/qlaunch:all", 0, false, true, "(none)"},
      {"/windows:all", 0, false, true, "(none)"},
      {"/sendto ", 0, false, true, "(none)"},
      {"sendto", 0, false, true, "(none)"},
      {"-sendto", 0, false, true, "(none)"},
      {"/send", 0, false, true, "(none)"},
      {"/paths", 0, false, true, "(none)"},
      {"/path;C:\\", 0, false, true, "(none)"},
      {"/ext:1", 0, false, true, "(none)"},
      {"/ext:00", 0, false, true, "(none)"},
      {"/open:1", 0, false, true, "(none)"},
      {"/open", 0, false, true, "(none)"},
      {"", 0, false, true, "(none)"},
      {"C:\\Tools\\app.exe", 0, false, true, "(none)"},
      // Only ASCII letters fold: a full-width Ｓ (82 72) is not an S.
      {"/\x82\x72"
       "endto",
       0, false, true, "(none)"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.argument);
    const Effect effect = Apply(c.argument);
    EXPECT_EQ(effect.bits, c.bits);
    EXPECT_EQ(effect.dropExtension, c.dropExtension);
    EXPECT_EQ(effect.openAfter, c.openAfter);
    EXPECT_EQ(effect.folder, c.folder);
  }
}

TEST(ApplySwitch, EffectsAccumulateAndNothingTurnsThemBack) {
  LaunchOptions options = Fresh();
  for (const char *argument : {"/ext:0", "/open:0", "/desktop", "/sendto", "/ext:0", "/open:0",
                               "/ext:1", "/open:1", "/path", "/path", "/qlaunch", "/DESKTOP"}) {
    ApplySwitch(argument, &options);
  }
  EXPECT_TRUE(options.dropExtension);
  EXPECT_FALSE(options.openAfter);
  EXPECT_EQ(options.destinationBits, 0x1u | 0x20u | 0x800u | 0x1000000u);
  EXPECT_EQ(options.folders, nullptr); // the list is not touched
}

TEST(AppendFolderOnce, KeepsFirstPlacesAndFirstSpellings) {
  StringList *folders = StringListCreate();
  ASSERT_NE(folders, nullptr);
  EXPECT_EQ(AppendFolderOnce(folders, "C:\\Windows"), 1);
  EXPECT_EQ(AppendFolderOnce(folders, "C:\\Users\\Public\\Desktop"), 2);
  EXPECT_EQ(AppendFolderOnce(folders, "c:\\WINDOWS"), 2);
  EXPECT_EQ(AppendFolderOnce(folders, "C:\\\x95\x5C"), 3);
  EXPECT_EQ(AppendFolderOnce(folders, "C:\\\x95\x5C"), 3);
  EXPECT_EQ(AppendFolderOnce(folders, "C:\\Windows\\"), 4); // not the same text
  std::string walk;
  for (StringListNode *node = StringListEnd(folders, kForward); node != nullptr;
       node = StringListStep(node, kForward)) {
    walk += StringListText(node);
    walk += "|";
  }
  EXPECT_EQ(walk, "C:\\Windows|C:\\Users\\Public\\Desktop|C:\\\x95\x5C|C:\\Windows\\|");
  StringListDestroy(folders); // frees the copies; the sanitizers check the rest
}

// Folders named outside the code page stand in the set as tagged UTF-16
// entries: kept once with ASCII letters folded, never equal to a code-page
// entry, and an empty path to code that reads them as code-page text.
TEST(AppendWideFolderOnce, TaggedEntriesBesideCodePageOnes) {
  using Wide = std::basic_string<WideUnit>;
  const Wide dest = {'C', ':', '\\', 'd', 0xE9, 's', 't'};
  const Wide shouted = {'c', ':', '\\', 'D', 0xE9, 'S', 'T'};
  const Wide accented = {'C', ':', '\\', 'd', 0xC9, 's', 't'}; // É is no ASCII letter
  StringList *folders = StringListCreate();
  ASSERT_NE(folders, nullptr);
  EXPECT_EQ(AppendFolderOnce(folders, ""), 1);
  EXPECT_EQ(AppendWideFolderOnce(folders, dest.c_str()), 2);
  EXPECT_EQ(AppendWideFolderOnce(folders, shouted.c_str()), 2);
  EXPECT_EQ(AppendWideFolderOnce(folders, accented.c_str()), 3);
  EXPECT_EQ(AppendFolderOnce(folders, "C:\\dest"), 4);
  std::vector<Wide> wide;
  std::string text;
  for (StringListNode *node = StringListEnd(folders, kForward); node != nullptr;
       node = StringListStep(node, kForward)) {
    const WideUnit *units = WideFolderText(StringListText(node));
    wide.push_back(units != nullptr ? Wide(units) : Wide());
    text += StringListText(node);
    text += "|";
  }
  EXPECT_EQ(wide, (std::vector<Wide>{Wide(), dest, accented, Wide()}));
  EXPECT_EQ(text, "|||C:\\dest|");
  EXPECT_EQ(WideFolderText(nullptr), nullptr);
  StringListDestroy(folders);
}
