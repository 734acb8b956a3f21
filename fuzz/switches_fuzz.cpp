// Switch matching and the folder set over any arguments: ApplySwitch sets
// exactly the fields that a plain reading of the switch table names and
// returns the folder text of a /path: argument; AppendFolderOnce keeps one
// heap copy per folder, folding ASCII letters only where they stand alone.
//
// Input: one byte of starting state, then arguments separated by 0 bytes.
// Every argument is applied and offered to the folder set.
#include "fuzz_support.h"

#include "app/switches.h"
#include "core/string_list.h"

namespace {

unsigned char Fold(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return InRange(byte, 'A', 'Z') ? static_cast<unsigned char>(byte + 0x20) : byte;
}

bool SameNoCase(const std::string &a, const char *b) {
  const size_t length = strlen(b);
  if (a.size() != length) {
    return false;
  }
  for (size_t i = 0; i < length; ++i) {
    if (Fold(a[i]) != Fold(b[i])) {
      return false;
    }
  }
  return true;
}

// Equal with ASCII letters folded, but the second byte of a double-byte
// character compared as it is.
bool SameFolder(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) {
    return false;
  }
  const std::vector<ByteKind> kinds = ReferenceKinds(a);
  for (size_t i = 0; i < a.size(); ++i) {
    if (kinds[i] == ByteKindTrail ? a[i] != b[i] : Fold(a[i]) != Fold(b[i])) {
      return false;
    }
  }
  return true;
}

void CheckApply(const std::string &argument, LaunchOptions *options) {
  const LaunchOptions before = *options;
  uint32_t bits = 0;
  for (const FolderSwitch &row : kFolderSwitches) {
    if (SameNoCase(argument, row.text)) {
      bits |= row.mask;
    }
  }
  if (SameNoCase(argument, "/path")) {
    bits |= kDestinationBrowse;
  }
  if (SameNoCase(argument, "/qlaunch")) {
    bits |= kDestinationQuickLaunch;
  }
  const bool isPathFolder = argument.size() >= 6 && SameNoCase(argument.substr(0, 6), "/path:");

  std::vector<char> exact = ExactCopy(argument);
  const char *folder = ApplySwitch(exact.data(), options);
  FUZZ_CHECK(folder == (isPathFolder ? exact.data() + 6 : nullptr));
  FUZZ_CHECK(options->destinationBits == (before.destinationBits | bits));
  FUZZ_CHECK(options->openAfter == (before.openAfter && !SameNoCase(argument, "/open:0")));
  FUZZ_CHECK(options->dropExtension == (before.dropExtension || SameNoCase(argument, "/ext:0")));
  FUZZ_CHECK(options->folders == before.folders);
  FUZZ_CHECK(std::string(exact.data()) == argument);
}

void CheckAppend(const std::string &folder, StringList *list, std::vector<std::string> *model) {
  bool known = false;
  for (const std::string &entry : *model) {
    known = known || SameFolder(folder, entry);
  }
  std::vector<char> exact = ExactCopy(folder);
  const int32_t count = AppendFolderOnce(list, exact.data());
  if (!known) {
    model->push_back(folder);
  }
  FUZZ_CHECK(count == static_cast<int32_t>(model->size()));
  FUZZ_CHECK(list->count == count);
  size_t i = 0;
  for (StringListNode *node = StringListEnd(list, kForward); node != nullptr;
       node = StringListStep(node, kForward), ++i) {
    FUZZ_CHECK(i < model->size());
    const char *text = StringListText(node);
    FUZZ_CHECK(text != nullptr && text != exact.data());
    FUZZ_CHECK((*model)[i] == text);
  }
  FUZZ_CHECK(i == model->size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  const uint8_t state = input.TakeByte();
  StringList *folders = StringListCreate();
  FUZZ_CHECK(folders != nullptr);
  LaunchOptions options = {(state & 1) != 0, (state & 2) != 0,
                           static_cast<uint32_t>(state >> 2) << 20, folders};
  std::vector<std::string> model;
  while (input.size > 0) {
    const std::string argument = input.TakeText();
    CheckApply(argument, &options);
    CheckAppend(argument, folders, &model);
  }
  StringListDestroy(folders);
  return 0;
}
