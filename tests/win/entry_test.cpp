// The real linkto.exe under Wine, started with exact command lines and
// watched as a debugger: one trace line per argument, then exit code 0.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/split.h"
#include "testbed.h"

namespace {

// Trace lines the splitter gives for text, in unquoting mode.
std::vector<std::string> ExpectedTrace(const std::string &text) {
  int count = 0;
  char **argv = SplitCommandLine(text.c_str(), true, &count);
  std::vector<std::string> lines;
  for (int i = 0; argv != nullptr && i < count; ++i) {
    char line[1100];
    snprintf(line, sizeof line, "argv[%2d]=%s\r\n", i, argv[i]);
    lines.emplace_back(line);
  }
  free(argv);
  return lines;
}

DebugRun RunLinkto(const std::string &commandLine) {
  return RunUnderDebugger(LinktoExe(), commandLine, kProcessWaitMs);
}

} // namespace

TEST(Entry, TracesEveryArgumentByteForByte) {
  const std::string exe = LinktoExe();
  const DebugRun run = RunLinkto(Quoted(exe) + " /sendto \"C:\\no such dir\\a b.txt\"");
  ASSERT_TRUE(run.process.started) << "CreateProcess error " << run.process.startError;
  EXPECT_FALSE(run.process.timedOut);
  EXPECT_EQ(run.process.exitCode, 0u);
  const std::vector<std::string> expected = {
      "argv[ 0]=" + exe + "\r\n",
      "argv[ 1]=/sendto\r\n",
      "argv[ 2]=C:\\no such dir\\a b.txt\r\n",
  };
  EXPECT_EQ(run.debugStrings, expected);
}

// Started as the shell starts it, with names the code page lacks: the trace
// is the code-page command line byte for byte, look-alikes and all.
TEST(Entry, TracesTheCodePageFormOfAUtf16CommandLine) {
  const std::string exe = LinktoExe();
  const DebugRun run = RunUnderDebuggerWide(
      L"\"" + WideOf(exe) + L"\" /sendto \"C:\\no such dir\\caf\u00E9 a\u00A5b.txt\"",
      kProcessWaitMs);
  ASSERT_TRUE(run.process.started) << "CreateProcess error " << run.process.startError;
  EXPECT_EQ(run.process.exitCode, 0u);
  const std::vector<std::string> expected = {
      "argv[ 0]=" + exe + "\r\n",
      "argv[ 1]=/sendto\r\n",
      "argv[ 2]=C:\\no such dir\\cafe a\\b.txt\r\n",
  };
  EXPECT_EQ(run.debugStrings, expected);
}

TEST(Entry, TwoDigitIndexesHaveNoPadding) {
  std::string commandLine = Quoted(LinktoExe());
  for (int i = 1; i <= 11; ++i) {
    commandLine += " x" + std::to_string(i);
  }
  const DebugRun run = RunLinkto(commandLine);
  ASSERT_EQ(run.debugStrings.size(), 12u);
  EXPECT_EQ(run.debugStrings[9], "argv[ 9]=x9\r\n");
  EXPECT_EQ(run.debugStrings[10], "argv[10]=x10\r\n");
  EXPECT_EQ(run.debugStrings[11], "argv[11]=x11\r\n");
}

// The worked examples of the splitter, each given to the program as its whole
// command line (the program is named separately, so the text is free).
TEST(Entry, TraceMatchesTheSplitterForWorkedExamples) {
  const char *const texts[] = {
      "p",
      "\"C:\\Program Files\\p.exe\" a b",
      "\"C:\\a b\\p.exe\"x y",
      "p\"x y\"z w",
      "p  a\t\tb   ",
      " p x",
      "p \"a b\" c",
      "p a\"b c\"d",
      "p \"\" x",
      "p \\\"a",
      "p \\\\\"a b\"",
      "p \\\\\\\"a",
      "p a\\\\b",
      "p x\\",
      "p \"a\\\\\"",
      "p \"C:\\dir\\\\\" /sendto",
      "p \"/path:C:\\My Dir\\\"",
      "p \"a\"\"b\"",
      "p \"a\"\"b c\"",
      "p \"a\"\"\"b",
      "p \"a\"b\"c d\"",
      "p \"abc",
      "p \"\x95\x5C\"",
      "p \x83\x5C\"x y\"",
  };
  for (const char *text : texts) {
    SCOPED_TRACE(text);
    const DebugRun run = RunLinkto(text);
    ASSERT_TRUE(run.process.started) << "CreateProcess error " << run.process.startError;
    EXPECT_FALSE(run.process.timedOut);
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_EQ(run.debugStrings, ExpectedTrace(text));
  }
}

TEST(Entry, HarderCommandLinesTraceAsSplit) {
  const std::string exe = Quoted(LinktoExe());
  struct Case {
    std::string tail;
    std::vector<std::string> arguments;
  };
  const Case cases[] = {
      {" \"a\"\"b\"", {"a\"b"}},
      {" \"C:\\dir\\\\\" /sendto", {"C:\\dir\\", "/sendto"}},
      {" \"/path:C:\\My Dir\\\" /x", {"/path:C:\\My Dir\" /x"}},
      {" \"C:\\\x95\x5C\\\x83\x5C.txt\"", {"C:\\\x95\x5C\\\x83\x5C.txt"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.tail);
    const DebugRun run = RunLinkto(exe + c.tail);
    ASSERT_TRUE(run.process.started) << "CreateProcess error " << run.process.startError;
    ASSERT_EQ(run.debugStrings.size(), c.arguments.size() + 1);
    for (size_t i = 0; i < c.arguments.size(); ++i) {
      char prefix[16];
      snprintf(prefix, sizeof prefix, "argv[%2d]=", static_cast<int>(i + 1));
      EXPECT_EQ(run.debugStrings[i + 1], prefix + c.arguments[i] + "\r\n");
    }
    EXPECT_EQ(run.process.exitCode, 0u);
  }
}

// A process this thread debugs from an earlier start (here one started and
// never watched, as when a start fails after the debugger was attached) sends
// its events to the same thread: none of them may count as the next run's.
TEST(Entry, AnEarlierDebuggeeNeverStandsInForTheNextRun) {
  std::string earlier = Quoted(LinktoExe()) + " /sendto \"C:\\no such dir\\earlier.txt\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION left = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &earlier[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                             nullptr, nullptr, &startup, &left));
  const std::string next = Quoted(LinktoExe()) + " /sendto \"C:\\no such dir\\next.txt\"";
  const DebugRun run = RunLinkto(next);
  EXPECT_EQ(run.debugStrings, ExpectedTrace(next));
  EXPECT_EQ(run.process.exitCode, 0u);
  TerminateProcess(left.hProcess, 0);
  DebugActiveProcessStop(left.dwProcessId);
  CloseHandle(left.hThread);
  CloseHandle(left.hProcess);
}
