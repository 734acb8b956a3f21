// The switch-text editing of the command-line dialog, and the verb records of
// the menu-items dialog.
#include "settings/command_line_edit.h"
#include "settings/verb_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kSample[] = "\"C:\\Tools\\app.exe\" /sendto \"%1\"";

// "表" in code page 932: its second byte is a backslash.
#define HYO "\x95\x5C"

std::string Toggled(const char *text, const char *switchText, int state, bool *changed) {
  char *built = ToggleSwitchText(text, switchText, state);
  *changed = built != nullptr;
  std::string result = built != nullptr ? built : text != nullptr ? text : "";
  free(built);
  return result;
}

TEST(ToggleSwitchText, RebuildsTheText) {
  struct Case {
    const char *text;
    const char *switchText;
    int state;
    const char *expected; // null: the text stays as it is
  };
  static const Case kCases[] = {
      // Inserted right after the program path; the other quoting stays.
      {kSample, "/ext:0", kBoxChecked, "\"C:\\Tools\\app.exe\" /ext:0 /sendto \"%1\""},
      {"\"C:\\Tools\\app.exe\" /ext:0 /sendto \"%1\"", "/path", kBoxChecked,
       "\"C:\\Tools\\app.exe\" /path /ext:0 /sendto \"%1\""},
      {"\"C:\\Tools\\app.exe\" /path /ext:0 /sendto \"%1\"", "/ext:0", kBoxUnchecked,
       "\"C:\\Tools\\app.exe\" /path /sendto \"%1\""},
      // Removal ignores letter case and quoting, and takes every occurrence.
      {"\"C:\\Tools\\app.exe\" /sendto \"%1\" /OPEN:0", "/open:0", kBoxUnchecked, kSample},
      {"\"C:\\Tools\\app.exe\" \"/ext:0\" /sendto \"%1\"", "/ext:0", kBoxUnchecked, kSample},
      {"\"C:\\Tools\\app.exe\" /path /sendto /Path \"%1\" \"/PATH\"", "/path", kBoxUnchecked,
       kSample},
      // A switch with a value is another token: the bare switch is added.
      {"p \"/path:D:\\Links\"", "/path", kBoxChecked, "p /path \"/path:D:\\Links\""},
      {"p /path:D:\\Links /path", "/path", kBoxUnchecked, "p /path:D:\\Links"},
      // Runs of blanks and tabs, and trailing ones, go when the text is rebuilt.
      {"\"C:\\Tools\\app.exe\"   /sendto  \"%1\"", "/path", kBoxChecked,
       "\"C:\\Tools\\app.exe\" /path /sendto \"%1\""},
      {"p\t/path \t x \t ", "/path", kBoxUnchecked, "p x"},
      // An empty program path gives a leading blank, and back.
      {"", "/path", kBoxChecked, " /path"},
      {" /path", "/path", kBoxUnchecked, ""},
      {nullptr, "/ext:0", kBoxChecked, " /ext:0"},
      // The presence test sees the program path; the removal keeps it.
      {"/path", "/path", kBoxChecked, nullptr},
      {"/path", "/path", kBoxUnchecked, nullptr},
      // Nothing to do.
      {"p /EXT:0", "/ext:0", kBoxChecked, nullptr},
      {"p   x", "/path", kBoxUnchecked, nullptr},
      {"p /path", "/path", 2, nullptr}, // indeterminate
      // Escapes, quoted runs and double-byte characters are kept byte for byte.
      {"p \"a b\" \\\"x \"C:\\dir\\\\\" /path \"a\"\"b\"", "/path", kBoxUnchecked,
       "p \"a b\" \\\"x \"C:\\dir\\\\\" \"a\"\"b\""},
      {"\"C:\\" HYO "\\app.exe\" \"" HYO "\" /ext:0", "/ext:0", kBoxUnchecked,
       "\"C:\\" HYO "\\app.exe\" \"" HYO "\""},
      {"\"C:\\a b\\p.exe\"x \"y", "/open:0", kBoxChecked, "\"C:\\a b\\p.exe\" /open:0 x \"y"},
      // An escaped quote ends no quoted run: the switch inside it is no token.
      {"p \"/path:C:\\My Dir\\\" /path", "/path", kBoxChecked,
       "p /path \"/path:C:\\My Dir\\\" /path"},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(std::string(c.text != nullptr ? c.text : "(null)") + " | " + c.switchText + " | " +
                 std::to_string(c.state));
    bool changed = false;
    const std::string result = Toggled(c.text, c.switchText, c.state, &changed);
    EXPECT_EQ(changed, c.expected != nullptr);
    if (c.expected != nullptr) {
      EXPECT_EQ(result, c.expected);
    }
  }
}

TEST(ScanOptionSwitches, FindsWholeArgumentsAfterTheProgramPath) {
  struct Case {
    const char *text;
    uint32_t bits;
  };
  static const Case kCases[] = {
      {kSample, 0},
      {"\"C:\\Tools\\app.exe\" /sendto \"%1\" /OPEN:0", kOptionNoOpen},
      {"p \"/ext:0\"", kOptionDropExtension},
      {"p /path:D:\\Links /ext:0x /open:", 0},
      {"/path", 0},
      {" /path", kOptionPath},
      {"\"/path\" /ext:0", kOptionDropExtension},
      {"p /open:0 /Ext:0 /PATH /path", kOptionPath | kOptionDropExtension | kOptionNoOpen},
      {"p \\\"/path", 0},
      {"p \"/path:C:\\My Dir\\\" /ext:0", 0}, // the open quote swallows the rest
      {"", 0},
      {nullptr, 0},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.text != nullptr ? c.text : "(null)");
    uint32_t bits = 0xFF;
    EXPECT_TRUE(ScanOptionSwitches(c.text, &bits));
    EXPECT_EQ(bits, c.bits);
  }
}

const VerbEntry &SendToEntry() {
  for (const VerbEntry &entry : kVerbTable) {
    if (entry.index == 5) {
      return entry;
    }
  }
  return kVerbTable[0];
}

TEST(FillVerbState, RegistryOrDefaults) {
  const char kModule[] = "C:\\Program Files\\LinkTo\\linkto.exe";
  const std::string defaultCommand = "\"C:\\Program Files\\LinkTo\\linkto.exe\" /sendto \"%1\"";
  const VerbEntry &entry = SendToEntry();
  struct Case {
    const char *caption; // as read, or null
    const char *command; // as read, or null
    bool enabled;
    const char *wantCaption; // null: the default caption
    const char *wantCommand; // null: the default command line
  };
  static const Case kCases[] = {
      {"Send", "\"x.exe\" %1", true, "Send", "\"x.exe\" %1"},
      {"", "", true, "", ""},
      // Registered, but its command line cannot be read: the default one.
      {"Send", nullptr, true, "Send", nullptr},
      // A command without a caption is no registered verb.
      {nullptr, "\"x.exe\" %1", false, nullptr, nullptr},
      {nullptr, nullptr, false, nullptr, nullptr},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(std::string(c.caption != nullptr ? c.caption : "(null)") + " | " +
                 (c.command != nullptr ? c.command : "(null)"));
    VerbState state = {};
    FillVerbState(&state, entry, DupText(c.caption), DupText(c.command), kModule);
    EXPECT_EQ(state.enabled, c.enabled);
    ASSERT_NE(state.caption, nullptr);
    ASSERT_NE(state.command, nullptr);
    ASSERT_NE(state.keyPath, nullptr);
    EXPECT_STREQ(state.caption, c.wantCaption != nullptr ? c.wantCaption : entry.defaultCaption);
    EXPECT_EQ(std::string(state.command),
              c.wantCommand != nullptr ? c.wantCommand : defaultCommand);
    EXPECT_STREQ(state.keyPath, "HKEY_CLASSES_ROOT\\exefile\\shell\\toSendTo\\command");
    ReleaseVerbState(&state);
    EXPECT_EQ(state.caption, nullptr);
  }
}

TEST(RetargetCommand, PutsTheProgramInPlaceOfACopyAndKeepsTheRest) {
  const char kModule[] = "C:\\Tools\\LinkTo\\linkto.exe";
  const std::string self = std::string("\"") + kModule + "\"";
  const std::string fits(1024 - self.size(), 'a'); // the new text fills the buffer
  struct Case {
    std::string command;
    bool retargeted;  // else the command line stays
    std::string rest; // what follows the program in the new text
  };
  const Case kCases[] = {
      {"\"C:\\old dir\\linkto.exe\" /sendto \"%1\"", true, " /sendto \"%1\""},
      {"c:\\old\\LinkTo.EXE  /open:0\t/ext:0 \"%1\" x\"", true, "  /open:0\t/ext:0 \"%1\" x\""},
      {"\"\\\\pc\\" HYO "\\linkto.exe\"/path", true, "/path"},
      {"\"C:\\old\\linkto.exe\"" + fits, true, fits},
      {"\"C:\\old\\linkto.exe\"" + fits + "a", false, ""},  // one byte too many
      {"linkto.exe /sendto", false, ""},                    // found by a search, not a path
      {"\"C:\\old\\linkto.exe /sendto", false, ""},         // the quote runs on
      {"C:\\Program Files\\linkto.exe /sendto", false, ""}, // cut at the blank
      {"\"C:\\old\\" HYO "linkto.exe\" /sendto", false, ""},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.command);
    char buffer[kCommandBufferSize];
    char *copy = RetargetCommand(buffer, c.command.c_str(), kModule);
    EXPECT_EQ(copy != nullptr, c.retargeted);
    EXPECT_EQ(std::string(buffer), c.retargeted ? self + c.rest : "");
    free(copy);
  }
}

TEST(DecideVerbWrite, NeverWritesAMissingString) {
  char caption[] = "c";
  char command[] = "x";
  struct Case {
    bool enabled;
    char *caption;
    char *command;
    VerbWrite expected;
  };
  const Case kCases[] = {
      {true, caption, command, kVerbRegister},    {true, nullptr, command, kVerbKeep},
      {true, caption, nullptr, kVerbKeep},        {false, caption, command, kVerbUnregister},
      {false, nullptr, nullptr, kVerbUnregister},
  };
  for (const Case &c : kCases) {
    const VerbState state = {c.enabled, c.caption, c.command, nullptr};
    EXPECT_EQ(DecideVerbWrite(state), c.expected);
  }
}

// The report names each verb on a line of its own, those left for all users
// (with the word for administrator, 管理者) before those not written; a
// caption is cut to 64 bytes, never inside a double-byte character.
TEST(FormatVerbReport, NamesWhatOkLeftAndWhatItCouldNotWrite) {
  const std::string kAdministrator = "\x8A\xC7\x97\x9D\x8E\xD2";
  std::string even; // 50 ア: cut after 32 of them
  for (int i = 0; i < 50; ++i) {
    even += "\x83\x41";
  }
  const std::string odd = "a" + even; // the 64th byte opens a character: cut before it
  const VerbOutcome done = kVerbDone, left = kVerbLeft, failed = kVerbNotWritten;
  struct Case {
    VerbOutcome
        outcomes[kVerbCount]; // toStartMenu, toStartup, toSendTo, toDesktop, toPath, toQuickLaunch
    const char *captions[kVerbCount];
    std::vector<std::string> verbLines; // in order; the all-users ones first
    bool mentionsAdministrator;
    const char *headings[kReportHeadingCount] = {}; // the display language's; none: built in
  };
  const Case kCases[] = {
      {{done, done, done, done, done, done}, {"a", "b", "c", "d", "e", "f"}, {}, false},
      {{done, done, left, done, done, done}, {}, {"     (toSendTo)"}, true},
      {{done, failed, done, done, done, left},
       {"a", "", "c", "d", "e", odd.c_str()},
       {"    " + odd.substr(0, 63) + " (toQuickLaunch)", "     (toStartup)"},
       true},
      {{done, done, done, failed, done, done},
       {nullptr, nullptr, nullptr, even.c_str()},
       {"    " + even.substr(0, 64) + " (toDesktop)"},
       false},
      {{done, left, done, failed, done, done},
       {},
       {"     (toStartup)", "     (toDesktop)"},
       false,
       {"For all users:", "Not written:"}},
      {{done, failed, done, done, done, done}, {}, {"     (toStartup)"}, false, {"Left:", nullptr}},
  };
  for (const Case &c : kCases) {
    char report[kReportBufferSize];
    memset(report, 'z', sizeof report);
    const bool given = c.headings[0] != nullptr;
    EXPECT_EQ(FormatVerbReport(report, c.outcomes, c.captions, given ? c.headings : nullptr),
              !c.verbLines.empty());
    const std::string text = report;
    SCOPED_TRACE(text);
    if (given) {
      const std::string first = c.outcomes[1] == left ? c.headings[0] : "";
      EXPECT_EQ(text.compare(0, first.size(), first), 0);
      EXPECT_EQ(text.find("Not written:") != std::string::npos, c.headings[1] != nullptr);
    }
    std::vector<std::string> verbLines;
    for (size_t start = 0; start <= text.size();) {
      const size_t end = std::min(text.find('\n', start), text.size());
      if (text.compare(start, 4, "    ") == 0) {
        verbLines.push_back(text.substr(start, end - start));
      }
      start = end + 1;
    }
    EXPECT_EQ(verbLines, c.verbLines);
    EXPECT_EQ(text.find(kAdministrator) != std::string::npos, c.mentionsAdministrator);
  }
}

} // namespace
