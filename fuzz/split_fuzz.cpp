// SplitCommandLine in both modes over any text: the block's layout and size,
// equal token counts, verbatim tokens that give back the text with the blank
// runs between them, and agreement with a plain reading of the rules. The
// UTF-16 splitter over the same text widened (every byte one unit; bytes
// from 0x80 on become units outside ASCII, as names outside the code page
// are): the same invariants, the same tokens as the byte splitter when the
// text is ASCII, and a pairing of the two that agrees with the counts.
#include "fuzz_support.h"

#include "app/split.h"
#include "../tests/unit/split_reference.h"

namespace {

typedef std::basic_string<WideUnit> Wide;

// Splits the exact heap copy of text; checks the block and returns its tokens.
template <typename Unit>
std::vector<std::basic_string<Unit>> CheckedSplit(const std::basic_string<Unit> &text,
                                                  bool unquote) {
  std::vector<Unit> s(text.c_str(), text.c_str() + text.size() + 1);
  int measuredCount = 0;
  size_t size = MeasureOf(s.data(), unquote, &measuredCount);
  int count = 0;
  Unit **argv = SplitOf(s.data(), unquote, &count);
  FUZZ_CHECK(argv != nullptr);
  FUZZ_CHECK(count >= 1 && count == measuredCount);
  FUZZ_CHECK(argv[count] == nullptr);
  std::vector<std::basic_string<Unit>> tokens;
  const Unit *next = reinterpret_cast<const Unit *>(argv + count + 1);
  for (int i = 0; i < count; ++i) {
    FUZZ_CHECK(argv[i] == next);
    tokens.push_back(argv[i]);
    next = argv[i] + tokens.back().size() + 1;
  }
  FUZZ_CHECK(static_cast<size_t>(reinterpret_cast<const char *>(next) -
                                 reinterpret_cast<const char *>(argv)) == size);
  free(argv);
  return tokens;
}

// Both modes of text: equal counts, and verbatim tokens that give back the
// text with the blank runs between them. Returns the unquoted tokens.
template <typename Unit>
std::vector<std::basic_string<Unit>> CheckedSplits(const std::basic_string<Unit> &text) {
  std::vector<std::basic_string<Unit>> unquoted = CheckedSplit(text, true);
  std::vector<std::basic_string<Unit>> verbatim = CheckedSplit(text, false);
  FUZZ_CHECK(unquoted.size() == verbatim.size());
  size_t at = 0;
  for (const std::basic_string<Unit> &token : verbatim) {
    FUZZ_CHECK(text.compare(at, token.size(), token) == 0);
    at += token.size();
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
      ++at;
    }
  }
  FUZZ_CHECK(at == text.size());
  return unquoted;
}

Wide Widen(const std::string &text) {
  Wide wide;
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    wide += static_cast<WideUnit>(byte < 0x80 ? byte : 0x100 + byte);
  }
  return wide;
}

void CheckWide(const std::string &text, const std::vector<std::string> &unquoted) {
  const Wide wide = Widen(text);
  std::vector<Wide> wideUnquoted = CheckedSplits(wide);
  bool ascii = true;
  for (char c : text) {
    ascii = ascii && (static_cast<unsigned char>(c) & 0x80) == 0;
  }
  if (ascii) {
    FUZZ_CHECK(wideUnquoted.size() == unquoted.size());
    for (size_t i = 0; i < unquoted.size(); ++i) {
      FUZZ_CHECK(wideUnquoted[i] == Widen(unquoted[i]));
    }
  }
  const int count = static_cast<int>(unquoted.size());
  WideUnit **paired = PairWideArguments(count, wide.c_str());
  FUZZ_CHECK((paired != nullptr) == (wideUnquoted.size() == unquoted.size()));
  for (int i = 0; paired != nullptr && i < count; ++i) {
    FUZZ_CHECK(paired[i] == wideUnquoted[static_cast<size_t>(i)]);
  }
  free(paired);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  std::string text = input.TakeText();
  std::vector<std::string> unquoted = CheckedSplits(text);
  std::vector<std::string> verbatim = CheckedSplit(text, false);

  std::vector<ReferenceToken> reference = ReferenceSplit(text);
  FUZZ_CHECK(reference.size() == unquoted.size());
  for (size_t i = 0; i < reference.size(); ++i) {
    FUZZ_CHECK(unquoted[i] == reference[i].value);
    FUZZ_CHECK(verbatim[i] ==
               text.substr(reference[i].begin, reference[i].end - reference[i].begin));
  }
  CheckWide(text, unquoted);
  return 0;
}
