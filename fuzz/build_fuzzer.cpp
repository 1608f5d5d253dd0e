// Fuzz target: BuildAnimation over one to four fuzzed frame files.
//
// The input is cut into frames at the separator "#ZV#" (at most three cuts),
// each frame is written to its own file and an animation is built from them.
// Checked on every input:
// - the run ends (a run that loops is caught by libFuzzer's -timeout);
// - the output never exceeds the bound derived below;
// - no descriptor stays open and every input is left byte for byte as it was;
// - at most one message, and only one an input can cause;
// - the output as giflib's record reader sees it: the frames written in full
//   (all after a clean run, those before the failing one after a stopped
//   run), each with its local colour table and one graphic control
//   extension, the looping block before the first frame when asked for, no
//   global table, nothing after the trailer; after a clean run the largest
//   screen and the trailer, after a stopped run no trailer;
// - every frame's colour table: the input's local table, else its global
//   table, else a grey ramp, wherever giflib reads the input's first image
//   over the same records as our walk. A table left over from an earlier
//   frame is initialised memory, invisible to the sanitizers and valgrind;
//   only this comparison catches it;
// - after a clean run from inputs whose first images giflib decodes (over
//   the same records as our walk), the whole giflib check of the output
//   (CheckAnimation): it decodes, one image per frame, each equal to the
//   first image of its input.
//
// Otherwise giflib is used as a record reader, not as a decoder: the builder
// copies image data verbatim, so corrupt LZW codes in an input stay corrupt
// in the output for a reason that is not the builder's. Walking the records
// checks everything the builder writes itself: record layout, lengths,
// sub-block chains and the trailer.
//
// Output bound. What a run writes:
//   header 6 + screen descriptor 7 + looping block 19 + trailer 1 = 33 once;
//   per frame: graphic control extension 8 (introducer, label, 6-byte body),
//   image introducer and descriptor 10, local colour table at most 768, then
//   the image data. The LZW minimum code size, every length byte and every
//   sub-block byte the input delivers is written once, so the image data
//   adds at most the input's own size, plus what the builder makes up when
//   the input ends inside it: either a missing code size (1) and the
//   terminator (1), or the zero fill of one cut sub-block (at most 255) and
//   the terminator (1). The cut can happen only once per frame, as the copy
//   of that frame ends at the next missing length byte.
//   Hence: output <= 33 + sum over frames of (input size + 8 + 10 + 768 + 256).
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "gif/build_plan.h"
#include "gif/gif_records.h"
#include "giflib_check.h"
#include "test_support.h"

namespace {

constexpr size_t kOutputFixedBytes = 6 + 7 + 19 + 1;
constexpr size_t kFrameOverheadBytes = 8 + 10 + 768 + 256;

constexpr size_t kLoopingSubBlockSize = 3;
// Inputs whose first image has more pixels are not decoded for the check.
constexpr size_t kMaxCheckedPixels = size_t{1} << 20;

// The first image of `input` as giflib reads it, over the same records as
// our walk; false when giflib does not reach it so.
bool ReadsAlike(const Bytes& input, bool decode, DecodedGif* source) {
    GifReadOptions first_image;
    first_image.first_image_only = first_image.pass_refused_code_size = true;
    first_image.decode_first_image = decode;
    first_image.max_decoded_pixels = kMaxCheckedPixels;
    ReadGifBytes(input, first_image, source);
    return !source->images.empty() && ControlsReadAlike(source->images[0]) && !source->images[0].code_size_refused;
}

// The colour table of an output frame against the table in force for the
// first image of its input, as giflib reads the input.
void CheckFrameTable(const DecodedImage& frame, const Bytes& input) {
    if (frame.code_size_refused) return;  // giflib handed no table for it
    DecodedGif source;
    if (!ReadsAlike(input, false, &source)) return;
    if (source.images[0].local_bits > 0) {
        FUZZ_CHECK(frame.local_map == source.images[0].local_map);
    } else if (source.global_bits > 0) {
        FUZZ_CHECK(frame.local_map == source.global_map);
    } else {
        FUZZ_CHECK(frame.local_map == GreyRamp(2u << (input[kScreenPackedOffset] & kColorTableSizeMask)));
    }
}

// After a clean run: where giflib decodes the first image of every input, it
// must decode the whole output, and the giflib check must find nothing.
void CheckDecodedOutput(const Bytes& output, const std::vector<Bytes>& inputs, unsigned delay, bool loop) {
    std::vector<DecodedGif> sources(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (!ReadsAlike(inputs[i], true, &sources[i]) || !sources[i].images[0].raster_decoded) return;
    }
    DecodedGif decoded;
    FUZZ_CHECK(SlurpGifBytes(output, &decoded));
    const std::vector<std::string> faults =
        CheckAnimation(decoded, sources, std::vector<unsigned>(sources.size(), delay), loop);
    for (const std::string& fault : faults) std::fprintf(stderr, "giflib check: %s\n", fault.c_str());
    FUZZ_CHECK(faults.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<Bytes> inputs = SplitFrames(data, size);
    const std::string output_path = ScratchDir() + "/output.gif";
    const bool loop = (size % 2) == 0;
    const unsigned delay = static_cast<unsigned>(size * 2654435761u);
    std::vector<std::string> frames;
    size_t bound = kOutputFixedBytes;
    for (size_t i = 0; i < inputs.size(); ++i) {
        frames.push_back(ScratchDir() + "/frame" + std::to_string(i) + ".gif");
        WriteWholeFile(frames.back(), inputs[i]);
        bound += inputs[i].size() + kFrameOverheadBytes;
    }
    unlink(output_path.c_str());

    const int descriptors_before = OpenDescriptorCount();
    const BuildRun run = RunBuild(output_path, frames, delay, loop);
    FUZZ_CHECK(OpenDescriptorCount() == descriptors_before);
    for (size_t i = 0; i < inputs.size(); ++i) FUZZ_CHECK(ReadFileBytes(frames[i]) == inputs[i]);
    const Bytes output = ReadFileBytes(output_path);
    FUZZ_CHECK(output.size() <= bound);
    FUZZ_CHECK(run.messages.size() <= 1);
    const size_t frames_opened = run.entries_started.size();
    FUZZ_CHECK(frames_opened >= 1 && frames_opened <= inputs.size());
    for (size_t i = 0; i < frames_opened; ++i) FUZZ_CHECK(run.entries_started[i] == i);

    GifReadOptions records;
    records.pass_refused_code_size = true;
    DecodedGif walk;
    ReadGifBytes(output, records, &walk);
    FUZZ_CHECK(walk.opened && walk.global_bits == 0);
    FUZZ_CHECK(walk.consumed == output.size());
    size_t complete = inputs.size();
    if (run.messages.empty()) {
        unsigned width = 0, height = 0;
        for (const Bytes& input : inputs) {
            FUZZ_CHECK(HasAcceptedHeader(input));
            width = std::max(width, Le16At(input, kScreenWidthOffset));
            height = std::max(height, Le16At(input, kScreenHeightOffset));
        }
        FUZZ_CHECK(frames_opened == inputs.size() && walk.reached_trailer);
        FUZZ_CHECK(static_cast<unsigned>(walk.width) == width && static_cast<unsigned>(walk.height) == height);
        CheckDecodedOutput(output, inputs, delay, loop);
    } else {
        // The run stopped at the frame it opened last, before writing any of
        // it: the frames before it stand complete, with no trailer and the
        // screen size still zero.
        complete = frames_opened - 1;
        const std::string& message = run.messages[0].first;
        FUZZ_CHECK(run.messages[0].second == MessageIcon::kWarning);
        FUZZ_CHECK(message == kMsgNotAGif || message == kMsgPrematureEnd);
        if (message == kMsgNotAGif) FUZZ_CHECK(!HasAcceptedHeader(inputs[complete]));
        FUZZ_CHECK(!walk.reached_trailer && walk.width == 0 && walk.height == 0);
    }
    FUZZ_CHECK(walk.images.size() == complete);
    const std::vector<std::pair<int, size_t>> looping_frame = {{kApplicationLabel, kApplicationIdSize},
                                                               {kContinuedSubBlock, kLoopingSubBlockSize},
                                                               {kGraphicControlLabel, kGraphicControlBlockSize}};
    const std::vector<std::pair<int, size_t>> other_frame = {{kGraphicControlLabel, kGraphicControlBlockSize}};
    for (size_t i = 0; i < complete; ++i) {
        FUZZ_CHECK(walk.images[i].local_bits > 0);
        FUZZ_CHECK(BlocksBefore(walk.images[i]) == (i == 0 && loop ? looping_frame : other_frame));
        CheckFrameTable(walk.images[i], inputs[i]);
    }
    return 0;
}
