// File layer over the C library's stdio, with a fixed 64 KiB buffer per
// file. Inputs must be regular files: they are opened without blocking and
// checked before any byte is read.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/file_io.h"

namespace {

constexpr size_t kStdioBufferSize = 64 * 1024;

// A stream with a buffer of its own: given no buffer, glibc's setvbuf
// ignores the size and later allocates one of the file's block size.
struct PosixFile {
    FILE* stream;
    char buffer[kStdioBufferSize];
};

FILE* Stream(FileHandle file) { return static_cast<PosixFile*>(file.impl)->stream; }

// Wraps an open descriptor in a buffered stream; closes it on failure.
bool WrapDescriptor(int fd, const char* mode, FileHandle* file) {
    PosixFile* wrapped = static_cast<PosixFile*>(std::malloc(sizeof(PosixFile)));
    FILE* stream = wrapped ? fdopen(fd, mode) : nullptr;
    if (!stream) {
        close(fd);
        std::free(wrapped);
        return false;
    }
    if (setvbuf(stream, wrapped->buffer, _IOFBF, sizeof wrapped->buffer) != 0) {
        fclose(stream);
        std::free(wrapped);
        return false;
    }
    wrapped->stream = stream;
    file->impl = wrapped;
    return true;
}

// Back to blocking mode once the open itself could not block.
bool ClearNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags != -1 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != -1;
}

}  // namespace

bool FileOpenRead(const char* path, FileHandle* file) {
    if (!path) return false;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd == -1) return false;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !ClearNonBlocking(fd)) {
        close(fd);
        return false;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return WrapDescriptor(fd, "rb", file);
}

bool FileCreateWrite(const char* path, FileHandle* file) {
    if (!path) return false;
    // Non-blocking open: a FIFO with no reader fails instead of hanging.
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd == -1) return false;
    if (!ClearNonBlocking(fd)) {
        close(fd);
        return false;
    }
    return WrapDescriptor(fd, "wb", file);
}

size_t FileRead(FileHandle file, void* buffer, size_t size) { return fread_unlocked(buffer, 1, size, Stream(file)); }

bool FileReadByte(FileHandle file, uint8_t* byte) {
    const int c = getc_unlocked(Stream(file));
    if (c == EOF) return false;
    *byte = static_cast<uint8_t>(c);
    return true;
}

bool FileWrite(FileHandle file, const void* data, size_t size) {
    return fwrite_unlocked(data, 1, size, Stream(file)) == size;
}

void FileSkip(FileHandle file, uint32_t count) { fseeko(Stream(file), static_cast<off_t>(count), SEEK_CUR); }

bool FileSeekTo(FileHandle file, uint32_t offset) {
    return fseeko(Stream(file), static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool FileClose(FileHandle file) {
    PosixFile* wrapped = static_cast<PosixFile*>(file.impl);
    const bool flushed = fflush(wrapped->stream) == 0 && !ferror(wrapped->stream);
    const bool closed = fclose(wrapped->stream) == 0;
    std::free(wrapped);
    return closed && flushed;
}

bool FileIdentityOf(const char* path, FileIdentity* identity) {
    struct stat info;
    if (!path || stat(path, &info) != 0) return false;
    identity->volume = static_cast<uint64_t>(info.st_dev);
    identity->index_high = 0;
    identity->index_low = static_cast<uint64_t>(info.st_ino);
    return true;
}
