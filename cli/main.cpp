// zorvane-cli: the command line over the GIF core.
//
//   zorvane-cli make -o OUTPUT [-d DELAY] [--no-loop] FRAME...
//   zorvane-cli info FILE...
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gif/animation_builder.h"
#include "gif/delay_text.h"
#include "gif/frame_summary.h"
#include "zorvane_version.h"

namespace {

constexpr const char kProgram[] = "zorvane-cli";
constexpr int kExitOk = 0;
constexpr int kExitMessage = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: zorvane-cli make -o OUTPUT [-d DELAY] [--no-loop] FRAME...\n"
    "       zorvane-cli info FILE...\n"
    "       zorvane-cli --help | --version\n"
    "\n"
    "make   writes OUTPUT, an animated GIF holding the first image of each FRAME\n"
    "       in the order given. Image data is copied as it is, never re-encoded.\n"
    "         -o, --output OUTPUT  file to write (an existing file is replaced)\n"
    "         -d, --delay DELAY    delay of every frame in hundredths of a second\n"
    "                              (digits; the value is kept modulo 65536; default 0)\n"
    "         --no-loop            play once instead of looping\n"
    "info   prints the logical screen size and the palette of each FILE's first image.\n"
    "\n"
    "Exit status: 0 on success, 1 when a file could not be used, 2 for a usage error.\n";

int UsageError(const char* problem) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, problem, kProgram);
    return kExitUsage;
}

struct CliBuild : BuildOptions {
    const char* output = nullptr;
    const char* delay_text = "";
    bool loop = true;
    std::vector<const char*> frames;
    bool message_shown = false;

    const char* OutputPath() override { return output; }
    bool LoopFlag() override { return loop; }
    size_t FrameCount() override { return frames.size(); }
    const char* FramePath(size_t index) override { return frames[index]; }
    unsigned Delay() override { return ParseDelayText(delay_text); }
    void ShowMessage(const char* text, MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", kProgram, text);
        message_shown = true;
    }
};

// Takes the value of an option given as "-o VALUE", "--output VALUE" or
// "--output=VALUE". Returns false when the argument is not that option.
bool OptionValue(int argc, char** argv, int* i, const char* short_name, const char* long_name, const char** value,
                 bool* missing) {
    const char* arg = argv[*i];
    const size_t long_length = std::strlen(long_name);
    if (std::strncmp(arg, long_name, long_length) == 0 && arg[long_length] == '=') {
        *value = arg + long_length + 1;
        return true;
    }
    if (std::strcmp(arg, short_name) != 0 && std::strcmp(arg, long_name) != 0) return false;
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
            build.frames.push_back(arg);
            continue;
        }
        bool missing = false;
        if (std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (std::strcmp(arg, "--no-loop") == 0) {
            build.loop = false;
        } else if (OptionValue(argc, argv, &i, "-o", "--output", &build.output, &missing) ||
                   OptionValue(argc, argv, &i, "-d", "--delay", &build.delay_text, &missing)) {
            if (missing) return UsageError((std::string("option '") + arg + "' needs a value").c_str());
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
    std::vector<const char*> files;
    bool options_done = false;
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        if (!options_done && std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (!options_done && arg[0] == '-' && arg[1] != '\0') {
            return UsageError((std::string("unknown option '") + arg + "'").c_str());
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return UsageError("info needs at least one file");

    bool any_failed = false;
    for (const char* file : files) {
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
