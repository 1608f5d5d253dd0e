#include "win/frame_list.h"

#include <cstring>

#include "win/app_state.h"
#include "res/resource.h"

namespace {

constexpr UINT kDropFileCount = 0xFFFFFFFF;  // DragQueryFileA index asking for the count
constexpr char kPathSeparator = '\\';
const char kEmptyText[] = "";

LRESULT ListMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    return SendDlgItemMessageA(dialog, IDC_FRAME_LIST, message, wparam, lparam);
}

void EnableBuildButton(HWND dialog, bool enabled) { EnableWindow(GetDlgItem(dialog, IDC_MAKE_GIF), enabled); }

void FreeEntryPath(HWND dialog, int index) {
    const LRESULT data = ListMessage(dialog, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data != LB_ERR && data != 0) HeapFree(g_app.heap, 0, reinterpret_cast<void*>(data));
}

// Adds one dropped file; a path that cannot be allocated or a list box that
// refuses the item leaves the list as it was.
void AddDroppedFile(HWND dialog, HDROP drop, UINT file_index) {
    const UINT length = DragQueryFileA(drop, file_index, nullptr, 0);
    char* path = static_cast<char*>(HeapAlloc(g_app.heap, 0, static_cast<SIZE_T>(length) + 1));
    if (!path) return;
    path[0] = '\0';
    DragQueryFileA(drop, file_index, path, length + 1);
    const LRESULT index = ListMessage(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DisplayNameOf(path)));
    if (index == LB_ERR || index == LB_ERRSPACE ||
        ListMessage(dialog, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(path)) == LB_ERR) {
        if (index >= 0) ListMessage(dialog, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        HeapFree(g_app.heap, 0, path);
    }
}

}  // namespace

const char* DisplayNameOf(const char* path) {
    const char* last = std::strrchr(path, kPathSeparator);  // byte by byte, whatever the code page
    return last ? last + 1 : path;
}

void AddDroppedFiles(HWND dialog, HDROP drop) {
    const UINT count = DragQueryFileA(drop, kDropFileCount, nullptr, 0);
    for (UINT i = 0; i < count; ++i) AddDroppedFile(dialog, drop, i);
    DragFinish(drop);
    EnableBuildButton(dialog, true);
}

void RemoveSelectedFrame(HWND dialog) {
    const int selected = SelectedFrame(dialog);
    if (selected >= 0) {
        FreeEntryPath(dialog, selected);
        ListMessage(dialog, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    }
    if (FrameCount(dialog) == 0) EnableBuildButton(dialog, false);
}

void ClearAllFrames(HWND dialog) {
    while (FrameCount(dialog) > 0) {
        FreeEntryPath(dialog, 0);
        ListMessage(dialog, LB_DELETESTRING, 0, 0);
    }
    SetDlgItemTextA(dialog, IDC_FRAME_NAME, kEmptyText);
    SetDlgItemTextA(dialog, IDC_FRAME_INFO, kEmptyText);
    EnableBuildButton(dialog, false);
}

size_t FrameCount(HWND dialog) {
    const LRESULT count = ListMessage(dialog, LB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<size_t>(count) : 0;
}

const char* FramePathAt(HWND dialog, size_t index) {
    const LRESULT data = ListMessage(dialog, LB_GETITEMDATA, index, 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<const char*>(data);
}

int SelectedFrame(HWND dialog) {
    const LRESULT selected = ListMessage(dialog, LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

void CopyDisplayName(HWND dialog, int index, char* out, size_t out_size) {
    out[0] = '\0';
    const LRESULT length = ListMessage(dialog, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0) return;
    const size_t full_size = static_cast<size_t>(length) + 1;
    // LB_GETTEXT writes the whole text whatever the buffer: fetch long names
    // into a buffer of their own size and cut the copy.
    char* text = full_size <= out_size ? out : static_cast<char*>(HeapAlloc(g_app.heap, 0, full_size));
    if (!text) return;
    const LRESULT fetched = ListMessage(dialog, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    if (fetched == LB_ERR) {
        text[0] = '\0';
    }
    if (text == out) return;

    size_t kept = 0;
    while (text[kept] != '\0') {
        const size_t step = (IsDBCSLeadByte(static_cast<BYTE>(text[kept])) && text[kept + 1] != '\0') ? 2 : 1;
        if (kept + step > out_size - 1) break;
        kept += step;
    }
    std::memcpy(out, text, kept);
    out[kept] = '\0';
    HeapFree(g_app.heap, 0, text);
}
