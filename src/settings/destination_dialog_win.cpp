#include "settings/destination_dialog.h"

#include <cstdint>

#include "resource.h"
#include "ui/window.h"

namespace {

// The five destinations the dialog offers, in the order they are read and set.
struct DestinationBox {
  uint32_t bit;
  int boxId;
};

const DestinationBox kDestinationBoxes[] = {
    {0x2, IDC_STARTMENU_CHECK},     // /startmenu
    {0x8, IDC_STARTUP_CHECK},       // /startup
    {0x20, IDC_SENDTO_CHECK},       // /sendto
    {0x800, IDC_DESKTOP_CHECK},     // /desktop
    {0x1000000, IDC_QLAUNCH_CHECK}, // /qlaunch
};

LaunchOptions *DialogOptions(HWND dialog) {
  return static_cast<LaunchOptions *>(GetPropA(dialog, PROP_DIALOGPARAM));
}

void InitDestinationDialog(HWND dialog, LaunchOptions *options) {
  SetPropA(dialog, PROP_DIALOGPARAM, options);
  InitSharedDialog(dialog);
  const uint32_t bits = options != nullptr ? options->destinationBits : 0;
  for (const DestinationBox &box : kDestinationBoxes) {
    CheckDlgButton(dialog, box.boxId, (bits & box.bit) != 0 ? BST_CHECKED : BST_UNCHECKED);
  }
}

// OK: the checked boxes replace the whole mask.
void ConfirmDestinations(HWND dialog) {
  uint32_t bits = 0;
  for (const DestinationBox &box : kDestinationBoxes) {
    if (IsDlgButtonChecked(dialog, box.boxId) == BST_CHECKED) {
      bits |= box.bit;
    }
  }
  LaunchOptions *options = DialogOptions(dialog);
  if (options != nullptr) {
    options->destinationBits = bits;
  }
  EndDialog(dialog, IDOK);
}

} // namespace

INT_PTR CALLBACK DestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    InitDestinationDialog(dialog, reinterpret_cast<LaunchOptions *>(lParam));
    return TRUE;
  case WM_COMMAND:
    switch (LOWORD(wParam)) {
    case IDOK:
      ConfirmDestinations(dialog);
      break;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      break;
    default: // the check boxes toggle themselves
      break;
    }
    return TRUE;
  case WM_DESTROY:
    RemovePropA(dialog, PROP_DIALOGPARAM);
    return TRUE;
  default: {
    INT_PTR result = FALSE;
    SharedDialogMessage(dialog, message, wParam, lParam, &result);
    return result;
  }
  }
}

bool ShowDestinationDialog(HWND owner, LaunchOptions *options) {
  if (options == nullptr) {
    return false;
  }
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DESTINATION), owner,
                         DestinationDialogProc, reinterpret_cast<LPARAM>(options)) == IDOK;
}
