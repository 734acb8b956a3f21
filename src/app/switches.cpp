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

int32_t AppendFolderOnce(StringList *folders, const char *folder) {
  if (StringListFind(folders, kForward, TextEqualsNoCase, const_cast<char *>(folder)) != nullptr) {
    return folders->count;
  }
  const size_t size = strlen(folder) + 1;
  char *copy = static_cast<char *>(malloc(size));
  if (copy != nullptr) {
    memcpy(copy, folder, size);
  }
  const int32_t count = StringListAppend(folders, copy);
  if (count < 0) {
    free(copy);
  }
  return count;
}
