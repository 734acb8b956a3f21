// The program's own command-line splitter.
//
// Two modes cut a text at the same places and give the same token count:
// unquoting (quotes removed, backslashes before a quote halved) and verbatim
// (every token is the exact byte run it spans). The first token, the program
// path, is cut at bytes only. Double-byte characters of code page 932 are
// never split, and a text ending in a lone lead byte is never read past.
#pragma once

#include <cstddef>

#include "core/text.h"

// Splits text into one heap block: count + 1 pointers (the last null)
// followed by the token texts. Returns the block, to be released with one
// free(), and stores the token count (at least 1) in *count; null when the
// block cannot be allocated (*count is then 0). A null text splits as an
// empty one.
char **SplitCommandLine(const char *text, bool unquote, int *count);

// Size in bytes of the block SplitCommandLine would allocate for text (count
// + 1 pointer slots and the token texts with their terminators), storing the
// token count in *count. Returns 0 when the block cannot be described: more
// tokens than an int holds, or a size past what size_t holds.
size_t SplitMeasure(const char *text, bool unquote, int *count);

// Size of an argument block for count tokens whose texts take textBytes
// bytes, terminators included; 0 when count is 0 or above INT_MAX, or when
// the size does not fit in size_t.
size_t ArgumentBlockSize(size_t count, size_t textBytes);
// The same for texts of textUnits units of unitSize bytes each.
size_t ArgumentBlockSize(size_t count, size_t textUnits, size_t unitSize);

// The same splitter over UTF-16 text (the system's own form of the command
// line): the same rules and the same cuts, every unit a character of its own.
WideUnit **SplitWideCommandLine(const WideUnit *text, bool unquote, int *count);
size_t SplitMeasureWide(const WideUnit *text, bool unquote, int *count);

// The UTF-16 arguments that stand beside count code-page arguments: the
// unquoting split of wideText when it gives exactly count tokens, to be
// released with one free(), so that token i of both forms is argument i.
// Null when it gives another count (a character that the code page spells
// as a quote, a backslash or a blank cut the code-page form elsewhere), when
// wideText is null, or when the block cannot be allocated: every argument is
// then taken in its code-page form.
WideUnit **PairWideArguments(int count, const WideUnit *wideText);
