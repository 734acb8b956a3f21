// The command-line splitter: one measuring pass and one filling pass over the
// text with the same scanning code, and one block of exactly the measured size.

#include "app/split.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

#include "core/text.h"

namespace {

const char kQuote = '"';
const char kBackslash = '\\';

// One pass over a text. While measuring, slots and area are null and nothing
// is written; while filling, they address the block, and nothing is written
// past the counts that the measuring pass gave.
struct SplitScan {
  const char *in; // read position
  bool unquote;
  char **slots;     // pointer array, or null while measuring
  char *area;       // text area, or null while measuring
  size_t slotLimit; // tokens the pointer array can take
  size_t areaLimit; // bytes the text area can take
  size_t tokens;    // tokens begun so far
  size_t bytes;     // text bytes appended so far, terminators included
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

void Append(SplitScan *s, char byte) {
  if (s->area != nullptr && s->bytes < s->areaLimit)
    s->area[s->bytes] = byte;
  s->bytes++;
}

void AppendBackslashes(SplitScan *s, size_t n) {
  for (size_t i = 0; i < n; i++)
    Append(s, kBackslash);
}

void BeginToken(SplitScan *s) {
  if (s->slots != nullptr && s->tokens < s->slotLimit && s->bytes <= s->areaLimit)
    s->slots[s->tokens] = s->area + s->bytes;
  s->tokens++;
}

void CopyByte(SplitScan *s) {
  Append(s, *s->in);
  s->in++;
}

// Copies one character: a lead byte together with the byte after it. A lead
// byte directly before the terminator is copied alone; the terminator stays
// where it is.
void CopyChar(SplitScan *s) {
  bool lead = IsLeadByteValue(static_cast<unsigned char>(*s->in));
  CopyByte(s);
  if (lead && *s->in != '\0')
    CopyByte(s);
}

// A delimiting quote: dropped when unquoting, kept when verbatim.
void PassQuote(SplitScan *s) {
  if (!s->unquote)
    Append(s, kQuote);
  s->in++;
}

// The first token, the program path: cut at bytes only, backslashes plain.
// A quoted path ends right after its closing quote.
void ReadFirstToken(SplitScan *s) {
  BeginToken(s);
  if (*s->in == kQuote) {
    PassQuote(s);
    while (*s->in != '\0' && *s->in != kQuote)
      CopyByte(s);
    if (*s->in == kQuote)
      PassQuote(s);
  } else {
    while (*s->in != '\0' && !IsBlank(*s->in))
      CopyByte(s);
  }
  Append(s, '\0');
}

// A later token: quoted runs, backslashes before a quote halved (unquoting)
// or kept (verbatim), a doubled quote inside a quoted run taken as one quote.
void ReadLaterToken(SplitScan *s) {
  BeginToken(s);
  bool quoted = false;
  for (;;) {
    size_t n = 0;
    while (*s->in == kBackslash) {
      n++;
      s->in++;
    }
    if (*s->in == kQuote) {
      AppendBackslashes(s, s->unquote ? n / 2 : n);
      if (n % 2 == 1) {
        CopyByte(s); // an escaped quote is an ordinary character
        continue;
      }
      PassQuote(s);
      if (quoted && *s->in == kQuote)
        CopyByte(s);
      quoted = !quoted;
      continue;
    }
    AppendBackslashes(s, n);
    if (*s->in == '\0' || (!quoted && IsBlank(*s->in)))
      break;
    CopyChar(s);
  }
  Append(s, '\0');
}

void ScanText(SplitScan *s) {
  ReadFirstToken(s);
  for (;;) {
    while (IsBlank(*s->in))
      s->in++;
    if (*s->in == '\0')
      break;
    ReadLaterToken(s);
  }
}

SplitScan StartScan(const char *text, bool unquote) {
  SplitScan scan = {text, unquote, nullptr, nullptr, 0, 0, 0, 0};
  return scan;
}

} // namespace

size_t ArgumentBlockSize(size_t count, size_t textBytes) {
  if (count == 0 || count > static_cast<size_t>(INT_MAX))
    return 0;
  size_t slots = count + 1;
  if (slots > (SIZE_MAX - textBytes) / sizeof(char *))
    return 0;
  return slots * sizeof(char *) + textBytes;
}

size_t SplitMeasure(const char *text, bool unquote, int *count) {
  SplitScan scan = StartScan(text != nullptr ? text : "", unquote);
  ScanText(&scan);
  size_t size = ArgumentBlockSize(scan.tokens, scan.bytes);
  if (count != nullptr)
    *count = size != 0 ? static_cast<int>(scan.tokens) : 0;
  return size;
}

char **SplitCommandLine(const char *text, bool unquote, int *count) {
  if (count != nullptr)
    *count = 0;
  if (text == nullptr)
    text = "";
  int tokens = 0;
  size_t size = SplitMeasure(text, unquote, &tokens);
  if (size == 0)
    return nullptr;
  char **block = static_cast<char **>(malloc(size));
  if (block == nullptr)
    return nullptr;
  size_t slots = static_cast<size_t>(tokens) + 1;
  SplitScan fill = StartScan(text, unquote);
  fill.slots = block;
  fill.slotLimit = static_cast<size_t>(tokens);
  fill.area = reinterpret_cast<char *>(block + slots);
  fill.areaLimit = size - slots * sizeof(char *);
  ScanText(&fill);
  block[tokens] = nullptr;
  if (count != nullptr)
    *count = tokens;
  return block;
}
