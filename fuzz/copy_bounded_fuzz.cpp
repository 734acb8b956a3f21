// CopyBounded into a heap buffer of exactly size bytes, from a source of which
// it gets no more than size bytes.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  int bufferSize = FuzzBufferSize(input.TakeByte());
  std::string src = input.TakeText();
  std::vector<char> srcBuffer = ExactPrefix(src, static_cast<size_t>(bufferSize));
  std::vector<char> dst(static_cast<size_t>(bufferSize), '\xEE');

  FUZZ_CHECK(CopyBounded(dst.data(), srcBuffer.data(), bufferSize) == dst.data());

  std::string copy = TerminatedText(dst);
  std::vector<ByteKind> kinds = ReferenceKinds(src);
  size_t limit = static_cast<size_t>(bufferSize) - 1;
  size_t expected = src.size();
  if (src.size() > limit) {
    // Cut: the last copied byte is never the Lead half of a whole character.
    expected = kinds[limit] == ByteKindTrail ? limit - 1 : limit;
  }
  FUZZ_CHECK(copy.size() == expected);
  FUZZ_CHECK(src.compare(0, copy.size(), copy) == 0);
  if (WellFormed(src)) {
    FUZZ_CHECK(copy.empty() || kinds[copy.size() - 1] != ByteKindLead);
  }
  // Everything behind the copy up to the last byte it may use is cleared.
  for (size_t i = copy.size(); i + 1 < dst.size(); ++i) {
    FUZZ_CHECK(dst[i] == 0);
  }
  return 0;
}
