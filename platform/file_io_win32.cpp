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

bool FileSeekTo(FileHandle file, uint64_t offset) {
    LONG high = static_cast<LONG>(offset >> 32);
    const DWORD result = SetFilePointer(Handle(file), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    return !(result == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

uint64_t FileTell(FileHandle file) {
    LONG high = 0;
    const DWORD low = SetFilePointer(Handle(file), 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return 0;
    return (static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low;
}

namespace {

// The temporary file being written, for the console control handler.
char g_pending_path[sizeof(TemporaryFile::path)];
volatile LONG g_pending = 0;

// Scratch files not yet discarded: copies of their paths, each set once
// complete and cleared before it is freed.
constexpr size_t kMaxScratchFiles = 256;
char* volatile g_scratch[kMaxScratchFiles];

bool AddScratch(const char* path) {
    for (size_t i = 0; i < kMaxScratchFiles; ++i) {
        if (g_scratch[i]) continue;
        char* copy = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, lstrlenA(path) + 1));
        if (!copy) return false;
        lstrcpyA(copy, path);
        g_scratch[i] = copy;
        return true;
    }
    return false;
}

// Forgets `path`, the output's temporary file or a scratch file.
void ForgetPending(const char* path) {
    if (g_pending && lstrcmpiA(g_pending_path, path) == 0) g_pending = 0;
    for (size_t i = 0; i < kMaxScratchFiles; ++i) {
        char* scratch = g_scratch[i];
        if (!scratch || lstrcmpiA(scratch, path) != 0) continue;
        g_scratch[i] = nullptr;
        HeapFree(GetProcessHeap(), 0, scratch);
    }
}

BOOL WINAPI RemovePendingOnControl(DWORD) {
    if (g_pending) DeleteFileA(g_pending_path);
    for (size_t i = 0; i < kMaxScratchFiles; ++i) {
        const char* scratch = g_scratch[i];
        if (scratch) DeleteFileA(scratch);
    }
    return FALSE;  // the default handler then ends the process
}

}  // namespace

bool FileIsSpecial(const char* path) {
    if (!path) return false;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Devices such as NUL and CON have no attributes but open.
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool special = GetFileType(handle) != FILE_TYPE_DISK;
    CloseHandle(handle);
    return special;
}

bool FileCreateBeside(const char* destination, TemporaryFile* temporary) {
    if (!destination || !*destination) return false;
    // Room for the destination and ".<process><attempt>.tmp".
    if (lstrlenA(destination) + 32 >= static_cast<int>(sizeof temporary->path)) return false;
    lstrcpyA(temporary->destination, destination);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        wsprintfA(temporary->path, "%s.%lx%x.tmp", destination, GetCurrentProcessId(), attempt);
        HANDLE handle = CreateFileA(temporary->path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return false;
        }
        g_pending = 0;
        lstrcpyA(g_pending_path, temporary->path);
        g_pending = 1;
        temporary->file.impl = handle;
        return true;
    }
    return false;
}

bool FileCommit(TemporaryFile* temporary) {
    const bool moved = MoveFileExA(temporary->path, temporary->destination, MOVEFILE_REPLACE_EXISTING) != 0;
    if (!moved) DeleteFileA(temporary->path);
    g_pending = 0;
    return moved;
}

void FileDiscard(TemporaryFile* temporary) {
    DeleteFileA(temporary->path);
    ForgetPending(temporary->path);
}

bool FileCreateScratch(TemporaryFile* scratch) {
    char folder[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH) return false;
    scratch->destination[0] = '\0';
    // GetTempFileName makes the file (empty) under a name of its own.
    if (GetTempFileNameA(folder, "zrv", 0, scratch->path) == 0) return false;
    HANDLE handle = CreateFileA(scratch->path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                TRUNCATE_EXISTING, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (handle == INVALID_HANDLE_VALUE || !AddScratch(scratch->path)) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        DeleteFileA(scratch->path);
        return false;
    }
    scratch->file.impl = handle;
    return true;
}

void RemoveTemporaryFileOnInterrupt() { SetConsoleCtrlHandler(RemovePendingOnControl, TRUE); }

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
