// File layer over the C library's stdio, with a fixed 64 KiB buffer per
// file. Inputs must be regular files: they are opened without blocking and
// checked before any byte is read.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file_io.h"
#include "platform/regular_file.h"

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

int OpenRegularFileForReading(const char* path) {
    if (!path) return -1;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd == -1) return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !ClearNonBlocking(fd)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool FileOpenRead(const char* path, FileHandle* file) {
    const int fd = OpenRegularFileForReading(path);
    if (fd == -1) return false;
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
    FILE* stream = Stream(file);
    if (size < kStdioBufferSize) return fwrite_unlocked(data, 1, size, stream) == size;
    // A piece as large as the buffer goes straight to the file, after what
    // the buffer holds, instead of being copied through the buffer. Only
    // absolute seeks follow on an output, so the stream's idea of its
    // position does not matter.
    if (fflush_unlocked(stream) != 0) return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fileno(stream), bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void FileSkip(FileHandle file, uint32_t count) {
#ifdef __EMSCRIPTEN__
    // The web page's C library (musl) empties the buffer at every fseeko, so
    // walking a file's sub-blocks would read 64 KiB for each 255-byte skip.
    // A short skip reads through the buffer instead; at the end of the file
    // the rest is skipped as before, past the end.
    constexpr uint32_t kShortSkip = 256;
    if (count <= kShortSkip) {
        unsigned char scratch[kShortSkip];
        const size_t skipped = fread_unlocked(scratch, 1, count, Stream(file));
        if (skipped == count) return;
        count -= static_cast<uint32_t>(skipped);
    }
#endif
    fseeko(Stream(file), static_cast<off_t>(count), SEEK_CUR);
}

bool FileSeekTo(FileHandle file, uint64_t offset) {
    return fseeko(Stream(file), static_cast<off_t>(offset), SEEK_SET) == 0;
}

uint64_t FileTell(FileHandle file) {
    const off_t position = ftello(Stream(file));
    return position < 0 ? 0 : static_cast<uint64_t>(position);
}

namespace {

// The temporary file being written, for the interrupt handler: the path is
// complete before the flag is set, and the flag is cleared before the path
// changes.
char g_pending_path[sizeof(TemporaryFile::path)];
volatile sig_atomic_t g_pending = 0;

void SetPending(const char* path) {
    g_pending = 0;
    std::memcpy(g_pending_path, path, std::strlen(path) + 1);
    g_pending = 1;
}

// Scratch files not yet discarded: copies of their paths, each set once
// complete and cleared before it is freed.
constexpr size_t kMaxScratchFiles = 256;
char* volatile g_scratch[kMaxScratchFiles];

bool AddScratch(const char* path) {
    for (size_t i = 0; i < kMaxScratchFiles; ++i) {
        if (g_scratch[i]) continue;
        char* copy = static_cast<char*>(std::malloc(std::strlen(path) + 1));
        if (!copy) return false;
        std::memcpy(copy, path, std::strlen(path) + 1);
        g_scratch[i] = copy;
        return true;
    }
    return false;
}

// Forgets `path`, the output's temporary file or a scratch file.
void ForgetPending(const char* path) {
    if (g_pending && std::strcmp(g_pending_path, path) == 0) g_pending = 0;
    for (size_t i = 0; i < kMaxScratchFiles; ++i) {
        char* scratch = g_scratch[i];
        if (!scratch || std::strcmp(scratch, path) != 0) continue;
        g_scratch[i] = nullptr;
        std::free(scratch);
    }
}

extern "C" void RemovePendingAndStop(int signal_number) {
    if (g_pending) unlink(g_pending_path);  // async-signal-safe
    for (size_t i = 0; i < kMaxScratchFiles; ++i) {
        const char* scratch = g_scratch[i];
        if (scratch) unlink(scratch);
    }
    ::signal(signal_number, SIG_DFL);
    raise(signal_number);
}

}  // namespace

bool FileIsSpecial(const char* path) {
    struct stat info;
    return path && stat(path, &info) == 0 && !S_ISREG(info.st_mode);
}

namespace {

// The signals whose handler removes the temporary file being written.
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Blocks the interrupts in this thread while alive, so that the handler sees
// the temporary file's path and the file itself appear as one step.
class InterruptsHeld {
public:
    InterruptsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal_number : kInterrupts) sigaddset(&held, signal_number);
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~InterruptsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    sigset_t previous_;
};

// Follows `path` through symbolic links to the name the last one gives,
// which need not exist yet (a dangling link is written through too). False
// for a loop of links or a name too long.
bool FollowLinks(const char* path, char (&followed)[sizeof(TemporaryFile::destination)]) {
    constexpr int kMostLinks = 40;  // as the kernel's own limit on a path
    if (std::strlen(path) + 1 > sizeof followed) return false;
    std::memcpy(followed, path, std::strlen(path) + 1);
    for (int hop = 0; hop < kMostLinks; ++hop) {
        char target[sizeof followed];
        const ssize_t length = readlink(followed, target, sizeof target);
        if (length < 0) return true;  // not a link (or not there): the name to write
        if (static_cast<size_t>(length) >= sizeof target) return false;
        target[length] = '\0';
        // A relative target is read from the link's own folder.
        const char* slash = std::strrchr(followed, '/');
        const size_t folder_length = target[0] == '/' || !slash ? 0 : static_cast<size_t>(slash - followed) + 1;
        if (folder_length + static_cast<size_t>(length) + 1 > sizeof followed) return false;
        std::memcpy(followed + folder_length, target, static_cast<size_t>(length) + 1);
    }
    return false;
}

}  // namespace

bool FileCreateBeside(const char* destination, TemporaryFile* temporary) {
    if (!destination || !*destination) return false;
    // Through a link to the file it names, so that the link stays a link.
    if (!FollowLinks(destination, temporary->destination)) return false;
    const char* target = temporary->destination;
    struct stat existing;
    const bool exists = stat(target, &existing) == 0 && S_ISREG(existing.st_mode);
    const char* slash = std::strrchr(target, '/');
    const size_t folder_length = slash ? static_cast<size_t>(slash - target) + 1 : 0;
    const char* name = target + folder_length;
    // A hidden name in the same folder, so that the move is a rename within
    // one file system. O_EXCL never opens a file that exists.
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        const unsigned tag = static_cast<unsigned>(now.tv_nsec) ^ (static_cast<unsigned>(getpid()) << 12) ^ ++counter;
        const int written = std::snprintf(temporary->path, sizeof temporary->path, "%.*s.%s.%08x.tmp",
                                          static_cast<int>(folder_length), target, name, tag);
        if (written < 0 || static_cast<size_t>(written) >= sizeof temporary->path) return false;
        // The handler knows the name before the file exists: an interruption
        // between the two waits until both are done, and then removes it.
        int fd, open_error;
        {
            const InterruptsHeld held;
            SetPending(temporary->path);
            // Mode 0666 less the umask, as any new file; or the replaced file's.
            fd = open(temporary->path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
            open_error = errno;
            if (fd == -1) g_pending = 0;  // someone else's file, or none: not ours to remove
        }
        if (fd == -1) {
            if (open_error == EEXIST) continue;
            return false;
        }
        if (exists) fchmod(fd, existing.st_mode & 07777);
        if (!WrapDescriptor(fd, "wb", &temporary->file)) {
            unlink(temporary->path);
            g_pending = 0;
            return false;
        }
        return true;
    }
    return false;
}

bool FileCommit(TemporaryFile* temporary) {
    const bool moved = rename(temporary->path, temporary->destination) == 0;
    if (!moved) unlink(temporary->path);
    g_pending = 0;
    return moved;
}

void FileDiscard(TemporaryFile* temporary) {
    unlink(temporary->path);
    ForgetPending(temporary->path);
}

bool FileCreateScratch(TemporaryFile* scratch) {
    const char* folder = std::getenv("TMPDIR");
    if (!folder || !*folder) folder = "/tmp";
    scratch->destination[0] = '\0';
    const int written = std::snprintf(scratch->path, sizeof scratch->path, "%s/zorvane-XXXXXX", folder);
    if (written < 0 || static_cast<size_t>(written) >= sizeof scratch->path) return false;
    // As with the temporary file, an interruption waits until the handler
    // knows the new file's name.
    int fd;
    {
        const InterruptsHeld held;
        fd = mkstemp(scratch->path);  // mode 0600, never a file that exists
        if (fd == -1) return false;
        if (!AddScratch(scratch->path)) {
            close(fd);
            unlink(scratch->path);
            return false;
        }
    }
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    if (!WrapDescriptor(fd, "w+b", &scratch->file)) {
        unlink(scratch->path);
        ForgetPending(scratch->path);
        return false;
    }
    return true;
}

void RemoveTemporaryFileOnInterrupt() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = RemovePendingAndStop;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : kInterrupts) sigaction(signal_number, &action, nullptr);
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
