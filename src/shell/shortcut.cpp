// Names and working directories of shortcuts.
#include "shell/shortcut.h"

#include <cstring>

namespace {

const char kLinkExtension[] = ".lnk";

} // namespace

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
  JoinPath(link, kPathBufferSize, folder, name);
  // The join cuts a name that does not fit. A cut name is another file's
  // name, so such a link is not written, unless the cut fell inside the
  // extension that is dropped anyway.
  const bool addsSeparator = !IsSeparatorAt(folder, static_cast<int>(folderLength - 1));
  const size_t nameStart = folderLength + (addsSeparator ? 1 : 0);
  const size_t joinedLength = strlen(link);
  if (joinedLength < nameStart) {
    link[0] = 0;
    return false;
  }
  const size_t kept = joinedLength - nameStart;
  if (kept != strlen(name)) {
    const char *dot = FindExtension(name);
    const bool cutInDroppedExtension =
        dropExtension && *dot == '.' && kept > static_cast<size_t>(dot - name);
    if (!cutInDroppedExtension) {
      link[0] = 0;
      return false;
    }
  }
  if (dropExtension) {
    RemoveExtension(link);
  }
  const size_t length = strlen(link);
  if (length + sizeof kLinkExtension - 1 > static_cast<size_t>(kPathBufferSize - 1)) {
    link[0] = 0;
    return false;
  }
  memcpy(link + length, kLinkExtension, sizeof kLinkExtension);
  return true;
}

void BuildWorkingDirectory(char *dir, const char *target) {
  CopyBounded(dir, target, kPathBufferSize);
  RemoveFileName(dir);
}
