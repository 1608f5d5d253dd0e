#include "win/app_state.h"

#include <commctrl.h>

#include "res/resource.h"

AppState g_app = {};

void InitProgram(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_UPDOWN_CLASS;
    static_assert(sizeof(INITCOMMONCONTROLSEX) == 8, "structure size 8");
    static_assert(ICC_UPDOWN_CLASS == 0x10, "up-down class flag");
    InitCommonControlsEx(&controls);

    g_app.instance = instance;
    g_app.heap = GetProcessHeap();
    g_app.main_icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN));
    g_app.help_icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_HELP));
}
