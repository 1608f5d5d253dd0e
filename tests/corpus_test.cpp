// Public edge-case GIFs written by others, through inspection and through the
// builder, alone and all in one run. Each run first goes through a guarded
// child process, so a crash, a hang or an output that grows without bound
// fails the case that caused it; then it runs again here to be checked.
// Outputs are read back by giflib.
#include <glob.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "gif/build_plan.h"
#include "gif/file_summary.h"
#include "gif/gif_records.h"
#include "giflib_support.h"
#include "test_support.h"

namespace {

const char kCorpusDir[] = ZORVANE_CORPUS_DIR;
constexpr unsigned kDelay = 7;
constexpr uint8_t kTableSizeMask = 0x07;

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// giflib reaches the first image from a header this program accepts too, and
// every graphic control before it is one 4-byte sub-block, so that giflib and
// a reader that takes the block as 6 fixed bytes agree on where it ends.
bool GiflibReachesFirstImage(const std::string& path, DecodedGif* input) {
    return ReadFirstImage(path, input) && (input->signature == "GIF87a" || input->signature == "GIF89a") &&
           ControlsReadAlike(input->images.front());
}

// The summary as giflib's view of the file gives it.
std::string ExpectedSummary(const DecodedGif& input) {
    const Bytes& local = input.images.front().local_map;
    const Bytes& table = !local.empty() ? local : input.global_map;
    int bits = (input.screen_packed & kTableSizeMask) + 1;
    if (!table.empty()) {
        for (bits = 0; (size_t{3} << bits) < table.size();) ++bits;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%d x %d\n%s (%d bpp)", input.width, input.height,
                  !local.empty()   ? "local"
                  : !table.empty() ? "global"
                                   : "none",
                  bits);
    return text;
}

// A build of `frames` into `output`, first in a guarded child.
BuildRun GuardedBuild(const std::string& output, const std::vector<std::string>& frames, bool loop) {
    const int status =
        RunGuarded([&] { return static_cast<int>(RunBuild(output, frames, kDelay, loop).messages.size()); });
    EXPECT_LE(status, 1) << "the build crashed, hung or grew its output without bound (" << status - 256 << ")";
    return RunBuild(output, frames, kDelay, loop);
}

// An output built without a message: where giflib decodes the first image of
// every input it decodes the whole output and the frames match; otherwise it
// still walks to the trailer and finds one image per frame.
void ExpectReadableOutput(const std::string& output, const std::vector<std::string>& frames, bool loop) {
    std::vector<DecodedGif> inputs(frames.size());
    bool all_decoded = true;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (!GiflibReachesFirstImage(frames[i], &inputs[i])) inputs[i].images.clear();
        all_decoded = all_decoded && !inputs[i].images.empty() && inputs[i].images.front().raster_decoded;
    }
    DecodedGif decoded;
    ASSERT_TRUE(all_decoded ? SlurpGif(output, &decoded) : WalkGifRecords(output, &decoded))
        << "giflib cannot read the output: " << GiflibErrorText(decoded.error);
    ExpectAnimationMatches(decoded, inputs, std::vector<unsigned>(frames.size(), kDelay), loop);
}

class CorpusTest : public ::testing::Test {
protected:
    void SetUp() override {
        glob_t found{};
        if (glob((std::string(kCorpusDir) + "/*.gif").c_str(), 0, nullptr, &found) == 0)
            files_.assign(found.gl_pathv, found.gl_pathv + found.gl_pathc);
        globfree(&found);
        ASSERT_FALSE(files_.empty()) << "no GIF files in " << kCorpusDir;
    }

    TempDir dir_;
    std::vector<std::string> files_;
};

TEST_F(CorpusTest, InspectionSummarisesOrWarns) {
    for (const std::string& file : files_) {
        const std::string name = BaseName(file);
        SCOPED_TRACE(name);
        for (const InspectDepth depth : {InspectDepth::kFirstImage, InspectDepth::kWholeFile}) {
            ASSERT_EQ(RunGuarded([&] {
                          InspectFile(file.c_str(), depth);
                          return 0;
                      }),
                      0)
                << "inspection crashed or hung";
        }
        const FileSummary summary = InspectFile(file.c_str(), InspectDepth::kWholeFile);
        DecodedGif input;
        if (GiflibReachesFirstImage(file, &input)) {
            ASSERT_EQ(summary.message, nullptr);
            char text[256];
            FormatFrameSummary(summary.width, summary.height, summary.palette_kind, summary.bits_per_pixel, text,
                               sizeof text);
            EXPECT_EQ(text, ExpectedSummary(input));
        } else if (summary.message) {
            EXPECT_TRUE(summary.message == std::string(kMsgNotAGif) || summary.message == std::string(kMsgPrematureEnd))
                << summary.message;
        }
    }
}

// Every file alone, then all of them in one run (which stops at the first
// file that fails alone, with its message), then all that build alone in one
// run, which must succeed and read back with one image per frame.
TEST_F(CorpusTest, BuildAloneAndTogether) {
    std::vector<std::string> built, readable;
    std::string first_message;
    size_t first_failing = files_.size();
    for (size_t i = 0; i < files_.size(); ++i) {
        const std::string& file = files_[i];
        SCOPED_TRACE(BaseName(file));
        const std::string output = dir_.File(BaseName(file));
        const BuildRun run = GuardedBuild(output, {file}, true);
        DecodedGif input, walked;
        const bool giflib_reads_input = GiflibReachesFirstImage(file, &input);
        if (!run.messages.empty()) {
            const std::string& text = run.messages[0].first;
            EXPECT_TRUE(text == kMsgBuildCouldNotOpen || text == kMsgNotAGif || text == kMsgPrematureEnd) << text;
            EXPECT_FALSE(giflib_reads_input) << "giflib reads this file's first image, yet the build stopped";
            if (first_failing == files_.size()) first_message = text, first_failing = i;
            std::cout << "[ corpus   ] " << BaseName(file) << ": " << text << "\n";
            continue;
        }
        built.push_back(file);
        if (WalkGifRecords(output, &walked)) {
            readable.push_back(file);
            ExpectReadableOutput(output, {file}, true);
        } else {
            // giflib may refuse the copied image data only where it cannot
            // decode the input's first image either (inputs cut short are
            // the unit tests' business).
            EXPECT_FALSE(giflib_reads_input && input.images.front().raster_decoded)
                << "giflib cannot walk the output: " << GiflibErrorText(walked.error);
            std::cout << "[ corpus   ] " << BaseName(file) << ": built; giflib refuses the copied image data\n";
        }
    }

    const std::string all = dir_.File("all.gif");
    const BuildRun run = GuardedBuild(all, files_, true);
    if (first_failing == files_.size()) {
        EXPECT_TRUE(run.messages.empty());
    } else {
        EXPECT_EQ(run.messages, std::vector<Message>({{first_message, MessageIcon::kWarning}}));
        EXPECT_EQ(run.result.entry, first_failing);
    }

    ASSERT_FALSE(readable.empty());
    const BuildRun together = GuardedBuild(dir_.File("readable.gif"), readable, false);
    EXPECT_TRUE(together.messages.empty());
    ExpectReadableOutput(dir_.File("readable.gif"), readable, false);
    // giflib stops at the first frame whose image data it refuses.
    const BuildRun every = GuardedBuild(dir_.File("built.gif"), built, true);
    EXPECT_TRUE(every.messages.empty());
    DecodedGif walked;
    WalkGifRecords(dir_.File("built.gif"), &walked);
    size_t leading = 0;
    while (leading < built.size() && built[leading] == readable[leading]) ++leading;
    EXPECT_EQ(walked.images.size(), leading);
}

}  // namespace
