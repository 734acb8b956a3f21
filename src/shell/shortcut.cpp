// Names and working directories of shortcuts.
#include "shell/shortcut.h"

#include <cstring>

namespace {

const char kLinkExtension[] = ".lnk";

} // namespace

bool LinkTargetFits(const char *target) {
  return Utf16Length(target) <= static_cast<size_t>(kTargetUnitLimit);
}

bool BuildLinkPath(char *link, const char *folder, const char *target, bool dropExtension) {
  link[0] = 0;
  const char *name = FindFileName(target);
  // "." and ".." would put the link beside or above the folder, under the
  // folder's own name; a colon (C:x.txt, a drive-relative target) or a slash
  // would make the name a data stream or a path into another folder: never
  // write there. Neither byte is ever the second byte of a character.
  if (StrEqual(name, ".") || StrEqual(name, "..") || strpbrk(name, ":/") != nullptr) {
    return false;
  }
  const size_t folderLength = strlen(folder);
  if (folderLength == 0 || folderLength >= static_cast<size_t>(kPathBufferSize)) {
    return false;
  }
  const int last = static_cast<int>(folderLength - 1);
  const bool addsSeparator = !IsSeparatorAt(folder, last);
  // After a Lead byte the separator would be read as its second half.
  if (addsSeparator && ByteKindAt(folder, last) == ByteKindLead) {
    return false;
  }
  // The name starts after a separator, so its bytes classify alone as they
  // do in the target and in the link.
  const size_t stemLength =
      dropExtension ? static_cast<size_t>(FindExtension(name) - name) : strlen(name);
  const size_t length =
      folderLength + (addsSeparator ? 1 : 0) + stemLength + sizeof kLinkExtension - 1;
  if (length >= static_cast<size_t>(kLinkPathBufferSize)) {
    return false;
  }
  char *end = link;
  memcpy(end, folder, folderLength);
  end += folderLength;
  if (addsSeparator) {
    *end++ = '\\';
  }
  memcpy(end, name, stemLength);
  end += stemLength;
  memcpy(end, kLinkExtension, sizeof kLinkExtension);
  if (Utf16Length(link) > static_cast<size_t>(kLinkPathUnitLimit)) {
    link[0] = 0;
    return false;
  }
  return true;
}

bool BuildWorkingDirectory(char *dir, const char *target) {
  dir[0] = 0;
  const char *name = FindFileName(target);
  const size_t length = name == target ? strlen(target) : static_cast<size_t>(name - target) - 1;
  if (length >= static_cast<size_t>(kWorkingDirectoryBufferSize)) {
    return false;
  }
  memcpy(dir, target, length);
  dir[length] = 0;
  return true;
}
