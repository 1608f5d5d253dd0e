#include "file_io_fault.h"

#include "platform/file_io.h"

// platform/file_io_posix.cpp as core_tests compile it (see CMakeLists.txt).
bool PosixFileCreateWrite(const char* path, FileHandle* file);
bool PosixFileCreateBeside(const char* destination, TemporaryFile* temporary);
bool PosixFileClose(FileHandle file);

namespace {

std::string g_armed_path;
void* g_failing_handle = nullptr;

}  // namespace

void FailCloseOf(const std::string& path) {
    g_armed_path = path;
    g_failing_handle = nullptr;
}

bool FileCreateWrite(const char* path, FileHandle* file) {
    const bool created = PosixFileCreateWrite(path, file);
    if (created && !g_armed_path.empty() && g_armed_path == path) {
        g_failing_handle = file->impl;
        g_armed_path.clear();
    }
    return created;
}

bool FileCreateBeside(const char* destination, TemporaryFile* temporary) {
    const bool created = PosixFileCreateBeside(destination, temporary);
    if (created && !g_armed_path.empty() && g_armed_path == destination) {
        g_failing_handle = temporary->file.impl;
        g_armed_path.clear();
    }
    return created;
}

bool FileClose(FileHandle file) {
    const bool closed = PosixFileClose(file);
    if (g_failing_handle == nullptr || file.impl != g_failing_handle) return closed;
    g_failing_handle = nullptr;
    return false;
}
