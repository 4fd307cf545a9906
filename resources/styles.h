// Window, dialog and control styles used by setup.rc. The resource compiler runs with a plain
// preprocessor and no system headers, so the values the templates need are spelled out here.
#pragma once

#define WS_POPUP 0x80000000
#define WS_CHILD 0x40000000
#define WS_VISIBLE 0x10000000
#define WS_DISABLED 0x08000000
#define WS_CAPTION 0x00C00000
#define WS_BORDER 0x00800000
#define WS_VSCROLL 0x00200000
#define WS_SYSMENU 0x00080000
#define WS_GROUP 0x00020000
#define WS_TABSTOP 0x00010000
#define WS_EX_APPWINDOW 0x00040000

#define DS_3DLOOK 0x0004
#define DS_SETFONT 0x0040
#define DS_MODALFRAME 0x0080

#define SS_LEFT 0x0000
#define SS_ICON 0x0003
#define SS_NOPREFIX 0x0080

#define BS_PUSHBUTTON 0x0000
#define BS_DEFPUSHBUTTON 0x0001
#define BS_AUTOCHECKBOX 0x0003

#define ES_LEFT 0x0000
#define ES_AUTOHSCROLL 0x0080
#define ES_OEMCONVERT 0x0400

#define LBS_NOTIFY 0x0001
#define LBS_SORT 0x0002
#define LBS_OWNERDRAWFIXED 0x0010
#define LBS_HASSTRINGS 0x0040
#define LBS_DISABLENOSCROLL 0x1000

#define CBS_DROPDOWNLIST 0x0003
#define CBS_OWNERDRAWFIXED 0x0010
#define CBS_AUTOHSCROLL 0x0040
#define CBS_SORT 0x0100
#define CBS_HASSTRINGS 0x0200

#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#define IDC_STATIC (-1)

// Control ids of the system's old-style open-file dialog, which template 1536 lays out anew.
#define IDC_FILE_NAME_LABEL 1090
#define IDC_FILE_NAME 1152
#define IDC_FILE_LIST 1120
#define IDC_FOLDER 1088
#define IDC_FOLDER_LIST 1121
#define IDC_FILE_TYPE_LABEL 1089
#define IDC_FILE_TYPES 1136
#define IDC_DRIVE_LABEL 1091
#define IDC_DRIVES 1137
#define IDC_HELP_BUTTON 1038
#define IDC_READ_ONLY 1040
