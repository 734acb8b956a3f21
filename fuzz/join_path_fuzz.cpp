// JoinPath with every kind of name ("." and ".." included), every base and
// buffer sizes from 1 byte up. The destination is a heap buffer of exactly
// size bytes and the base gets no more than size bytes.
#include "fuzz_support.h"

namespace {

// name copied as CopyBounded copies it into room bytes.
std::string BoundedCopy(const std::string &name, int room) {
  std::vector<char> buffer(static_cast<size_t>(room));
  std::vector<char> src = ExactCopy(name);
  CopyBounded(buffer.data(), src.data(), room);
  return TerminatedText(buffer);
}

// The parent of base, which holds a separator and fits: base cut at its last
// separator, which stays when the rest has no 0x5C byte at all.
std::string ExpectedParent(const std::string &base) {
  int cut = ReferenceLastSeparator(base);
  if (cut < 0) {
    return "";
  }
  std::string parent = base.substr(0, static_cast<size_t>(cut));
  if (parent.find('\\') == std::string::npos) {
    parent += '\\';
  }
  // The same answer from the path routines.
  std::vector<char> path = ExactCopy(base);
  FUZZ_CHECK(RemoveFileName(path.data()) == path.data() + cut + 1);
  FUZZ_CHECK(base.substr(0, static_cast<size_t>(cut)) == path.data());
  return parent;
}

std::string ExpectedJoin(const std::string &base, const std::string &name, int size) {
  if (base.empty()) {
    return BoundedCopy(name, size);
  }
  if (base.size() >= static_cast<size_t>(size)) {
    return ""; // base does not fit whole
  }
  if (name == ".") {
    return base;
  }
  if (name == "..") {
    return ExpectedParent(base);
  }
  std::vector<ByteKind> kinds = ReferenceKinds(base);
  std::string joined = base;
  if (!(base.back() == '\\' && kinds.back() == ByteKindSingle)) {
    if (base.size() + 2 > static_cast<size_t>(size) || kinds.back() == ByteKindLead) {
      return ""; // no room for the separator, or it would become a Trail byte
    }
    joined += '\\';
  }
  return joined + BoundedCopy(name, size - static_cast<int>(joined.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  int bufferSize = FuzzBufferSize(input.TakeByte());
  uint8_t mode = input.TakeByte();
  std::string base = input.TakeText();
  std::string name = input.TakeText();
  if (mode % 4 == 0) {
    name = ".";
  } else if (mode % 4 == 1) {
    name = "..";
  }
  std::vector<char> baseBuffer = ExactPrefix(base, static_cast<size_t>(bufferSize));
  std::vector<char> nameBuffer = ExactCopy(name);
  std::vector<char> dst(static_cast<size_t>(bufferSize), '\xEE');

  FUZZ_CHECK(JoinPath(dst.data(), bufferSize, baseBuffer.data(), nameBuffer.data()));

  std::string joined = TerminatedText(dst);
  FUZZ_CHECK(joined == ExpectedJoin(base, name, bufferSize));
  if (!base.empty() && !joined.empty() && name != "." && name != "..") {
    // The base is kept whole and a separator that is a Single byte follows.
    size_t joint = base.size();
    if (ReferenceLastSeparator(base) != static_cast<int>(base.size()) - 1) {
      FUZZ_CHECK(joined.compare(0, joint, base) == 0);
      FUZZ_CHECK(ReferenceKinds(joined)[joint] == ByteKindSingle && joined[joint] == '\\');
    }
    if (WellFormed(base) && WellFormed(name)) {
      FUZZ_CHECK(WellFormed(joined));
    }
  }
  return 0;
}
