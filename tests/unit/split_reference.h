// A second, deliberately plain reading of the command-line rules, one
// character at a time with a pending-backslash counter, to check the splitter
// against. It gives each token's byte span (what verbatim mode must return)
// and its unquoted value.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/split.h"

// The splitter's two unit types under one name each, for checks written once
// for both.
inline size_t MeasureOf(const char *text, bool unquote, int *count) {
  return SplitMeasure(text, unquote, count);
}
inline size_t MeasureOf(const WideUnit *text, bool unquote, int *count) {
  return SplitMeasureWide(text, unquote, count);
}
inline char **SplitOf(const char *text, bool unquote, int *count) {
  return SplitCommandLine(text, unquote, count);
}
inline WideUnit **SplitOf(const WideUnit *text, bool unquote, int *count) {
  return SplitWideCommandLine(text, unquote, count);
}

struct ReferenceToken {
  size_t begin; // first byte of the token in the text
  size_t end;   // one past its last byte
  std::string value;
};

inline bool ReferenceIsLead(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

inline std::vector<ReferenceToken> ReferenceSplit(const std::string &t) {
  std::vector<ReferenceToken> tokens;
  const size_t size = t.size();

  // Program path: bytes only.
  ReferenceToken first{0, 0, std::string()};
  if (size > 0 && t[0] == '"') {
    size_t close = t.find('"', 1);
    if (close == std::string::npos) {
      first.value = t.substr(1);
      first.end = size;
    } else {
      first.value = t.substr(1, close - 1);
      first.end = close + 1;
    }
  } else {
    first.end = t.find_first_of(" \t");
    if (first.end == std::string::npos)
      first.end = size;
    first.value = t.substr(0, first.end);
  }
  tokens.push_back(first);

  size_t i = first.end;
  for (;;) {
    while (i < size && (t[i] == ' ' || t[i] == '\t'))
      i++;
    if (i == size)
      break;
    ReferenceToken token{i, i, std::string()};
    bool quoted = false;
    size_t slashes = 0;
    for (;;) {
      char c = i < size ? t[i] : '\0';
      if (c == '\\') {
        slashes++;
        i++;
      } else if (c == '"') {
        token.value.append(slashes / 2, '\\');
        i++;
        if (slashes % 2 == 1) {
          token.value += '"';
        } else {
          if (quoted && i < size && t[i] == '"') {
            token.value += '"';
            i++;
          }
          quoted = !quoted;
        }
        slashes = 0;
      } else {
        token.value.append(slashes, '\\');
        slashes = 0;
        if (c == '\0' || (!quoted && (c == ' ' || c == '\t')))
          break;
        token.value += c;
        i++;
        if (ReferenceIsLead(c) && i < size) {
          token.value += t[i];
          i++;
        }
      }
    }
    token.end = i;
    tokens.push_back(token);
  }
  return tokens;
}
