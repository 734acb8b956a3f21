// The test bed itself: without code page 932 every double-byte test would pass
// for nothing.
#include <windows.h>

#include <gtest/gtest.h>

TEST(TestBed, AnsiCodePageIs932) {
  EXPECT_EQ(GetACP(), 932u);
  // 表 is 95 5C in code page 932: its trail byte is the backslash value.
  const char text[] = "\x95\x5C";
  wchar_t wide[4] = {};
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 4), 2);
  EXPECT_EQ(wide[0], 0x8868);
}
