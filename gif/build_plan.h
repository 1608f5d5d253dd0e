// What a build writes, as one value, and what it gives back.
//
// A front end fills a BuildPlan from its controls (the output, how often it
// plays, the frame entries in order with their rules) and hands it to
// BuildAnimation, or to MeasurePlan to learn what would be written without
// writing it. The core copies every image's compressed data byte for byte;
// only the records around it are rewritten.
#ifndef ZORVANE_GIF_BUILD_PLAN_H
#define ZORVANE_GIF_BUILD_PLAN_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class MessageIcon { kPlain, kWarning };

// Which images of an entry's file become frames.
enum class ImageChoice : uint8_t {
    kFirst,  // its first image only (disposal "restore to background")
    kAll,    // every image, each with its own position, table, transparency and disposal
};

// The delay of an entry's frames.
struct DelayRule {
    bool given = false;       // false: each image keeps its own (0 when it has none)
    uint16_t hundredths = 0;  // when given
};

// One entry of the plan: a file and how it is taken.
struct PlanEntry {
    std::string path;  // 8-bit, as the file system names it
    ImageChoice images = ImageChoice::kFirst;
    DelayRule delay;
};

// The order the frames play in.
enum class FrameOrder : uint8_t {
    kForward,
    kReverse,  // the whole frame sequence backwards
    kBounce,   // forwards, then backwards without repeating the two end frames
};

// How the output file comes into being.
enum class OutputMode : uint8_t {
    // Written beside the output and moved over it only when the build
    // succeeded: on failure the file that was there stays as it was.
    kReplaceWhenDone,
    // Written at its path from the start; a failed build leaves what it
    // wrote so far (the Windows program's behaviour). Such a build also keeps
    // that program's other ways: an empty file is reported as not a GIF, and
    // images other programs refuse (kMsgImageWithoutArea,
    // kMsgImageBeyondScreen) are copied as they are.
    kWriteInPlace,
};

// Plays: 1 writes no looping block; N from 2 to 65536 writes N - 1 (the
// block counts the repeats after the first play).
constexpr uint32_t kPlayForever = 0;
constexpr uint32_t kMostPlays = 65536;

// How each frame's image is written.
enum class FrameEncoding : uint8_t {
    kCopy,      // its compressed data byte for byte; only the records around it are rewritten
    kSmallest,  // decoded and written again in as few bytes as possible, every pixel and delay the same
};

// Where the frames' colour tables go.
enum class TableRule : uint8_t {
    kShared,     // the table most frames carry is written once, as the global table; other frames keep theirs
    kEachFrame,  // every frame carries its own table
};

// No size budget.
constexpr uint64_t kNoSizeLimit = 0;

struct BuildPlan {
    std::string output;
    uint32_t plays = kPlayForever;  // kPlayForever, or 1..kMostPlays
    // The count written for "forever": 0, which every decoder reads as
    // forever. The Windows program writes 65535.
    uint16_t forever_count = 0;
    FrameOrder order = FrameOrder::kForward;
    // Each entry whose screen is smaller than the output's is moved to its
    // middle: all its images by ((W - w) / 2, (H - h) / 2), rounded down.
    bool center = false;
    OutputMode mode = OutputMode::kReplaceWhenDone;
    FrameEncoding encoding = FrameEncoding::kCopy;
    TableRule tables = TableRule::kShared;
    // The most bytes the output may have: it is then written smallest and,
    // only when that is not enough, frames are dropped evenly, each dropped
    // frame's delay going to the frame before it.
    uint64_t max_bytes = kNoSizeLimit;
    std::vector<PlanEntry> entries;
};

// What a plan writes, known from the records alone.
struct PlanSummary {
    size_t frames = 0;             // images written, clearing frames included
    uint64_t duration = 0;         // sum of the delays, in hundredths of a second
    uint64_t played_duration = 0;  // the same as browsers play it (PlayedDelay of each)
    uint16_t width = 0;            // logical screen of the output
    uint16_t height = 0;
    uint64_t bytes = 0;          // exact size of the output file
    size_t clearing_frames = 0;  // frames added between entries to clear the canvas
    // Frames left out to fit the size budget, of how many there were.
    size_t dropped_frames = 0;
    size_t frames_before_dropping = 0;
};

constexpr size_t kNoEntry = static_cast<size_t>(-1);

struct BuildResult {
    bool ok = true;
    const char* message = nullptr;  // one of the kMsg texts; null on success
    MessageIcon icon = MessageIcon::kPlain;
    size_t entry = kNoEntry;  // the plan entry the message is about, if any
    PlanSummary summary;      // what was (or would be) written, on success
};

// Reports from a running build, for front ends that need them.
class BuildObserver {
public:
    // Before entry `index` of `count` is opened (for a progress bar).
    virtual void EntryStarted(size_t /*index*/, size_t /*count*/) {}
    // On failure, while the files are still open, before the result returns.
    virtual void Failed(const BuildResult& /*result*/) {}
    // Entry `index` is taken as its first image only, and its file holds
    // more images than that.
    virtual void ImagesLeftOut(size_t /*index*/) {}
    // Entry `index`, whose images are drawn over one another, was composited
    // and written again, each frame whole, so that it plays in another order.
    virtual void EntryReencoded(size_t /*index*/) {}

protected:
    ~BuildObserver() = default;
};

extern const char kMsgBuildCouldNotOpen[];
extern const char kMsgOutputIsFrame[];
extern const char kMsgCouldNotCreateOutput[];
extern const char kMsgCouldNotWriteOutput[];
extern const char kMsgCannotPlayBackwards[];
extern const char kMsgTooLarge[];
extern const char kMsgImageWithoutArea[];
extern const char kMsgImageBeyondScreen[];

// A failed result about the whole plan (no entry), with the warning icon;
// the observer, if any, hears of it first.
BuildResult Refuse(const char* message, BuildObserver* observer);

// Writes the plan's output. Every image keeps its compressed data and its
// colour table; with TableRule::kShared the table most frames have is the
// output's global one and only the others are local. Where an entry of all its
// images would leave pixels on the canvas that the next entry does not
// expect, its last frame is given disposal "restore to background" or, where
// that does not reach them all, a fully transparent clearing frame follows it
// (the delay of that last frame is shared between the two, so the time shown
// stays the same).
BuildResult BuildAnimation(const BuildPlan& plan, BuildObserver* observer = nullptr);

// What BuildAnimation would write, from reading the entries alone: nothing is
// written. The same refusals as a build, except those about the output file.
BuildResult MeasurePlan(const BuildPlan& plan, BuildObserver* observer = nullptr);

#endif  // ZORVANE_GIF_BUILD_PLAN_H
