#include "win/main_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "gif/build_plan.h"
#include "gif/file_summary.h"
#include "gif/gif_records.h"
#include "res/resource.h"
#include "res/ui_texts.h"
#include "win/app_state.h"
#include "win/frame_list.h"

namespace {

const char kHelpFileName[] = ZORVANE_HELP_FILE;

constexpr WORD kClicked = BN_CLICKED;                // 0
constexpr WORD kSelectionChanged = LBN_SELCHANGE;    // 1
constexpr LPARAM kDelayRange = MAKELPARAM(1000, 0);  // upper 1000, lower 0
constexpr INT_PTR kClosedResult = 2;
constexpr INT_PTR kShellFailureLimit = 32;         // ShellExecuteA results up to this are failures
constexpr uint16_t kWindowsForeverCount = 0xFFFF;  // the count this program has always written for "forever"

// The Save As structure as the system of the 32-bit program knows it
// (OPENFILENAME_SIZE_VERSION_400A): no fields past lpTemplateName.
constexpr DWORD kSaveAsStructSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(sizeof(void*) != 4 || kSaveAsStructSize == 76, "Save As structure size on 32-bit Windows");
static_assert(sizeof(void*) != 8 || kSaveAsStructSize == 136, "Save As structure size on 64-bit Windows");
constexpr DWORD kSaveAsFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
static_assert(kSaveAsFlags == 0x806, "Save As options");

// Name and pattern of the one file type, each ended by a zero; the list ends
// with the string's own terminator.
const char kSaveAsFilter[] = ZORVANE_GIF_FILTER_NAME "\0" ZORVANE_GIF_PATTERN "\0";

// The name and summary pass through one buffer of this size; longer display
// names are cut to its length less the terminator.
constexpr size_t kInspectionBufferSize = 256;

// Asks for the output file in the Save As dialog; false when cancelled.
bool AskOutputPath(HWND dialog, char (&output_path)[kOutputPathSize]) {
    OPENFILENAMEA save_as;
    std::memset(&save_as, 0, sizeof save_as);
    save_as.lStructSize = kSaveAsStructSize;
    save_as.hwndOwner = dialog;
    save_as.hInstance = g_app.instance;
    save_as.lpstrFilter = kSaveAsFilter;
    save_as.nFilterIndex = 1;
    save_as.lpstrFile = output_path;
    save_as.nMaxFile = sizeof output_path;
    save_as.lpstrTitle = ZORVANE_SAVE_AS_TITLE;
    save_as.Flags = kSaveAsFlags;
    save_as.lpstrDefExt = ZORVANE_GIF_EXTENSION;
    output_path[0] = '\0';
    return GetSaveFileNameA(&save_as) != 0;
}

// Shows a failed build's message while its files are still open.
struct DialogBuildMessages final : BuildObserver {
    HWND dialog;
    explicit DialogBuildMessages(HWND d) : dialog(d) {}
    void Failed(const BuildResult& result) override {
        MessageBoxA(dialog, result.message, nullptr, result.icon == MessageIcon::kWarning ? MB_ICONWARNING : MB_OK);
    }
};

void InspectSelectedFrame(HWND dialog) {
    const int selected = SelectedFrame(dialog);
    if (selected < 0) return;  // a list box reports a change only onto an entry
    char text[kInspectionBufferSize];
    CopyDisplayName(dialog, selected, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_FRAME_NAME, text);
    const FileSummary summary =
        InspectFile(FramePathAt(dialog, static_cast<size_t>(selected)), InspectDepth::kFirstImage);
    if (summary.message) {
        // This window names an empty file as it names any file that is not a GIF.
        const char* message = summary.message == kMsgFileEmpty ? kMsgNotAGif : summary.message;
        MessageBoxA(dialog, message, nullptr, MB_ICONWARNING);
        return;
    }
    FormatFrameSummary(summary.width, summary.height, summary.palette_kind, summary.bits_per_pixel, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_FRAME_INFO, text);
}

// Every entry's first image, with the one delay of the field; looping
// forever (count 65535) when the box is ticked. A failed build leaves what
// it wrote.
void MakeAnimatedGif(HWND dialog) {
    char output_path[kOutputPathSize];
    if (!AskOutputPath(dialog, output_path)) return;
    BuildPlan plan;
    plan.output = output_path;
    plan.plays = IsDlgButtonChecked(dialog, IDC_LOOP) == BST_CHECKED ? kPlayForever : 1;
    plan.forever_count = kWindowsForeverCount;
    plan.mode = OutputMode::kWriteInPlace;
    plan.tables = TableRule::kEachFrame;  // the program's bytes: one local table per frame
    DelayRule delay;
    delay.given = true;
    delay.hundredths = static_cast<uint16_t>(GetDlgItemInt(dialog, IDC_DELAY, nullptr, FALSE) & 0xFFFFu);
    const size_t count = FrameCount(dialog);
    plan.entries.reserve(count);
    for (size_t i = 0; i < count; ++i)
        plan.entries.push_back(PlanEntry{FramePathAt(dialog, i), ImageChoice::kFirst, delay});
    DialogBuildMessages messages(dialog);
    BuildAnimation(plan, &messages);
}

// Opens a document or address with its default handler; on failure shows
// `failure_message` with the caption "Error".
void OpenWithShell(HWND dialog, const char* target, const char* failure_message) {
    const HINSTANCE result = ShellExecuteA(dialog, nullptr, target, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= kShellFailureLimit) {
        MessageBoxA(dialog, failure_message, ZORVANE_ERROR_CAPTION, MB_ICONWARNING);
    }
}

// The help document sits beside the program; the current folder moves with
// every Save As, so it is looked for by full path.
void OpenHelp(HWND dialog) {
    char path[MAX_PATH + sizeof kHelpFileName];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* name_start = path;
    if (length > 0 && length < MAX_PATH) {
        char* last_separator = std::strrchr(path, '\\');
        if (last_separator) name_start = last_separator + 1;
    }
    std::memcpy(name_start, kHelpFileName, sizeof kHelpFileName);
    OpenWithShell(dialog, path, ZORVANE_MSG_HELP_MISSING);
}

void OnInitDialog(HWND dialog) {
    g_app.dialog = dialog;
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_app.main_icon));
    CheckDlgButton(dialog, IDC_LOOP, BST_CHECKED);
    SendDlgItemMessageA(dialog, IDC_DELAY_SPIN, UDM_SETRANGE, 0, kDelayRange);
    SendDlgItemMessageA(dialog, IDC_WEB, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(g_app.main_icon));
    SendDlgItemMessageA(dialog, IDC_HELP, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(g_app.help_icon));
    DragAcceptFiles(dialog, TRUE);
}

bool OnCommand(HWND dialog, WORD id, WORD code) {
    if (code == kClicked) {
        switch (id) {
            case IDC_REMOVE_FRAME:
                RemoveSelectedFrame(dialog);
                return true;
            case IDC_CLEAR_ALL:
                ClearAllFrames(dialog);
                return true;
            case IDC_WEB:
                OpenWithShell(dialog, ZORVANE_HOME_PAGE, ZORVANE_MSG_WEB_FAILED);
                return true;
            case IDC_MAKE_GIF:
                MakeAnimatedGif(dialog);
                return true;
            case IDC_HELP:
                OpenHelp(dialog);
                return true;
            default:
                return false;  // also Enter (IDOK), Esc (IDCANCEL) and the loop box
        }
    }
    if (code == kSelectionChanged && id == IDC_FRAME_LIST) {
        InspectSelectedFrame(dialog);
        return true;
    }
    return false;
}

void OnClose(HWND dialog) {
    DragAcceptFiles(dialog, FALSE);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLEAR_ALL, kClicked), 0);
    EndDialog(dialog, kClosedResult);
    PostQuitMessage(0);
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(dialog);
            return TRUE;
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wparam), HIWORD(wparam)) ? TRUE : FALSE;
        case WM_DROPFILES:
            AddDroppedFiles(dialog, reinterpret_cast<HDROP>(wparam));
            return TRUE;
        case WM_CLOSE:
            OnClose(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}
