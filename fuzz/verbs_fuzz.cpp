// The default command line of a verb over any module path and switch, in a
// heap buffer of exactly 1025 bytes: the whole text when it fits, else its
// first 1024 bytes (1023 when the 1024th opens a character); and the verb
// records filled from whatever the registry gave, every string owned once
// (LeakSanitizer sees a string lost or freed twice); and the report of an OK
// over any caption, in a buffer of exactly its size.
//
// Input: a byte choosing the verb and which strings the registry gave, the
// module path, a 0 byte, the switch, a 0 byte, the caption, a 0 byte, the
// command line.
#include "fuzz_support.h"

#include "settings/verb_state.h"
#include "settings/verbs.h"

namespace {

std::string Formatted(const std::string &modulePath, const std::string &switchText) {
  std::vector<char> module = ExactCopy(modulePath);
  std::vector<char> sw = ExactCopy(switchText);
  std::vector<char> buffer(kCommandBufferSize, '\xEE');
  const bool whole = FormatDefaultCommand(buffer.data(), module.data(), sw.data());
  const std::string text = TerminatedText(buffer);
  const std::string full = "\"" + modulePath + "\" " + switchText + " \"%1\"";
  const size_t limit = kCommandBufferSize - 1;
  FUZZ_CHECK(whole == (full.size() <= limit));
  if (whole) {
    FUZZ_CHECK(text == full);
  } else {
    const std::vector<ByteKind> kinds = ReferenceKinds(full);
    const size_t kept = kinds[limit - 1] == ByteKindLead ? limit - 1 : limit;
    FUZZ_CHECK(text == full.substr(0, kept));
  }
  return text;
}

// The report with the caption naming every verb, the outcomes taken from
// choice: it names the verbs exactly when one was not done, each by the
// caption's first 64 bytes (63 when the 65th closes a character).
void Report(uint8_t choice, const std::string &caption) {
  VerbOutcome outcomes[kVerbCount];
  const char *captions[kVerbCount];
  bool any = false;
  for (int i = 0; i < kVerbCount; ++i) {
    outcomes[i] = static_cast<VerbOutcome>(((choice >> i) & 3) % 3);
    captions[i] = caption.c_str();
    any = any || outcomes[i] != kVerbDone;
  }
  std::vector<char> buffer(kReportBufferSize, '\xEE');
  FUZZ_CHECK(FormatVerbReport(buffer.data(), outcomes, captions) == any);
  const std::string text = TerminatedText(buffer);
  const size_t limit = kReportCaptionSize - 1;
  size_t kept = caption.size();
  if (kept > limit) {
    kept = ReferenceKinds(caption)[limit] == ByteKindTrail ? limit - 1 : limit;
  }
  FUZZ_CHECK(any ? text.find("\n    " + caption.substr(0, kept) + " (") != std::string::npos
                 : text.empty());
}

// A heap string as the registry store returns it, or null.
char *Given(bool present, const std::string &text) {
  return present ? DupText(text.c_str()) : nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 4 * kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  const uint8_t choice = input.TakeByte();
  const std::string modulePath = input.TakeText();
  const std::string switchText = input.TakeText();
  const std::string caption = input.TakeText();
  const std::string command = input.TakeText();

  Formatted(modulePath, switchText);
  Report(choice, caption);
  FUZZ_CHECK(Formatted(std::string(), std::string()) == "\"\"  \"%1\"");

  const VerbEntry &entry = kVerbTable[choice % kVerbCount];
  const bool hasCaption = (choice & 0x10) != 0, hasCommand = (choice & 0x20) != 0;
  const std::string defaultCommand = Formatted(modulePath, entry.switchText);
  std::vector<char> module = ExactCopy(modulePath);
  VerbState state;
  memset(&state, 0xEE, sizeof state);
  FillVerbState(&state, entry, Given(hasCaption, caption), Given(hasCommand, command),
                module.data());
  FUZZ_CHECK(state.enabled == hasCaption);
  FUZZ_CHECK(state.caption != nullptr && state.command != nullptr && state.keyPath != nullptr);
  FUZZ_CHECK(std::string(state.caption) == (hasCaption ? caption : entry.defaultCaption));
  FUZZ_CHECK(std::string(state.command) == (hasCaption && hasCommand ? command : defaultCommand));
  FUZZ_CHECK(std::string(state.keyPath) == entry.displayKeyPath);
  FUZZ_CHECK(DecideVerbWrite(state) == (hasCaption ? kVerbRegister : kVerbUnregister));

  // An edit that could not be read keeps the old text; one that could
  // replaces it.
  ReplaceOwnedText(&state.caption, nullptr);
  FUZZ_CHECK(state.caption != nullptr);
  ReplaceOwnedText(&state.command, DupText(switchText.c_str()));
  FUZZ_CHECK(std::string(state.command) == switchText);
  free(state.command);
  state.command = nullptr;
  FUZZ_CHECK(DecideVerbWrite(state) == (hasCaption ? kVerbKeep : kVerbUnregister));

  ReleaseVerbState(&state);
  FUZZ_CHECK(state.caption == nullptr && state.command == nullptr && state.keyPath == nullptr);
  ReleaseVerbState(&state); // twice is harmless
  return 0;
}
