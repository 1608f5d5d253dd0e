// The main dialog IDD_MAIN: turns its messages into the frame list
// operations, frame inspection and the animation build.
#ifndef ZORVANE_WIN_MAIN_DIALOG_H
#define ZORVANE_WIN_MAIN_DIALOG_H

#include <windows.h>

// The size of the Save As file-name buffer, terminator included.
constexpr DWORD kOutputPathSize = 260;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

#endif  // ZORVANE_WIN_MAIN_DIALOG_H
