#include "settings/verb_state.h"

#include <cstdlib>
#include <cstring>

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
