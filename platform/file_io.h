// The file layer the GIF core reads and writes through.
//
// The core reads its inputs in large pieces into a buffer of its own
// (gif/entry_reader.h) and writes once per record or run of sub-blocks, in
// stream order. Below this header the variants differ: the Win32
// one makes one ReadFile or WriteFile call per call here, with only the
// system's file cache underneath; the POSIX one reads and writes through C
// stdio with a 64 KiB buffer of its own per open file, so that small records
// reach the kernel in large blocks. The header is portable: the POSIX and
// Win32 variants implement it behind an opaque handle.
#ifndef ZORVANE_PLATFORM_FILE_IO_H
#define ZORVANE_PLATFORM_FILE_IO_H

#include <cstddef>
#include <cstdint>

struct FileHandle {
    void* impl;
};

// Opens an existing regular file for reading, sharing reads with others.
// Folders, FIFOs and devices are refused (never blocks).
bool FileOpenRead(const char* path, FileHandle* file);

// Creates a file for writing, replacing any existing one; others may read it
// meanwhile.
bool FileCreateWrite(const char* path, FileHandle* file);

// Reads up to `size` bytes; returns the count delivered. 0 means end of
// file, and a failing read counts the same.
size_t FileRead(FileHandle file, void* buffer, size_t size);

// Reads one byte; false at end of file or on a failing read.
bool FileReadByte(FileHandle file, uint8_t* byte);

// Writes all `size` bytes; false when the write failed. A buffered variant
// may learn of a failure only when its buffer is written out: at a later
// call, or at FileClose.
bool FileWrite(FileHandle file, const void* data, size_t size);

// Moves the position forward from where it is; past the end is no error
// (the next read then delivers nothing).
void FileSkip(FileHandle file, uint32_t count);

// Moves the position to an absolute offset from the start of the file.
bool FileSeekTo(FileHandle file, uint64_t offset);

// The position, as an offset from the start of the file.
uint64_t FileTell(FileHandle file);

// Closes the file; false if pending data could not be written.
bool FileClose(FileHandle file);

// A file written beside its destination and moved over it only when it is
// complete, so that the destination is either as it was or whole.
struct TemporaryFile {
    FileHandle file;
    char path[4096 + 64];         // the temporary file's own path
    char destination[4096 + 64];  // the file it will replace, links followed
};

// True when `path` names something that exists and is not a regular file
// (a device, a pipe, a folder): such an output can only be written in place.
bool FileIsSpecial(const char* path);

// Creates a new, empty file in the folder of `destination` (links to it
// followed, to the file they name or, for a dangling link, the file it will
// name) and opens it for writing. It gets the permissions of the file it
// will replace, or those a new file gets there. False when the folder does
// not take a new file.
bool FileCreateBeside(const char* destination, TemporaryFile* temporary);

// Moves the temporary file, closed by the caller, over its destination.
// False, with the temporary file removed, when that fails.
bool FileCommit(TemporaryFile* temporary);

// Removes the temporary file (or scratch file), closed by the caller.
void FileDiscard(TemporaryFile* temporary);

// Creates a new, empty scratch file in the system's temporary folder
// ($TMPDIR or /tmp; on Windows the folder GetTempPath names), open for
// reading and writing, its name in `scratch->path` (no destination). Read it
// back through the same handle (FileSeekTo 0), or close it and open its
// path. FileDiscard removes it; so does an interruption. False when no
// file could be made there.
bool FileCreateScratch(TemporaryFile* scratch);

// Makes an interruption (Ctrl+C, a termination request, a hang-up, a closed
// pipe) remove the temporary file being written, if any, and every scratch
// file not yet discarded, before the process ends. The handler knows each
// file's name before the file exists.
void RemoveTemporaryFileOnInterrupt();

// Identity of a file on its volume: two paths naming the same file (hard
// links, symbolic links, other spellings) give equal identities.
struct FileIdentity {
    uint64_t volume;
    uint64_t index_high;
    uint64_t index_low;
};

// False when the path names no existing file.
bool FileIdentityOf(const char* path, FileIdentity* identity);

inline bool SameFileIdentity(const FileIdentity& a, const FileIdentity& b) {
    return a.volume == b.volume && a.index_high == b.index_high && a.index_low == b.index_low;
}

#endif  // ZORVANE_PLATFORM_FILE_IO_H
