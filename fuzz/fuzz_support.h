// Helpers shared by the libFuzzer targets: exact heap copies of the input (so
// AddressSanitizer sees every byte read or written past a buffer), a check
// that stops the run, and a classifier of code page 932 bytes written apart
// from the one under test.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/text.h"

// On failure libFuzzer saves the input that caused it.
#define FUZZ_CHECK(condition)                                                                      \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                \
      abort();                                                                                     \
    }                                                                                              \
  } while (0)

// Longer texts only slow the quadratic scans down; paths hold 260 bytes.
constexpr size_t kFuzzMaxText = 1024;

// Reads the input front to back.
struct FuzzInput {
  const uint8_t *data;
  size_t size;

  uint8_t TakeByte() {
    if (size == 0) {
      return 0;
    }
    --size;
    return *data++;
  }
  // The bytes up to the next 0 byte (which is consumed) or the end.
  std::string TakeText() {
    const uint8_t *end = static_cast<const uint8_t *>(memchr(data, 0, size));
    size_t length = end != nullptr ? static_cast<size_t>(end - data) : size;
    std::string text(reinterpret_cast<const char *>(data), length);
    size_t used = end != nullptr ? length + 1 : length;
    data += used;
    size -= used;
    return text;
  }
};

// A buffer size from one byte: mostly tiny sizes, sometimes up to about 380,
// and the path buffer size itself.
inline int FuzzBufferSize(uint8_t byte) {
  if (byte == 0xFF) {
    return kPathBufferSize;
  }
  if (byte < 0x80) {
    return 1 + (byte & 0x0F);
  }
  return 1 + (byte & 0x7F) * 3;
}

// text and its terminator in a heap block of exactly that many bytes.
inline std::vector<char> ExactCopy(const std::string &text) {
  return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1);
}

// text cut to at most limit bytes, unterminated when it is cut: a routine that
// may read only limit bytes of its source gets no more.
inline std::vector<char> ExactPrefix(const std::string &text, size_t limit) {
  if (text.size() < limit) {
    return ExactCopy(text);
  }
  return std::vector<char>(text.data(), text.data() + limit);
}

inline bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

// Class of every byte of text: Lead 81-9F or E0-FC unless after a Lead byte,
// Trail 40-FC but 7F after a Lead byte, Single otherwise.
inline std::vector<ByteKind> ReferenceKinds(const std::string &text) {
  std::vector<ByteKind> kinds;
  ByteKind previous = ByteKindSingle;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    ByteKind kind;
    if (previous == ByteKindLead) {
      kind = InRange(byte, 0x40, 0xFC) && byte != 0x7F ? ByteKindTrail : ByteKindSingle;
    } else {
      kind = InRange(byte, 0x81, 0x9F) || InRange(byte, 0xE0, 0xFC) ? ByteKindLead : ByteKindSingle;
    }
    kinds.push_back(kind);
    previous = kind;
  }
  return kinds;
}

// True when every Lead byte of text is followed by its Trail byte.
inline bool WellFormed(const std::string &text) {
  std::vector<ByteKind> kinds = ReferenceKinds(text);
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] == ByteKindLead && (i + 1 == kinds.size() || kinds[i + 1] != ByteKindTrail)) {
      return false;
    }
  }
  return true;
}

// Index of the last Single 0x5C of text, or -1.
inline int ReferenceLastSeparator(const std::string &text) {
  std::vector<ByteKind> kinds = ReferenceKinds(text);
  for (size_t i = kinds.size(); i-- > 0;) {
    if (text[i] == '\\' && kinds[i] == ByteKindSingle) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// Checks that a buffer of size bytes holds a terminator; returns the text.
inline std::string TerminatedText(const std::vector<char> &buffer) {
  FUZZ_CHECK(memchr(buffer.data(), 0, buffer.size()) != nullptr);
  return std::string(buffer.data());
}
