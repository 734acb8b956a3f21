// Resource ids of linkto.exe, shared by the resource scripts and the code.
// Plain #defines only: the resource compiler reads this file too.
#ifndef LINKTO_RESOURCE_H
#define LINKTO_RESOURCE_H

// Dialogs and the program icon.
#define IDD_MENU_ITEMS 125
#define IDI_PROGRAM 126
#define IDD_DESTINATION 127
#define IDD_COMMAND_LINE 132

// The always-on-top command of a dialog's system menu.
#define IDM_TOPMOST 40004

// A control that is never addressed by id.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Destination check boxes: the same id means the same destination in the
// destination dialog and in the menu-items dialog.
#define IDC_SENDTO_CHECK 1030
#define IDC_STARTUP_CHECK 1031
#define IDC_STARTMENU_CHECK 1032
#define IDC_DESKTOP_CHECK 1033
#define IDC_QLAUNCH_CHECK 1034

// Menu-items dialog: caption edit and details button of each destination row.
#define IDC_SENDTO_CAPTION 1040
#define IDC_STARTUP_CAPTION 1041
#define IDC_STARTMENU_CAPTION 1042
#define IDC_DESKTOP_CAPTION 1043
#define IDC_QLAUNCH_CAPTION 1044
#define IDC_SENDTO_DETAILS 1050
#define IDC_STARTUP_DETAILS 1051
#define IDC_STARTMENU_DETAILS 1052
#define IDC_DESKTOP_DETAILS 1053
#define IDC_QLAUNCH_DETAILS 1054

// The prompt line at the top of the menu-items and destination dialogs.
#define IDC_PROMPT 1062

// Command-line dialog: key path, command text and the option boxes.
#define IDC_KEY_PATH_EDIT 1063
#define IDC_COMMAND_EDIT 1064
#define IDC_EXT0_CHECK 1065
#define IDC_OPEN0_CHECK 1066
#define IDC_PATH_CHECK 1067

// The program's own texts (string table). The default captions follow the
// verb table's order.
#define IDS_CAPTION_STARTMENU 200
#define IDS_CAPTION_STARTUP 201
#define IDS_CAPTION_SENDTO 202
#define IDS_CAPTION_DESKTOP 203
#define IDS_CAPTION_PATH 204
#define IDS_CAPTION_QLAUNCH 205
#define IDS_TOPMOST 210
#define IDS_REPORT_LEFT 211
#define IDS_REPORT_NOT_WRITTEN 212

#endif
