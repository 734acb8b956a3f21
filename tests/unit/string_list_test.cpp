// The string list: links, counts, walks in both directions, search and removal
// indexes, and who frees what.
#include "core/string_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct ListGuard {
  ListGuard() : list(StringListCreate()) {}
  // The texts of these tests are not on the heap: unlink them before destroying.
  ~ListGuard() {
    StringListRemoveIf(list, nullptr, nullptr);
    StringListDestroy(list);
  }
  StringList *list;
};

// Checks every link against count, first and last; returns the texts walked
// forward, "-" standing for a null text.
std::string Walk(const StringList *list) {
  std::string forward;
  int32_t count = 0;
  const StringListNode *prev = nullptr;
  for (StringListNode *node = StringListEnd(list, kForward); node != nullptr;
       node = StringListStep(node, kForward)) {
    EXPECT_EQ(node->prev, prev);
    const char *text = StringListText(node);
    forward += text != nullptr ? text : "-";
    prev = node;
    ++count;
  }
  EXPECT_EQ(list->last, prev);
  EXPECT_EQ(list->count, count);
  EXPECT_EQ(StringListIsEmpty(list), count == 0);
  EXPECT_EQ(list->first == nullptr, count == 0);
  std::string backward;
  for (StringListNode *node = StringListEnd(list, kBackward); node != nullptr;
       node = StringListStep(node, kBackward)) {
    const char *text = StringListText(node);
    backward.insert(0, text != nullptr ? text : "-");
  }
  EXPECT_EQ(backward, forward);
  return forward;
}

char kA[] = "a", kB[] = "b", kC[] = "c";

void AppendABC(StringList *list) {
  EXPECT_EQ(StringListAppend(list, kA), 1);
  EXPECT_EQ(StringListAppend(list, kB), 2);
  EXPECT_EQ(StringListAppend(list, kC), 3);
}

struct Seen {
  std::vector<int32_t> indexes;
  std::string texts;
  const char *accept; // texts the callback accepts, one byte each
};

bool Record(char *text, int32_t index, void *user) {
  Seen *seen = static_cast<Seen *>(user);
  seen->indexes.push_back(index);
  seen->texts += text;
  return strchr(seen->accept, text[0]) != nullptr;
}

TEST(StringList, NewListIsEmpty) {
  ListGuard g;
  ASSERT_NE(g.list, nullptr);
  EXPECT_EQ(Walk(g.list), "");
  EXPECT_EQ(StringListEnd(g.list, kForward), nullptr);
  EXPECT_EQ(StringListEnd(g.list, kBackward), nullptr);
}

TEST(StringList, AppendKeepsOrderAndLinks) {
  ListGuard g;
  AppendABC(g.list);
  EXPECT_EQ(Walk(g.list), "abc");
  EXPECT_EQ(StringListText(StringListEnd(g.list, kForward)), kA); // stored, not copied
}

TEST(StringList, FindPassesIndexesInWalkOrder) {
  ListGuard g;
  AppendABC(g.list);
  Seen forward{{}, "", "c"};
  EXPECT_EQ(StringListFind(g.list, kForward, Record, &forward), kC);
  EXPECT_EQ(forward.indexes, (std::vector<int32_t>{0, 1, 2}));
  Seen backward{{}, "", ""};
  EXPECT_EQ(StringListFind(g.list, kBackward, Record, &backward), nullptr);
  EXPECT_EQ(backward.indexes, (std::vector<int32_t>{2, 1, 0}));
  EXPECT_EQ(backward.texts, "cba");
}

TEST(StringList, FindNoCaseReturnsTheStoredText) {
  ListGuard g;
  AppendABC(g.list);
  char wanted[] = "B";
  EXPECT_EQ(StringListFind(g.list, kForward, TextEqualsNoCase, wanted), kB);
  char missing[] = "d";
  EXPECT_EQ(StringListFind(g.list, kBackward, TextEqualsNoCase, missing), nullptr);
}

// Folder names compare without regard to ASCII case, but a double-byte
// character is never folded: ア (83 41) and ヂ (83 61) are different folders.
TEST(StringList, TextEqualsNoCaseKeepsDoubleByteCharacters) {
  struct Case {
    const char *text;
    const char *user;
    bool equal;
  };
  const Case cases[] = {
      {"C:\\Tools", "c:\\TOOLS", true},
      {"C:\\\x83\x41", "C:\\\x83\x41", true},
      {"C:\\\x83\x41", "C:\\\x83\x61", false},
      {"C:\\\x95\x5C\\A", "c:\\\x95\x5C\\a", true},
      {"C:\\\x83\x41"
       "b",
       "C:\\\x83\x41"
       "B",
       true},
      {"\xB1"
       "A",
       "\xB1"
       "a",
       true},                         // half-width katakana is a single byte
      {"\x81 A", "\x81 a", true},     // a lead byte before a blank stands alone
      {"C:\\\x83", "C:\\\x83", true}, // lone lead byte at the end
      {"abc", "ab", false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(TextEqualsNoCase(const_cast<char *>(c.text), 0, const_cast<char *>(c.user)), c.equal)
        << c.text << " / " << c.user;
  }
}

bool AcceptAll(char *, int32_t, void *) {
  return true;
}

TEST(StringList, NullTexts) {
  ListGuard g;
  EXPECT_EQ(StringListAppend(g.list, nullptr), 1);
  EXPECT_EQ(StringListAppend(g.list, kA), 2);
  char wanted[] = "a";
  EXPECT_FALSE(TextEqualsNoCase(nullptr, 0, wanted));
  EXPECT_EQ(StringListFind(g.list, kBackward, TextEqualsNoCase, wanted), kA);
  // A match on a node without text ends the search like no match.
  EXPECT_EQ(StringListFind(g.list, kForward, AcceptAll, nullptr), nullptr);
  EXPECT_EQ(Walk(g.list), "-a");
  EXPECT_TRUE(FreeText(nullptr, 0, nullptr));
}

TEST(StringList, RemoveIfIndexesCountRemainingNodes) {
  struct Case {
    const char *accept;
    std::vector<int32_t> indexes;
    const char *left;
  };
  const Case kCases[] = {
      {"b", {0, 1, 1}, "ac"}, {"a", {0, 0, 1}, "bc"}, {"c", {0, 1, 2}, "ab"},
      {"ac", {0, 0, 1}, "b"}, {"", {0, 1, 2}, "abc"}, {"abc", {0, 0, 0}, ""},
  };
  for (const Case &c : kCases) {
    ListGuard g;
    AppendABC(g.list);
    Seen seen{{}, "", c.accept};
    EXPECT_EQ(StringListRemoveIf(g.list, Record, &seen), c.left[0] == 0) << c.accept;
    EXPECT_EQ(seen.indexes, c.indexes) << c.accept;
    EXPECT_EQ(seen.texts, "abc") << c.accept;
    EXPECT_EQ(Walk(g.list), c.left) << c.accept;
    // The list still takes appends at the right end.
    EXPECT_EQ(StringListAppend(g.list, kC), g.list->count);
    EXPECT_EQ(Walk(g.list), std::string(c.left) + "c") << c.accept;
  }
}

TEST(StringList, RemoveIfWithoutCallbackFreesNoText) {
  ListGuard g;
  AppendABC(g.list); // texts not on the heap: freeing one would fail loudly
  EXPECT_TRUE(StringListRemoveIf(g.list, nullptr, nullptr));
  EXPECT_EQ(Walk(g.list), "");
}

TEST(StringList, DestroyFreesTextsNodesAndRecord) {
  StringList *list = StringListCreate();
  ASSERT_NE(list, nullptr);
  for (const char *text : {"x", "y", "z"}) {
    char *copy = static_cast<char *>(malloc(strlen(text) + 1));
    ASSERT_NE(copy, nullptr);
    strcpy(copy, text);
    StringListAppend(list, copy);
  }
  StringListAppend(list, nullptr);
  EXPECT_TRUE(StringListDestroy(list)); // LeakSanitizer checks the rest
  EXPECT_TRUE(StringListDestroy(nullptr));
}

} // namespace
