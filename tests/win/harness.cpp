#include "tests/win/harness.h"

#include <dlgs.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "win/app_state.h"
#include "win/main_dialog.h"
#include "res/resource.h"

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;  // static holding a message box's text
constexpr int kMessageBoxIconId = stc1;    // static holding a message box's icon
constexpr int kSaveAsNameCombo = cmb13;    // Explorer-style Save As: file name
constexpr int kSaveAsNameEdit = edt1;      // older Save As: file name
constexpr int kSaveAsTypeCombo = cmb1;     // "Save as type"

std::string g_work_dir, g_corpus_dir;

CRITICAL_SECTION g_lock;  // guards what the watcher thread shares
struct Lock {
    Lock() { EnterCriticalSection(&g_lock); }
    ~Lock() { LeaveCriticalSection(&g_lock); }
};
std::string g_save_as_reply;
std::vector<ModalEvent> g_events;
std::vector<HWND> g_answered;  // by the watcher thread only
std::atomic<HWND> g_main_dialog{nullptr};

INT_PTR g_shell_result = kShellOpened;
std::vector<ShellCall> g_shell_calls;

std::string WindowText(HWND window) {
    char text[2048] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void Answer(HWND window) {
    ModalEvent event = {};
    event.owner = GetWindow(window, GW_OWNER);
    event.caption = WindowText(window);
    HWND name = GetDlgItem(window, kSaveAsNameCombo);
    if (!name) name = GetDlgItem(window, kSaveAsNameEdit);
    event.save_as = name != nullptr;
    event.text = WindowText(GetDlgItem(window, event.save_as ? kSaveAsTypeCombo : kMessageBoxTextId));
    HWND icon_static = GetDlgItem(window, kMessageBoxIconId);
    const HICON icon = icon_static ? reinterpret_cast<HICON>(SendMessageA(icon_static, STM_GETICON, 0, 0)) : nullptr;
    event.any_icon = !event.save_as && icon != nullptr && IsWindowVisible(icon_static);
    event.warning_icon = event.any_icon && icon == LoadIconA(nullptr, IDI_WARNING);
    std::string reply;
    {
        Lock lock;
        g_events.push_back(event);
        reply = g_save_as_reply;
    }
    if (event.save_as && !reply.empty()) SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(reply.c_str()));
    const WPARAM button = event.save_as ? (reply.empty() ? IDCANCEL : IDOK) : GetDlgItem(window, IDYES) ? IDYES : IDOK;
    PostMessageA(window, WM_COMMAND, button, 0);
}

BOOL CALLBACK WatchWindow(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char class_name[16] = "";
    GetClassNameA(window, class_name, sizeof class_name);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::strcmp(class_name, "#32770") == 0 &&
        window != g_main_dialog && std::find(g_answered.begin(), g_answered.end(), window) == g_answered.end()) {
        g_answered.push_back(window);
        Answer(window);
    }
    return TRUE;
}

DWORD WINAPI WatcherThread(LPVOID) {
    for (;;) {
        EnumWindows(WatchWindow, 0);
        // Forget closed windows: their handles may come back.
        g_answered.erase(
            std::remove_if(g_answered.begin(), g_answered.end(), [](HWND w) { return !IsWindowVisible(w); }),
            g_answered.end());
        Sleep(20);
    }
}

}  // namespace

// Every ShellExecuteA call of this program comes here, never to the shell:
// defined as the import slot, it takes precedence over the import library's.
extern "C" HINSTANCE WINAPI RecordingShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                                   LPCSTR directory, INT show) {
    g_shell_calls.push_back({owner, verb || parameters || directory, file ? file : "", show});
    INT_PTR result = g_shell_result;
    if (result == kShellOpensExistingFiles) result = file && FileExists(file) ? kShellOpened : SE_ERR_FNF;
    return reinterpret_cast<HINSTANCE>(result);
}
extern "C" {
#if defined(_WIN64)
decltype(&RecordingShellExecuteA) __imp_ShellExecuteA = RecordingShellExecuteA;
#else
decltype(&RecordingShellExecuteA) zorvane_imp_shell_execute __asm__("__imp__ShellExecuteA@24") = RecordingShellExecuteA;
#endif
}

void SetShellResult(INT_PTR result) { g_shell_result = result; }
std::vector<ShellCall> TakeShellCalls() {
    std::vector<ShellCall> calls;
    calls.swap(g_shell_calls);
    return calls;
}

std::string WorkPath(const std::string& name) { return g_work_dir + "\\" + name; }
std::string CorpusPath(const std::string& name) { return g_corpus_dir + "\\" + name; }

std::string HostPath(const std::string& windows_path) {
    std::string path = windows_path.substr(windows_path.size() >= 2 && windows_path[1] == ':' ? 2 : 0);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

std::string WriteBytes(const std::string& name, const Bytes& bytes) {
    const std::string path = WorkPath(name);
    if (!WriteFileBytes(path, bytes)) ADD_FAILURE() << "writing " << path;
    return path;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool PumpMessages() {
    bool quit_posted = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit_posted = message.wParam == 0;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit_posted;
}

HWND OpenDialog() {
    HWND dialog = CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    g_main_dialog = dialog;
    SetSaveAsReply("");
    ClearModalEvents();
    ShowWindow(dialog, SW_SHOWNORMAL);
    SetForegroundWindow(dialog);
    PumpMessages();
    return dialog;
}

bool CloseDialog(HWND dialog) {
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    DestroyWindow(dialog);
    return PumpMessages();
}

void DropFiles(HWND dialog, const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* names = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) names = std::strcpy(names, path.c_str()) + path.size() + 1;
    GlobalUnlock(memory);
    SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    // Each drop is released once read (DragFinish frees its memory).
    if (GlobalFlags(memory) != GMEM_INVALID_HANDLE) {
        ADD_FAILURE() << "the drop of " << paths.size() << " files was not released";
        GlobalFree(memory);
    }
}

void Click(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

void ClickListEntry(HWND dialog, int index) {
    HWND list = GetDlgItem(dialog, IDC_FRAME_LIST);
    SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    RECT item = {};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    const LPARAM point = MAKELPARAM(item.left + 2, (item.top + item.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(list, WM_LBUTTONUP, 0, point);
    PumpMessages();
}

void TypeText(HWND dialog, int id, const std::string& text) {
    HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (unsigned char c : text) SendMessageA(edit, WM_CHAR, c, 0);
}

std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
int ListCount(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, IDC_FRAME_LIST, LB_GETCOUNT, 0, 0)); }

std::string ListText(HWND dialog, int index) {
    char text[1024] = "";  // longer than any name the tests use
    SendDlgItemMessageA(dialog, IDC_FRAME_LIST, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string ListPath(HWND dialog, int index) {
    const LRESULT data = SendDlgItemMessageA(dialog, IDC_FRAME_LIST, LB_GETITEMDATA, index, 0);
    return data == LB_ERR || data == 0 ? "<no path>" : reinterpret_cast<const char*>(data);
}

int LiveHeapBlocks() {
    int blocks = 0;
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(g_app.heap);
    while (HeapWalk(g_app.heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++blocks;
    HeapUnlock(g_app.heap);
    return blocks;
}

void SetSaveAsReply(const std::string& path) {
    Lock lock;
    g_save_as_reply = path;
}
void ClearModalEvents() {
    Lock lock;
    g_events.clear();
}
std::vector<ModalEvent> ModalEvents() {
    Lock lock;
    return g_events;
}

void MainDialog::SetUp() {
    SetShellResult(kShellOpened);
    TakeShellCalls();
    dialog = OpenDialog();
    ASSERT_TRUE(dialog != nullptr);
}

void MainDialog::TearDown() {
    if (IsWindow(dialog)) CloseDialog(dialog);
}

void MainDialog::Reopen() {
    TearDown();
    SetUp();
}

// zorvane_dialog_tests [GOOGLETEST FLAGS] WORK_DIR CORPUS_DIR [SCREENSHOT.bmp]
// With a screenshot path: the window's picture for the documentation, then,
// in the same process and fonts, only the layout tests.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 3 || argc > 4) {
        std::printf("usage: zorvane_dialog_tests [GOOGLETEST FLAGS] WORK_DIR CORPUS_DIR [SCREENSHOT.bmp]\n");
        return 2;
    }
    InitializeCriticalSection(&g_lock);
    InitProgram(GetModuleHandleA(nullptr));
    g_app.heap = HeapCreate(0, 0, 0);  // paths on a heap of their own, so the tests can count them
    g_work_dir = argv[1];
    g_corpus_dir = argv[2];
    CreateDirectoryA(g_work_dir.c_str(), nullptr);
    if (!CreateThread(nullptr, 0, WatcherThread, nullptr, 0, nullptr)) return 2;
    if (argc == 4) {
        if (!TakeScreenshot(argv[3])) return 1;
        GTEST_FLAG_SET(filter, "DialogLayout.*");
    }
    return RUN_ALL_TESTS();
}
