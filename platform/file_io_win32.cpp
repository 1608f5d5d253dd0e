// File layer over the Win32 file services: one ReadFile or WriteFile call per
// record or sub-block, the system's own caching underneath.
#include <windows.h>

#include "platform/file_io.h"

namespace {

HANDLE Handle(FileHandle file) { return static_cast<HANDLE>(file.impl); }

}  // namespace

bool FileOpenRead(const char* path, FileHandle* file) {
    if (!path) return false;
    HANDLE handle =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    // Pipes and character devices could block a read; only disk files count.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return false;
    }
    file->impl = handle;
    return true;
}

bool FileCreateWrite(const char* path, FileHandle* file) {
    if (!path) return false;
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    file->impl = handle;
    return true;
}

size_t FileRead(FileHandle file, void* buffer, size_t size) {
    DWORD delivered = 0;
    if (!ReadFile(Handle(file), buffer, static_cast<DWORD>(size), &delivered, nullptr)) return 0;
    return delivered;
}

bool FileReadByte(FileHandle file, uint8_t* byte) { return FileRead(file, byte, 1) == 1; }

bool FileWrite(FileHandle file, const void* data, size_t size) {
    DWORD written = 0;
    return WriteFile(Handle(file), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

void FileSkip(FileHandle file, uint32_t count) {
    SetFilePointer(Handle(file), static_cast<LONG>(count), nullptr, FILE_CURRENT);
}

bool FileSeekTo(FileHandle file, uint32_t offset) {
    LONG high = 0;
    const DWORD result = SetFilePointer(Handle(file), static_cast<LONG>(offset), &high, FILE_BEGIN);
    return !(result == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool FileClose(FileHandle file) { return CloseHandle(Handle(file)) != 0; }

bool FileIdentityOf(const char* path, FileIdentity* identity) {
    if (!path) return false;
    // No access rights needed to ask for the identity; folders open too.
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) return false;
    identity->volume = info.dwVolumeSerialNumber;
    identity->index_high = info.nFileIndexHigh;
    identity->index_low = info.nFileIndexLow;
    return true;
}
