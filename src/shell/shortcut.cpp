// Names and working directories of shortcuts. One set of rules for both kinds
// of text: code-page bytes, under the double-byte rules of code page 932, and
// UTF-16 units, where only the unit 0x5C is a separator.
#include "shell/shortcut.h"

#include <cstring>

namespace {

const char kLinkExtension[] = ".lnk";

// What the rules ask of a text, for each unit type.
size_t LengthOf(const char *s) {
  return strlen(s);
}
size_t LengthOf(const WideUnit *s) {
  return WideLength(s);
}
size_t UnitsOf(const char *s) {
  return Utf16Length(s);
}
size_t UnitsOf(const WideUnit *s) {
  return WideLength(s);
}
bool EndsInLead(const char *s, int last) {
  return ByteKindAt(s, last) == ByteKindLead;
}
bool EndsInLead(const WideUnit *, int) {
  return false;
}
bool SeparatorAt(const char *s, int i) {
  return IsSeparatorAt(s, i);
}
bool SeparatorAt(const WideUnit *s, int i) {
  return s[i] == '\\';
}
// Position just after the last separator, or s itself.
const char *FileNameOf(const char *s) {
  return FindFileName(s);
}
const WideUnit *FileNameOf(const WideUnit *s) {
  const WideUnit *name = s;
  for (const WideUnit *p = s; *p != 0; ++p) {
    if (*p == '\\') {
      name = p + 1;
    }
  }
  return name;
}

// The last '.' of a name that holds no separator, or its terminator. In code
// page 932 a Trail byte is never 0x2E, so a unit test finds only real dots.
template <typename Unit> const Unit *ExtensionOf(const Unit *name) {
  const Unit *dot = nullptr;
  for (const Unit *p = name; *p != 0; ++p) {
    if (*p == '.') {
      dot = p;
    }
  }
  return dot != nullptr ? dot : name + LengthOf(name);
}

// "." and ".." would put the link beside or above the folder, under the
// folder's own name; a colon (C:x.txt, a drive-relative target) or a slash
// would make the name a data stream or a path into another folder. Neither
// byte is ever the second byte of a character.
template <typename Unit> bool LeavesTheFolder(const Unit *name) {
  if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) {
    return true;
  }
  for (const Unit *p = name; *p != 0; ++p) {
    if (*p == ':' || *p == '/') {
      return true;
    }
  }
  return false;
}

template <typename Unit>
bool BuildLink(Unit *link, const Unit *folder, const Unit *target, bool dropExtension) {
  link[0] = 0;
  const Unit *name = FileNameOf(target);
  if (LeavesTheFolder(name)) {
    return false;
  }
  const size_t folderLength = LengthOf(folder);
  if (folderLength == 0 || folderLength >= static_cast<size_t>(kPathBufferSize)) {
    return false;
  }
  const int last = static_cast<int>(folderLength - 1);
  const bool addsSeparator = !SeparatorAt(folder, last);
  // After a Lead byte the separator would be read as its second half.
  if (addsSeparator && EndsInLead(folder, last)) {
    return false;
  }
  // The name starts after a separator, so its bytes classify alone as they
  // do in the target and in the link.
  const size_t stemLength =
      dropExtension ? static_cast<size_t>(ExtensionOf(name) - name) : LengthOf(name);
  const size_t length =
      folderLength + (addsSeparator ? 1 : 0) + stemLength + sizeof kLinkExtension - 1;
  if (length >= static_cast<size_t>(kLinkPathBufferSize)) {
    return false;
  }
  Unit *end = link;
  memcpy(end, folder, folderLength * sizeof(Unit));
  end += folderLength;
  if (addsSeparator) {
    *end++ = '\\';
  }
  memcpy(end, name, stemLength * sizeof(Unit));
  end += stemLength;
  for (const char *p = kLinkExtension; *p != 0; ++p) {
    *end++ = static_cast<Unit>(*p);
  }
  *end = 0;
  if (UnitsOf(link) > static_cast<size_t>(kLinkPathUnitLimit)) {
    link[0] = 0;
    return false;
  }
  return true;
}

template <typename Unit> bool BuildDirectory(Unit *dir, const Unit *target) {
  dir[0] = 0;
  const Unit *name = FileNameOf(target);
  const size_t length = name == target ? LengthOf(target) : static_cast<size_t>(name - target) - 1;
  if (length >= static_cast<size_t>(kWorkingDirectoryBufferSize)) {
    return false;
  }
  memcpy(dir, target, length * sizeof(Unit));
  dir[length] = 0;
  return true;
}

} // namespace

bool LinkTargetFits(const char *target) {
  return UnitsOf(target) <= static_cast<size_t>(kTargetUnitLimit);
}
bool LinkTargetFits(const WideUnit *target) {
  return UnitsOf(target) <= static_cast<size_t>(kTargetUnitLimit);
}

bool BuildLinkPath(char *link, const char *folder, const char *target, bool dropExtension) {
  return BuildLink(link, folder, target, dropExtension);
}
bool BuildLinkPath(WideUnit *link, const WideUnit *folder, const WideUnit *target,
                   bool dropExtension) {
  return BuildLink(link, folder, target, dropExtension);
}

bool BuildWorkingDirectory(char *dir, const char *target) {
  return BuildDirectory(dir, target);
}
bool BuildWorkingDirectory(WideUnit *dir, const WideUnit *target) {
  return BuildDirectory(dir, target);
}
