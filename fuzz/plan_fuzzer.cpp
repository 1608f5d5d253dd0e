// Fuzz target: a fuzzed plan (MeasurePlan, then BuildAnimation) over one to
// four fuzzed files.
//
// Input: kPlanBytes bytes that choose the plan (missing ones read as zero),
// then the files, cut at "#ZV#" (SplitFrames), one plan entry each.
//   byte 0: bits 0-1 the order (1 reverse, 2 bounce, else forward), bit 2
//           centre, bit 3 an older output already stands at the output path,
//           bits 4-7 entry k takes all its images (else its first);
//   byte 1: bits 0-3 entry k has the given delay (else its images' own),
//           bit 4 plays forever (else bytes 2-3 + 1 plays, 1..65536), bit 5
//           the count written for forever is 65535 (else 0), bit 6 written
//           smallest (FrameEncoding::kSmallest), bit 7 to a size budget of
//           8 * (bytes 2-3 + 1) bytes;
//   bytes 2-3: plays - 1, little-endian; bytes 4-5: the given delay.
// The output is written beside the inputs in a folder of its own, replaced
// when done (the mode that keeps the old file on failure).
//
// Checked on every input:
// - the run ends (a run that loops is caught by libFuzzer's -timeout), no
//   descriptor stays open, every input is left byte for byte as it was;
// - MeasurePlan and BuildAnimation agree: both succeed with the same summary,
//   or both refuse with the same message, icon and entry; the one exception
//   is a build whose measured size is over the file-size cap of the run,
//   which must fail to write;
// - a refusal is one an input can cause (not a GIF, empty, cut short, an
//   image without area or beyond the largest screen; played out of order, a
//   frame of over 256 colours, a canvas too large to decode or no room for a
//   scratch file; beyond the largest position when centred), reported once
//   to the observer; every entry reported started or cut to its first image
//   is in range, the latter taking its first image;
// - an entry drawn over one another and played out of order is re-encoded
//   in both runs alike, and no scratch file stays in the temporary folder;
// - on a refusal the output folder holds what it held before (nothing, or
//   the older output unchanged): no output, no temporary file;
// - on success the output folder holds the output alone, its size is the
//   measured one and summary.bytes, and stays within the bound below;
//   giflib's record walk (image data passed over, refused code sizes noted)
//   reads all of it to the trailer, with a global table only where frames
//   share one (TableRule::kShared), the summary's
//   screen (the largest of the inputs), summary.frames images each after one
//   graphic control (the first after the looping block the plays ask for),
//   the sum of their delays summary.duration, every frame disposed of to
//   the background when played out of order, and clearing frames only in
//   forward order after an entry of all its images;
// - the frame count against an independent one wherever it is known: an
//   entry of its first image gives one image, an entry of all its images as
//   many as giflib's walk of its file finds, when that walk reaches the
//   trailer over the same records as ours (ControlsReadAlike); reversed the
//   count stays, bounced n images give 2n - 2 frames (n when n <= 2).
//
// Written smallest or to a budget (screens of up to 2^20 pixels, and within
// a bound of canvas times frames), instead of the records above: giflib reads the output to the
// trailer; the measured size is the size written; a budget is never
// exceeded; unless frames were left out, the output plays as the default
// output of the same plan (composited by the core's player: every picture
// and its time), and is never larger.
//
// Output bound. Beyond what build_fuzzer.cpp derives for one frame per file
// (33 bytes once; per frame 8 + 10 + 768 + 256 besides the image data), a
// bounce copies each file's images up to twice, and a clearing frame holds
// made-up data for its area. That area is not the screen's (it covers where
// images were drawn, and images may lie beyond the screen), so the largest
// frame area of the output stands for it. The data: blank LZW codes of at
// most 12 bits, one per run of pixels,
// where the runs of one code table (4,090 codes) grow 1, 2, 3, ... and so
// cover over 8,000,000 pixels. Two bytes a code cover its bits and its share
// of the sub-block length bytes (12 bits + 12/255 of a byte < 16 bits).
// Hence output <= 33 + 768 (a shared global table) + passes * sum of input sizes + frames * 1042
//                + clearing frames * (1042 + 4 + 2 * (4096 * (area / 8e6 + 1) + 2)).
// An entry re-encoded to play out of order adds, per frame of each pass, its
// canvas written whole: codes of at most 12 bits, at most one a pixel, a
// clear code every 4,090, the first and the end code; under two bytes each
// with the sub-block length bytes, so 2 * (area + area / 4090 + 3) < 4 * area + 8.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "gif/build_plan.h"
#include "gif/flatten.h"
#include "gif/gif_player.h"
#include "gif/gif_records.h"
#include "gif/optimized_build.h"
#include "giflib_check.h"
#include "test_support.h"

namespace {

constexpr size_t kPlanBytes = 6;
constexpr uint64_t kOutputFixedBytes = 6 + 7 + 19 + 1;
constexpr uint64_t kFrameOverheadBytes = 8 + 10 + 768 + 256;
constexpr uint64_t kCodesPerTable = 4096;
constexpr uint64_t kPixelsPerTable = 8000000;
constexpr size_t kLoopingSubBlockSize = 3;
constexpr uint8_t kSmallestBit = 0x40, kBudgetBit = 0x80;
constexpr uint64_t kBudgetUnit = 8;
// Written smallest, every frame is composited on canvases of the screen, a
// few times over: beyond this many pixels a run outlasts the fuzzer's
// timeout, so larger screens are built by copying only.
constexpr uint64_t kMostSmallestPixels = uint64_t{1} << 20;
// Nor may the canvas times the frames composited outgrow this; to a budget,
// the frames are written again once for each count of frames the search
// for the largest file that fits tries, so a quarter of it.
constexpr uint64_t kMostSmallestWork = uint64_t{1} << 23;
constexpr uint64_t kMostBudgetWork = kMostSmallestWork / 4;
// Played backwards, an entry drawn over itself is composited whole, on a
// screen that grows to hold its first image: beyond this many pixels a run
// outlasts the timeout too, and the input is passed over.
constexpr uint64_t kMostReencodedPixels = uint64_t{1} << 22;
// Nor may such a canvas times the frames written whole outgrow this.
constexpr uint64_t kMostReencodedWork = uint64_t{1} << 25;
const Bytes kOldOutput = {'G', 'I', 'F', '8', '9', 'a', 'o', 'l', 'd'};

struct FuzzPlan {
    BuildPlan plan;
    bool old_output = false;
};

FuzzPlan ReadPlan(const uint8_t* bytes, const std::string& output) {
    FuzzPlan fuzz;
    BuildPlan& plan = fuzz.plan;
    plan.output = output;
    plan.order = (bytes[0] & 3) == 1   ? FrameOrder::kReverse
                 : (bytes[0] & 3) == 2 ? FrameOrder::kBounce
                                       : FrameOrder::kForward;
    plan.center = bytes[0] & 4;
    fuzz.old_output = bytes[0] & 8;
    plan.plays = (bytes[1] & 0x10) ? kPlayForever : uint32_t{DecodeLe16(bytes + 2)} + 1;
    plan.forever_count = (bytes[1] & 0x20) ? 0xFFFF : 0;
    plan.mode = OutputMode::kReplaceWhenDone;
    if (bytes[1] & kSmallestBit) plan.encoding = FrameEncoding::kSmallest;
    if (bytes[1] & kBudgetBit) plan.max_bytes = kBudgetUnit * (uint64_t{DecodeLe16(bytes + 2)} + 1);
    for (size_t k = 0; k < kMaxFuzzFiles; ++k) {
        PlanEntry entry;
        entry.images = (bytes[0] >> (4 + k)) & 1 ? ImageChoice::kAll : ImageChoice::kFirst;
        entry.delay.given = (bytes[1] >> k) & 1;
        entry.delay.hundredths = DecodeLe16(bytes + 4);
        plan.entries.push_back(entry);
    }
    return fuzz;
}

bool SameSummary(const PlanSummary& a, const PlanSummary& b) {
    return a.frames == b.frames && a.duration == b.duration && a.width == b.width && a.height == b.height &&
           a.bytes == b.bytes && a.clearing_frames == b.clearing_frames;
}

uint64_t ReencodedFramesBound(const std::string& path) {
    GifPlayer player;
    if (player.Open(path.c_str()) != nullptr) return 0;
    PlayedFrame frame;
    while (player.Next(&frame)) {
    }
    return player.frames() * (4 * uint64_t{player.width()} * player.height() + 8);
}

uint64_t ClearingFrameBound(uint64_t area) {
    return kFrameOverheadBytes + 4 + 2 * (kCodesPerTable * (area / kPixelsPerTable + 1) + 2);
}

// The frames an order makes of `images` images in the files' order.
size_t FramesInOrder(FrameOrder order, size_t images) {
    return order == FrameOrder::kBounce && images > 2 ? 2 * images - 2 : images;
}

// The output of a successful plan, read by giflib.
void CheckOutput(const FuzzPlan& fuzz, const std::vector<Bytes>& inputs, const PlanSummary& summary,
                 const std::vector<size_t>& reencoded, const Bytes& output) {
    const BuildPlan& plan = fuzz.plan;
    GifReadOptions records;
    records.pass_refused_code_size = true;
    DecodedGif walk;
    FUZZ_CHECK(ReadGifBytes(output, records, &walk));
    // A global table only where frames share one.
    FUZZ_CHECK(walk.opened && walk.consumed == output.size());
    FUZZ_CHECK(walk.global_bits == 0 || plan.tables == TableRule::kShared);
    unsigned width = 0, height = 0;
    for (const Bytes& input : inputs) {
        FUZZ_CHECK(HasAcceptedHeader(input));
        width = std::max(width, Le16At(input, kScreenWidthOffset));
        height = std::max(height, Le16At(input, kScreenHeightOffset));
    }
    // A re-encoded entry's screen holds its first image wherever it lies, as
    // a browser's canvas does: as giflib places that image, else as the
    // compositor does.
    for (const size_t k : reencoded) {
        GifReadOptions first_image;
        first_image.first_image_only = first_image.pass_refused_code_size = true;
        DecodedGif read;
        GifPlayer player;
        // giflib hands no placement for an image whose code size it refuses.
        if (ReadGifBytes(inputs[k], first_image, &read) && !read.images.empty() && !read.images[0].code_size_refused) {
            const DecodedImage& image = read.images[0];
            width = std::max(width, static_cast<unsigned>(image.left + image.width));
            height = std::max(height, static_cast<unsigned>(image.top + image.height));
        } else if (player.Open(plan.entries[k].path.c_str()) == nullptr) {
            width = std::max(width, player.width());
            height = std::max(height, player.height());
        }
    }
    FUZZ_CHECK(summary.width == width && summary.height == height);
    FUZZ_CHECK(static_cast<unsigned>(walk.width) == width && static_cast<unsigned>(walk.height) == height);
    FUZZ_CHECK(walk.images.size() == summary.frames && walk.trailing_extensions.empty());

    // One graphic control before each frame, the looping block before the first.
    std::vector<std::pair<int, size_t>> first = {{kGraphicControlLabel, kGraphicControlBlockSize}};
    if (plan.plays != 1) {
        first.insert(first.begin(),
                     {{kApplicationLabel, kApplicationIdSize}, {kContinuedSubBlock, kLoopingSubBlockSize}});
        const uint32_t repeats =
            plan.plays == kPlayForever ? plan.forever_count : std::min<uint32_t>(plan.plays - 1, 0xFFFF);
        FUZZ_CHECK(!walk.images.empty() && BlocksBefore(walk.images[0]) == first);
        const Bytes& count = walk.images[0].extensions[1].bytes;
        FUZZ_CHECK(count[0] == kLoopSubBlockId && DecodeLe16(count.data() + 1) == repeats);
    }
    const std::vector<std::pair<int, size_t>> other = {{kGraphicControlLabel, kGraphicControlBlockSize}};
    uint64_t duration = 0;
    for (size_t i = 0; i < walk.images.size(); ++i) {
        const DecodedImage& frame = walk.images[i];
        FUZZ_CHECK(BlocksBefore(frame) == (i == 0 ? first : other) && (frame.local_bits > 0 || walk.global_bits > 0));
        const Bytes& control = frame.extensions.back().bytes;
        duration += DecodeLe16(control.data() + 1);
        if (plan.order != FrameOrder::kForward) {
            FUZZ_CHECK(DisposalOf(control[0]) == kDisposeToBackground);
        }
    }
    FUZZ_CHECK(duration == summary.duration);

    // Clearing frames follow entries of all their images, in forward order.
    size_t all_before_last = 0;
    for (size_t k = 0; k + 1 < inputs.size(); ++k) all_before_last += plan.entries[k].images == ImageChoice::kAll;
    FUZZ_CHECK(summary.clearing_frames <= (plan.order == FrameOrder::kForward ? all_before_last : 0));

    size_t images = 0;
    for (size_t k = 0; k < inputs.size() && images != kNoEntry; ++k) {
        const size_t count = plan.entries[k].images == ImageChoice::kFirst ? 1 : GiflibImageCount(inputs[k]);
        images = count == 0 ? kNoEntry : images + count;
    }
    if (images != kNoEntry) FUZZ_CHECK(summary.frames == FramesInOrder(plan.order, images) + summary.clearing_frames);

    uint64_t largest_area = 0;
    for (const DecodedImage& frame : walk.images) {
        largest_area = std::max(largest_area, uint64_t(frame.width) * uint64_t(frame.height));
    }
    uint64_t bound = kOutputFixedBytes + kMaxColorTableBytes + summary.frames * kFrameOverheadBytes +
                     summary.clearing_frames * ClearingFrameBound(largest_area);
    const unsigned passes = plan.order == FrameOrder::kBounce ? 2 : 1;
    for (const Bytes& input : inputs) bound += input.size() * passes;
    for (const size_t k : reencoded) bound += passes * ReencodedFramesBound(plan.entries[k].path);
    FUZZ_CHECK(output.size() <= bound);
}

// The output of a plan written smallest or to a budget, against the default
// output of the same plan.
void CheckSmallest(const BuildPlan& plan, const PlanSummary& summary, const Bytes& output) {
    GifReadOptions records;
    records.pass_refused_code_size = true;
    DecodedGif walk;
    FUZZ_CHECK(ReadGifBytes(output, records, &walk));
    FUZZ_CHECK(walk.consumed == output.size() && walk.images.size() == summary.frames);
    if (plan.max_bytes != kNoSizeLimit) FUZZ_CHECK(output.size() <= plan.max_bytes);
    if (summary.dropped_frames > 0) return;
    BuildPlan copy = plan;
    copy.output = ScratchDir() + "/default.gif";
    copy.encoding = FrameEncoding::kCopy;
    copy.max_bytes = kNoSizeLimit;
    const BuildResult copied = BuildAnimation(copy);
    if (!copied.ok) return;  // beyond the cap of the run
    FUZZ_CHECK(output.size() <= copied.summary.bytes);
    if (output == ReadFileBytes(copy.output)) return;
    // Written again: giflib decodes every image.
    DecodedGif decoded;
    FUZZ_CHECK(SlurpGifBytes(output, &decoded));
    const std::string smallest = ScratchDir() + "/smallest.gif";
    WriteWholeFile(smallest, output);
    FUZZ_CHECK(SameTimeline(PlayedTimeline(copy.output), PlayedTimeline(smallest)));
}

bool AllowedRefusal(const BuildPlan& plan, const BuildResult& result, size_t files) {
    // Written smallest, the default output goes to a scratch file first: it
    // may be beyond the cap of the run; a budget may be too small.
    if (WritesSmallest(plan) && result.entry == kNoEntry &&
        (result.message == kMsgCouldNotWriteOutput ||
         (result.message == kMsgBudgetTooSmall && plan.max_bytes != kNoSizeLimit))) {
        return true;
    }
    if (result.icon != MessageIcon::kWarning || result.entry >= files) return false;
    const char* message = result.message;
    return message == kMsgNotAGif || message == kMsgPrematureEnd || message == kMsgFileEmpty ||
           message == kMsgImageWithoutArea || message == kMsgImageBeyondScreen ||
           ((message == kMsgCannotPlayBackwards || message == kMsgCouldNotWriteScratch ||
             message == kMsgCanvasTooLarge) &&
            plan.order != FrameOrder::kForward) ||
           (message == kMsgTooLarge && plan.center);
}

// What the observer heard agrees with the result.
void CheckReports(const FuzzPlan& fuzz, const BuildRun& run, size_t files) {
    if (run.result.ok) {
        FUZZ_CHECK(run.messages.empty());
    } else {
        FUZZ_CHECK(run.messages.size() == 1 && run.messages[0].first == run.result.message &&
                   run.messages[0].second == run.result.icon);
    }
    for (size_t index : run.entries_started) FUZZ_CHECK(index < files);
    for (size_t index : run.images_left_out) {
        FUZZ_CHECK(index < files && fuzz.plan.entries[index].images == ImageChoice::kFirst);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t plan_bytes[kPlanBytes] = {};
    std::memcpy(plan_bytes, data, std::min(size, kPlanBytes));
    const size_t skipped = std::min(size, kPlanBytes);
    const std::vector<Bytes> inputs = SplitFrames(data + skipped, size - skipped);
    static const std::string folder = ScratchDir() + "/out";
    const std::string output_path = folder + "/output.gif";
    FuzzPlan fuzz = ReadPlan(plan_bytes, output_path);
    fuzz.plan.entries.resize(inputs.size());
    uint64_t width = 0, height = 0;
    for (const Bytes& input : inputs) {
        width = std::max<uint64_t>(width, Le16At(input, kScreenWidthOffset));
        height = std::max<uint64_t>(height, Le16At(input, kScreenHeightOffset));
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        fuzz.plan.entries[i].path = ScratchDir() + "/entry" + std::to_string(i) + ".gif";
        WriteWholeFile(fuzz.plan.entries[i].path, inputs[i]);
    }
    // A re-encoded entry's screen grows to hold its first image, wherever it
    // lies, as the compositor sizes its canvas. Screens composited whole are
    // kept within what a run can do before the fuzzer's timeout.
    uint64_t canvas_width = width, canvas_height = height;
    for (const PlanEntry& entry : fuzz.plan.entries) {
        GifPlayer sizing;
        if (sizing.Open(entry.path.c_str()) == nullptr) {
            canvas_width = std::max<uint64_t>(canvas_width, sizing.width());
            canvas_height = std::max<uint64_t>(canvas_height, sizing.height());
        }
    }
    const uint64_t largest_canvas = canvas_width * canvas_height;
    // The images composited: giflib's count where it knows it, else every
    // byte that could start one.
    uint64_t images = 0;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const size_t counted = GiflibImageCount(inputs[i]);
        images += fuzz.plan.entries[i].images == ImageChoice::kFirst ? 1
                  : counted > 0                                      ? counted
                                : std::count(inputs[i].begin(), inputs[i].end(), kImageIntroducer);
    }
    const uint64_t work = largest_canvas * std::max<uint64_t>(images, 1);
    if (fuzz.plan.order != FrameOrder::kForward &&
        (largest_canvas > kMostReencodedPixels || work > kMostReencodedWork)) {
        return 0;
    }
    if (largest_canvas > kMostSmallestPixels || work > kMostSmallestWork) {
        fuzz.plan.encoding = FrameEncoding::kCopy;
        fuzz.plan.max_bytes = kNoSizeLimit;
    }
    if (work > kMostBudgetWork) fuzz.plan.max_bytes = kNoSizeLimit;
    mkdir(folder.c_str(), 0700);
    for (const std::string& name : FolderNames(folder)) unlink((folder + "/" + name).c_str());
    if (fuzz.old_output) WriteWholeFile(output_path, kOldOutput);
    const std::vector<std::string> folder_before = FolderNames(folder);

    const char* temporary_folder = std::getenv("TMPDIR");
    const std::string scratch_folder = temporary_folder && *temporary_folder ? temporary_folder : "/tmp";
    const std::vector<std::string> scratch_before = FolderNames(scratch_folder);
    const int descriptors_before = OpenDescriptorCount();
    const BuildRun measured = RunPlan(fuzz.plan, true);
    FUZZ_CHECK(OpenDescriptorCount() == descriptors_before);
    FUZZ_CHECK(FolderNames(folder) == folder_before);
    const BuildRun built = RunPlan(fuzz.plan);
    FUZZ_CHECK(OpenDescriptorCount() == descriptors_before);
    for (size_t i = 0; i < inputs.size(); ++i) FUZZ_CHECK(ReadFileBytes(fuzz.plan.entries[i].path) == inputs[i]);
    FUZZ_CHECK(FolderNames(scratch_folder) == scratch_before);  // no scratch file left
    FUZZ_CHECK(measured.entries_reencoded == built.entries_reencoded || !built.result.ok);
    CheckReports(fuzz, measured, inputs.size());
    CheckReports(fuzz, built, inputs.size());

    const BuildResult& predicted = measured.result;
    const BuildResult& result = built.result;
    if (!predicted.ok) {
        FUZZ_CHECK(AllowedRefusal(fuzz.plan, predicted, inputs.size()));
        FUZZ_CHECK(SameSummary(predicted.summary, PlanSummary()));
    }
    if (predicted.ok && predicted.summary.bytes > kMaxScratchFileBytes) {
        // Beyond the cap of the run: the build must fail to write.
        FUZZ_CHECK(!result.ok && result.message == kMsgCouldNotWriteOutput && result.entry == kNoEntry);
    } else {
        FUZZ_CHECK(result.ok == predicted.ok && result.message == predicted.message);
        FUZZ_CHECK(result.icon == predicted.icon && result.entry == predicted.entry);
        FUZZ_CHECK(SameSummary(result.summary, predicted.summary));
    }
    if (!result.ok) {
        FUZZ_CHECK(FolderNames(folder) == folder_before);
        if (fuzz.old_output) FUZZ_CHECK(ReadFileBytes(output_path) == kOldOutput);
        return 0;
    }
    FUZZ_CHECK(FolderNames(folder) == std::vector<std::string>{"output.gif"});
    const Bytes output = ReadFileBytes(output_path);
    FUZZ_CHECK(output.size() == result.summary.bytes);
    if (WritesSmallest(fuzz.plan)) {
        CheckSmallest(fuzz.plan, result.summary, output);
    } else {
        CheckOutput(fuzz, inputs, result.summary, built.entries_reencoded, output);
    }
    return 0;
}
