#include "settings/verb_state.h"

#include <cstdlib>
#include <cstring>

#include "app/split.h"
#include "core/text.h"

char *DupText(const char *text) {
  if (text == nullptr) {
    return nullptr;
  }
  const size_t size = strlen(text) + 1;
  char *copy = static_cast<char *>(malloc(size));
  if (copy != nullptr) {
    memcpy(copy, text, size);
  }
  return copy;
}

namespace {

char *DefaultCommand(const VerbEntry &entry, const char *modulePath) {
  char buffer[kCommandBufferSize];
  FormatDefaultCommand(buffer, modulePath, entry.switchText);
  return DupText(buffer);
}

} // namespace

void FillVerbState(VerbState *state, const VerbEntry &entry, char *caption, char *command,
                   const char *modulePath) {
  state->keyPath = DupText(entry.displayKeyPath);
  if (caption != nullptr) {
    state->enabled = true;
    state->caption = caption;
    // A registered verb whose command line cannot be read gets the default
    // one, so OK never writes it without a command.
    state->command = command != nullptr ? command : DefaultCommand(entry, modulePath);
    return;
  }
  state->enabled = false;
  state->caption = DupText(entry.defaultCaption);
  free(command);
  state->command = DefaultCommand(entry, modulePath);
}

namespace {

// A path that names one place whatever the current folder and drive: a drive
// letter, a colon and a separator, or two separators (a share).
bool IsFullPath(const char *path) {
  const unsigned char letter = static_cast<unsigned char>(path[0]) | 0x20;
  return (letter >= 'a' && letter <= 'z' && path[1] == ':' && IsSeparatorAt(path, 2)) ||
         (IsSeparatorAt(path, 0) && IsSeparatorAt(path, 1));
}

} // namespace

char *RetargetCommand(char *buffer, const char *command, const char *modulePath) {
  buffer[0] = '\0';
  int count = 0;
  char **unquoted = SplitCommandLine(command, true, &count);
  char **verbatim = SplitCommandLine(command, false, &count);
  const char *name = FindFileName(modulePath);
  char *program = nullptr;
  // The verbatim first token is the very bytes it spans from the start of
  // the text: what follows it is kept as it is.
  if (unquoted != nullptr && verbatim != nullptr && name[0] != '\0' && IsFullPath(unquoted[0]) &&
      StrEqualNoCaseDbcs(FindFileName(unquoted[0]), name) &&
      BoundedFormat(buffer, kCommandBufferSize, "\"%s\"%s", modulePath,
                    command + strlen(verbatim[0])) >= 0) {
    program = DupText(unquoted[0]);
  }
  if (program == nullptr) {
    buffer[0] = '\0';
  }
  free(unquoted);
  free(verbatim);
  return program;
}

void ReleaseVerbState(VerbState *state) {
  free(state->caption);
  free(state->command);
  free(state->keyPath);
  state->caption = nullptr;
  state->command = nullptr;
  state->keyPath = nullptr;
}

void ReplaceOwnedText(char **slot, char *text) {
  if (text == nullptr) {
    return;
  }
  free(*slot);
  *slot = text;
}

VerbWrite DecideVerbWrite(const VerbState &state) {
  if (!state.enabled) {
    return kVerbUnregister;
  }
  return state.caption != nullptr && state.command != nullptr ? kVerbRegister : kVerbKeep;
}

namespace {

// One part of the report: the verbs of one outcome under their heading.
struct ReportSection {
  VerbOutcome outcome;
  const char *heading;
};

// "次の項目はすべてのユーザーに登録されているため、削除できませんでした。
// LinkTo を管理者として実行し、チェックを外して OK を押すと削除できます。" and
// "次の項目を登録できませんでした。", in code page 932.
const ReportSection kReportSections[] = {
    {kVerbLeft,
     "\x8E\x9F\x82\xCC\x8D\x80\x96\xDA\x82\xCD\x82\xB7\x82\xD7\x82\xC4\x82\xCC\x83\x86\x81["
     "\x83U\x81[\x82\xC9\x93o\x98\x5E\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xE9\x82\xBD\x82\xDF"
     "\x81\x41\x8D\xED\x8F\x9C\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD"
     "\x81\x42\nLinkTo \x82\xF0\x8A\xC7\x97\x9D\x8E\xD2\x82\xC6\x82\xB5\x82\xC4\x8E\xC0\x8Ds"
     "\x82\xB5\x81\x41\x83\x60\x83\x46\x83\x62\x83N\x82\xF0\x8AO\x82\xB5\x82\xC4 OK \x82\xF0"
     "\x89\x9F\x82\xB7\x82\xC6\x8D\xED\x8F\x9C\x82\xC5\x82\xAB\x82\xDC\x82\xB7\x81\x42"},
    {kVerbNotWritten,
     "\x8E\x9F\x82\xCC\x8D\x80\x96\xDA\x82\xF0\x93o\x98\x5E\x82\xC5\x82\xAB\x82\xDC\x82\xB9"
     "\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42"},
};

// The bytes of the report buffer that its text leaves free.
unsigned ReportRoom(const char *buffer) {
  return kReportBufferSize - static_cast<unsigned>(StrEnd(buffer) - buffer);
}

} // namespace

bool FormatVerbReport(char *buffer, const VerbOutcome *outcomes, const char *const *captions,
                      const char *const *headings) {
  static_assert(sizeof kReportSections / sizeof kReportSections[0] == kReportHeadingCount,
                "one heading a section");
  buffer[0] = '\0';
  for (int part = 0; part < kReportHeadingCount; ++part) {
    const ReportSection &section = kReportSections[part];
    const char *heading =
        headings != nullptr && headings[part] != nullptr ? headings[part] : section.heading;
    bool headed = false;
    for (int i = 0; i < kVerbCount; ++i) {
      if (outcomes[i] != section.outcome) {
        continue;
      }
      if (!headed) {
        BoundedFormat(StrEnd(buffer), ReportRoom(buffer), "%s%s", buffer[0] != '\0' ? "\n\n" : "",
                      heading);
        headed = true;
      }
      char caption[kReportCaptionSize];
      CopyBounded(caption, captions[i] != nullptr ? captions[i] : "", kReportCaptionSize);
      BoundedFormat(StrEnd(buffer), ReportRoom(buffer), "\n    %s (%s)", caption,
                    kVerbTable[i].verbKey);
    }
  }
  return buffer[0] != '\0';
}
