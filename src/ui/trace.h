// Debugger trace: the program's only diagnostic output.
#pragma once

#include <cstdarg>

typedef int (*TraceProc)(const char *format, ...);

// Size of the trace buffer; a line holds at most kTraceBufferSize - 1 bytes.
constexpr int kTraceBufferSize = 1024;

// Formats into buf (kTraceBufferSize bytes), at most 1023 characters, always
// terminated at index 1023 at the latest. Returns the number of characters
// produced, or -1 when the text was longer than 1023 and was cut.
int FormatTraceText(char *buf, const char *format, va_list args)
    __attribute__((format(printf, 2, 0)));

// The current trace function; never null.
TraceProc GetTraceProc();
// Formats and sends one piece of text to the debugger; result as
// FormatTraceText.
int DebugTrace(const char *format, ...) __attribute__((format(printf, 1, 2)));
