#include "app/split.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "split_reference.h"

namespace {

using Tokens = std::vector<std::string>;

// Splits text and checks the block's shape on the way: count + 1 pointer
// slots, the null after the last, then the texts back to back, filling
// exactly the size that the measuring pass gives.
template <typename Unit>
std::vector<std::basic_string<Unit>> SplitUnits(const std::basic_string<Unit> &text, bool unquote) {
  int measuredCount = -1;
  size_t size = MeasureOf(text.c_str(), unquote, &measuredCount);
  int count = -1;
  Unit **argv = SplitOf(text.c_str(), unquote, &count);
  EXPECT_NE(argv, nullptr);
  if (argv == nullptr)
    return {};
  EXPECT_GE(count, 1);
  EXPECT_EQ(count, measuredCount);
  EXPECT_EQ(argv[count], nullptr);
  std::vector<std::basic_string<Unit>> tokens;
  const Unit *expected = reinterpret_cast<const Unit *>(argv + count + 1);
  for (int i = 0; i < count; i++) {
    EXPECT_EQ(argv[i], expected) << "token " << i;
    tokens.push_back(argv[i]);
    expected = argv[i] + tokens.back().size() + 1;
  }
  EXPECT_EQ(static_cast<size_t>(reinterpret_cast<const char *>(expected) -
                                reinterpret_cast<const char *>(argv)),
            size);
  free(argv);
  return tokens;
}

Tokens Split(const std::string &text, bool unquote) {
  SCOPED_TRACE("[" + text + "]");
  return SplitUnits(text, unquote);
}

struct SplitCase {
  const char *text;
  Tokens unquoted;
  Tokens verbatim;
};

// "\x95\x5C" is the double-byte character whose second byte is a backslash.
const SplitCase kCases[] = {
    {"", {""}, {""}},
    {"p", {"p"}, {"p"}},
    {"\"C:\\Program Files\\p.exe\" a b",
     {"C:\\Program Files\\p.exe", "a", "b"},
     {"\"C:\\Program Files\\p.exe\"", "a", "b"}},
    {"\"C:\\a b\\p.exe\"x y", {"C:\\a b\\p.exe", "x", "y"}, {"\"C:\\a b\\p.exe\"", "x", "y"}},
    {"p\"x y\"z w", {"p\"x", "yz w"}, {"p\"x", "y\"z w"}},
    {"p  a\t\tb   ", {"p", "a", "b"}, {"p", "a", "b"}},
    {" p x", {"", "p", "x"}, {"", "p", "x"}},
    {"\tp", {"", "p"}, {"", "p"}},
    {"p \"a b\" c", {"p", "a b", "c"}, {"p", "\"a b\"", "c"}},
    {"p a\"b c\"d", {"p", "ab cd"}, {"p", "a\"b c\"d"}},
    {"p \"\" x", {"p", "", "x"}, {"p", "\"\"", "x"}},
    {"p \\\"a", {"p", "\"a"}, {"p", "\\\"a"}},
    {"p \\\\\"a b\"", {"p", "\\a b"}, {"p", "\\\\\"a b\""}},
    {"p \\\\\\\"a", {"p", "\\\"a"}, {"p", "\\\\\\\"a"}},
    {"p a\\\\b", {"p", "a\\\\b"}, {"p", "a\\\\b"}},
    {"p x\\", {"p", "x\\"}, {"p", "x\\"}},
    {"p \"a\\\\\"", {"p", "a\\"}, {"p", "\"a\\\\\""}},
    {"p \"C:\\dir\\\\\" /sendto",
     {"p", "C:\\dir\\", "/sendto"},
     {"p", "\"C:\\dir\\\\\"", "/sendto"}},
    {"p \"/path:C:\\My Dir\\\"", {"p", "/path:C:\\My Dir\""}, {"p", "\"/path:C:\\My Dir\\\""}},
    {"p \"a\"\"b\"", {"p", "a\"b"}, {"p", "\"a\"\"b\""}},
    {"p \"a\"\"b c\"", {"p", "a\"b", "c"}, {"p", "\"a\"\"b", "c\""}},
    {"p \"a\"\"\"b", {"p", "a\"b"}, {"p", "\"a\"\"\"b"}},
    {"p \"a\"b\"c d\"", {"p", "abc d"}, {"p", "\"a\"b\"c d\""}},
    {"p \"abc", {"p", "abc"}, {"p", "\"abc"}},
    {"p \"\x95\x5C\"", {"p", "\x95\x5C"}, {"p", "\"\x95\x5C\""}},
    // The trail byte 0x5C is no backslash: the quote after it is a delimiter.
    {"p \x95\x5C\"a b\"",
     {"p", "\x95\x5C"
           "a b"},
     {"p", "\x95\x5C\"a b\""}},
    // The program path is cut at bytes: 0x5C and quotes there are plain.
    {"C:\\\x95\x5C\\p.exe\" x", {"C:\\\x95\x5C\\p.exe\"", "x"}, {"C:\\\x95\x5C\\p.exe\"", "x"}},
    {"\"abc", {"abc"}, {"\"abc"}},
};

TEST(SplitCommandLine, WorkedExamplesInBothModes) {
  for (const SplitCase &c : kCases) {
    EXPECT_EQ(Split(c.text, true), c.unquoted) << "unquoting [" << c.text << "]";
    EXPECT_EQ(Split(c.text, false), c.verbatim) << "verbatim [" << c.text << "]";
  }
}

#if defined(_WIN32)
#define WIDE(text) L##text
#else
#define WIDE(text) u##text
#endif

using Wide = std::basic_string<WideUnit>;
using WideTokens = std::vector<Wide>;

Wide Widen(const std::string &text) {
  Wide wide;
  for (char c : text)
    wide += static_cast<WideUnit>(static_cast<unsigned char>(c));
  return wide;
}

WideTokens SplitWide(const Wide &text, bool unquote) {
  return SplitUnits(text, unquote);
}

// The UTF-16 splitter follows the same rules: every ASCII worked example cuts
// the same, and a unit outside ASCII is an ordinary character (no lead
// bytes; the yen sign and the fullwidth backslash are no backslash).
TEST(SplitWideCommandLine, SameRulesAsTheCodePageSplitter) {
  for (const SplitCase &c : kCases) {
    const std::string text = c.text;
    if (std::any_of(text.begin(), text.end(), [](char b) { return (b & 0x80) != 0; }))
      continue;
    for (bool unquote : {true, false}) {
      WideTokens expected;
      for (const std::string &token : unquote ? c.unquoted : c.verbatim)
        expected.push_back(Widen(token));
      EXPECT_EQ(SplitWide(Widen(c.text), unquote), expected) << "[" << c.text << "]";
    }
  }
  const struct {
    Wide text;
    WideTokens unquoted;
  } cases[] = {
      {WIDE("p \"C:\\an\\caf\u00E9.txt\" /sendto"),
       {WIDE("p"), WIDE("C:\\an\\caf\u00E9.txt"), WIDE("/sendto")}},
      {WIDE("p \"a\u00A5\" b"), {WIDE("p"), WIDE("a\u00A5"), WIDE("b")}},
      {WIDE("p \uFF3C\"a b\""), {WIDE("p"), WIDE("\uFF3Ca b")}},
      {WIDE("p \u8868\"a b\""), {WIDE("p"), WIDE("\u8868a b")}},
  };
  for (const auto &c : cases)
    EXPECT_EQ(SplitWide(c.text, true), c.unquoted);
}

// The UTF-16 arguments are paired with the code-page ones only where both
// splits give one count; the code-page line is the UTF-16 one as the
// system's conversion gives it (é as e, the yen sign as a backslash).
TEST(PairWideArguments, OnlyWhereBothSplitsAgreeInCount) {
  const struct {
    const char *text;
    const WideUnit *wide;
    bool paired;
  } cases[] = {
      {"p a b", WIDE("p a b"), true},
      {"p \"C:\\an\\cafe.txt\" /sendto", WIDE("p \"C:\\an\\caf\u00E9.txt\" /sendto"), true},
      {"p C:\\an\\a\\b.txt", WIDE("p C:\\an\\a\u00A5b.txt"), true},
      // The look-alike backslash escapes the closing quote: one token less.
      {"p \"C:\\an\\a\\\" /sendto", WIDE("p \"C:\\an\\a\u00A5\" /sendto"), false},
      // Cut elsewhere but into as many tokens: paired, and each argument that
      // differs is then taken in UTF-16.
      {"p \"a\\\"\\\" b", WIDE("p \"a\u00A5\"\u00A5\" b"), true},
      {"p a", nullptr, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    int count = 0;
    char **argv = SplitCommandLine(c.text, true, &count);
    ASSERT_NE(argv, nullptr);
    WideUnit **wide = PairWideArguments(count, c.wide);
    EXPECT_EQ(wide != nullptr, c.paired);
    if (wide != nullptr) {
      EXPECT_EQ(wide[count], nullptr);
      EXPECT_EQ(Wide(wide[count - 1]), SplitWide(c.wide, true).back());
    }
    free(wide);
    free(argv);
  }
}

TEST(SplitCommandLine, BlockSizes) {
  int count = 0;
  EXPECT_EQ(SplitMeasure("", true, &count), 2 * sizeof(char *) + 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(SplitMeasure("p \"a b\" c", true, &count), 4 * sizeof(char *) + 8);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(SplitMeasure("p \"a b\" c", false, &count), 4 * sizeof(char *) + 10);
  EXPECT_EQ(count, 3);
}

TEST(SplitCommandLine, BlockSizeArithmeticRefusesOverflow) {
  const size_t slot = sizeof(char *);
  EXPECT_EQ(ArgumentBlockSize(1, 1), 2 * slot + 1);
  EXPECT_EQ(ArgumentBlockSize(0, 1), 0u);
  EXPECT_EQ(ArgumentBlockSize(static_cast<size_t>(INT_MAX) + 1, 0), 0u);
  EXPECT_EQ(ArgumentBlockSize(1, SIZE_MAX), 0u);
  EXPECT_EQ(ArgumentBlockSize(1, SIZE_MAX - 2 * slot + 1), 0u);
  EXPECT_EQ(ArgumentBlockSize(1, SIZE_MAX - 2 * slot), SIZE_MAX);
  EXPECT_EQ(ArgumentBlockSize(static_cast<size_t>(INT_MAX), SIZE_MAX - INT_MAX), 0u);
}

TEST(SplitCommandLine, NullTextSplitsAsEmpty) {
  int count = -1;
  char **argv = SplitCommandLine(nullptr, true, &count);
  ASSERT_NE(argv, nullptr);
  EXPECT_EQ(count, 1);
  EXPECT_STREQ(argv[0], "");
  EXPECT_EQ(argv[1], nullptr);
  free(argv);
}

// A lone lead byte at the very end is kept as the last byte of its token and
// the terminator is never taken as its second byte. Each text sits in a heap
// block of exactly its length plus the terminator, so a read past the end is
// caught by the address sanitizer.
TEST(SplitCommandLine, LoneLeadByteAtEndIsKeptAndNotReadPast) {
  const SplitCase cases[] = {
      {"\x95", {"\x95"}, {"\x95"}},
      {"p \x95", {"p", "\x95"}, {"p", "\x95"}},
      {"p a\x81", {"p", "a\x81"}, {"p", "a\x81"}},
      {"p \"a\xE0", {"p", "a\xE0"}, {"p", "\"a\xE0"}},
      {"p \\\xFC", {"p", "\\\xFC"}, {"p", "\\\xFC"}},
      {"\"p\x9F", {"p\x9F"}, {"\"p\x9F"}},
  };
  for (const SplitCase &c : cases) {
    for (bool unquote : {true, false}) {
      size_t length = strlen(c.text);
      char *text = static_cast<char *>(malloc(length + 1));
      ASSERT_NE(text, nullptr);
      memcpy(text, c.text, length + 1);
      int count = 0;
      char **argv = SplitCommandLine(text, unquote, &count);
      ASSERT_NE(argv, nullptr);
      Tokens tokens(argv, argv + count);
      EXPECT_EQ(tokens, unquote ? c.unquoted : c.verbatim) << "[" << c.text << "]";
      free(argv);
      free(text);
    }
  }
}

// Deterministic texts over the characters that matter to the rules.
class TextGenerator {
public:
  explicit TextGenerator(uint32_t seed) : state_(seed) {}

  std::string Next() {
    static const char *const kPieces[] = {
        "\"",       "\"", "\"", "\\", "\\", "\\", " ", " ", "\t", "a", "b",
        "\x95\x5C", // a double-byte character ending in 0x5C
        "\x83\x5C",
        "\x81", // a lead byte standing alone: it pairs with whatever follows
        "\xB1", // a single-byte katakana
    };
    const size_t pieceCount = sizeof(kPieces) / sizeof(kPieces[0]);
    std::string text;
    uint32_t length = Draw() % 20;
    for (uint32_t i = 0; i < length; i++)
      text += kPieces[Draw() % pieceCount];
    return text;
  }

private:
  uint32_t Draw() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  uint32_t state_;
};

TEST(SplitCommandLine, GeneratedTextsKeepTheInvariants) {
  TextGenerator generator(0x2545F491u);
  for (int round = 0; round < 10000; round++) {
    std::string text = generator.Next();
    SCOPED_TRACE("[" + text + "]");
    Tokens unquoted = Split(text, true);
    Tokens verbatim = Split(text, false);
    ASSERT_EQ(unquoted.size(), verbatim.size());

    // Verbatim tokens and the blank runs between them give back the text.
    size_t at = 0;
    for (const std::string &token : verbatim) {
      ASSERT_EQ(text.compare(at, token.size(), token), 0) << "at " << at;
      at += token.size();
      while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        at++;
    }
    EXPECT_EQ(at, text.size());

    std::vector<ReferenceToken> reference = ReferenceSplit(text);
    ASSERT_EQ(reference.size(), unquoted.size());
    for (size_t i = 0; i < reference.size(); i++) {
      EXPECT_EQ(unquoted[i], reference[i].value) << "token " << i;
      EXPECT_EQ(verbatim[i], text.substr(reference[i].begin, reference[i].end - reference[i].begin))
          << "token " << i;
    }
  }
}

} // namespace
