// Opening a frame file safely on POSIX systems, for the file layer and for
// front ends that hand the file to a library of their own (a picture reader).
#ifndef ZORVANE_PLATFORM_REGULAR_FILE_H
#define ZORVANE_PLATFORM_REGULAR_FILE_H

// Opens `path` for reading when it is a regular file; folders, FIFOs and
// devices are refused without blocking (a FIFO with no writer would). The
// descriptor returned is in blocking mode and closed on exec; -1 on refusal.
int OpenRegularFileForReading(const char* path);

#endif  // ZORVANE_PLATFORM_REGULAR_FILE_H
