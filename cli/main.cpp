// zorvane-cli: the command line over the GIF core.
//
//   zorvane-cli make -o OUTPUT [OPTION]... {FRAME | -d DELAY | --frames-from LIST}...
//   zorvane-cli info [--frames] FILE...
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/arguments.h"
#include "gif/build_plan.h"
#include "gif/delay_text.h"
#include "gif/file_summary.h"
#include "gif/optimized_build.h"
#include "platform/file_io.h"
#include "zorvane_version.h"

namespace {

constexpr const char kProgram[] = "zorvane-cli";
constexpr int kExitOk = 0;
constexpr int kExitMessage = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: zorvane-cli make -o OUTPUT [OPTION]... ITEM...\n"
    "         where each ITEM is a FRAME file, -d DELAY or --frames-from LIST\n"
    "       zorvane-cli info [--frames] FILE...\n"
    "       zorvane-cli --help | --version\n"
    "\n"
    "make   writes OUTPUT, an animated GIF of the frame files in the order given.\n"
    "       Image data is copied as it is, never re-encoded (unless -O or\n"
    "       --max-size is given).\n"
    "         -o, --output OUTPUT  file to write; an existing file is replaced only\n"
    "                              once the new one is whole\n"
    "         -d, --delay DELAY    delay in hundredths of a second (0 to 65535) of the\n"
    "                              frames that follow, up to the next -d; 'own' gives\n"
    "                              them their own delays again. Single images before\n"
    "                              the first -d take its value, so one -d times a list\n"
    "                              of single frames; files taken with --all-frames\n"
    "                              before it keep their own. Without -d each frame\n"
    "                              keeps its own delay.\n"
    "                              Browsers show a delay of 0 or 1 as 10 hundredths;\n"
    "                              2 is the fastest delay that plays as set.\n"
    "         --frames-from LIST   the frame files named in LIST, one per line, at\n"
    "                              this place in the order; '-' reads standard input.\n"
    "                              Lines end at LF or CRLF; empty lines are skipped,\n"
    "                              nothing else is trimmed.\n"
    "         --all-frames         every image of the frame files that follow, each\n"
    "                              with its own position, disposal and transparency\n"
    "                              (by default a file gives its first image only)\n"
    "         --first-image        the first image only of the frame files that follow\n"
    "                              (undoes --all-frames)\n"
    "         --plays N            play N times (1 to 65536); by default forever\n"
    "         --no-loop            play once (the same as --plays 1)\n"
    "         --reverse            play the frames backwards\n"
    "         --bounce             play them forwards, then backwards (the two end\n"
    "                              frames are not repeated)\n"
    "         --center             centre frames whose screen is smaller than the\n"
    "                              output's\n"
    "         -O, --optimize       decode the frames and write the same pixels and\n"
    "                              delays in as few bytes as possible\n"
    "         --max-size SIZE      at most SIZE bytes (k: 1,000, M: 1,000,000): written\n"
    "                              as with --optimize and, only if that is too large,\n"
    "                              with frames left out evenly, their time given to\n"
    "                              the frame before\n"
    "         --dry-run            print frames, duration, screen and the exact size\n"
    "                              of OUTPUT, and write nothing\n"
    "       A FRAME named '-' is the file of that name in the current folder. After\n"
    "       '--' every argument is a frame.\n"
#ifdef _WIN32
    "       * and ? in the file-name part of a FRAME or FILE are expanded; each\n"
    "       pattern's matches are sorted by name (frame2 before frame10), and a\n"
    "       pattern matching no file is an error. Paths in a LIST are taken as\n"
    "       they are.\n"
#endif
    "info   prints the logical screen size and the palette of each FILE's first\n"
    "       image; with --frames, every image and the totals.\n"
    "\n"
    "Exit status: 0 on success, 1 when a file could not be used, 2 for a usage error.\n";

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, problem.c_str(), kProgram);
    return kExitUsage;
}

void FileMessage(const std::string& path, const std::string& problem) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s: %s\n", kProgram, path.c_str(), problem.c_str());
}

// Hundredths of a second as seconds, "1.20 s".
std::string Seconds(uint64_t hundredths) {
    char text[48];
    std::snprintf(text, sizeof text, "%" PRIu64 ".%02u s", hundredths / 100, static_cast<unsigned>(hundredths % 100));
    return text;
}

// Tells of each entry whose further images are left out, and of each
// re-encoded to play backwards.
class MakeNotes final : public BuildObserver {
public:
    explicit MakeNotes(const BuildPlan& plan) : plan_(plan) {}
    void ImagesLeftOut(size_t index) override {
        std::fprintf(stderr,
                     "%s: note: %s holds more than one image; only its first is taken (--all-frames takes all)\n",
                     kProgram, plan_.entries[index].path.c_str());
    }
    void EntryReencoded(size_t index) override {
        std::fprintf(stderr, "%s: note: %s: its images are drawn over one another; re-encoded to play backwards\n",
                     kProgram, plan_.entries[index].path.c_str());
    }

private:
    const BuildPlan& plan_;
};

int RunMake(const Arguments& arguments) {
    const BuildPlan& plan = arguments.plan;
    MakeNotes notes(plan);
    for (const std::string& note : arguments.notes) std::fprintf(stderr, "%s: note: %s\n", kProgram, note.c_str());
    RemoveTemporaryFileOnInterrupt();
    const BuildResult result = arguments.dry_run ? MeasurePlan(plan, &notes) : BuildAnimation(plan, &notes);
    if (!result.ok) {
        if (result.entry != kNoEntry) {
            FileMessage(plan.entries[result.entry].path + " (frame " + std::to_string(result.entry + 1) + " of " +
                            std::to_string(plan.entries.size()) + ")",
                        result.message);
        } else {
            FileMessage(plan.output, result.message);
        }
        return kExitMessage;
    }
    const std::string dropped = FormatDroppedFrames(result.summary, plan.max_bytes);
    if (!dropped.empty()) std::fprintf(stderr, "%s: note: %s\n", kProgram, dropped.c_str());
    if (arguments.dry_run) {
        const PlanSummary& s = result.summary;
        std::printf("%s: %s, %s, %u x %u, %" PRIu64 " bytes\n", plan.output.c_str(),
                    FormatFrameCount(s.frames, s.clearing_frames).c_str(), Seconds(s.duration).c_str(), s.width,
                    s.height, s.bytes);
    }
    return kExitOk;
}

// How a browser plays a file with these records.
std::string PlaysText(const FileSummary& summary) {
    if (!summary.has_looping_block) return "plays once";
    if (summary.loop_count == 0) return "plays forever";
    return "plays " + std::to_string(summary.loop_count + 1u) + " times";
}

class ImageLines final : public ImageVisitor {
public:
    void Image(const ImageInfo& image) override {
        std::printf("  image %zu: %u x %u at %u,%u, delay %u, disposal %u, ", image.index + 1, image.width,
                    image.height, image.left, image.top, image.delay, image.disposal);
        if (image.transparent) {
            std::printf("transparent index %u, ", image.transparent_index);
        } else {
            std::printf("opaque, ");
        }
        if (image.table_bits == 0) {
            std::printf("no palette");
        } else {
            std::printf("%s palette (%u bpp)", image.local_table ? "local" : "global", image.table_bits);
        }
        std::printf("%s\n", image.interlaced ? ", interlaced" : "");
    }
};

int RunInfo(const Arguments& arguments) {
    bool any_failed = false;
    for (const std::string& pattern : arguments.unmatched_patterns) {
        FileMessage(pattern, "no file matches this pattern");
        any_failed = true;
    }
    for (const std::string& file : arguments.files) {
        ImageLines lines;
        if (arguments.list_frames) std::printf("%s:\n", file.c_str());
        const FileSummary summary =
            InspectFile(file.c_str(), arguments.list_frames ? InspectDepth::kWholeFile : InspectDepth::kFirstImage,
                        arguments.list_frames ? &lines : nullptr);
        if (summary.message) {
            FileMessage(file, summary.message);
            any_failed = true;
            continue;
        }
        if (arguments.list_frames) {
            std::printf("  %s, %s, %u x %u, %s\n", FormatFrameCount(summary.images, 0).c_str(),
                        Seconds(summary.duration).c_str(), summary.width, summary.height, PlaysText(summary).c_str());
        } else {
            std::printf("%s: %u x %u, %s (%u bpp)\n", file.c_str(), summary.width, summary.height, summary.palette_kind,
                        summary.bits_per_pixel);
        }
    }
    std::fflush(stdout);
    return any_failed ? kExitMessage : kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    const ParseResult parsed = ParseArguments(argc, argv, &arguments);
    if (parsed.status == ParseStatus::kUsageError) return UsageError(parsed.problem);
    if (parsed.status == ParseStatus::kFileError) {
        FileMessage(parsed.problem_file, parsed.problem);
        return kExitMessage;
    }
    switch (arguments.command) {
        case Command::kHelp:
            std::fputs(kUsage, stdout);
            return kExitOk;
        case Command::kVersion:
            std::printf("%s %s\n", kProgram, ZORVANE_VERSION_TEXT);
            return kExitOk;
        case Command::kMake:
            return RunMake(arguments);
        case Command::kInfo:
            return RunInfo(arguments);
    }
    return kExitUsage;
}
