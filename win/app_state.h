// Process-wide state of the Windows program: set once, read by every handler.
#ifndef ZORVANE_WIN_APP_STATE_H
#define ZORVANE_WIN_APP_STATE_H

#include <windows.h>

struct AppState {
    HINSTANCE instance;  // for the Save As dialog and the resources
    HANDLE heap;         // frame paths live here
    HWND dialog;         // the main dialog, once WM_INITDIALOG has run
    HICON main_icon;     // IDI_MAIN: window icon and the "web" button
    HICON help_icon;     // IDI_HELP: the "help" button
};

extern AppState g_app;

// Steps of the program entry before the dialog runs: registers the up-down
// class, keeps the instance and the process heap, loads both icons.
void InitProgram(HINSTANCE instance);

#endif  // ZORVANE_WIN_APP_STATE_H
