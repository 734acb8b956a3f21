// A doubly linked list of pointers to NUL-terminated strings.
#include "core/string_list.h"

#include <cstdlib>

#include "core/text.h"

namespace {

void Unlink(StringList *list, StringListNode *node) {
  if (node->prev != nullptr) {
    node->prev->next = node->next;
  }
  if (node->next != nullptr) {
    node->next->prev = node->prev;
  }
  --list->count;
  if (node->prev == nullptr) {
    list->first = node->next;
  }
  if (node->next == nullptr) {
    list->last = node->prev;
  }
  node->prev = nullptr;
  node->next = nullptr;
}

void FreeNode(StringListNode *node) {
  node->text = nullptr;
  node->prev = nullptr;
  node->next = nullptr;
  free(node);
}

} // namespace

StringList *StringListCreate() {
  StringList *list = static_cast<StringList *>(malloc(sizeof(StringList)));
  if (list == nullptr) {
    return nullptr;
  }
  list->count = 0;
  list->first = nullptr;
  list->last = nullptr;
  return list;
}

bool StringListIsEmpty(const StringList *list) {
  return list == nullptr || list->count == 0;
}

StringListNode *StringListEnd(const StringList *list, bool forward) {
  if (list == nullptr) {
    return nullptr;
  }
  return forward ? list->first : list->last;
}

StringListNode *StringListStep(const StringListNode *node, bool forward) {
  if (node == nullptr) {
    return nullptr;
  }
  return forward ? node->next : node->prev;
}

char *StringListText(const StringListNode *node) {
  return node == nullptr ? nullptr : node->text;
}

int32_t StringListAppend(StringList *list, char *text) {
  if (list == nullptr) {
    return -1;
  }
  StringListNode *node = static_cast<StringListNode *>(malloc(sizeof(StringListNode)));
  if (node == nullptr) {
    return -1;
  }
  node->text = text;
  node->next = nullptr;
  node->prev = list->last;
  ++list->count;
  list->last = node;
  if (list->first == nullptr) {
    list->first = node;
  }
  if (node->prev != nullptr) {
    node->prev->next = node;
  }
  return list->count;
}

char *StringListFind(const StringList *list, bool forward, StringListCallback predicate,
                     void *user) {
  if (list == nullptr || predicate == nullptr) {
    return nullptr;
  }
  int32_t index = forward ? 0 : list->count - 1;
  for (StringListNode *node = StringListEnd(list, forward); node != nullptr;
       node = StringListStep(node, forward)) {
    if (predicate(node->text, index, user)) {
      return node->text;
    }
    index += forward ? 1 : -1;
  }
  return nullptr;
}

bool StringListRemoveIf(StringList *list, StringListCallback callback, void *user) {
  if (list == nullptr) {
    return true;
  }
  int32_t index = 0;
  StringListNode *node = list->first;
  while (node != nullptr) {
    // Taken first: the callback may free the text, and the node may go.
    StringListNode *next = node->next;
    if (callback == nullptr || callback(node->text, index, user)) {
      Unlink(list, node);
      FreeNode(node);
    } else {
      ++index;
    }
    node = next;
  }
  return list->count == 0;
}

bool StringListDestroy(StringList *list) {
  if (list == nullptr) {
    return true;
  }
  StringListRemoveIf(list, FreeText, nullptr);
  list->count = 0;
  list->first = nullptr;
  list->last = nullptr;
  free(list);
  return true;
}

bool TextEqualsNoCase(char *text, int32_t, void *user) {
  if (text == nullptr || user == nullptr) {
    return false;
  }
  return StrEqualNoCaseDbcs(text, static_cast<const char *>(user));
}

bool FreeText(char *text, int32_t, void *) {
  free(text);
  return true;
}
