// Resource identifiers of Zorvane: icons, the main dialog and its controls.
// Included by the resource script and by the C++ sources.
#ifndef ZORVANE_RES_RESOURCE_H
#define ZORVANE_RES_RESOURCE_H

// Icons. IDI_MAIN has the lowest identifier, so it is the program file's icon.
#define IDI_MAIN 101
#define IDI_HELP 103

// The main dialog.
#define IDD_MAIN 102

// Controls of IDD_MAIN.
#define IDC_FRAME_LIST 1000
#define IDC_REMOVE_FRAME 1001
#define IDC_CLEAR_ALL 1002
#define IDC_WEB 1003
#define IDC_MAKE_GIF 1004
// winuser.h names a system cursor IDC_HELP; this program uses no such cursor,
// and the name belongs to its help button.
#ifdef IDC_HELP
#undef IDC_HELP
#endif
#define IDC_HELP 1005
#define IDC_DELAY 1010
#define IDC_DELAY_SPIN 1011
#define IDC_FRAME_INFO 1012
#define IDC_FRAME_NAME 1013
#define IDC_LOOP 1014

// Labels, group boxes and the notice carry no identifier of their own.
#define IDC_NONE (-1)

#endif  // ZORVANE_RES_RESOURCE_H
