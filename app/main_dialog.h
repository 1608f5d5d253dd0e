// The main dialog IDD_MAIN: turns its messages into the frame list
// operations, frame inspection and the animation build.
#ifndef ZORVANE_APP_MAIN_DIALOG_H
#define ZORVANE_APP_MAIN_DIALOG_H

#include <windows.h>

// The product's home page, opened by the "web" button.
#define ZORVANE_HOME_PAGE "https://zorvane.example/"

extern const char kHomePage[];
extern const char kHelpFileName[];
extern const char kMsgWebFailed[];
extern const char kMsgHelpMissing[];
extern const char kShellErrorCaption[];

// The size of the Save As file-name buffer, terminator included.
constexpr DWORD kOutputPathSize = 260;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

#endif  // ZORVANE_APP_MAIN_DIALOG_H
