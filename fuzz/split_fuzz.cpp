// SplitCommandLine in both modes over any text: the block's layout and size,
// equal token counts, verbatim tokens that give back the text with the blank
// runs between them, and agreement with a plain reading of the rules.
#include "fuzz_support.h"

#include "app/split.h"
#include "../tests/unit/split_reference.h"

namespace {

// Splits the exact heap copy of text; checks the block and returns its tokens.
std::vector<std::string> CheckedSplit(const std::string &text, bool unquote) {
  std::vector<char> s = ExactCopy(text);
  int measuredCount = 0;
  size_t size = SplitMeasure(s.data(), unquote, &measuredCount);
  int count = 0;
  char **argv = SplitCommandLine(s.data(), unquote, &count);
  FUZZ_CHECK(argv != nullptr);
  FUZZ_CHECK(count >= 1 && count == measuredCount);
  FUZZ_CHECK(argv[count] == nullptr);
  std::vector<std::string> tokens;
  const char *next = reinterpret_cast<const char *>(argv + count + 1);
  for (int i = 0; i < count; ++i) {
    FUZZ_CHECK(argv[i] == next);
    tokens.push_back(argv[i]);
    next = argv[i] + strlen(argv[i]) + 1;
  }
  FUZZ_CHECK(static_cast<size_t>(next - reinterpret_cast<const char *>(argv)) == size);
  free(argv);
  return tokens;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  std::string text = input.TakeText();
  std::vector<std::string> unquoted = CheckedSplit(text, true);
  std::vector<std::string> verbatim = CheckedSplit(text, false);
  FUZZ_CHECK(unquoted.size() == verbatim.size());

  size_t at = 0;
  for (const std::string &token : verbatim) {
    FUZZ_CHECK(text.compare(at, token.size(), token) == 0);
    at += token.size();
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
      ++at;
    }
  }
  FUZZ_CHECK(at == text.size());

  std::vector<ReferenceToken> reference = ReferenceSplit(text);
  FUZZ_CHECK(reference.size() == unquoted.size());
  for (size_t i = 0; i < reference.size(); ++i) {
    FUZZ_CHECK(unquoted[i] == reference[i].value);
    FUZZ_CHECK(verbatim[i] ==
               text.substr(reference[i].begin, reference[i].end - reference[i].begin));
  }
  return 0;
}
