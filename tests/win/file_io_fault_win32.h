// A full disk for the Win32 file layer as the Windows tests link it (see
// CMakeLists.txt): its WriteFile calls come here.
#ifndef ZORVANE_TESTS_WIN_FILE_IO_FAULT_WIN32_H
#define ZORVANE_TESTS_WIN_FILE_IO_FAULT_WIN32_H

#include <cstddef>

// From now on the file layer's writes store at most `room` bytes in all,
// each reporting success with the count it stored, as a write cut short by
// a full disk does. A negative `room` ends the fault.
void FillDiskAfter(long long room);

#endif  // ZORVANE_TESTS_WIN_FILE_IO_FAULT_WIN32_H
