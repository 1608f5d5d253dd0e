// Frame names from outside the argument list: the lines of a list file (or
// standard input), and on Windows the files a wildcard pattern matches.
#ifndef ZORVANE_CLI_FRAME_LISTS_H
#define ZORVANE_CLI_FRAME_LISTS_H

#include <cstddef>
#include <functional>
#include <string>

// Standard input as the LIST of --frames-from. A frame argument "-" is the
// file of that name.
extern const char kStandardInput[];
// Longer than any path a system takes (Windows: 32,767 UTF-16 units).
constexpr size_t kLongestListLine = 64 * 1024;

using AddPath = std::function<void(const char* path, size_t length)>;

// Hands each path listed in `list_path` (standard input for "-"), one per
// line, to `add`. A line ends at LF or CRLF; empty lines are skipped. False,
// with `problem` set, when the list cannot be read or holds a line no path
// can be (a NUL byte, or longer than kLongestListLine); such a line stops the
// reading at once, so that a stream without line ends (/dev/zero) ends too.
bool ReadFrameList(const char* list_path, const AddPath& add, std::string* problem);

// Hands `argument` to `add`; on Windows a pattern with * or ? in its
// file-name part hands over its matches instead, in natural order. False
// when a pattern matches no file.
bool ExpandArgument(const char* argument, const AddPath& add);

#endif  // ZORVANE_CLI_FRAME_LISTS_H
