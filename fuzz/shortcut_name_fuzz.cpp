// Link names and working directories over any folder and target: the link
// lies directly inside the folder under the target's whole last component
// (or that component without its last extension), never under a cut name,
// and holds at most 260 bytes; otherwise nothing is built. Both buffers are
// heap blocks of exactly their documented sizes.
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

// The link a plain reading of the naming rules gives, or "" for none.
std::string ExpectedLink(const std::string &folder, const std::string &target, bool drop) {
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

std::string ExpectedWorkingDirectory(const std::string &target) {
  const std::string cut = CutToPath(target);
  const int separator = ReferenceLastSeparator(cut);
  return separator < 0 ? cut : cut.substr(0, static_cast<size_t>(separator));
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
  if (built) {
    // Directly inside the folder: no separator after the folder's own.
    FUZZ_CHECK(text.size() <= static_cast<size_t>(kPathBufferSize - 1));
    FUZZ_CHECK(text.compare(0, folder.size(), folder) == 0);
    const bool endsInSeparator =
        ReferenceLastSeparator(folder) + 1 == static_cast<int>(folder.size());
    FUZZ_CHECK(ReferenceLastSeparator(text) ==
               static_cast<int>(folder.size()) - (endsInSeparator ? 1 : 0));
    FUZZ_CHECK(text.compare(text.size() - 4, 4, ".lnk") == 0);
  }

  std::vector<char> dir(kPathBufferSize, '\xEE');
  BuildWorkingDirectory(dir.data(), targetCopy.data());
  FUZZ_CHECK(TerminatedText(dir) == ExpectedWorkingDirectory(target));
  FUZZ_CHECK(std::string(targetCopy.data()) == target);
  return 0;
}
