// Program entry of Zorvane.exe: one modal dialog, exit code 0.
#include <windows.h>

#include "win/app_state.h"
#include "win/main_dialog.h"
#include "res/resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitProgram(instance);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    return 0;
}
