// zorvane-cli: the command line over the GIF core.
//
//   zorvane-cli make -o OUTPUT [--no-loop] {FRAME | -d DELAY | --frames-from LIST}...
//   zorvane-cli info FILE...
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "gif/animation_builder.h"
#include "gif/delay_text.h"
#include "gif/frame_summary.h"
#include "zorvane_version.h"

namespace {

constexpr const char kProgram[] = "zorvane-cli";
constexpr int kExitOk = 0;
constexpr int kExitMessage = 1;
constexpr int kExitUsage = 2;

// Standard input as the LIST of --frames-from. A frame argument "-" is the
// file of that name.
constexpr const char kStandardInput[] = "-";
constexpr size_t kListChunkSize = 16 * 1024;
// Longer than any path a system takes (Windows: 32,767 UTF-16 units).
constexpr size_t kLongestListLine = 64 * 1024;

const char kUsage[] =
    "Usage: zorvane-cli make -o OUTPUT [--no-loop] ITEM...\n"
    "         where each ITEM is a FRAME file, -d DELAY or --frames-from LIST\n"
    "       zorvane-cli info FILE...\n"
    "       zorvane-cli --help | --version\n"
    "\n"
    "make   writes OUTPUT, an animated GIF holding the first image of each frame\n"
    "       file in the order given. Image data is copied as it is, never re-encoded.\n"
    "         -o, --output OUTPUT  file to write (an existing file is replaced)\n"
    "         -d, --delay DELAY    delay in hundredths of a second of the frames that\n"
    "                              follow, up to the next -d; frames before the first\n"
    "                              -d take its value, so one -d sets every frame\n"
    "                              (digits, kept modulo 65536; default 0). Browsers\n"
    "                              show a delay of 0 or 1 as 10 hundredths; 2 is the\n"
    "                              fastest delay that plays as set.\n"
    "         --frames-from LIST   the frame files named in LIST, one per line, at\n"
    "                              this place in the order; '-' reads standard input.\n"
    "                              Lines end at LF or CRLF; empty lines are skipped,\n"
    "                              nothing else is trimmed.\n"
    "         --no-loop            play once instead of looping\n"
    "       A FRAME named '-' is the file of that name in the current folder.\n"
#ifdef _WIN32
    "       * and ? in the file-name part of a FRAME or FILE are expanded; each\n"
    "       pattern's matches are sorted by name, and a pattern matching no file\n"
    "       is an error. Paths in a LIST are taken as they are.\n"
#endif
    "info   prints the logical screen size and the palette of each FILE's first image.\n"
    "\n"
    "Exit status: 0 on success, 1 when a file could not be used, 2 for a usage error.\n";

int UsageError(const char* problem) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, problem, kProgram);
    return kExitUsage;
}

int FileError(const char* path, const std::string& problem) {
    std::fprintf(stderr, "%s: %s: %s\n", kProgram, path, problem.c_str());
    return kExitMessage;
}

// Paths stored end to end in one buffer, each closed by a NUL: memory grows
// with the text of the paths and one offset per path, nothing more.
class PathList {
public:
    void Add(const char* path, size_t length) {
        starts_.push_back(text_.size());
        text_.append(path, length);
        text_.push_back('\0');
    }
    void Add(const char* path) { Add(path, std::strlen(path)); }
    size_t size() const { return starts_.size(); }
    bool empty() const { return starts_.empty(); }
    // Valid until the next Add.
    const char* operator[](size_t index) const { return text_.data() + starts_[index]; }

private:
    std::string text_;
    std::vector<size_t> starts_;
};

#ifdef _WIN32
bool HasWildcard(const char* path) { return std::strpbrk(path, "*?") != nullptr; }

char FoldAsciiCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// By name, the case of ASCII letters ignored; ties broken byte by byte so
// that the order is total. No locale takes part.
bool NameBefore(const std::string& a, const std::string& b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t k = 0; k < common; ++k) {
        const unsigned char x = static_cast<unsigned char>(FoldAsciiCase(a[k]));
        const unsigned char y = static_cast<unsigned char>(FoldAsciiCase(b[k]));
        if (x != y) return x < y;
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// Adds the files (never folders) whose names match the file-name part of
// `pattern`, sorted by name, each with the pattern's folder part before it.
// False when nothing matches. cmd.exe leaves wildcards to the program.
bool AddMatches(const char* pattern, PathList* paths) {
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
    std::sort(names.begin(), names.end(), NameBefore);
    for (const std::string& match : names) {
        const std::string path = folder + match;
        paths->Add(path.c_str(), path.size());
    }
    return !names.empty();
}
#endif

// Adds a path given on the command line; on Windows a pattern adds its
// matches. False, with the message shown, when a pattern matches nothing.
bool AddArgumentPath(const char* arg, PathList* paths) {
#ifdef _WIN32
    if (HasWildcard(arg)) {
        if (AddMatches(arg, paths)) return true;
        FileError(arg, "no file matches this pattern");
        return false;
    }
#endif
    paths->Add(arg);
    return true;
}

// Adds the paths listed in `list_path` (standard input for "-"), one per
// line. False, with the message shown, when the list cannot be read or holds
// a line no path can be (a NUL byte, or too long). Such a line stops the
// reading at once, so that a stream without line ends (/dev/zero) ends too.
bool AddFrameList(const char* list_path, PathList* frames) {
    const bool from_stdin = std::strcmp(list_path, kStandardInput) == 0;
#ifdef _WIN32
    if (from_stdin) _setmode(_fileno(stdin), _O_BINARY);  // CRLF is handled here; a Ctrl-Z is no end
#endif
    FILE* list = from_stdin ? stdin : std::fopen(list_path, "rb");
    if (!list) {
        FileError(list_path, std::string("could not read the frame list: ") + std::strerror(errno));
        return false;
    }
    std::string line;  // the line read so far
    size_t line_number = 0;
    bool ok = true;
    // Ends the line read so far: a CR before its LF is dropped, an empty line
    // skipped, anything else kept as it is.
    auto finish_line = [&]() {
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) frames->Add(line.data(), line.size());
        line.clear();
    };
    auto refuse_line = [&](const char* problem) {
        FileError(list_path, "line " + std::to_string(line_number + 1) + " of the frame list " + problem);
        ok = false;
    };
    static char chunk[kListChunkSize];
    size_t count;
    errno = 0;
    while (ok && (count = std::fread(chunk, 1, sizeof chunk, list)) > 0) {
        const char* p = chunk;
        const char* const end = chunk + count;
        while (ok && p < end) {
            const char* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            const char* const piece_end = newline ? newline : end;
            const size_t piece = static_cast<size_t>(piece_end - p);
            if (std::memchr(p, '\0', piece)) {
                refuse_line("holds a NUL byte");
            } else if (line.size() + piece > kLongestListLine) {
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
        FileError(list_path,
                  std::string("could not read the frame list: ") + (error ? std::strerror(error) : "read error"));
        ok = false;
    }
    if (ok && !line.empty()) finish_line();  // a last line without LF
    if (!from_stdin) std::fclose(list);
    return ok;
}

// From the -d given before frame `first_frame` on.
struct DelayRun {
    size_t first_frame;
    uint16_t delay;
};

struct CliBuild : BuildOptions {
    const char* output = nullptr;
    bool loop = true;
    PathList frames;
    std::vector<DelayRun> delays;  // in the order given, so by first_frame
    size_t delay_frame = 0;        // the frame the next Delay() call is for
    size_t delay_run = 0;          // the run that frame falls in
    bool message_shown = false;

    void SetDelay(const char* text) { delays.push_back({frames.size(), ParseDelayText(text)}); }

    const char* OutputPath() override { return output; }
    bool LoopFlag() override { return loop; }
    size_t FrameCount() override { return frames.size(); }
    const char* FramePath(size_t index) override { return frames[index]; }
    // Asked once per frame, in frame order. The first run also covers the
    // frames before it; of runs from the same frame on the last counts; a run
    // after the last frame covers nothing (unless it is the first).
    unsigned Delay() override {
        if (delays.empty()) return 0;
        while (delay_run + 1 < delays.size() && delays[delay_run + 1].first_frame <= delay_frame) ++delay_run;
        ++delay_frame;
        return delays[delay_run].delay;
    }
    void ShowMessage(const char* text, MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", kProgram, text);
        message_shown = true;
    }
};

// Takes the value of an option given as "-o VALUE", "--output VALUE" or
// "--output=VALUE" (`short_name` may be null). Returns false when the
// argument is not that option.
bool OptionValue(int argc, char** argv, int* i, const char* short_name, const char* long_name, const char** value,
                 bool* missing) {
    const char* arg = argv[*i];
    const size_t long_length = std::strlen(long_name);
    if (std::strncmp(arg, long_name, long_length) == 0 && arg[long_length] == '=') {
        *value = arg + long_length + 1;
        return true;
    }
    if ((!short_name || std::strcmp(arg, short_name) != 0) && std::strcmp(arg, long_name) != 0) return false;
    if (*i + 1 >= argc) {
        *missing = true;
        return true;
    }
    *value = argv[++*i];
    return true;
}

int RunMake(int argc, char** argv) {
    CliBuild build;
    bool options_done = false;
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        if (options_done || arg[0] != '-' || arg[1] == '\0') {
            if (!AddArgumentPath(arg, &build.frames)) return kExitMessage;
            continue;
        }
        bool missing = false;
        const char* delay_text = nullptr;
        const char* list_path = nullptr;
        if (std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (std::strcmp(arg, "--no-loop") == 0) {
            build.loop = false;
        } else if (OptionValue(argc, argv, &i, "-o", "--output", &build.output, &missing) ||
                   OptionValue(argc, argv, &i, "-d", "--delay", &delay_text, &missing) ||
                   OptionValue(argc, argv, &i, nullptr, "--frames-from", &list_path, &missing)) {
            if (missing) return UsageError((std::string("option '") + arg + "' needs a value").c_str());
            if (delay_text) build.SetDelay(delay_text);
            if (list_path && !AddFrameList(list_path, &build.frames)) return kExitMessage;
        } else {
            return UsageError((std::string("unknown option '") + arg + "'").c_str());
        }
    }
    if (!build.output || build.output[0] == '\0') return UsageError("make needs an output file: -o OUTPUT");
    if (build.frames.empty()) return UsageError("make needs at least one frame file");

    BuildAnimation(build);
    return build.message_shown ? kExitMessage : kExitOk;
}

struct CliInspection : InspectionCaller {
    const char* file = nullptr;
    bool failed = false;

    void SetFrameName(const char*) override {}
    void SetFrameSummary(const char* summary) override {
        std::fputs(file, stdout);
        std::fputs(": ", stdout);
        for (const char* p = summary; *p; ++p) {
            if (*p == '\n') {
                std::fputs(", ", stdout);
            } else {
                std::fputc(*p, stdout);
            }
        }
        std::fputc('\n', stdout);
    }
    void ShowWarning(const char* message) override {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, file, message);
        failed = true;
    }
};

int RunInfo(int argc, char** argv) {
    PathList files;
    bool options_done = false;
    bool any_failed = false;
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        if (!options_done && std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (!options_done && arg[0] == '-' && arg[1] != '\0') {
            return UsageError((std::string("unknown option '") + arg + "'").c_str());
        } else if (!AddArgumentPath(arg, &files)) {
            any_failed = true;  // a pattern matching nothing; the others are still shown
        }
    }
    if (files.empty()) return any_failed ? kExitMessage : UsageError("info needs at least one file");

    for (size_t k = 0; k < files.size(); ++k) {
        const char* file = files[k];
        CliInspection inspection;
        inspection.file = file;
        const char* name = std::strrchr(file, '/');
        InspectFrame(name ? name + 1 : file, file, inspection);
        any_failed = any_failed || inspection.failed;
    }
    return any_failed ? kExitMessage : kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return UsageError("missing command (make or info)");
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (std::strcmp(command, "--version") == 0) {
        std::printf("%s %s\n", kProgram, ZORVANE_VERSION_TEXT);
        return kExitOk;
    }
    if (std::strcmp(command, "make") == 0) return RunMake(argc, argv);
    if (std::strcmp(command, "info") == 0) return RunInfo(argc, argv);
    return UsageError((std::string("unknown command '") + command + "'").c_str());
}
