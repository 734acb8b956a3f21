// Matching of the destination switches, and the folder set without duplicates.
#include "app/switches.h"

#include <cstdlib>
#include <cstring>

#include "core/text.h"

const char *ApplySwitch(const char *argument, LaunchOptions *options) {
  const char *folder = nullptr;
  if (StartsWithNoCase(argument, kPathFolderPrefix)) {
    folder = argument + (sizeof kPathFolderPrefix - 1);
  }
  if (StrEqualNoCase(argument, "/open:0")) {
    options->openAfter = false;
  }
  if (StrEqualNoCase(argument, "/ext:0")) {
    options->dropExtension = true;
  }
  if (StrEqualNoCase(argument, "/path")) {
    options->destinationBits |= kDestinationBrowse;
  }
  if (StrEqualNoCase(argument, "/qlaunch")) {
    options->destinationBits |= kDestinationQuickLaunch;
  }
  for (const FolderSwitch &row : kFolderSwitches) {
    if (StrEqualNoCase(argument, row.text)) {
      options->destinationBits |= row.mask;
    }
  }
  return folder;
}

namespace {

// Appends a heap block of size bytes (at least 2, so that the tag test never
// reads past an entry) filled by head and body, or an entry without text.
int32_t AppendEntry(StringList *folders, const void *head, size_t headSize, const void *body,
                    size_t bodySize) {
  const size_t size = headSize + bodySize < 2 ? 2 : headSize + bodySize;
  char *copy = static_cast<char *>(calloc(size, 1));
  if (copy != nullptr) {
    memcpy(copy, head, headSize);
    if (bodySize != 0) {
      memcpy(copy + headSize, body, bodySize);
    }
  }
  const int32_t count = StringListAppend(folders, copy);
  if (count < 0) {
    free(copy);
  }
  return count;
}

bool WideEntryEqualsNoCase(char *text, int32_t index, void *user) {
  (void)index;
  const WideUnit *wide = WideFolderText(text);
  return wide != nullptr && WideEqualNoCase(wide, static_cast<const WideUnit *>(user));
}

} // namespace

int32_t AppendFolderOnce(StringList *folders, const char *folder) {
  if (StringListFind(folders, kForward, TextEqualsNoCase, const_cast<char *>(folder)) != nullptr) {
    return folders->count;
  }
  return AppendEntry(folders, folder, strlen(folder) + 1, nullptr, 0);
}

int32_t AppendWideFolderOnce(StringList *folders, const WideUnit *folder) {
  if (StringListFind(folders, kForward, WideEntryEqualsNoCase, const_cast<WideUnit *>(folder)) !=
      nullptr) {
    return folders->count;
  }
  const char tag[2] = {0, kWideFolderTag};
  return AppendEntry(folders, tag, sizeof tag, folder, (WideLength(folder) + 1) * sizeof *folder);
}

const WideUnit *WideFolderText(const char *entry) {
  if (entry == nullptr || entry[0] != 0 || entry[1] != kWideFolderTag) {
    return nullptr;
  }
  return reinterpret_cast<const WideUnit *>(entry + 2);
}
