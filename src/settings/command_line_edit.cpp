#include "settings/command_line_edit.h"

#include <cstdlib>
#include <cstring>

#include "app/split.h"
#include "core/text.h"

namespace {

// An argument block from the splitter, released with its one free.
struct ArgumentBlock {
  char **tokens = nullptr;
  int count = 0;
  ArgumentBlock(const char *text, bool unquote) {
    tokens = SplitCommandLine(text, unquote, &count);
  }
  ~ArgumentBlock() { free(tokens); }
  ArgumentBlock(const ArgumentBlock &) = delete;
  ArgumentBlock &operator=(const ArgumentBlock &) = delete;
};

// Appends text at out and returns the position after it (not terminated).
char *Append(char *out, const char *text) {
  const size_t length = strlen(text);
  memcpy(out, text, length);
  return out + length;
}

bool AnyTokenIs(const char *const *u, int n, const char *switchText) {
  for (int i = 0; i < n; ++i) {
    if (StrEqualNoCase(u[i], switchText)) {
      return true;
    }
  }
  return false;
}

} // namespace

bool ScanOptionSwitches(const char *text, uint32_t *bits) {
  ArgumentBlock u(text, true);
  if (u.tokens == nullptr) {
    return false;
  }
  uint32_t found = 0;
  for (int i = 1; i < u.count; ++i) {
    for (const OptionSwitch &option : kOptionTable) {
      if (StrEqualNoCase(u.tokens[i], option.switchText)) {
        found |= option.bit;
      }
    }
  }
  *bits = found;
  return true;
}

size_t JoinedLengthBound(int n, const char *const *v, const char *switchText) {
  size_t bound = strlen(switchText) + static_cast<size_t>(n) + 1;
  for (int i = 0; i < n; ++i) {
    bound += strlen(v[i]);
  }
  return bound;
}

void InsertSwitchText(char *out, const char *const *v, int n, const char *switchText) {
  char *at = Append(out, v[0]);
  *at++ = ' ';
  at = Append(at, switchText);
  for (int i = 1; i < n; ++i) {
    *at++ = ' ';
    at = Append(at, v[i]);
  }
  *at = '\0';
}

void RemoveSwitchText(const char *const *v, char *out, int n, const char *const *u,
                      const char *switchText) {
  char *at = Append(out, v[0]);
  for (int i = 1; i < n; ++i) {
    if (!StrEqualNoCase(u[i], switchText)) {
      *at++ = ' ';
      at = Append(at, v[i]);
    }
  }
  *at = '\0';
}

char *ToggleSwitchText(const char *text, const char *switchText, int boxState) {
  if (text == nullptr) {
    text = "";
  }
  if (switchText == nullptr || (boxState != kBoxChecked && boxState != kBoxUnchecked)) {
    return nullptr;
  }
  ArgumentBlock u(text, true);
  if (u.tokens == nullptr) {
    return nullptr;
  }
  ArgumentBlock v(text, false);
  // Both modes cut at the same places; a block that disagrees is never walked.
  if (v.tokens == nullptr || v.count != u.count) {
    return nullptr;
  }
  const int n = u.count;
  const bool present = AnyTokenIs(u.tokens, n, switchText);
  if (boxState == kBoxChecked ? present : !present) {
    return nullptr;
  }
  char *built = static_cast<char *>(malloc(JoinedLengthBound(n, v.tokens, switchText) + 1));
  if (built == nullptr) {
    return nullptr;
  }
  if (boxState == kBoxChecked) {
    InsertSwitchText(built, v.tokens, n, switchText);
  } else {
    RemoveSwitchText(v.tokens, built, n, u.tokens, switchText);
  }
  if (StrEqualNoCase(built, text)) {
    free(built);
    return nullptr;
  }
  return built;
}
