// Byte-string and path routines for ANSI text in code page 932.
//
// Every length, index and limit counts bytes. The double-byte rules are fixed
// here rather than asked of the system, so the routines behave the same on
// every host:
//   Lead   0x81..0x9F or 0xE0..0xFC, unless the byte before it is a Lead byte;
//   Trail  0x40..0xFC except 0x7F, directly after a Lead byte;
//   Single everything else.
// A path separator is only a 0x5C byte whose class is Single, so the second
// byte of 表 (95 5C) or ソ (83 5C) never splits a path.
#pragma once

#include <cstdarg>
#include <cstddef>

// A UTF-16 unit: the system's wide character on Windows, the same 16 bits on
// other hosts.
#if defined(_WIN32)
typedef wchar_t WideUnit;
#else
typedef char16_t WideUnit;
#endif

// Paths live in buffers of this many bytes: 260 of text and the terminator.
constexpr int kPathBufferSize = 261;

enum ByteKind { ByteKindSingle = 0, ByteKindLead = 1, ByteKindTrail = 2 };

// True for a byte that opens a double-byte character of code page 932.
bool IsLeadByteValue(unsigned char byte);
// True for a byte that can close a double-byte character of code page 932.
bool IsTrailByteValue(unsigned char byte);

// UTF-16 units that s takes when the system converts it from code page 932:
// one for every byte that is not a Trail byte, so a double-byte character
// counts once and every other byte once. A Lead byte that no Trail byte
// follows counts as one unit and the byte after it as another; Wine's
// conversion takes the two together as one character, so for such broken
// text the count is an upper bound and a text that passes a limit by it
// always fits.
size_t Utf16Length(const char *s);

// printf-style formatting into buf, never more than size bytes with the
// terminator. Returns the text length when the whole text fit, else -1 (buf is
// still terminated when size > 0).
int BoundedFormat(char *buf, unsigned size, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
int BoundedFormatV(char *buf, unsigned size, const char *format, va_list args)
    __attribute__((format(printf, 3, 0)));

// Class of the byte at index of s; Single for a negative index or one at or
// past the terminator. Scans from the start of s on every call.
ByteKind ByteKindAt(const char *s, int index);

// Sets count bytes at block to 0; returns the address just past them.
void *ZeroFill(void *block, size_t count);

// Copies src into dst (size bytes, size >= 1), always terminated, never
// ending on the Lead half of a double-byte character. Returns dst.
char *CopyBounded(char *dst, const char *src, int size);

bool StrEqual(const char *a, const char *b);
// Equality with ASCII letters folded; every other byte compares as itself.
bool StrEqualNoCase(const char *a, const char *b);

// Equality with ASCII letters folded only where they stand as single-byte
// characters: both bytes of a double-byte character compare as themselves, so
// that two different names (ア 83 41 and ヂ 83 61) never count as one.
bool StrEqualNoCaseDbcs(const char *a, const char *b);

// Units of s before its terminator.
size_t WideLength(const WideUnit *s);
// Equality of UTF-16 texts with the ASCII letters folded; every other unit
// compares as itself.
bool WideEqualNoCase(const WideUnit *a, const WideUnit *b);
// s past prefix (ASCII text; letters in any case) when s begins with it, else
// null.
const WideUnit *WideSkipPrefixNoCase(const WideUnit *s, const char *prefix);

// base, a separator unless base ends in one, and name (ASCII) into dst (size
// units, terminator included). False, with dst empty, when that does not fit.
bool JoinWidePath(WideUnit *dst, size_t size, const WideUnit *base, const char *name);

// Position of the first byte of s that is not in set (the terminator if all are).
const char *SkipChars(const char *s, const char *set);
// First position whose byte equals c under ASCII folding, or null. Searching
// for 0 gives the terminator.
const char *FindCharNoCase(const char *s, char c);
// Leftmost match of p in s under ASCII folding (byte-wise), or null. An empty
// pattern matches at s.
const char *FindTextNoCase(const char *s, const char *p);
bool StartsWithNoCase(const char *s, const char *prefix);

const char *StrEnd(const char *s);
char *StrEnd(char *s);

// True when s[index] is 0x5C and its class is Single.
bool IsSeparatorAt(const char *s, int index);

// Writes base joined with name into dst (size bytes). "." stands for base and
// ".." for its parent. Never writes past size bytes, always terminates.
// Always returns true.
bool JoinPath(char *dst, int size, const char *base, const char *name);

// Position just after the last separator, or path itself.
const char *FindFileName(const char *path);
char *FindFileName(char *path);
// Cuts path at its last separator; returns the file-name part (still in the
// buffer), or path itself when there is no separator (path unchanged).
char *RemoveFileName(char *path);
// Position of the last '.' after the last separator, or of the terminator.
const char *FindExtension(const char *path);
char *FindExtension(char *path);
// Cuts path before its extension's dot; returns the extension text after the
// cut, or the terminator when there is no extension (path unchanged).
char *RemoveExtension(char *path);
