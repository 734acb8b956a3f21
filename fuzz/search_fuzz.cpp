// The byte-wise comparisons and searches under ASCII folding, SkipChars, and
// BoundedFormat into a heap buffer of exactly size bytes.
#include "fuzz_support.h"

namespace {

unsigned char Fold(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return InRange(byte, 'A', 'Z') ? static_cast<unsigned char>(byte + 0x20) : byte;
}

bool EqualNoCase(const std::string &a, size_t at, const std::string &b) {
  if (at + b.size() > a.size()) {
    return false;
  }
  for (size_t i = 0; i < b.size(); ++i) {
    if (Fold(a[at + i]) != Fold(b[i])) {
      return false;
    }
  }
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  uint8_t sizeByte = input.TakeByte();
  std::string text = input.TakeText();
  std::string pattern = input.TakeText();
  std::vector<char> s = ExactCopy(text);
  std::vector<char> p = ExactCopy(pattern);

  size_t match = std::string::npos;
  for (size_t at = 0; at <= text.size() && match == std::string::npos; ++at) {
    if (EqualNoCase(text, at, pattern)) {
      match = at;
    }
  }
  const char *found = FindTextNoCase(s.data(), p.data());
  FUZZ_CHECK(found == (match == std::string::npos ? nullptr : s.data() + match));
  FUZZ_CHECK(StartsWithNoCase(s.data(), p.data()) == (match == 0));

  char wanted = pattern.empty() ? '\0' : pattern[0];
  size_t first = std::string::npos;
  for (size_t at = 0; at <= text.size() && first == std::string::npos; ++at) {
    if (Fold(s[at]) == Fold(wanted)) {
      first = at;
    }
  }
  const char *hit = FindCharNoCase(s.data(), wanted);
  FUZZ_CHECK(hit == (first == std::string::npos ? nullptr : s.data() + first));

  FUZZ_CHECK(StrEqual(s.data(), p.data()) == (text == pattern));
  FUZZ_CHECK(StrEqualNoCase(s.data(), p.data()) ==
             (text.size() == pattern.size() && EqualNoCase(text, 0, pattern)));

  size_t skipped = 0;
  while (skipped < text.size() && pattern.find(text[skipped]) != std::string::npos) {
    ++skipped;
  }
  FUZZ_CHECK(SkipChars(s.data(), p.data()) == s.data() + skipped);

  unsigned formatSize = sizeByte == 0 ? 0u : static_cast<unsigned>(FuzzBufferSize(sizeByte));
  std::vector<char> buffer(formatSize + 1, '\xEE'); // one spare byte that stays untouched
  int result = BoundedFormat(buffer.data(), formatSize, "%s", s.data());
  FUZZ_CHECK(buffer[formatSize] == '\xEE');
  if (formatSize == 0) {
    FUZZ_CHECK(result == -1);
  } else {
    bool fits = text.size() < formatSize;
    FUZZ_CHECK(result == (fits ? static_cast<int>(text.size()) : -1));
    FUZZ_CHECK(std::string(buffer.data()) == text.substr(0, fits ? text.size() : formatSize - 1));
  }
  return 0;
}
