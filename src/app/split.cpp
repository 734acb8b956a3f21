// The command-line splitter: one measuring pass and one filling pass over the
// text with the same scanning code, and one block of exactly the measured size.

#include "app/split.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/text.h"

namespace {

constexpr char kQuote = '"';
constexpr char kBackslash = '\\';

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

// What the scanner needs to know of a byte, one table for all 256 values.
enum : unsigned char {
  kByteStop = 1,  // the end, a backslash or a quote: ends every ordinary run
  kByteBlank = 2, // blank or tab: ends an ordinary run outside a quoted run
  kByteLead = 4,  // a lead byte of the code page: takes the byte after it along
};

struct ByteClasses {
  unsigned char of[256];
};

// Built at compile time, so the table needs no guarded initialisation (and
// no lock from the runtime) when the splitter first runs.
constexpr ByteClasses MakeByteClasses() {
  ByteClasses classes = {};
  for (int b = 0; b < 256; b++) {
    unsigned char k = 0;
    if (b == 0 || b == kBackslash || b == kQuote)
      k |= kByteStop;
    if (b == ' ' || b == '\t')
      k |= kByteBlank;
    // Lead bytes of code page 932, as IsLeadByteValue tells them.
    if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))
      k |= kByteLead;
    classes.of[b] = k;
  }
  return classes;
}

constexpr ByteClasses kByteClasses = MakeByteClasses();

// Copies a run of ordinary characters, at least one: everything up to the
// next backslash, quote or end, or, outside a quoted run, the next blank or
// tab. A lead byte takes the byte after it along, so a trail byte is never
// taken for a backslash or a quote; a lead byte directly before the
// terminator is copied alone. One append for the run, where copying
// character by character would give the same bytes.
void CopyOrdinaryRun(SplitScan *s, bool quoted) {
  const unsigned char stop = quoted ? kByteStop : kByteStop | kByteBlank;
  const char *from = s->in;
  const char *p = from;
  unsigned char k = kByteClasses.of[static_cast<unsigned char>(*p)];
  do {
    p++;
    if ((k & kByteLead) != 0 && *p != '\0')
      p++;
    k = kByteClasses.of[static_cast<unsigned char>(*p)];
  } while ((k & stop) == 0);
  const size_t length = static_cast<size_t>(p - from);
  if (s->area != nullptr && s->bytes < s->areaLimit) {
    const size_t room = s->areaLimit - s->bytes;
    memcpy(s->area + s->bytes, from, length < room ? length : room);
  }
  s->bytes += length;
  s->in = p;
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
    CopyOrdinaryRun(s, quoted);
  }
  Append(s, '\0');
}

void ScanText(SplitScan *scan) {
  // The scan runs on a local copy: stores into the text area then cannot
  // alias the read position and the counts, which stay in registers.
  SplitScan local = *scan;
  SplitScan *s = &local;
  ReadFirstToken(s);
  for (;;) {
    while (IsBlank(*s->in))
      s->in++;
    if (*s->in == '\0')
      break;
    ReadLaterToken(s);
  }
  *scan = local;
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
