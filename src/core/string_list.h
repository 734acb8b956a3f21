// A doubly linked list of pointers to NUL-terminated strings.
//
// The list owns its record and nodes, never copies a text, and never frees a
// text by itself: StringListDestroy does so through FreeText. Walk it with
// StringListEnd / StringListStep / StringListText.
#pragma once

#include <cstdint>

struct StringListNode {
  char *text; // may be null
  StringListNode *prev;
  StringListNode *next;
};

struct StringList {
  int32_t count;
  StringListNode *first;
  StringListNode *last;
};

// Direction flag: true walks from first to last, false from last to first.
constexpr bool kForward = true;
constexpr bool kBackward = false;

// Predicate for StringListFind, callback for StringListRemoveIf.
typedef bool (*StringListCallback)(char *text, int32_t index, void *user);

StringList *StringListCreate();
bool StringListIsEmpty(const StringList *list);
StringListNode *StringListEnd(const StringList *list, bool forward);
StringListNode *StringListStep(const StringListNode *node, bool forward);
char *StringListText(const StringListNode *node);
// New count, or -1 when the node cannot be allocated (list unchanged).
int32_t StringListAppend(StringList *list, char *text);
// Text of the first node, in the given direction, the predicate accepts; null
// when none does (or when that node has no text).
char *StringListFind(const StringList *list, bool forward, StringListCallback predicate,
                     void *user);
// Removes every node the callback accepts (every node with no callback). The
// index passed is the node's position among the nodes that remain. True when
// the list is empty afterwards.
bool StringListRemoveIf(StringList *list, StringListCallback callback, void *user);
// Frees every text, every node and the record. A null list is allowed.
bool StringListDestroy(StringList *list);

// user is a string; true when text equals it with ASCII letters folded (only
// where they stand alone, never inside a double-byte character).
bool TextEqualsNoCase(char *text, int32_t index, void *user);
// Frees text (null allowed) and returns true.
bool FreeText(char *text, int32_t index, void *user);
