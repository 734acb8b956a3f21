// Formatting of debugger trace lines: at most 1023 characters, always
// terminated at index 1023, -1 for a cut text.
#include <cstdarg>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "ui/trace.h"

namespace {

int Format(char *buf, const char *format, ...) __attribute__((format(printf, 2, 3)));
int Format(char *buf, const char *format, ...) {
  va_list args;
  va_start(args, format);
  const int result = FormatTraceText(buf, format, args);
  va_end(args);
  return result;
}

} // namespace

TEST(TraceFormat, LengthLimits) {
  struct Case {
    size_t length;
    int result;
    size_t sent;
  };
  const Case cases[] = {
      {0, 0, 0},          {1, 1, 1},        {1022, 1022, 1022},
      {1023, 1023, 1023}, {1024, -1, 1023}, {5000, -1, 1023},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.length);
    const std::string text(c.length, 'x');
    char buf[kTraceBufferSize + 8];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(Format(buf, "%s", text.c_str()), c.result);
    EXPECT_EQ(strlen(buf), c.sent);
    EXPECT_EQ(buf[kTraceBufferSize - 1], c.length >= 1023 ? '\0' : buf[kTraceBufferSize - 1]);
    EXPECT_EQ(buf[kTraceBufferSize], '#') << "wrote past the buffer";
  }
}

TEST(TraceFormat, ArgumentLines) {
  struct Case {
    int index;
    const char *argument;
    const char *line;
  };
  const Case cases[] = {
      {0, "C:\\Tools\\linkto.exe", "argv[ 0]=C:\\Tools\\linkto.exe\r\n"},
      {3, "/sendto", "argv[ 3]=/sendto\r\n"},
      {12, "x", "argv[12]=x\r\n"},
      {7, "", "argv[ 7]=\r\n"},
      {1, "C:\\\x95\x5C\\a.txt", "argv[ 1]=C:\\\x95\x5C\\a.txt\r\n"},
  };
  for (const Case &c : cases) {
    char buf[kTraceBufferSize];
    EXPECT_EQ(Format(buf, "argv[%2d]=%s\r\n", c.index, c.argument),
              static_cast<int>(strlen(c.line)));
    EXPECT_STREQ(buf, c.line);
  }
}
