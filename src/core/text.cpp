// Byte-string and path routines for ANSI text in code page 932.
#include "core/text.h"

#include <cstdio>
#include <cstring>

namespace {

const char kSeparator = '\\';

unsigned char FoldAscii(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  if (byte >= 'A' && byte <= 'Z') {
    return static_cast<unsigned char>(byte - 'A' + 'a');
  }
  return byte;
}

// Classifies s[0..index] from the start. Returns false, leaving *kind Single,
// when index is negative or lies at or past the terminator; otherwise stores
// the class of s[index] and returns true. Never reads past s[index] or past
// the terminator, whichever comes first.
bool ScanKind(const char *s, int index, ByteKind *kind) {
  *kind = ByteKindSingle;
  if (index < 0) {
    return false;
  }
  ByteKind state = ByteKindSingle;
  for (int i = 0;; ++i) {
    unsigned char byte = static_cast<unsigned char>(s[i]);
    if (byte == 0) {
      return false;
    }
    if (state == ByteKindLead) {
      state = IsTrailByteValue(byte) ? ByteKindTrail : ByteKindSingle;
    } else {
      state = IsLeadByteValue(byte) ? ByteKindLead : ByteKindSingle;
    }
    if (i == index) {
      *kind = state;
      return true;
    }
  }
}

int Length(const char *s) {
  return static_cast<int>(strlen(s));
}

// Index of the last separator at or before last, found by stepping backwards
// from last; -1 when there is none.
int LastSeparatorFrom(const char *path, int last) {
  for (int i = last; i >= 0; --i) {
    if (IsSeparatorAt(path, i)) {
      return i;
    }
  }
  return -1;
}

// True when the first strlen(p) bytes at s equal p under ASCII folding; stops
// at the terminator of s.
bool MatchesAtNoCase(const char *s, const char *p) {
  for (; *p != 0; ++s, ++p) {
    if (*s == 0 || FoldAscii(*s) != FoldAscii(*p)) {
      return false;
    }
  }
  return true;
}

} // namespace

bool IsLeadByteValue(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsTrailByteValue(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

size_t Utf16Length(const char *s) {
  size_t units = 0;
  ByteKind state = ByteKindSingle;
  for (; *s != 0; ++s) {
    const unsigned char byte = static_cast<unsigned char>(*s);
    if (state == ByteKindLead) {
      state = IsTrailByteValue(byte) ? ByteKindTrail : ByteKindSingle;
    } else {
      state = IsLeadByteValue(byte) ? ByteKindLead : ByteKindSingle;
    }
    if (state != ByteKindTrail) {
      ++units;
    }
  }
  return units;
}

int BoundedFormatV(char *buf, unsigned size, const char *format, va_list args) {
  if (size == 0) {
    return -1;
  }
#if defined(_WIN32)
  // The system C library's formatter. The C99 one of the toolchain's runtime
  // would link some 20 KB of floating-point formatting into the program. It
  // returns -1 for a text longer than size and leaves a text of exactly size
  // bytes unterminated; both count as cut below.
  int length = _vsnprintf(buf, size, format, args);
#else
  int length = vsnprintf(buf, size, format, args);
#endif
  if (length < 0 || static_cast<unsigned>(length) >= size) {
    // Cut or failed: terminated here, whatever the formatter left.
    buf[size - 1] = 0;
    return -1;
  }
  return length;
}

int BoundedFormat(char *buf, unsigned size, const char *format, ...) {
  if (size == 0) {
    return -1;
  }
  va_list args;
  va_start(args, format);
  int length = BoundedFormatV(buf, size, format, args);
  va_end(args);
  return length < 0 ? -1 : length;
}

ByteKind ByteKindAt(const char *s, int index) {
  ByteKind kind;
  ScanKind(s, index, &kind);
  return kind;
}

void *ZeroFill(void *block, size_t count) {
  memset(block, 0, count);
  return static_cast<char *>(block) + count;
}

char *CopyBounded(char *dst, const char *src, int size) {
  if (size < 1) {
    return dst; // no room even for the terminator
  }
  int n = size;
  // A Trail byte at size - 1 means the last byte that would be copied is the
  // Lead half of a character: leave the whole character out.
  if (ByteKindAt(src, size - 1) == ByteKindTrail) {
    n = size - 1;
  }
  int i = 0;
  for (; i < n - 1 && src[i] != 0; ++i) {
    dst[i] = src[i];
  }
  for (; i < n - 1; ++i) {
    dst[i] = 0;
  }
  dst[n - 1] = 0;
  return dst;
}

bool StrEqual(const char *a, const char *b) {
  return strcmp(a, b) == 0;
}

namespace {

unsigned FoldUnit(char c) {
  return FoldAscii(c);
}

unsigned FoldUnit(WideUnit c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned>(c - 'A' + 'a') : static_cast<unsigned>(c);
}

// Equality with the ASCII letters folded, unit by unit.
template <typename Unit> bool EqualNoCase(const Unit *a, const Unit *b) {
  for (;; ++a, ++b) {
    if (FoldUnit(*a) != FoldUnit(*b)) {
      return false;
    }
    if (*a == 0) {
      return true;
    }
  }
}

} // namespace

bool StrEqualNoCase(const char *a, const char *b) {
  return EqualNoCase(a, b);
}

size_t WideLength(const WideUnit *s) {
  size_t length = 0;
  while (s[length] != 0) {
    ++length;
  }
  return length;
}

bool WideEqualNoCase(const WideUnit *a, const WideUnit *b) {
  return EqualNoCase(a, b);
}

const WideUnit *WideSkipPrefixNoCase(const WideUnit *s, const char *prefix) {
  for (; *prefix != 0; ++s, ++prefix) {
    if (*s == 0 || FoldUnit(*s) != FoldUnit(*prefix)) {
      return nullptr;
    }
  }
  return s;
}

bool JoinWidePath(WideUnit *dst, size_t size, const WideUnit *base, const char *name) {
  const size_t baseLength = WideLength(base);
  const bool addsSeparator = baseLength == 0 || base[baseLength - 1] != '\\';
  if (baseLength + (addsSeparator ? 1 : 0) + strlen(name) >= size) {
    if (size != 0) {
      dst[0] = 0;
    }
    return false;
  }
  WideUnit *end = dst;
  for (size_t i = 0; i < baseLength; ++i) {
    *end++ = base[i];
  }
  if (addsSeparator) {
    *end++ = '\\';
  }
  for (; *name != 0; ++name) {
    *end++ = static_cast<unsigned char>(*name);
  }
  *end = 0;
  return true;
}

bool StrEqualNoCaseDbcs(const char *a, const char *b) {
  for (;;) {
    const unsigned char ca = static_cast<unsigned char>(*a);
    const unsigned char cb = static_cast<unsigned char>(*b);
    if (IsLeadByteValue(ca) && IsTrailByteValue(static_cast<unsigned char>(a[1]))) {
      // A whole double-byte character: both bytes must be equal as they are.
      if (ca != cb || a[1] != b[1]) {
        return false;
      }
      a += 2;
      b += 2;
      continue;
    }
    if (FoldAscii(*a) != FoldAscii(*b)) {
      return false;
    }
    if (ca == 0) {
      return true;
    }
    ++a;
    ++b;
  }
}

const char *SkipChars(const char *s, const char *set) {
  return s + strspn(s, set);
}

const char *FindCharNoCase(const char *s, char c) {
  unsigned char wanted = FoldAscii(c);
  for (;; ++s) {
    if (FoldAscii(*s) == wanted) {
      return s;
    }
    if (*s == 0) {
      return nullptr;
    }
  }
}

const char *FindTextNoCase(const char *s, const char *p) {
  if (*p == 0) {
    return s;
  }
  const char *candidate = s;
  for (;;) {
    if (MatchesAtNoCase(candidate, p)) {
      return candidate;
    }
    if (*candidate == 0) {
      return nullptr;
    }
    candidate = FindCharNoCase(candidate + 1, p[0]);
    if (candidate == nullptr) {
      return nullptr;
    }
  }
}

bool StartsWithNoCase(const char *s, const char *prefix) {
  // The same answer as FindTextNoCase(s, prefix) == s, without searching on.
  return MatchesAtNoCase(s, prefix);
}

const char *StrEnd(const char *s) {
  return s + strlen(s);
}
char *StrEnd(char *s) {
  return s + strlen(s);
}

bool IsSeparatorAt(const char *s, int index) {
  ByteKind kind;
  // An index outside the string is no separator; s[index] is read only after
  // the scan has shown that it lies inside.
  return ScanKind(s, index, &kind) && kind == ByteKindSingle && s[index] == kSeparator;
}

// Inputs that no caller passes get results chosen so that a path that cannot
// be built whole names nothing at all rather than some other folder:
//  - base does not fit whole into dst (it has size bytes or more): dst is left
//    empty for every name, "." and ".." included. A cut base names some other
//    path, and so would anything derived from it.
//  - a separator is needed but base fills size - 1 bytes: dst is left empty.
//  - base ends in a lone Lead byte: a separator appended behind it would be
//    read as that character's Trail byte and glue name onto the last
//    component, so dst is left empty.
//  - ".." on a base without any separator: the backward scan ends at the
//    start of dst and dst is left empty. There is no parent to name, and an
//    empty path fails every later existence test instead of naming a folder.
// dst is indexed by the length of its own copy of base; base is read no
// further than the copy needs plus the one byte that tells whether it was cut.
bool JoinPath(char *dst, int size, const char *base, const char *name) {
  if (size < 1) {
    return true; // no room even for the terminator
  }
  if (base[0] == 0) {
    CopyBounded(dst, name, size);
    return true;
  }
  CopyBounded(dst, base, size);
  int length = Length(dst);
  if (base[length] != 0) {
    dst[0] = 0;
    return true;
  }
  int i = length - 1;
  if (StrEqual(name, ".")) {
    return true;
  }
  if (StrEqual(name, "..")) {
    while (i >= 0 && !IsSeparatorAt(dst, i)) {
      dst[i] = 0;
      --i;
    }
    if (i >= 0) {
      dst[i] = 0;
      // The parent of a folder directly under a root keeps the root's
      // backslash: C:\Tools gives C:\, and C:\ stays C:\.
      if (strchr(dst, kSeparator) == nullptr) {
        dst[i] = kSeparator;
      }
    }
    return true;
  }
  if (!IsSeparatorAt(dst, i)) {
    if (length > size - 2 || ByteKindAt(dst, i) == ByteKindLead) {
      dst[0] = 0;
      return true;
    }
    dst[length] = kSeparator;
    dst[length + 1] = 0;
    ++length;
  }
  CopyBounded(dst + length, name, size - length);
  return true;
}

const char *FindFileName(const char *path) {
  int i = LastSeparatorFrom(path, Length(path) - 1);
  return path + i + 1;
}

char *FindFileName(char *path) {
  return const_cast<char *>(FindFileName(static_cast<const char *>(path)));
}

char *RemoveFileName(char *path) {
  int i = LastSeparatorFrom(path, Length(path) - 1);
  if (i < 0) {
    return path;
  }
  path[i] = 0;
  return path + i + 1;
}

const char *FindExtension(const char *path) {
  int length = Length(path);
  for (int i = length - 1; i >= 0; --i) {
    if (IsSeparatorAt(path, i)) {
      break;
    }
    // A Trail byte is never 0x2E, so a byte test finds only real dots.
    if (path[i] == '.') {
      return path + i;
    }
  }
  return path + length;
}

char *FindExtension(char *path) {
  return const_cast<char *>(FindExtension(static_cast<const char *>(path)));
}

char *RemoveExtension(char *path) {
  char *dot = FindExtension(path);
  if (*dot == 0) {
    return dot;
  }
  *dot = 0;
  return dot + 1;
}
