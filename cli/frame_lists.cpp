#include "cli/frame_lists.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "gif/natural_order.h"
#endif

const char kStandardInput[] = "-";

namespace {

constexpr size_t kListChunkSize = 16 * 1024;

}  // namespace

bool ReadFrameList(const char* list_path, const AddPath& add, std::string* problem) {
    const bool from_stdin = std::strcmp(list_path, kStandardInput) == 0;
#ifdef _WIN32
    if (from_stdin) _setmode(_fileno(stdin), _O_BINARY);  // CRLF is handled here; a Ctrl-Z is no end
#endif
    FILE* list = from_stdin ? stdin : std::fopen(list_path, "rb");
    if (!list) {
        *problem = std::string("could not read the frame list: ") + std::strerror(errno);
        return false;
    }
    std::string line;  // the line read so far
    size_t line_number = 0;
    bool ok = true;
    auto refuse_line = [&](const char* what) {
        *problem = "line " + std::to_string(line_number + 1) + " of the frame list " + what;
        ok = false;
    };
    // Ends the line read so far: a CR before its LF is dropped, an empty line
    // skipped, anything else kept as it is.
    auto finish_line = [&]() {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kLongestListLine) {  // the byte kept for a CR was none
            refuse_line("is longer than any path");
            return;
        }
        ++line_number;
        if (!line.empty()) add(line.data(), line.size());
        line.clear();
    };
    std::vector<char> chunk(kListChunkSize);
    size_t count;
    errno = 0;
    while (ok && (count = std::fread(chunk.data(), 1, chunk.size(), list)) > 0) {
        const char* p = chunk.data();
        const char* const end = p + count;
        while (ok && p < end) {
            const char* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            const char* const piece_end = newline ? newline : end;
            const size_t piece = static_cast<size_t>(piece_end - p);
            if (std::memchr(p, '\0', piece)) {
                refuse_line("holds a NUL byte");
            } else if (line.size() + piece > kLongestListLine + 1) {  // room for the CR of a CRLF
                refuse_line("is longer than any path");
            } else {
                line.append(p, piece);
            }
            if (!ok || !newline) break;
            p = newline + 1;
            finish_line();
        }
    }
    if (ok && std::ferror(list)) {
        const int error = errno;
        *problem = std::string("could not read the frame list: ") + (error ? std::strerror(error) : "read error");
        ok = false;
    }
    if (ok && !line.empty()) finish_line();  // a last line without LF
    if (!from_stdin) std::fclose(list);
    return ok;
}

#ifdef _WIN32
namespace {

bool HasWildcard(const char* path) { return std::strpbrk(path, "*?") != nullptr; }

// Hands over the files (never folders) whose names match the file-name part
// of `pattern`, in natural order, each with the pattern's folder part before
// it. False when nothing matches. cmd.exe leaves wildcards to the program.
bool AddMatches(const char* pattern, const AddPath& add) {
    const char* name = pattern;
    for (const char* p = pattern; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    }
    const std::string folder(pattern, static_cast<size_t>(name - pattern));
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NaturalLess(a.c_str(), b.c_str()); });
    for (const std::string& match : names) {
        const std::string path = folder + match;
        add(path.c_str(), path.size());
    }
    return !names.empty();
}

}  // namespace
#endif

bool ExpandArgument(const char* argument, const AddPath& add) {
#ifdef _WIN32
    if (HasWildcard(argument)) return AddMatches(argument, add);
#endif
    add(argument, std::strlen(argument));
    return true;
}
