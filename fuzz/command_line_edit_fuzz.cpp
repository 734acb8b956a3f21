// The switch-text editing of the command-line dialog over any command text:
// for every option switch, checked and unchecked, the rebuilt text stays
// within its bound, every other token keeps its quoting byte for byte, and
// scanning the result agrees with the click.
//
// Input: one flag byte (bit i: give switch i in upper case), then the text.
#include "fuzz_support.h"

#include <cstdint>

#include "app/split.h"
#include "settings/command_line_edit.h"

namespace {

std::vector<std::string> Split(const std::string &text, bool unquote) {
  int count = 0;
  char **tokens = SplitCommandLine(text.c_str(), unquote, &count);
  FUZZ_CHECK(tokens != nullptr);
  std::vector<std::string> result(tokens, tokens + count);
  free(tokens);
  return result;
}

uint32_t Scan(const std::string &text) {
  uint32_t bits = 0;
  FUZZ_CHECK(ScanOptionSwitches(text.c_str(), &bits));
  return bits;
}

std::string Upper(std::string text) {
  for (char &c : text) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return text;
}

std::string Join(const std::vector<std::string> &tokens) {
  std::string text;
  for (size_t i = 0; i < tokens.size(); ++i) {
    text += (i == 0 ? "" : " ") + tokens[i];
  }
  return text;
}

// A program path that opens a quote and never closes it takes in everything
// after it, so nothing placed after it can be an argument.
bool FirstTokenUnclosed(const std::string &first) {
  return !first.empty() && first[0] == '"' && (first.size() == 1 || first.back() != '"');
}

void CheckToggle(const std::string &text, const OptionSwitch &option, const std::string &sw,
                 int state) {
  const std::vector<std::string> u = Split(text, true);
  const std::vector<std::string> v = Split(text, false);
  FUZZ_CHECK(u.size() == v.size());
  bool present = false;
  for (const std::string &token : u) {
    present = present || StrEqualNoCase(token.c_str(), sw.c_str());
  }

  std::vector<char> exact = ExactCopy(text);
  char *built = ToggleSwitchText(exact.data(), sw.c_str(), state);
  if (built == nullptr) {
    // Nothing changes only when there is nothing to change: a click that
    // checks always adds a token, one that clears leaves the text as it was
    // only when the program path alone is the switch.
    FUZZ_CHECK(!(state == kBoxChecked && !present));
    if (state == kBoxUnchecked) {
      for (size_t i = 1; i < u.size(); ++i) {
        FUZZ_CHECK(!StrEqualNoCase(u[i].c_str(), sw.c_str()));
      }
    }
    return;
  }
  const std::string result = built;
  free(built);
  FUZZ_CHECK(state == kBoxChecked ? !present : present);

  std::vector<const char *> vp;
  for (const std::string &token : v) {
    vp.push_back(token.c_str());
  }
  FUZZ_CHECK(result.size() <=
             JoinedLengthBound(static_cast<int>(vp.size()), vp.data(), sw.c_str()));

  // The tokens that should make up the result, verbatim and unquoted.
  std::vector<std::string> wantV(1, v[0]);
  std::vector<std::string> wantU(1, u[0]);
  if (state == kBoxChecked) {
    wantV.push_back(sw);
    wantU.push_back(sw);
  }
  for (size_t i = 1; i < v.size(); ++i) {
    if (state == kBoxChecked || !StrEqualNoCase(u[i].c_str(), sw.c_str())) {
      wantV.push_back(v[i]);
      wantU.push_back(u[i]);
    }
  }
  FUZZ_CHECK(result == Join(wantV));
  if (FirstTokenUnclosed(v[0])) {
    return;
  }
  // Read again, every kept token is what it was, quotes and all.
  FUZZ_CHECK(Split(result, false) == wantV);
  FUZZ_CHECK(Split(result, true) == wantU);
  const uint32_t before = Scan(text);
  const uint32_t after = Scan(result);
  FUZZ_CHECK(((after & option.bit) != 0) == (state == kBoxChecked));
  FUZZ_CHECK((after & ~option.bit) == (before & ~option.bit));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  const uint8_t flags = input.TakeByte();
  const std::string text = input.TakeText();
  for (int i = 0; i < kOptionCount; ++i) {
    const OptionSwitch &option = kOptionTable[i];
    const std::string sw = (flags >> i & 1) != 0 ? Upper(option.switchText) : option.switchText;
    CheckToggle(text, option, sw, kBoxChecked);
    CheckToggle(text, option, sw, kBoxUnchecked);
  }
  return 0;
}
