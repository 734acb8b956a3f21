#include "settings/destination_dialog.h"

// Stand-in until the dialog exists: behaves as a cancelled dialog.
bool ShowDestinationDialog(HWND owner, LaunchOptions *options) {
  (void)owner;
  (void)options;
  return false;
}
