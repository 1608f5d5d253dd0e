#include "gif/optimized_build.h"

#include <algorithm>
#include <vector>

#include "gif/optimizer.h"
#include "gif/output_sink.h"
#include "platform/file_io.h"

const char kMsgBudgetTooSmall[] =
    "Even with one frame of each file, the animation would be larger than the size limit. Nothing was written.";

namespace {

constexpr size_t kCopyBlock = 64 * 1024;

// A scratch file in the temporary folder, removed when done with.
class Scratch {
public:
    ~Scratch() {
        if (open_) FileDiscard(&file_);
    }
    bool Create() {
        if (!FileCreateScratch(&file_)) return false;
        open_ = true;
        return FileClose(file_.file);
    }
    const char* path() const { return file_.path; }

private:
    TemporaryFile file_ = {};
    bool open_ = false;
};

// The plan as the default output writes it, into `path`.
BuildPlan DefaultPlan(const BuildPlan& plan, const char* path) {
    BuildPlan copy = plan;
    copy.output = path;
    copy.mode = OutputMode::kWriteInPlace;
    copy.encoding = FrameEncoding::kCopy;
    copy.max_bytes = kNoSizeLimit;
    return copy;
}

// The entry each frame of the default output comes from, in playing order.
// A clearing frame counts with the entry after it.
std::vector<size_t> EntryOfFrames(const BuildPlan& plan, size_t frames) {
    BuildPlan part = DefaultPlan(plan, "");
    std::vector<size_t> entry_of;
    entry_of.reserve(frames);
    if (plan.order == FrameOrder::kForward) {
        // Where each entry's frames end: the frames of the plan up to it.
        for (size_t k = 0; k < plan.entries.size(); ++k) {
            part.entries.assign(plan.entries.begin(), plan.entries.begin() + k + 1);
            const size_t end = k + 1 == plan.entries.size() ? frames : MeasurePlan(part).summary.frames;
            while (entry_of.size() < std::min(end, frames)) entry_of.push_back(k);
        }
    } else {
        // Played in another order, no frames are added: each entry gives
        // its own, in the files' order, then reordered as the plan says.
        for (size_t k = 0; k < plan.entries.size(); ++k) {
            part.entries.assign(1, plan.entries[k]);
            part.center = false;
            const size_t count = MeasurePlan(part).summary.frames;
            entry_of.insert(entry_of.end(), count, k);
        }
        const size_t count = entry_of.size();
        if (plan.order == FrameOrder::kReverse) {
            std::reverse(entry_of.begin(), entry_of.end());
        } else if (count > 2) {
            for (size_t i = count - 2; i >= 1; --i) entry_of.push_back(entry_of[i]);
        }
    }
    entry_of.resize(frames, entry_of.empty() ? 0 : entry_of.back());
    return entry_of;
}

// Which frames to leave out so that `keep` of them stay, spread evenly,
// with at least one of every run of frames from one entry (the first of
// each run always stays). `keep` is at least the number of runs.
std::vector<uint8_t> FramesToDrop(const std::vector<size_t>& entry_of, size_t keep) {
    struct Run {
        size_t begin, length, kept;
    };
    std::vector<Run> runs;
    for (size_t i = 0; i < entry_of.size(); ++i) {
        if (i == 0 || entry_of[i] != entry_of[i - 1]) runs.push_back({i, 0, 0});
        ++runs.back().length;
    }
    const size_t total = entry_of.size();
    size_t kept = 0;
    for (Run& run : runs) {
        run.kept = std::max<size_t>(1, run.length * keep / total);
        kept += run.kept;
    }
    // Evened out one frame at a time: taken from the run that keeps the
    // largest share, given to the one that keeps the smallest.
    auto share = [](const Run& run) { return static_cast<double>(run.kept) / static_cast<double>(run.length); };
    while (kept > keep) {
        Run* most = nullptr;
        for (Run& run : runs) {
            if (run.kept > 1 && (!most || share(run) > share(*most))) most = &run;
        }
        if (!most) break;
        --most->kept;
        --kept;
    }
    while (kept < keep) {
        Run* least = nullptr;
        for (Run& run : runs) {
            if (run.kept < run.length && (!least || share(run) < share(*least))) least = &run;
        }
        if (!least) break;
        ++least->kept;
        ++kept;
    }
    std::vector<uint8_t> drop(total, 1);
    for (const Run& run : runs) {
        for (size_t i = 0; i < run.kept; ++i) drop[run.begin + i * run.length / run.kept] = 0;
    }
    return drop;
}

// Copies the file at `from` to the plan's output as its mode says.
const char* CopyToOutput(const char* from, const BuildPlan& plan) {
    FileHandle input;
    if (!FileOpenRead(from, &input)) return kMsgCouldNotWriteOutput;
    const bool beside = plan.mode == OutputMode::kReplaceWhenDone && !FileIsSpecial(plan.output.c_str());
    TemporaryFile temporary;
    FileHandle output;
    const bool created =
        beside ? FileCreateBeside(plan.output.c_str(), &temporary) : FileCreateWrite(plan.output.c_str(), &output);
    if (!created) {
        FileClose(input);
        return kMsgCouldNotCreateOutput;
    }
    if (beside) output = temporary.file;
    std::vector<uint8_t> block(kCopyBlock);
    bool written = true;
    for (;;) {
        const size_t count = FileRead(input, block.data(), block.size());
        if (count == 0) break;
        if (!FileWrite(output, block.data(), count)) {
            written = false;
            break;
        }
    }
    FileClose(input);
    const bool closed = FileClose(output);
    if (!beside) return written && closed ? nullptr : kMsgCouldNotWriteOutput;
    if (!written || !closed) {
        FileDiscard(&temporary);
        return kMsgCouldNotWriteOutput;
    }
    return FileCommit(&temporary) ? nullptr : kMsgCouldNotCreateOutput;
}

BuildResult RunSmallest(const BuildPlan& plan, BuildObserver* observer, bool write) {
    Scratch copied;
    if (!copied.Create()) return Refuse(kMsgCouldNotCreateOutput, observer);
    BuildResult result = BuildAnimation(DefaultPlan(plan, copied.path()), observer);
    if (!result.ok) return result;
    const PlanSummary copy_summary = result.summary;
    const uint64_t budget = plan.max_bytes == kNoSizeLimit ? UINT64_MAX : plan.max_bytes;

    Scratch smallest;
    if (write && !smallest.Create()) return Refuse(kMsgCouldNotCreateOutput, observer);
    GifOptimizer optimizer;
    bool optimized = optimizer.Analyse(copied.path()) == OptimizeOutcome::kWritten;
    // Every frame first, written where it may be kept.
    uint64_t bytes = 0;
    if (optimized) {
        FileHandle file = {};
        if (write && !FileCreateWrite(smallest.path(), &file)) return Refuse(kMsgCouldNotCreateOutput, observer);
        OutputSink sink(write ? &file : nullptr);
        optimized = optimizer.Write(sink, nullptr) == OptimizeOutcome::kWritten;
        bytes = sink.position();
        if (write && (!FileClose(file) || !sink.ok())) return Refuse(kMsgCouldNotWriteOutput, observer);
    }
    const size_t all_frames = optimizer.frame_offsets().size();
    PlanSummary& summary = result.summary;
    bool use_copy = !optimized || bytes >= copy_summary.bytes;
    if (!use_copy) {
        summary.frames = optimizer.frames_written();
        summary.clearing_frames = 0;
        summary.bytes = bytes;
    }
    if (summary.bytes > budget) {
        if (!optimized) return Refuse(kMsgBudgetTooSmall, observer);
        // As few frames left out as needed: the most frames that fit, found
        // by halving (each try writes nothing).
        const std::vector<size_t> entry_of = EntryOfFrames(plan, all_frames);
        size_t runs = 0;
        for (size_t i = 0; i < entry_of.size(); ++i) runs += i == 0 || entry_of[i] != entry_of[i - 1];
        auto size_keeping = [&](size_t keep, std::vector<uint8_t>* drop) -> uint64_t {
            *drop = FramesToDrop(entry_of, keep);
            OutputSink counter(nullptr);
            if (optimizer.Write(counter, drop) != OptimizeOutcome::kWritten) return UINT64_MAX;
            return counter.position();
        };
        std::vector<uint8_t> drop;
        if (runs >= all_frames || size_keeping(runs, &drop) > budget) return Refuse(kMsgBudgetTooSmall, observer);
        size_t low = runs, high = all_frames - 1;
        while (low < high) {
            const size_t middle = low + (high - low + 1) / 2;
            if (size_keeping(middle, &drop) <= budget) {
                low = middle;
            } else {
                high = middle - 1;
            }
        }
        drop = FramesToDrop(entry_of, low);
        FileHandle file = {};
        if (write && !FileCreateWrite(smallest.path(), &file)) return Refuse(kMsgCouldNotCreateOutput, observer);
        OutputSink sink(write ? &file : nullptr);
        if (optimizer.Write(sink, &drop) != OptimizeOutcome::kWritten) return Refuse(kMsgBudgetTooSmall, observer);
        if (write && (!FileClose(file) || !sink.ok())) return Refuse(kMsgCouldNotWriteOutput, observer);
        use_copy = false;
        summary.frames = optimizer.frames_written();
        summary.clearing_frames = 0;
        summary.bytes = sink.position();
        summary.dropped_frames = all_frames - low;
        summary.frames_before_dropping = all_frames;
    }
    if (!use_copy) {
        summary.duration = optimizer.duration_written();
        summary.played_duration = optimizer.played_duration_written();
    }
    if (write) {
        const char* message = CopyToOutput(use_copy ? copied.path() : smallest.path(), plan);
        if (message) return Refuse(message, observer);
    }
    return result;
}

// "2,000,000"
std::string Grouped(uint64_t value) {
    std::string digits = std::to_string(value);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

}  // namespace

BuildResult BuildSmallest(const BuildPlan& plan, BuildObserver* observer) { return RunSmallest(plan, observer, true); }

BuildResult MeasureSmallest(const BuildPlan& plan, BuildObserver* observer) {
    return RunSmallest(plan, observer, false);
}

std::string FormatDroppedFrames(const PlanSummary& summary, uint64_t max_bytes) {
    if (summary.dropped_frames == 0) return std::string();
    return "dropped " + std::to_string(summary.dropped_frames) + " of " +
           std::to_string(summary.frames_before_dropping) + " frames to fit " + Grouped(max_bytes) + " bytes";
}
