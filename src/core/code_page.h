// The one boundary between the program's text and the system's.
//
// Inside, every text and path is code page 932, whatever code page the
// system gives the process (1252 on a Western system locale, 65001 with
// Windows' UTF-8 option, 932 only on a Japanese one): the splitter, the
// switches, the name rules and the trace read it with the double-byte rules
// of 932. Everything that crosses to or from the system crosses in UTF-16,
// converted here from or to code page 932 by name, never through the
// process's code page.
#pragma once

#include <windows.h>

constexpr UINT kProgramCodePage = 932;

// text in UTF-16 into out (units, terminator included). False, with out
// empty, when it does not fit whole: a text is never cut.
bool WideFromCodePage(const char *text, WCHAR *out, int units);
// The same as a heap string (the caller frees it); null when out of memory.
WCHAR *DupWideFromCodePage(const char *text);

// wide in code page 932 as a heap string (the caller frees it), with the
// look-alikes a program of code page 932 receives from the system for what
// the code page lacks (é as e): the form the system would hand an ANSI
// program of a Japanese system. Null when out of memory.
char *DupCodePageFromWide(const WCHAR *wide);

// True when text (code page 932) converts back to exactly wide: the code page
// spells that name, and text names what wide names.
bool SpellsInCodePage(const char *text, const WCHAR *wide);
// The code-page form of wide into out (size bytes) when the code page
// spells it whole and it fits; false, with out empty, otherwise.
bool CodePageForm(const WCHAR *wide, char *out, int size);
