#include "ui/trace.h"

#include <cstdio>

int FormatTraceText(char *buf, const char *format, va_list args) {
  // At most 1023 characters; the last byte of the buffer is always the
  // terminator, whether the text fit, filled the limit exactly or was cut.
  const int limit = kTraceBufferSize - 1;
  const int produced = vsnprintf(buf, kTraceBufferSize, format, args);
  buf[limit] = '\0';
  if (produced < 0 || produced > limit) {
    return -1;
  }
  return produced;
}
