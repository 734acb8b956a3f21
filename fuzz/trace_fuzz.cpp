// The trace line of one command-line argument over any argument text and
// index, formatted into a heap buffer of exactly kTraceBufferSize bytes: the
// whole line when it fits, else its first 1023 bytes and -1.
//
// Input: two bytes of index (little-endian, signed), then the argument.
#include "fuzz_support.h"

#include "ui/trace.h"

namespace {

// The line format of the program's entry.
const char kArgumentLine[] = "argv[%2d]=%s\r\n";

int Format(char *buffer, const char *format, ...) __attribute__((format(printf, 2, 3)));
int Format(char *buffer, const char *format, ...) {
  va_list args;
  va_start(args, format);
  const int result = FormatTraceText(buffer, format, args);
  va_end(args);
  return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 4 * kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  const uint8_t low = input.TakeByte();
  const int index = static_cast<int16_t>(low | input.TakeByte() << 8);
  const std::string argument = input.TakeText();
  std::vector<char> exact = ExactCopy(argument);

  std::vector<char> buffer(kTraceBufferSize, '\xEE');
  const int result = Format(buffer.data(), kArgumentLine, index, exact.data());
  const std::string text = TerminatedText(buffer);

  char number[16];
  snprintf(number, sizeof number, "%2d", index);
  const std::string full = "argv[" + std::string(number) + "]=" + argument + "\r\n";
  const size_t limit = kTraceBufferSize - 1;
  if (full.size() <= limit) {
    FUZZ_CHECK(result == static_cast<int>(full.size()) && text == full);
  } else {
    FUZZ_CHECK(result == -1 && text == full.substr(0, limit));
  }
  return 0;
}
