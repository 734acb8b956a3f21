// ByteKindAt and IsSeparatorAt against a classifier of their own, at every
// index of the text and at indexes outside it.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  std::string text = input.TakeText();
  std::vector<char> s = ExactCopy(text);
  std::vector<ByteKind> kinds = ReferenceKinds(text);
  int length = static_cast<int>(text.size());
  for (int i = -2; i <= length + 2; ++i) {
    bool inside = i >= 0 && i < length;
    ByteKind expected = inside ? kinds[static_cast<size_t>(i)] : ByteKindSingle;
    FUZZ_CHECK(ByteKindAt(s.data(), i) == expected);
    bool separator = inside && text[static_cast<size_t>(i)] == '\\' && expected == ByteKindSingle;
    FUZZ_CHECK(IsSeparatorAt(s.data(), i) == separator);
  }
  for (int i = 0; i < length; ++i) {
    unsigned char byte = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
    ByteKind kind = kinds[static_cast<size_t>(i)];
    FUZZ_CHECK(kind != ByteKindLead || IsLeadByteValue(byte));
    FUZZ_CHECK(kind != ByteKindTrail || IsTrailByteValue(byte));
  }
  return 0;
}
