// The command-line splitter: one measuring pass and one filling pass over the
// text with the same scanning code, and one block of exactly the measured size.
// One scanner serves both unit types: code-page bytes, where a lead byte takes
// the byte after it along, and UTF-16 units, where every unit stands alone.

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
template <typename Unit> struct SplitScan {
  const Unit *in; // read position
  bool unquote;
  Unit **slots;     // pointer array, or null while measuring
  Unit *area;       // text area, or null while measuring
  size_t slotLimit; // tokens the pointer array can take
  size_t areaLimit; // units the text area can take
  size_t tokens;    // tokens begun so far
  size_t bytes;     // text units appended so far, terminators included
};

template <typename Unit> bool IsBlank(Unit c) {
  return c == ' ' || c == '\t';
}

template <typename Unit> void Append(SplitScan<Unit> *s, Unit unit) {
  if (s->area != nullptr && s->bytes < s->areaLimit)
    s->area[s->bytes] = unit;
  s->bytes++;
}

template <typename Unit> void AppendBackslashes(SplitScan<Unit> *s, size_t n) {
  for (size_t i = 0; i < n; i++)
    Append(s, static_cast<Unit>(kBackslash));
}

template <typename Unit> void BeginToken(SplitScan<Unit> *s) {
  if (s->slots != nullptr && s->tokens < s->slotLimit && s->bytes <= s->areaLimit)
    s->slots[s->tokens] = s->area + s->bytes;
  s->tokens++;
}

template <typename Unit> void CopyByte(SplitScan<Unit> *s) {
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

// The class of one unit: a code-page byte by the table; a UTF-16 unit by the
// table when it is ASCII, where no lead byte lies, and ordinary otherwise.
unsigned char ClassOf(char byte) {
  return kByteClasses.of[static_cast<unsigned char>(byte)];
}
unsigned char ClassOf(WideUnit unit) {
  return unit < 0x80 ? kByteClasses.of[unit] : 0;
}

// Copies a run of ordinary characters, at least one: everything up to the
// next backslash, quote or end, or, outside a quoted run, the next blank or
// tab. A lead byte takes the byte after it along, so a trail byte is never
// taken for a backslash or a quote; a lead byte directly before the
// terminator is copied alone. One append for the run, where copying
// character by character would give the same bytes.
template <typename Unit> void CopyOrdinaryRun(SplitScan<Unit> *s, bool quoted) {
  const unsigned char stop = quoted ? kByteStop : kByteStop | kByteBlank;
  const Unit *from = s->in;
  const Unit *p = from;
  unsigned char k = ClassOf(*p);
  do {
    p++;
    if ((k & kByteLead) != 0 && *p != '\0')
      p++;
    k = ClassOf(*p);
  } while ((k & stop) == 0);
  const size_t length = static_cast<size_t>(p - from);
  if (s->area != nullptr && s->bytes < s->areaLimit) {
    const size_t room = s->areaLimit - s->bytes;
    memcpy(s->area + s->bytes, from, (length < room ? length : room) * sizeof(Unit));
  }
  s->bytes += length;
  s->in = p;
}

// A delimiting quote: dropped when unquoting, kept when verbatim.
template <typename Unit> void PassQuote(SplitScan<Unit> *s) {
  if (!s->unquote)
    Append(s, static_cast<Unit>(kQuote));
  s->in++;
}

// The first token, the program path: cut at bytes only, backslashes plain.
// A quoted path ends right after its closing quote.
template <typename Unit> void ReadFirstToken(SplitScan<Unit> *s) {
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
  Append(s, static_cast<Unit>(0));
}

// A later token: quoted runs, backslashes before a quote halved (unquoting)
// or kept (verbatim), a doubled quote inside a quoted run taken as one quote.
template <typename Unit> void ReadLaterToken(SplitScan<Unit> *s) {
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
  Append(s, static_cast<Unit>(0));
}

template <typename Unit> void ScanText(SplitScan<Unit> *scan) {
  // The scan runs on a local copy: stores into the text area then cannot
  // alias the read position and the counts, which stay in registers.
  SplitScan<Unit> local = *scan;
  SplitScan<Unit> *s = &local;
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

template <typename Unit> SplitScan<Unit> StartScan(const Unit *text, bool unquote) {
  SplitScan<Unit> scan = {text, unquote, nullptr, nullptr, 0, 0, 0, 0};
  return scan;
}

template <typename Unit> size_t Measure(const Unit *text, bool unquote, int *count) {
  static const Unit kEmpty[1] = {0};
  SplitScan<Unit> scan = StartScan(text != nullptr ? text : kEmpty, unquote);
  ScanText(&scan);
  size_t size = ArgumentBlockSize(scan.tokens, scan.bytes, sizeof(Unit));
  if (count != nullptr)
    *count = size != 0 ? static_cast<int>(scan.tokens) : 0;
  return size;
}

template <typename Unit> Unit **Split(const Unit *text, bool unquote, int *count) {
  static const Unit kEmpty[1] = {0};
  if (count != nullptr)
    *count = 0;
  if (text == nullptr)
    text = kEmpty;
  int tokens = 0;
  size_t size = Measure(text, unquote, &tokens);
  if (size == 0)
    return nullptr;
  Unit **block = static_cast<Unit **>(malloc(size));
  if (block == nullptr)
    return nullptr;
  size_t slots = static_cast<size_t>(tokens) + 1;
  SplitScan<Unit> fill = StartScan(text, unquote);
  fill.slots = block;
  fill.slotLimit = static_cast<size_t>(tokens);
  fill.area = reinterpret_cast<Unit *>(block + slots);
  fill.areaLimit = (size - slots * sizeof(Unit *)) / sizeof(Unit);
  ScanText(&fill);
  block[tokens] = nullptr;
  if (count != nullptr)
    *count = tokens;
  return block;
}

} // namespace

size_t ArgumentBlockSize(size_t count, size_t textBytes) {
  return ArgumentBlockSize(count, textBytes, 1);
}

size_t ArgumentBlockSize(size_t count, size_t textUnits, size_t unitSize) {
  if (count == 0 || count > static_cast<size_t>(INT_MAX))
    return 0;
  size_t slots = count + 1;
  if (textUnits > SIZE_MAX / unitSize)
    return 0;
  const size_t textBytes = textUnits * unitSize;
  if (slots > (SIZE_MAX - textBytes) / sizeof(void *))
    return 0;
  return slots * sizeof(void *) + textBytes;
}

size_t SplitMeasure(const char *text, bool unquote, int *count) {
  return Measure(text, unquote, count);
}

char **SplitCommandLine(const char *text, bool unquote, int *count) {
  return Split(text, unquote, count);
}

size_t SplitMeasureWide(const WideUnit *text, bool unquote, int *count) {
  return Measure(text, unquote, count);
}

WideUnit **SplitWideCommandLine(const WideUnit *text, bool unquote, int *count) {
  return Split(text, unquote, count);
}

WideUnit **PairWideArguments(int count, const WideUnit *wideText) {
  if (wideText == nullptr)
    return nullptr;
  int wideCount = 0;
  WideUnit **wide = SplitWideCommandLine(wideText, true, &wideCount);
  if (wide != nullptr && wideCount != count) {
    free(wide);
    return nullptr;
  }
  return wide;
}
