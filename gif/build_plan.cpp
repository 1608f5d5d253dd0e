#include "gif/build_plan.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "gif/canvas_trace.h"
#include "gif/delay_text.h"
#include "gif/entry_reader.h"
#include "gif/flatten.h"
#include "gif/gif_records.h"
#include "gif/lzw_writer.h"
#include "gif/optimized_build.h"
#include "gif/output_sink.h"
#include "platform/file_io.h"

const char kMsgBuildCouldNotOpen[] = "Could not open file. GIF creation aborted.";
const char kMsgOutputIsFrame[] = "The output file is one of the frames. GIF creation aborted.";
const char kMsgCouldNotCreateOutput[] = "Could not create output file.";
const char kMsgCouldNotWriteOutput[] = "Could not write output file. GIF creation aborted.";
const char kMsgTooLarge[] = "Centred on the larger screen, an image would lie beyond the largest position a GIF has.";
const char kMsgImageWithoutArea[] = "It holds an image of zero width or height, which other programs refuse.";
const char kMsgImageBeyondScreen[] =
    "It holds an image lying outside the largest screen a GIF can have, which other programs refuse.";

namespace {

// Offset of the screen descriptor in the output, rewritten once all frames
// are in and the largest screen is known.
constexpr uint64_t kScreenDescriptorOffset = kGifHeaderSize;
constexpr uint16_t kLargestPosition = 0xFFFF;
// A clearing frame takes this much of the delay of the frame before it,
// when that frame has enough to share (browsers play 0 and 1 as 10).
constexpr uint16_t kClearingDelay = 2;
constexpr uint16_t kLeastSharedDelay = 2 * kClearingDelay;
// Image descriptor packed flag: its local table is sorted by importance.
constexpr uint8_t kSortFlag = 0x20;
// Screen descriptor packed field: bits 6..4, the colour resolution.
constexpr uint8_t kColorResolutionShift = 4;

// FNV-1a over a table's size field and bytes.
uint64_t HashTable(uint8_t size_field, const uint8_t* bytes) {
    constexpr uint64_t kOffsetBasis = 0xCBF29CE484222325ull;
    constexpr uint64_t kPrime = 0x100000001B3ull;
    uint64_t hash = (kOffsetBasis ^ size_field) * kPrime;
    for (size_t k = 0; k < ColorTableBytes[size_field]; ++k) hash = (hash ^ bytes[k]) * kPrime;
    return hash;
}

// A colour table that frames carry, counted before writing.
struct TableTally {
    uint8_t size_field = 0;
    uint32_t count = 0;  // 0: no table is shared
};

GifImageDescriptor WithoutTable(GifImageDescriptor image) {
    image.packed = static_cast<uint8_t>(image.packed & ~kColorTableFlag);
    return image;
}

// An image of an entry, found before writing when the frames are played in
// another order than the files hold them.
struct FrameRef {
    uint32_t entry;
    uint64_t offset;  // just after its image introducer
    GifGraphicControl control;
};

class Build {
public:
    Build(const BuildPlan& plan, BuildObserver* observer, FileHandle* output)
        : plan_(plan), observer_(observer), sink_(output), reencoded_(plan.entries.size(), kNotReencoded) {}
    ~Build() {
        for (TemporaryFile& scratch : scratch_) FileDiscard(&scratch);
    }
    Build(const Build&) = delete;
    Build& operator=(const Build&) = delete;

    OutputSink& sink() { return sink_; }

    // Everything before the output exists: with a centre or another order,
    // the screens (or all images) of the entries; with a shared table, the
    // tables of the frames, to choose it. False on a failure.
    bool Prepare() {
        if (plan_.order != FrameOrder::kForward) return CollectFrames();
        const bool count = plan_.tables == TableRule::kShared;
        if (plan_.center || count) {
            for (size_t k = 0; k < plan_.entries.size(); ++k) {
                if (!OpenEntry(k, false)) return false;
                if (plan_.center) TakeScreen(reader_.screen());
                if (count && !CountTables(k)) return false;
            }
            reader_.Close();
        }
        tallies_.clear();
        return true;
    }

    bool Write() {
        uint8_t screen_bytes[kScreenDescriptorSize] = {};
        sink_.Write(kGif89aHeader, sizeof kGif89aHeader);
        sink_.Write(screen_bytes, sizeof screen_bytes);
        if (shared_.count > 0) sink_.Write(shared_table_, ColorTableBytes[shared_.size_field]);
        if (plan_.plays != 1) {
            uint8_t looping[kLoopingBlockSize];
            const uint32_t repeats = plan_.plays == kPlayForever ? plan_.forever_count : plan_.plays - 1;
            EncodeLoopingBlock(static_cast<uint16_t>(std::min<uint32_t>(repeats, 0xFFFF)), looping);
            sink_.Write(looping, sizeof looping);
        }
        if (!sink_.ok()) return FailWrite();
        const bool copied = plan_.order == FrameOrder::kForward ? WriteForward() : WriteCollected();
        if (!copied) return false;
        sink_.WriteByte(kTrailer);
        GifScreenDescriptor screen = {};
        screen.width = screen_.width;
        screen.height = screen_.height;
        if (shared_.count > 0) {
            screen.packed = static_cast<uint8_t>(kColorTableFlag | (shared_.size_field << kColorResolutionShift) |
                                                 shared_.size_field);
        }
        EncodeScreenDescriptor(screen, screen_bytes);
        sink_.Patch(kScreenDescriptorOffset, screen_bytes, sizeof screen_bytes);
        if (!sink_.ok()) return FailWrite();
        result_.summary.width = screen_.width;
        result_.summary.height = screen_.height;
        result_.summary.bytes = sink_.position();
        return true;
    }

    // Ends the run as a failure about `entry` (kNoEntry: none); the observer
    // hears of it while the files are open.
    bool Fail(const char* message, MessageIcon icon, size_t entry) {
        result_.ok = false;
        result_.message = message;
        result_.icon = icon;
        result_.entry = entry;
        result_.summary = PlanSummary();
        if (observer_) observer_->Failed(result_);
        reader_.Close();
        return false;
    }
    bool FailWrite() { return Fail(kMsgCouldNotWriteOutput, MessageIcon::kWarning, kNoEntry); }

    const BuildResult& result() const { return result_; }

private:
    // Opens entry `index`; `report` tells the observer (once per entry, when
    // its frames are written).
    bool OpenEntry(size_t index, bool report = true) {
        if (observer_ && report) observer_->EntryStarted(index, plan_.entries.size());
        const size_t scratch = reencoded_[index];
        const char* message =
            reader_.Open(scratch == kNotReencoded ? plan_.entries[index].path.c_str() : scratch_[scratch].path);
        if (!message) return true;
        if (message == kMsgFileEmpty && plan_.mode == OutputMode::kWriteInPlace) message = kMsgNotAGif;
        return Fail(message, message == kMsgBuildCouldNotOpen ? MessageIcon::kPlain : MessageIcon::kWarning, index);
    }

    // False (the run failed) when an image of entry `index` is one that other
    // programs refuse: without area, or lying wholly outside the largest
    // screen a GIF can have (a decompression bomb: decoders that size their
    // canvas to hold every image would allocate billions of pixels).
    bool CheckImage(const GifImageDescriptor& image, size_t index) {
        if (plan_.mode == OutputMode::kWriteInPlace) return true;
        if (image.width == 0 || image.height == 0) return Fail(kMsgImageWithoutArea, MessageIcon::kWarning, index);
        if (image.left >= kLargestPosition || image.top >= kLargestPosition) {
            return Fail(kMsgImageBeyondScreen, MessageIcon::kWarning, index);
        }
        return true;
    }

    // Counts the tables of the images entry `index` gives frames; the
    // reader has just opened it.
    bool CountTables(size_t index) {
        GifGraphicControl control;
        GifImageDescriptor image;
        BlockScanResult found = reader_.NextImage(&control, &image);
        if (found == BlockScanResult::kPrematureEnd) return Fail(kMsgPrematureEnd, MessageIcon::kWarning, index);
        while (found == BlockScanResult::kFound) {
            CountTable(image);
            if (plan_.entries[index].images == ImageChoice::kFirst) break;
            reader_.SkipImage(WithoutTable(image));
            found = reader_.NextImage(&control, &image);
        }
        return true;
    }

    // Counts the table the image just read gives its frame: its local one,
    // else its input's global one, else a grey ramp. The reader is left
    // after the local table. The table to share is the one most frames
    // carry, the first to reach that count where several do. Returns the
    // key of the table's tally.
    uint64_t CountTable(const GifImageDescriptor& image) {
        const uint8_t screen_packed = reader_.screen().packed;
        uint8_t size_field = screen_packed & kColorTableSizeMask;
        const uint8_t* bytes = palette_;
        if (image.packed & kColorTableFlag) {
            size_field = image.packed & kColorTableSizeMask;
            reader_.ReadLocalTable(image, palette_);
        } else if (screen_packed & kColorTableFlag) {
            bytes = reader_.global_table();
        } else {
            FillGreyRamp(palette_, ColorTableBytes[size_field]);
        }
        const uint64_t key = HashTable(size_field, bytes);
        TableTally& tally = tallies_[key];
        tally.size_field = size_field;
        if (++tally.count <= shared_.count) return key;
        shared_ = tally;
        std::memcpy(shared_table_, bytes, ColorTableBytes[size_field]);
        return key;
    }

    void TakeScreen(const GifScreenDescriptor& screen) {
        screen_.width = std::max(screen_.width, screen.width);
        screen_.height = std::max(screen_.height, screen.height);
    }

    // Moves an image of an entry with screen `screen` to its place on the
    // output's screen. False when it would not fit in 16 bits.
    bool Place(const GifScreenDescriptor& screen, GifImageDescriptor* image) const {
        if (!plan_.center) return true;
        const uint32_t dx = screen.width < screen_.width ? (screen_.width - screen.width) / 2u : 0;
        const uint32_t dy = screen.height < screen_.height ? (screen_.height - screen.height) / 2u : 0;
        if (image->left + dx > kLargestPosition || image->top + dy > kLargestPosition) return false;
        image->left = static_cast<uint16_t>(image->left + dx);
        image->top = static_cast<uint16_t>(image->top + dy);
        return true;
    }

    uint16_t DelayFor(const PlanEntry& entry, const GifGraphicControl& control) const {
        return entry.delay.given ? entry.delay.hundredths : control.delay;
    }

    // Writes one image: its graphic control, descriptor, colour table and
    // copied data. The reader stands just after the image descriptor. A
    // frame whose table is the output's global one carries none.
    bool WriteImage(GifGraphicControl control, GifImageDescriptor image) {
        const uint8_t* table = palette_;
        if (image.packed & kColorTableFlag) {
            reader_.ReadLocalTable(image, palette_);
        } else {
            // The frame carries the input's global table as its local one.
            const uint8_t screen_packed = reader_.screen().packed;
            image.packed = static_cast<uint8_t>((image.packed & ~kColorTableSizeMask) | kColorTableFlag |
                                                (screen_packed & kColorTableSizeMask));
            if (screen_packed & kColorTableFlag) {
                table = reader_.global_table();
            } else {
                FillGreyRamp(palette_, ColorTableBytesFor(image.packed));
            }
        }
        if (shared_.count > 0 && (image.packed & kColorTableSizeMask) == shared_.size_field &&
            std::memcmp(table, shared_table_, ColorTableBytesFor(shared_.size_field)) == 0) {
            image.packed = static_cast<uint8_t>(image.packed & ~(kColorTableFlag | kSortFlag | kColorTableSizeMask));
        }
        control.block_size = kGraphicControlBlockSize;
        control.terminator = kBlockTerminator;
        last_control_offset_ = sink_.position() + 2;
        last_control_ = control;
        WriteRecords(control, image, table);
        reader_.CopyImageData(sink_);
        ++result_.summary.frames;
        result_.summary.duration += control.delay;
        result_.summary.played_duration += PlayedDelay(control.delay);
        return sink_.ok() || FailWrite();
    }

    void WriteRecords(const GifGraphicControl& control, const GifImageDescriptor& image, const uint8_t* table) {
        uint8_t control_bytes[kGraphicControlSize];
        uint8_t image_bytes[kImageDescriptorSize];
        EncodeGraphicControl(control, control_bytes);
        EncodeImageDescriptor(image, image_bytes);
        sink_.WriteByte(kExtensionIntroducer);
        sink_.WriteByte(kGraphicControlLabel);
        sink_.Write(control_bytes, sizeof control_bytes);
        sink_.WriteByte(kImageIntroducer);
        sink_.Write(image_bytes, sizeof image_bytes);
        if (image.packed & kColorTableFlag) sink_.Write(table, ColorTableBytesFor(image.packed));
    }

    // Before the first frame of an entry: what the entries before it left on
    // the canvas must not show through. Nothing is needed when the frame
    // covers it with opaque pixels; else the last frame before it is
    // disposed of to the background when that reaches it all, or a clear
    // frame over it follows.
    bool CleanBoundary(const Rect& first, bool transparent) {
        const Rect dirty = trace_.dirty();
        trace_.Clear();
        if (dirty.Empty() || (!transparent && dirty.Within(first))) return true;
        GifGraphicControl last = last_control_;
        const Rect last_rect = last_rect_;
        if (dirty.Within(last_rect)) {
            last.packed = WithDisposal(last.packed, kDisposeToBackground);
            return PatchLastControl(last);
        }
        // The clearing frame shows for its time what the canvas holds after
        // the last image is disposed of: the last image keeps what it shows,
        // so that this is the picture just seen, and the clearing frame
        // clears all of it, that image included.
        GifGraphicControl clearing = {};
        clearing.packed = WithDisposal(kTransparentFlag, kDisposeToBackground);
        bool patch = false;
        const uint8_t disposal = DisposalOf(last.packed);
        Rect cleared = dirty;
        if (disposal == kDisposeToBackground || disposal == kDisposeToPrevious) {
            last.packed = WithDisposal(last.packed, kDisposeKeep);
            cleared = dirty_before_last_;
            cleared.Add(last_rect);
            patch = true;
        }
        if (last.delay >= kLeastSharedDelay) {
            last.delay = static_cast<uint16_t>(last.delay - kClearingDelay);
            clearing.delay = kClearingDelay;
            result_.summary.duration -= kClearingDelay;
            result_.summary.played_duration -= PlayedDelay(last_control_.delay) - PlayedDelay(last.delay);
            patch = true;
        }
        if (patch && !PatchLastControl(last)) return false;
        // Images may reach up to twice the largest position; no screen
        // shows more than kLargestPosition pixels a side, and the size must
        // fit in 16 bits.
        GifImageDescriptor image = {};
        image.left = static_cast<uint16_t>(cleared.left);
        image.top = static_cast<uint16_t>(cleared.top);
        image.width = static_cast<uint16_t>(std::min<int32_t>(cleared.right, kLargestPosition) - cleared.left);
        image.height = static_cast<uint16_t>(std::min<int32_t>(cleared.bottom, kLargestPosition) - cleared.top);
        image.packed = kColorTableFlag;  // two entries, both black; entry 0 is transparent
        clearing.block_size = kGraphicControlBlockSize;
        const uint8_t black[kMaxColorTableBytes] = {};
        WriteRecords(clearing, image, black);
        WriteBlankImageData(sink_, static_cast<uint64_t>(image.width) * image.height);
        ++result_.summary.frames;
        ++result_.summary.clearing_frames;
        result_.summary.duration += clearing.delay;
        result_.summary.played_duration += PlayedDelay(clearing.delay);
        return sink_.ok() || FailWrite();
    }

    bool PatchLastControl(const GifGraphicControl& control) {
        uint8_t bytes[kGraphicControlSize];
        EncodeGraphicControl(control, bytes);
        sink_.Patch(last_control_offset_, bytes, sizeof bytes);
        return sink_.ok() || FailWrite();
    }

    // After the first image of an entry taken alone (its data read): tells
    // the observer whether more follow.
    void NoteImagesLeftOut(size_t index) {
        if (!observer_) return;
        GifGraphicControl control;
        GifImageDescriptor image;
        if (reader_.NextImage(&control, &image) == BlockScanResult::kFound) observer_->ImagesLeftOut(index);
    }

    bool WriteForward() {
        for (size_t k = 0; k < plan_.entries.size(); ++k) {
            const PlanEntry& entry = plan_.entries[k];
            if (!OpenEntry(k)) return false;
            const GifScreenDescriptor screen = reader_.screen();
            if (!plan_.center) TakeScreen(screen);
            GifGraphicControl control;
            GifImageDescriptor image;
            BlockScanResult found = reader_.NextImage(&control, &image);
            if (found == BlockScanResult::kPrematureEnd) return Fail(kMsgPrematureEnd, MessageIcon::kWarning, k);
            for (bool first = true; found == BlockScanResult::kFound; first = false) {
                if (!CheckImage(image, k)) return false;
                if (!Place(screen, &image)) return Fail(kMsgTooLarge, MessageIcon::kWarning, k);
                const Rect rect = RectOf(image);
                const bool all = entry.images == ImageChoice::kAll;
                // A first image alone is cleared away after it is shown.
                control.packed = all ? control.packed : WithDisposal(control.packed, kDisposeToBackground);
                control.delay = DelayFor(entry, control);
                if (first && !CleanBoundary(rect, control.packed & kTransparentFlag)) return false;
                if (!WriteImage(control, image)) return false;
                dirty_before_last_ = trace_.dirty();
                trace_.Dispose(rect, DisposalOf(control.packed));
                last_rect_ = rect;
                if (!all) {
                    NoteImagesLeftOut(k);
                    break;
                }
                found = reader_.NextImage(&control, &image);
            }
            reader_.Close();
        }
        return true;
    }

    // Finds every image to write, in the files' order. Played in another
    // order, each frame is drawn on a clear canvas and cleared after it is
    // shown: an entry whose images are drawn over one another is re-encoded
    // first (each frame whole) and its frames taken from that copy.
    bool CollectFrames() {
        for (size_t k = 0; k < plan_.entries.size(); ++k) {
            const size_t first = frames_.size();
            bool alone = true;
            if (!CollectEntry(k, &alone)) return false;
            if (alone) continue;
            frames_.resize(first);
            if (!Reencode(k)) return false;
            if (!CollectEntry(k, &alone)) return false;
            if (!alone) return Fail(kMsgCannotPlayBackwards, MessageIcon::kWarning, k);
        }
        const size_t count = frames_.size();
        if (plan_.order == FrameOrder::kReverse) {
            std::reverse(frames_.begin(), frames_.end());
        } else if (count > 2) {
            frames_.reserve(2 * count - 2);
            for (size_t i = count - 2; i >= 1; --i) frames_.push_back(frames_[i]);
        }
        return true;
    }

    // The images of entry `k`, each checked to look the same on a clear
    // canvas (`alone` false at the first that does not, and the tables of
    // those before it uncounted).
    bool CollectEntry(size_t k, bool* alone) {
        *alone = true;
        const PlanEntry& entry = plan_.entries[k];
        const TableTally shared_before = shared_;
        uint8_t table_before[kMaxColorTableBytes];
        std::memcpy(table_before, shared_table_, sizeof table_before);
        std::vector<uint64_t> counted;
        if (!OpenEntry(k, false)) return false;
        TakeScreen(reader_.screen());
        CanvasTrace trace;
        GifGraphicControl control;
        GifImageDescriptor image;
        BlockScanResult found = reader_.NextImage(&control, &image);
        if (found == BlockScanResult::kPrematureEnd) return Fail(kMsgPrematureEnd, MessageIcon::kWarning, k);
        while (found == BlockScanResult::kFound) {
            if (!CheckImage(image, k)) return false;
            const Rect rect = RectOf(image);
            if (!trace.StandsAlone(rect, control.packed & kTransparentFlag)) {
                *alone = false;
                for (const uint64_t key : counted) --tallies_[key].count;
                shared_ = shared_before;
                std::memcpy(shared_table_, table_before, sizeof table_before);
                break;
            }
            trace.Dispose(rect, DisposalOf(control.packed));
            frames_.push_back({static_cast<uint32_t>(k), reader_.image_offset(), control});
            if (plan_.tables == TableRule::kShared) {
                counted.push_back(CountTable(image));
                reader_.SkipImage(WithoutTable(image));
            } else {
                reader_.SkipImage(image);
            }
            if (entry.images == ImageChoice::kFirst) {
                NoteImagesLeftOut(k);
                break;
            }
            found = reader_.NextImage(&control, &image);
        }
        reader_.Close();
        return true;
    }

    // Writes entry `k` again, each frame whole, into a scratch file that
    // stands in for its file from then on.
    bool Reencode(size_t k) {
        scratch_.emplace_back();
        const char* message = FlattenAnimation(plan_.entries[k].path.c_str(), &scratch_.back());
        if (message) {
            scratch_.pop_back();
            return Fail(message, MessageIcon::kWarning, k);
        }
        reencoded_[k] = scratch_.size() - 1;
        if (observer_) observer_->EntryReencoded(k);
        return true;
    }

    bool WriteCollected() {
        size_t open_entry = kNoEntry;
        for (const FrameRef& frame : frames_) {
            if (frame.entry != open_entry) {
                if (!OpenEntry(frame.entry)) return false;
                open_entry = frame.entry;
            }
            GifImageDescriptor image;
            if (!reader_.ImageAt(frame.offset, &image))
                return Fail(kMsgPrematureEnd, MessageIcon::kWarning, open_entry);
            if (!Place(reader_.screen(), &image)) return Fail(kMsgTooLarge, MessageIcon::kWarning, open_entry);
            GifGraphicControl control = frame.control;
            control.packed = WithDisposal(control.packed, kDisposeToBackground);
            control.delay = DelayFor(plan_.entries[frame.entry], control);
            if (!WriteImage(control, image)) return false;
        }
        reader_.Close();
        return true;
    }

    const BuildPlan& plan_;
    BuildObserver* observer_;
    OutputSink sink_;
    BuildResult result_;
    EntryReader reader_;
    GifScreenDescriptor screen_ = {};
    std::vector<FrameRef> frames_;
    CanvasTrace trace_;
    uint64_t last_control_offset_ = 0;
    GifGraphicControl last_control_ = {};
    Rect last_rect_;
    Rect dirty_before_last_;  // what the canvas may hold where the last image was drawn over it
    uint8_t palette_[kMaxColorTableBytes] = {};
    std::unordered_map<uint64_t, TableTally> tallies_;  // by the hash of the table
    TableTally shared_;                                 // count 0: none
    uint8_t shared_table_[kMaxColorTableBytes] = {};
    // Entries re-encoded to play in another order: their scratch files.
    static constexpr size_t kNotReencoded = static_cast<size_t>(-1);
    std::vector<size_t> reencoded_;  // per entry, an index into scratch_ or kNotReencoded
    std::vector<TemporaryFile> scratch_;
};

// True when `output` names the same file as one of the entries, so that
// writing it would destroy that entry's file.
bool OutputIsAnEntry(const BuildPlan& plan) {
    FileIdentity output_identity;
    if (!FileIdentityOf(plan.output.c_str(), &output_identity)) return false;
    for (const PlanEntry& entry : plan.entries) {
        FileIdentity entry_identity;
        if (FileIdentityOf(entry.path.c_str(), &entry_identity) && SameFileIdentity(output_identity, entry_identity)) {
            return true;
        }
    }
    return false;
}

}  // namespace

BuildResult Refuse(const char* message, BuildObserver* observer) {
    BuildResult result;
    result.ok = false;
    result.message = message;
    result.icon = MessageIcon::kWarning;
    if (observer) observer->Failed(result);
    return result;
}

BuildResult MeasurePlan(const BuildPlan& plan, BuildObserver* observer) {
    if (WritesSmallest(plan)) return MeasureSmallest(plan, observer);
    Build build(plan, observer, nullptr);
    if (build.Prepare()) build.Write();
    return build.result();
}

BuildResult BuildAnimation(const BuildPlan& plan, BuildObserver* observer) {
    if (OutputIsAnEntry(plan)) return Refuse(kMsgOutputIsFrame, observer);
    if (WritesSmallest(plan)) return BuildSmallest(plan, observer);

    if (plan.mode == OutputMode::kWriteInPlace) {
        FileHandle output;
        if (!FileCreateWrite(plan.output.c_str(), &output)) return Refuse(kMsgCouldNotCreateOutput, observer);
        Build build(plan, observer, &output);
        const bool written = build.Prepare() && build.Write();
        if (!FileClose(output) && written) return Refuse(kMsgCouldNotWriteOutput, observer);
        return build.result();
    }

    // A device or a pipe cannot be replaced, nor seeked on: it is written as
    // it is, in one go, once a measuring run has found what to patch.
    if (FileIsSpecial(plan.output.c_str())) {
        std::vector<PendingPatch> patches;
        Build measure(plan, nullptr, nullptr);
        measure.sink().NotePatchesIn(&patches);
        if (!measure.Prepare() || !measure.Write()) {
            if (observer) observer->Failed(measure.result());
            return measure.result();
        }
        FileHandle output;
        if (!FileCreateWrite(plan.output.c_str(), &output)) return Refuse(kMsgCouldNotCreateOutput, observer);
        Build build(plan, observer, &output);
        build.sink().ApplyInPassing(&patches);
        const bool written = build.Prepare() && build.Write();
        if (!FileClose(output) && written) return Refuse(kMsgCouldNotWriteOutput, observer);
        return build.result();
    }

    // Nothing is created until the entries have been found good enough to
    // start; what is written goes beside the output until it is whole.
    TemporaryFile temporary;
    if (!FileCreateBeside(plan.output.c_str(), &temporary)) return Refuse(kMsgCouldNotCreateOutput, observer);
    Build writing(plan, observer, &temporary.file);
    const bool written = writing.Prepare() && writing.Write();
    const bool closed = FileClose(temporary.file);
    if (!written) {
        FileDiscard(&temporary);
        return writing.result();
    }
    if (!closed || !FileCommit(&temporary)) {
        if (closed) return Refuse(kMsgCouldNotCreateOutput, observer);
        FileDiscard(&temporary);
        return Refuse(kMsgCouldNotWriteOutput, observer);
    }
    return writing.result();
}
