// The backward scans: FindFileName, RemoveFileName, FindExtension and
// RemoveExtension on heap copies of exactly the text's size.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  std::string text = input.TakeText();
  const size_t length = text.size();
  const int separator = ReferenceLastSeparator(text);
  const size_t nameStart = static_cast<size_t>(separator + 1);
  size_t dot = text.rfind('.');
  if (dot == std::string::npos || dot < nameStart) {
    dot = length; // no extension: the terminator
  }

  std::vector<char> path = ExactCopy(text);
  const char *constPath = path.data();
  FUZZ_CHECK(FindFileName(constPath) == constPath + nameStart);
  FUZZ_CHECK(FindFileName(path.data()) == path.data() + nameStart);
  FUZZ_CHECK(FindExtension(constPath) == constPath + dot);
  FUZZ_CHECK(FindExtension(path.data()) == path.data() + dot);
  FUZZ_CHECK(text == path.data()); // finding changes nothing

  std::vector<char> cut = ExactCopy(text);
  char *name = RemoveFileName(cut.data());
  if (separator < 0) {
    FUZZ_CHECK(name == cut.data() && text == cut.data());
  } else {
    FUZZ_CHECK(name == cut.data() + nameStart);
    FUZZ_CHECK(text.substr(0, static_cast<size_t>(separator)) == cut.data());
    FUZZ_CHECK(text.substr(nameStart) == name);
  }

  std::vector<char> stripped = ExactCopy(text);
  char *extension = RemoveExtension(stripped.data());
  if (dot == length) {
    FUZZ_CHECK(extension == stripped.data() + length && text == stripped.data());
  } else {
    FUZZ_CHECK(extension == stripped.data() + dot + 1);
    FUZZ_CHECK(text.substr(0, dot) == stripped.data());
    FUZZ_CHECK(text.substr(dot + 1) == extension);
  }
  return 0;
}
