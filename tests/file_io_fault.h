// core_tests reach the POSIX file layer through file_io_fault.cpp:
// FileCreateWrite, FileCreateBeside and FileClose wrap the real ones
// (compiled into the tests under other names), and the close of one output
// can be made to fail, as when bytes still buffered cannot be written out at
// the end.
#ifndef ZORVANE_TESTS_FILE_IO_FAULT_H
#define ZORVANE_TESTS_FILE_IO_FAULT_H

#include <string>

// The next file created at `path`, or beside it to replace it, reports
// failure when it is closed (after closing it). "" disarms.
void FailCloseOf(const std::string& path);

#endif  // ZORVANE_TESTS_FILE_IO_FAULT_H
