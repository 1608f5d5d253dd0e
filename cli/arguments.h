// The command line's arguments, read into what each command does: for make,
// a build plan. Nothing here writes a file or prints.
#ifndef ZORVANE_CLI_ARGUMENTS_H
#define ZORVANE_CLI_ARGUMENTS_H

#include <string>
#include <vector>

#include "gif/build_plan.h"

enum class Command { kHelp, kVersion, kMake, kInfo };

struct Arguments {
    Command command = Command::kHelp;
    // make
    BuildPlan plan;
    bool dry_run = false;
    std::vector<std::string> notes;  // to show on standard error before the build (a -d that times no frame)
    // info
    std::vector<std::string> files;
    bool list_frames = false;                     // info --frames
    std::vector<std::string> unmatched_patterns;  // info: patterns that matched no file
};

enum class ParseStatus {
    kOk,
    kUsageError,  // `problem` says what; nothing should be done
    kFileError,   // `problem_file` could not be used (a frame list, or a pattern matching nothing)
};

struct ParseResult {
    ParseStatus status = ParseStatus::kOk;
    std::string problem;
    std::string problem_file;
};

// Reads argv[1..argc-1]. Frame lists named by --frames-from are read here.
ParseResult ParseArguments(int argc, const char* const* argv, Arguments* arguments);

#endif  // ZORVANE_CLI_ARGUMENTS_H
