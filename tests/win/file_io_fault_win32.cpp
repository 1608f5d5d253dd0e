#include "tests/win/file_io_fault_win32.h"

#include <windows.h>

namespace {

long long g_room = -1;  // bytes the disk still takes; negative: no fault

}  // namespace

void FillDiskAfter(long long room) { g_room = room; }

// platform/file_io_win32.cpp as the Windows tests compile it calls this
// through its import slot, defined here in place of a DLL's.
extern "C" BOOL WINAPI FullDiskWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                         LPOVERLAPPED overlapped) {
    if (g_room < 0) return WriteFile(file, data, size, written, overlapped);
    const DWORD stored = g_room < static_cast<long long>(size) ? static_cast<DWORD>(g_room) : size;
    g_room -= stored;
    *written = 0;
    if (stored == 0) return TRUE;
    return WriteFile(file, data, stored, written, overlapped);
}
extern "C" {
#if defined(_WIN64)
decltype(&FullDiskWriteFile) __imp_ZorvaneTestWriteFile = FullDiskWriteFile;
#else
decltype(&FullDiskWriteFile) zorvane_imp_write_file __asm__("__imp__ZorvaneTestWriteFile@20") = FullDiskWriteFile;
#endif
}
