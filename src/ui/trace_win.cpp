#include "ui/trace.h"

#include <windows.h>

namespace {

// The process-wide trace slot. It holds the default trace function from the
// start and nothing replaces it.
TraceProc g_traceSlot = DebugTrace;

} // namespace

TraceProc GetTraceProc() {
  return g_traceSlot != nullptr ? g_traceSlot : DebugTrace;
}

int DebugTrace(const char *format, ...) {
  char buf[kTraceBufferSize];
  va_list args;
  va_start(args, format);
  const int result = FormatTraceText(buf, format, args);
  va_end(args);
  OutputDebugStringA(buf);
  return result;
}
