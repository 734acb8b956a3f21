// Link names and working directories over any folder and target: the link
// lies directly inside the folder under the target's whole last component
// (or that component without its last extension), never under a cut name,
// and takes at most 260 UTF-16 units; otherwise nothing is built. A link of
// at most 260 bytes is exactly the one the former byte rules gave, and those
// rules gave no other. The working directory is the target's whole folder.
// Every buffer is a heap block of exactly its documented size.
//
// Input: one flag byte (bit 0: drop the extension), the folder, a 0 byte,
// the target.
#include "fuzz_support.h"

#include "shell/shortcut.h"

namespace {

// CopyBounded into 261 bytes: at most 260 bytes, one less when the 261st
// byte would be the second half of a character.
std::string CutToPath(const std::string &text) {
  if (text.size() < static_cast<size_t>(kPathBufferSize)) {
    return text;
  }
  const std::vector<ByteKind> kinds = ReferenceKinds(text);
  const size_t keep = kPathBufferSize - 1;
  return text.substr(0, kinds[keep] == ByteKindTrail ? keep - 1 : keep);
}

// UTF-16 units: every byte but a Trail byte counts once.
size_t ReferenceUnits(const std::string &text) {
  size_t units = 0;
  for (ByteKind kind : ReferenceKinds(text)) {
    units += kind == ByteKindTrail ? 0 : 1;
  }
  return units;
}

// The link a plain reading of the naming rules gives, or "" for none.
std::string ExpectedLink(const std::string &folder, const std::string &target, bool drop) {
  const std::string name = target.substr(static_cast<size_t>(ReferenceLastSeparator(target) + 1));
  if (name == "." || name == ".." || name.find_first_of(":/") != std::string::npos ||
      folder.empty() || folder.size() > 260) {
    return "";
  }
  const std::vector<ByteKind> kinds = ReferenceKinds(folder);
  std::string prefix = folder;
  if (!(folder.back() == '\\' && kinds.back() == ByteKindSingle)) {
    if (kinds.back() == ByteKindLead) {
      return "";
    }
    prefix += '\\';
  }
  const size_t dot = name.rfind('.');
  const std::string stem = drop && dot != std::string::npos ? name.substr(0, dot) : name;
  const std::string link = prefix + stem + ".lnk";
  return ReferenceUnits(link) <= 260 ? link : "";
}

// The link the former byte rules gave (joined path cut at 260 bytes, the
// whole link at most 260 bytes), or "" for none.
std::string FormerLink(const std::string &folder, const std::string &target, bool drop) {
  const std::string name = target.substr(static_cast<size_t>(ReferenceLastSeparator(target) + 1));
  if (name == "." || name == ".." || name.find_first_of(":/") != std::string::npos ||
      folder.empty() || folder.size() >= static_cast<size_t>(kPathBufferSize)) {
    return "";
  }
  const std::vector<ByteKind> kinds = ReferenceKinds(folder);
  std::string prefix = folder;
  if (!(folder.back() == '\\' && kinds.back() == ByteKindSingle)) {
    if (kinds.back() == ByteKindLead || folder.size() + 1 >= static_cast<size_t>(kPathBufferSize)) {
      return "";
    }
    prefix += '\\';
  }
  std::string stem = name;
  const size_t dot = name.rfind('.');
  if (drop && dot != std::string::npos) {
    stem = name.substr(0, dot);
  }
  // The join keeps at most 260 bytes. A cut name is refused unless the cut
  // fell behind the dot of the extension that goes anyway.
  const std::string joined = CutToPath(prefix + name);
  if (joined.size() < prefix.size()) {
    return "";
  }
  const size_t kept = joined.size() - prefix.size();
  if (kept != name.size() && !(drop && dot != std::string::npos && kept > dot)) {
    return "";
  }
  const std::string link = prefix + stem + ".lnk";
  return link.size() <= static_cast<size_t>(kPathBufferSize - 1) ? link : "";
}

std::string FormerWorkingDirectory(const std::string &target) {
  const std::string cut = CutToPath(target);
  const int separator = ReferenceLastSeparator(cut);
  return separator < 0 ? cut : cut.substr(0, static_cast<size_t>(separator));
}

// The target's whole folder, or "" when it does not fit its buffer.
std::string ExpectedWorkingDirectory(const std::string &target) {
  const int separator = ReferenceLastSeparator(target);
  const std::string folder =
      separator < 0 ? target : target.substr(0, static_cast<size_t>(separator));
  return folder.size() < static_cast<size_t>(kWorkingDirectoryBufferSize) ? folder : "";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  const bool drop = (input.TakeByte() & 1) != 0;
  const std::string folder = input.TakeText();
  const std::string target = input.TakeText();
  std::vector<char> folderCopy = ExactCopy(folder);
  std::vector<char> targetCopy = ExactCopy(target);

  std::vector<char> link(kLinkPathBufferSize, '\xEE');
  const bool built = BuildLinkPath(link.data(), folderCopy.data(), targetCopy.data(), drop);
  const std::string text = TerminatedText(link);
  const std::string expected = ExpectedLink(folder, target, drop);
  FUZZ_CHECK(text == expected);
  FUZZ_CHECK(built == !expected.empty());
  const std::string former = FormerLink(folder, target, drop);
  FUZZ_CHECK(former.empty() || former == text);
  FUZZ_CHECK(text.size() > 260 || former == text);
  if (built) {
    // Directly inside the folder: no separator after the folder's own.
    FUZZ_CHECK(Utf16Length(text.c_str()) <= static_cast<size_t>(kLinkPathUnitLimit));
    FUZZ_CHECK(text.compare(0, folder.size(), folder) == 0);
    const bool endsInSeparator =
        ReferenceLastSeparator(folder) + 1 == static_cast<int>(folder.size());
    FUZZ_CHECK(ReferenceLastSeparator(text) ==
               static_cast<int>(folder.size()) - (endsInSeparator ? 1 : 0));
    FUZZ_CHECK(text.compare(text.size() - 4, 4, ".lnk") == 0);
  }

  std::vector<char> dir(kWorkingDirectoryBufferSize, '\xEE');
  const bool dirBuilt = BuildWorkingDirectory(dir.data(), targetCopy.data());
  const std::string dirText = TerminatedText(dir);
  FUZZ_CHECK(dirText == ExpectedWorkingDirectory(target));
  FUZZ_CHECK(dirBuilt || dirText.empty());
  if (target.size() <= 260) {
    FUZZ_CHECK(dirBuilt && dirText == FormerWorkingDirectory(target));
  }
  const bool fits = LinkTargetFits(targetCopy.data());
  FUZZ_CHECK(fits == (ReferenceUnits(target) <= static_cast<size_t>(kTargetUnitLimit)));
  FUZZ_CHECK(!fits || dirBuilt);
  FUZZ_CHECK(std::string(targetCopy.data()) == target);
  return 0;
}
