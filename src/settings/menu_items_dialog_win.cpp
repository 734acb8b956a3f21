#include "settings/menu_items_dialog.h"

// Stand-in until the dialog exists: behaves as a cancelled dialog.
bool ShowMenuItemsDialog(HWND owner) {
  (void)owner;
  return false;
}
