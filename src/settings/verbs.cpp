// The default command line of a context-menu verb.
#include "settings/verbs.h"

#include "core/text.h"

bool FormatDefaultCommand(char *buffer, const char *modulePath, const char *switchText) {
  int length = BoundedFormat(buffer, kCommandBufferSize, kDefaultCommandFormat,
                             modulePath != nullptr ? modulePath : "",
                             switchText != nullptr ? switchText : "", kClickedFilePlaceholder);
  buffer[kCommandBufferSize - 1] = '\0';
  if (length >= 0) {
    return true;
  }
  // Cut: the byte before the terminator may be the first half of a character.
  int last = static_cast<int>(StrEnd(buffer) - buffer) - 1;
  if (last >= 0 && ByteKindAt(buffer, last) == ByteKindLead) {
    buffer[last] = '\0';
  }
  return false;
}
