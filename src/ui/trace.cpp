#include "ui/trace.h"

#include "core/text.h"

int FormatTraceText(char *buf, const char *format, va_list args) {
  // At most 1023 characters; the last byte of the buffer is always the
  // terminator, whether the text fit, filled the limit exactly or was cut.
  const int produced = BoundedFormatV(buf, kTraceBufferSize, format, args);
  buf[kTraceBufferSize - 1] = '\0';
  return produced;
}
