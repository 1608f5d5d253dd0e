#include "cli/arguments.h"

#include <cstring>
#include <utility>

#include "cli/frame_lists.h"

namespace {

constexpr unsigned kLargestDelay = 0xFFFF;
// The value of -d that gives each image its own delay again.
constexpr char kOwnDelays[] = "own";

ParseResult Usage(const std::string& problem) {
    ParseResult result;
    result.status = ParseStatus::kUsageError;
    result.problem = problem;
    return result;
}

ParseResult FileProblem(const char* file, const std::string& problem) {
    ParseResult result;
    result.status = ParseStatus::kFileError;
    result.problem_file = file;
    result.problem = problem;
    return result;
}

// A whole number from 0 to `largest`, digits only. False for anything else.
bool ParseWholeNumber(const char* text, unsigned long largest, unsigned long* value) {
    if (!*text) return false;
    unsigned long number = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        number = number * 10 + static_cast<unsigned long>(*p - '0');
        if (number > largest) return false;
    }
    *value = number;
    return true;
}

// A size in bytes: digits, optionally followed by k (thousands) or M
// (millions), as the editor's size limit counts. At least 1 byte.
bool ParseByteCount(const char* text, uint64_t* bytes) {
    constexpr uint64_t kLargest = uint64_t{1} << 62;
    constexpr uint64_t kKilo = 1000;
    constexpr uint64_t kMega = 1000 * 1000;
    uint64_t number = 0;
    const char* p = text;
    for (; *p >= '0' && *p <= '9'; ++p) {
        number = number * 10 + static_cast<uint64_t>(*p - '0');
        if (number > kLargest) return false;
    }
    if (p == text) return false;
    uint64_t unit = 1;
    if (*p == 'k' || *p == 'K') {
        unit = kKilo;
        ++p;
    } else if (*p == 'M') {
        unit = kMega;
        ++p;
    }
    if (*p != '\0' || number == 0 || number > kLargest / unit) return false;
    *bytes = number * unit;
    return true;
}

// Walks the arguments of one command, taking "-x VALUE", "--long VALUE" and
// "--long=VALUE".
class ArgumentWalk {
public:
    ArgumentWalk(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}
    bool Done() const { return index_ >= argc_; }
    const char* Next() { return argv_[index_++]; }
    // Whether `arg` is the option; then `value` is its value (null when it
    // has none: the option was last).
    bool Option(const char* arg, const char* short_name, const char* long_name, const char** value) {
        const size_t long_length = std::strlen(long_name);
        if (std::strncmp(arg, long_name, long_length) == 0 && arg[long_length] == '=') {
            *value = arg + long_length + 1;
            return true;
        }
        if ((!short_name || std::strcmp(arg, short_name) != 0) && std::strcmp(arg, long_name) != 0) return false;
        *value = Done() ? nullptr : Next();
        return true;
    }

private:
    int argc_;
    const char* const* argv_;
    int index_ = 2;
};

std::string Quoted(const char* text) { return std::string("'") + text + "'"; }

// The delay rule of make: a -d times the frames that follow it, up to the
// next -d ("own": each image keeps its own delay). The single images before
// the first -d take its value too, so that one -d anywhere times a list of
// single frames; files taken with all their images keep their own delays
// until a -d comes before them.
class DelayRun {
public:
    explicit DelayRun(std::vector<PlanEntry>* entries) : entries_(entries) {}
    const DelayRule& rule() const { return rule_; }
    void Given(const DelayRule& rule, const char* text) {
        Close();
        rule_ = rule;
        text_ = text;
        frames_ = 0;
        if (!seen_) {
            for (PlanEntry& entry : *entries_) {
                if (entry.images != ImageChoice::kFirst) continue;
                entry.delay = rule;
                ++frames_;
            }
        }
        seen_ = true;
    }
    void FrameAdded() { ++frames_; }
    // The note for the last -d, when it timed no frame; call once all
    // arguments are read.
    void Close() {
        if (seen_ && frames_ == 0) {
            notes_.push_back("-d " + text_ + " applies to no frame");
        }
    }
    std::vector<std::string>& notes() { return notes_; }

private:
    std::vector<PlanEntry>* entries_;
    DelayRule rule_;
    std::string text_;
    size_t frames_ = 0;
    bool seen_ = false;
    std::vector<std::string> notes_;
};

ParseResult ParseMake(int argc, const char* const* argv, Arguments* arguments) {
    BuildPlan& plan = arguments->plan;
    bool output_given = false;
    bool no_loop = false;
    bool plays_given = false;
    DelayRun delays(&plan.entries);
    ImageChoice images = ImageChoice::kFirst;
    const AddPath add = [&](const char* path, size_t length) {
        plan.entries.push_back(PlanEntry{std::string(path, length), images, delays.rule()});
        delays.FrameAdded();
    };
    ArgumentWalk walk(argc, argv);
    bool options_done = false;
    while (!walk.Done()) {
        const char* arg = walk.Next();
        if (options_done || arg[0] != '-' || arg[1] == '\0') {
            if (!ExpandArgument(arg, add)) return FileProblem(arg, "no file matches this pattern");
            continue;
        }
        const char* value = nullptr;
        if (std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (std::strcmp(arg, "--no-loop") == 0) {
            if (plays_given && plan.plays != 1) return Usage("--plays and --no-loop disagree");
            plan.plays = 1;
            no_loop = true;
        } else if (std::strcmp(arg, "--all-frames") == 0) {
            images = ImageChoice::kAll;
        } else if (std::strcmp(arg, "--first-image") == 0) {
            images = ImageChoice::kFirst;
        } else if (std::strcmp(arg, "--reverse") == 0 || std::strcmp(arg, "--bounce") == 0) {
            const FrameOrder order = arg[2] == 'r' ? FrameOrder::kReverse : FrameOrder::kBounce;
            if (plan.order != FrameOrder::kForward && plan.order != order) {
                return Usage("--reverse and --bounce cannot be given together");
            }
            plan.order = order;
        } else if (std::strcmp(arg, "--center") == 0) {
            plan.center = true;
        } else if (std::strcmp(arg, "--dry-run") == 0) {
            arguments->dry_run = true;
        } else if (std::strcmp(arg, "--optimize") == 0 || std::strcmp(arg, "-O") == 0) {
            plan.encoding = FrameEncoding::kSmallest;
        } else if (walk.Option(arg, nullptr, "--max-size", &value)) {
            if (!value) return Usage("option " + Quoted(arg) + " needs a value");
            if (!ParseByteCount(value, &plan.max_bytes)) {
                return Usage("invalid size " + Quoted(value) + " (bytes, or with k or M: 2M is 2,000,000 bytes)");
            }
        } else if (walk.Option(arg, "-o", "--output", &value)) {
            if (!value) return Usage("option " + Quoted(arg) + " needs a value");
            plan.output = value;
            output_given = *value != '\0';
        } else if (walk.Option(arg, nullptr, "--plays", &value)) {
            if (!value) return Usage("option " + Quoted(arg) + " needs a value");
            unsigned long plays;
            if (!ParseWholeNumber(value, kMostPlays, &plays) || plays == 0) {
                return Usage("invalid number of plays " + Quoted(value) + " (a whole number from 1 to 65536)");
            }
            if (no_loop && plays != 1) return Usage("--plays and --no-loop disagree");
            plan.plays = static_cast<uint32_t>(plays);
            plays_given = true;
        } else if (walk.Option(arg, "-d", "--delay", &value)) {
            if (!value) return Usage("option " + Quoted(arg) + " needs a value");
            DelayRule rule;  // "own": not given
            unsigned long hundredths = 0;
            if (std::strcmp(value, kOwnDelays) != 0) {
                if (!ParseWholeNumber(value, kLargestDelay, &hundredths)) {
                    return Usage("invalid delay " + Quoted(value) +
                                 " (a whole number of hundredths of a second, from 0 to 65535, or 'own')");
                }
                rule.given = true;
                rule.hundredths = static_cast<uint16_t>(hundredths);
            }
            delays.Given(rule, value);
        } else if (walk.Option(arg, nullptr, "--frames-from", &value)) {
            if (!value) return Usage("option " + Quoted(arg) + " needs a value");
            std::string problem;
            if (!ReadFrameList(value, add, &problem)) return FileProblem(value, problem);
        } else {
            return Usage("unknown option " + Quoted(arg));
        }
    }
    if (!output_given) return Usage("make needs an output file: -o OUTPUT");
    if (plan.entries.empty()) return Usage("make needs at least one frame file");
    delays.Close();
    arguments->notes = std::move(delays.notes());
    return ParseResult();
}

ParseResult ParseInfo(int argc, const char* const* argv, Arguments* arguments) {
    const AddPath add = [&](const char* path, size_t length) { arguments->files.emplace_back(path, length); };
    ArgumentWalk walk(argc, argv);
    bool options_done = false;
    while (!walk.Done()) {
        const char* arg = walk.Next();
        if (!options_done && std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (!options_done && std::strcmp(arg, "--frames") == 0) {
            arguments->list_frames = true;
        } else if (!options_done && arg[0] == '-' && arg[1] != '\0') {
            return Usage("unknown option " + Quoted(arg));
        } else if (!ExpandArgument(arg, add)) {
            arguments->unmatched_patterns.push_back(arg);  // the other files are still shown
        }
    }
    if (arguments->files.empty() && arguments->unmatched_patterns.empty()) {
        return Usage("info needs at least one file");
    }
    return ParseResult();
}

}  // namespace

ParseResult ParseArguments(int argc, const char* const* argv, Arguments* arguments) {
    if (argc < 2) return Usage("missing command (make or info)");
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        arguments->command = Command::kHelp;
        return ParseResult();
    }
    if (std::strcmp(command, "--version") == 0) {
        arguments->command = Command::kVersion;
        return ParseResult();
    }
    if (std::strcmp(command, "make") == 0) {
        arguments->command = Command::kMake;
        return ParseMake(argc, argv, arguments);
    }
    if (std::strcmp(command, "info") == 0) {
        arguments->command = Command::kInfo;
        return ParseInfo(argc, argv, arguments);
    }
    return Usage("unknown command " + Quoted(command));
}
