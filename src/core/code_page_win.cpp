// Conversions between code page 932 and UTF-16, named by their code page.
#include "core/code_page.h"

#include <cstdlib>
#include <cstring>

#include "core/text.h"

bool WideFromCodePage(const char *text, WCHAR *out, int units) {
  // A text that does not fit fails the conversion (0) rather than being cut.
  if (units <= 0 || MultiByteToWideChar(kProgramCodePage, 0, text, -1, out, units) <= 0) {
    if (units > 0) {
      out[0] = 0;
    }
    return false;
  }
  return true;
}

WCHAR *DupWideFromCodePage(const char *text) {
  const int units = MultiByteToWideChar(kProgramCodePage, 0, text, -1, nullptr, 0);
  if (units <= 0) {
    return nullptr;
  }
  WCHAR *wide = static_cast<WCHAR *>(malloc(static_cast<size_t>(units) * sizeof(WCHAR)));
  if (wide != nullptr && !WideFromCodePage(text, wide, units)) {
    free(wide);
    return nullptr;
  }
  return wide;
}

char *DupCodePageFromWide(const WCHAR *wide) {
  const int size = WideCharToMultiByte(kProgramCodePage, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) {
    return nullptr;
  }
  char *text = static_cast<char *>(malloc(static_cast<size_t>(size)));
  if (text != nullptr &&
      WideCharToMultiByte(kProgramCodePage, 0, wide, -1, text, size, nullptr, nullptr) <= 0) {
    free(text);
    return nullptr;
  }
  return text;
}

bool SpellsInCodePage(const char *text, const WCHAR *wide) {
  const int units = MultiByteToWideChar(kProgramCodePage, 0, text, -1, nullptr, 0);
  if (units <= 0 || static_cast<size_t>(units) != WideLength(wide) + 1) {
    return false;
  }
  WCHAR local[MAX_PATH + 1];
  WCHAR *back = units <= MAX_PATH + 1 ? local : static_cast<WCHAR *>(malloc(units * sizeof(WCHAR)));
  const bool same = back != nullptr &&
                    MultiByteToWideChar(kProgramCodePage, 0, text, -1, back, units) == units &&
                    memcmp(back, wide, units * sizeof(WCHAR)) == 0;
  if (back != local) {
    free(back);
  }
  return same;
}

bool CodePageForm(const WCHAR *wide, char *out, int size) {
  if (WideCharToMultiByte(kProgramCodePage, 0, wide, -1, out, size, nullptr, nullptr) <= 0 ||
      !SpellsInCodePage(out, wide)) {
    out[0] = 0;
    return false;
  }
  return true;
}
