#include "gif/optimizer.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "gif/canvas_trace.h"
#include "gif/color_order.h"
#include "gif/delay_text.h"
#include "gif/gif_player.h"
#include "gif/gif_records.h"
#include "gif/lzw_writer.h"
#include "platform/file_io.h"

namespace {

constexpr Rgba kClear = kClearPixel;
// The most colour uses (a colour a frame draws anew) kept to order the
// global table by; beyond them it stays in the order of frames drawing each.
constexpr size_t kMostKeptColorUses = size_t{1} << 16;
// Browsers play delays of 0 and 1 hundredth as 10: frames with such a delay
// are never merged, or the pace would change.
constexpr uint16_t kLeastMergedDelay = 2;
constexpr uint16_t kLongestDelay = 0xFFFF;
constexpr size_t kMostColors = 256;
constexpr size_t kMostCountedColors = size_t{1} << 16;
// The largest screen written again (4096 x 4096): the run holds several
// canvases of it. A larger one keeps the default output.
constexpr size_t kLargestScreenPixels = size_t{1} << 24;
// The bytes of a graphic control extension: introducer, label, block.
constexpr size_t kControlRecordBytes = 2 + kGraphicControlSize;
// Where the delay stands in a graphic control extension as it is stored.
constexpr size_t kControlDelayOffset = 4;
constexpr uint8_t kLeastCodeSize = 2;
constexpr uint8_t kRgbMask = 0xFF;

Rect Bounds(const Rgba* a, const Rgba* b, int width, int height) {
    Rect r;
    const size_t row_bytes = static_cast<size_t>(width) * sizeof(Rgba);
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const Rgba* ra = a + static_cast<size_t>(y) * width;
        const Rgba* rb = b + static_cast<size_t>(y) * width;
        if (std::memcmp(ra, rb, row_bytes) == 0) continue;  // most rows of most frames
        int x = 0;
        while (ra[x] == rb[x]) ++x;
        int last = width - 1;
        while (ra[last] == rb[last]) --last;
        left = std::min(left, x);
        right = std::max(right, last);
        if (top == height) top = y;
        bottom = y;
    }
    if (right < 0) return r;
    r.left = left;
    r.top = top;
    r.right = right + 1;
    r.bottom = bottom + 1;
    return r;
}

// Whether a pixel of the row is clear in `next` and drawn in `left`; one
// pass without branches, which the compiler can widen.
bool RowUncleared(const Rgba* left, const Rgba* next, int width) {
    Rgba any = kClear;  // kClear is 0: nonzero once a pixel is drawn in left where next is clear
    for (int x = 0; x < width; ++x) any |= left[x] & (0u - static_cast<Rgba>(next[x] == kClear));
    return any != kClear;
}

// Pixels where `next` is clear and `left` is not: a frame drawn on `left`
// could not show them.
Rect Uncleared(const Rgba* left, const Rgba* next, int width, int height) {
    Rect r;
    for (int y = 0; y < height; ++y) {
        const size_t row = static_cast<size_t>(y) * width;
        if (!RowUncleared(left + row, next + row, width)) continue;
        int first = 0, last = width - 1;
        while (!(next[row + first] == kClear && left[row + first] != kClear)) ++first;
        while (!(next[row + last] == kClear && left[row + last] != kClear)) --last;
        r.Add({first, y, last + 1, y + 1});
    }
    return r;
}

void PutColor(Rgba c, uint8_t* rgb) {
    rgb[0] = static_cast<uint8_t>(c >> 16 & kRgbMask);
    rgb[1] = static_cast<uint8_t>(c >> 8 & kRgbMask);
    rgb[2] = static_cast<uint8_t>(c & kRgbMask);
}

int64_t Area(const Rect& r) { return r.Empty() ? 0 : static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top); }

void ClearRect(Rgba* canvas, int width, int height, const Rect& rect) {
    const int left = std::max(rect.left, 0), right = std::min(rect.right, width);
    const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, height);
    if (left >= right) return;  // wholly beside the canvas
    for (int y = top; y < bottom; ++y) {
        std::fill(canvas + static_cast<size_t>(y) * width + left, canvas + static_cast<size_t>(y) * width + right,
                  kClear);
    }
}

// The size field of a table of at least `entries` entries (2 at least).
uint8_t SizeFieldFor(size_t entries) {
    uint8_t field = 0;
    while ((size_t{2} << field) < entries) ++field;
    return field;
}

// Code bits for indices up to `largest`.
uint8_t CodeSizeFor(size_t largest) {
    uint8_t bits = kLeastCodeSize;
    while ((size_t{1} << bits) <= largest) ++bits;
    return bits;
}

// Colours to table indices: an open-addressed table that is emptied in
// constant time by moving to the next generation.
class ColorIndex {
public:
    ColorIndex() : slots_(kSlots) {}
    void Reset() {
        if (++generation_ == 0) {
            std::fill(slots_.begin(), slots_.end(), Slot());
            generation_ = 1;
        }
        count_ = 0;
    }
    // The index of `color`, adding it when `add`; -1 when it is absent
    // (and not added, or the table is full).
    int Find(Rgba color, bool add) {
        size_t i = Hash(color);
        for (;;) {
            Slot& slot = slots_[i];
            if (slot.generation != generation_) {
                if (!add || count_ >= kMostColors) return -1;
                slot = {color, generation_, static_cast<uint16_t>(count_)};
                colors_[count_] = color;
                return static_cast<int>(count_++);
            }
            if (slot.color == color) return slot.index;
            i = (i + 1) & (kSlots - 1);
        }
    }
    size_t count() const { return count_; }
    Rgba color(size_t index) const { return colors_[index]; }

private:
    static constexpr size_t kSlots = 1024;
    struct Slot {
        Rgba color = 0;
        uint32_t generation = 0;
        uint16_t index = 0;
    };
    static size_t Hash(Rgba c) { return (c * 2654435761u) >> 22 & (kSlots - 1); }
    std::vector<Slot> slots_;
    uint32_t generation_ = 1;
    size_t count_ = 0;
    Rgba colors_[kMostColors] = {};
};

constexpr uint8_t kShow = 0, kHide = 1, kRun = 2;
// What a pixel of a frame is to the canvas before it: drawn anew, the same
// as the canvas shows, or clear.
constexpr uint8_t kShown = 0, kSame = 1, kCleared = 2;

// One way of writing a frame's image.
struct Encoding {
    bool global = false;  // the global table, else a local one
    // Pixels the canvas already shows: kept (kShow), made transparent
    // (kHide), or either, whichever continues the run of indices (kRun).
    uint8_t unchanged = 0;
    uint64_t bytes = 0;  // everything the frame writes
    bool valid = false;
};

}  // namespace

struct GifOptimizer::State {
    int width = 0, height = 0;
    // What the file holds before its first frame, after its screen
    // descriptor: its global table (kept to tell whether a frame's original
    // bytes still find it) and the blocks to copy (the looping block).
    uint8_t input_packed = 0;
    std::vector<uint8_t> input_global;
    std::vector<uint8_t> lead;
    // The global table of the output: its colours, the transparent index
    // just after them.
    ColorIndex global;
    bool use_global = false;
    // Canvases, each width x height.
    std::vector<Rgba> pending;  // the frame waiting to be written
    std::vector<Rgba> base;     // what the output left before it
    std::vector<Rgba> lo_pend;  // what the input left before it
    std::vector<Rgba> lo_next;  // what the input left before the frame just read
    std::vector<Rgba> after;    // what a choice of disposal leaves
    std::vector<Rgba> scratch;
    std::vector<uint8_t> indices;
    ColorIndex local;
};

GifOptimizer::GifOptimizer() : state_(new State) {}
GifOptimizer::~GifOptimizer() { delete state_; }

namespace {

// A frame as played, with what is needed to write it again.
struct Pending {
    uint16_t delay = 0;      // as it will be written
    uint16_t own_delay = 0;  // as the input has it
    GifGraphicControl control = {};
    bool has_control = false;
    GifImageDescriptor image = {};
    uint64_t begin = 0, end = 0;
};

}  // namespace

OptimizeOutcome GifOptimizer::Analyse(const std::string& path) {
    path_ = path;
    State& s = *state_;
    frame_offsets_.clear();
    frame_delays_.clear();
    GifPlayer player(kLargestScreenPixels);
    if (player.Open(path.c_str())) return OptimizeOutcome::kCannotEncode;
    s.width = static_cast<int>(player.width());
    s.height = static_cast<int>(player.height());
    const size_t pixels = static_cast<size_t>(s.width) * s.height;
    if (pixels == 0) return OptimizeOutcome::kCannotEncode;
    // The global table, if any: a frame's own bytes that use it can be
    // kept only where the output's is the same.
    s.input_packed = player.screen().packed;
    s.input_global.assign((s.input_packed & kColorTableFlag) ? ColorTableBytesFor(s.input_packed) : 0, 0);
    if (!s.input_global.empty()) {
        FileHandle file;
        if (!FileOpenRead(path.c_str(), &file)) return OptimizeOutcome::kUnreadable;
        const bool read = FileSeekTo(file, kGifHeaderSize + kScreenDescriptorSize) &&
                          FileRead(file, s.input_global.data(), s.input_global.size()) == s.input_global.size();
        FileClose(file);
        if (!read) return OptimizeOutcome::kUnreadable;
    }
    // Colours by the number of frames that draw them anew, and the fewest
    // colours any of those frames draws anew.
    struct Uses {
        uint32_t frames = 0;
        uint32_t fewest = UINT32_MAX;
    };
    std::unordered_map<Rgba, Uses> frames_of;
    // The colours each frame draws anew, while there are few enough of them
    // to keep (then the table is ordered by them).
    std::vector<Rgba> drawn_colors;
    std::vector<size_t> drawn_ends;
    bool drawn_kept = true;
    std::vector<Rgba> previous(pixels, kClear);
    ColorIndex seen;
    PlayedFrame frame;
    while (player.Next(&frame)) {
        if (frame.damaged) return OptimizeOutcome::kDamaged;
        frame_offsets_.push_back(frame.begin);
        frame_delays_.push_back(frame.delay);
        seen.Reset();
        const Rgba* canvas = frame.canvas;
        const Rect rect = Bounds(canvas, previous.data(), s.width, s.height);
        for (int y = rect.top; y < rect.bottom; ++y) {
            const size_t row = static_cast<size_t>(y) * s.width;
            for (int x = rect.left; x < rect.right; ++x) {
                const Rgba c = canvas[row + x];
                if (c == kClear || c == previous[row + x]) continue;
                const size_t before = seen.count();
                if (seen.Find(c, true) < 0 || seen.count() == before) continue;
                // Memory stays bounded: past this many colours, only those
                // already counted go on being counted.
                if (frames_of.size() < kMostCountedColors) {
                    ++frames_of[c].frames;
                } else {
                    const auto counted = frames_of.find(c);
                    if (counted != frames_of.end()) ++counted->second.frames;
                }
            }
        }
        // A frame of few colours has narrow codes only when its colours
        // come early in the table.
        const uint32_t drawn = CodeSizeFor(seen.count());
        for (size_t k = 0; k < seen.count(); ++k) {
            const auto counted = frames_of.find(seen.color(k));
            if (counted != frames_of.end()) counted->second.fewest = std::min(counted->second.fewest, drawn);
        }
        if (drawn_kept && drawn_colors.size() + seen.count() > kMostKeptColorUses) {
            drawn_kept = false;
            drawn_colors = std::vector<Rgba>();
            drawn_ends = std::vector<size_t>();
        }
        if (drawn_kept) {
            for (size_t k = 0; k < seen.count(); ++k) drawn_colors.push_back(seen.color(k));
            drawn_ends.push_back(drawn_colors.size());
        }
        std::copy(canvas, canvas + pixels, previous.begin());
    }
    if (frame_offsets_.empty()) return OptimizeOutcome::kUnreadable;
    // The blocks between the screen (and its table) and the first frame.
    const uint64_t lead_begin = kGifHeaderSize + kScreenDescriptorSize +
                                ((s.input_packed & kColorTableFlag) ? ColorTableBytesFor(s.input_packed) : 0);
    s.lead.clear();
    if (frame_offsets_[0] > lead_begin) {
        FileHandle file;
        if (!FileOpenRead(path.c_str(), &file)) return OptimizeOutcome::kUnreadable;
        s.lead.resize(static_cast<size_t>(frame_offsets_[0] - lead_begin));
        const bool read = FileSeekTo(file, lead_begin) && FileRead(file, s.lead.data(), s.lead.size()) == s.lead.size();
        FileClose(file);
        if (!read) return OptimizeOutcome::kUnreadable;
    }
    // The global table, greedily: the colours that most frames draw, those
    // of frames drawing few colours and the most used first (small indices
    // make narrow codes), then ordered so that frames of few colours find
    // them all early; a frame takes for transparency an entry it does not
    // show. It is written when most of the colour uses it serves would
    // otherwise cost a local table each.
    struct Ranked {
        Uses uses;
        Rgba color;
    };
    std::vector<Ranked> ranked;
    ranked.reserve(frames_of.size());
    uint64_t uses = 0;
    for (const auto& entry : frames_of) {
        ranked.push_back({entry.second, entry.first});
        uses += entry.second.frames;
    }
    std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        if (a.uses.fewest != b.uses.fewest) return a.uses.fewest < b.uses.fewest;
        return a.uses.frames != b.uses.frames ? a.uses.frames > b.uses.frames : a.color < b.color;
    });
    if (ranked.size() > kMostColors) ranked.resize(kMostColors);
    uint64_t served = 0;
    s.global.Reset();
    for (const auto& entry : ranked) {
        served += entry.uses.frames;
        s.global.Find(entry.color, true);
    }
    s.use_global = frame_offsets_.size() > 1 && !ranked.empty() && 2 * served >= uses;
    if (s.use_global && drawn_kept) {
        std::vector<std::vector<uint16_t>> frames(drawn_ends.size());
        size_t begin = 0;
        for (size_t f = 0; f < drawn_ends.size(); ++f) {
            for (size_t k = begin; k < drawn_ends[f]; ++k) {
                const int at = s.global.Find(drawn_colors[k], false);
                if (at >= 0) frames[f].push_back(static_cast<uint16_t>(at));
            }
            begin = drawn_ends[f];
        }
        std::vector<Rgba> by_uses(s.global.count());
        for (size_t i = 0; i < by_uses.size(); ++i) by_uses[i] = s.global.color(i);
        s.global.Reset();
        for (uint16_t i : OrderForNarrowCodes(by_uses.size(), frames)) s.global.Find(by_uses[i], true);
    }
    s.pending.assign(pixels, kClear);
    s.base.assign(pixels, kClear);
    s.lo_pend.assign(pixels, kClear);
    s.lo_next.assign(pixels, kClear);
    s.after.assign(pixels, kClear);
    s.scratch.assign(pixels, kClear);
    s.indices.resize(std::max<size_t>(pixels, 1));
    return OptimizeOutcome::kWritten;
}

namespace {

// Writes (or, with a counting sink, measures) frames of the output.
class FrameWriter {
public:
    explicit FrameWriter(GifOptimizer::State& s) : s_(s) {}

    // Puts the indices of `rect` of the pending frame in s.indices, and the
    // table they use in table_; false when the colours do not fit one.
    // With a local table, index 0 is the transparent one wherever a frame
    // needs it, so that frames using few colours have small indices and
    // narrow codes.
    bool Fill(const Rect& rect, const Encoding& how) {
        if (how.global) return FillGlobal(rect, how.unchanged);
        ColorIndex& map = how.global ? s_.global : s_.local;
        if (!how.global) map.Reset();
        const int w = s_.width;
        const bool hide = how.unchanged != kShow;
        bool any_clear = false;
        size_t unchanged = 0;
        for (int y = rect.top; y < rect.bottom; ++y) {
            const size_t row = static_cast<size_t>(y) * w;
            Rgba last = kClear;
            for (int x = rect.left; x < rect.right; ++x) {
                const Rgba c = s_.pending[row + x];
                if (c == kClear) {
                    any_clear = true;
                    continue;
                }
                if (c == s_.base[row + x]) {
                    ++unchanged;
                    if (hide) {
                        any_clear = true;
                        continue;
                    }
                }
                if (c == last) continue;
                last = c;
                if (map.Find(c, !how.global) < 0) return false;
            }
        }
        if (how.unchanged == kShow) unchanged_ = unchanged;
        const size_t colors = map.count();
        const int offset = how.global || any_clear ? 1 : 0;
        if (colors + offset > kMostColors) return false;
        uint8_t* out = s_.indices.data();
        uint8_t* either = either_.data();
        size_t n = 0;
        int largest = 0;
        bool transparent = false;
        for (int y = rect.top; y < rect.bottom; ++y) {
            const size_t row = static_cast<size_t>(y) * w;
            Rgba last = kClear;
            int last_index = 0;
            for (int x = rect.left; x < rect.right; ++x, ++n) {
                const Rgba c = s_.pending[row + x];
                int index = 0;
                either[n] = 0;
                if (c != kClear) {
                    if (c != last) {
                        last = c;
                        // Absent only when hidden (then never shown).
                        last_index = std::max(map.Find(c, false) + offset, 0);
                    }
                    index = last_index;
                    if (hide && index != 0 && c == s_.base[row + x]) {
                        if (how.unchanged == kHide) {
                            index = 0;
                        } else {
                            either[n] = 1;  // the encoder chooses
                        }
                    }
                }
                transparent = transparent || index == 0 || either[n];
                if (!either[n]) largest = std::max(largest, index);
                out[n] = static_cast<uint8_t>(index);
            }
        }
        count_ = n;
        transparent_ = offset == 1 && transparent;
        transparent_index_ = 0;
        code_size_ = CodeSizeFor(static_cast<size_t>(largest));
        field_ = SizeFieldFor(colors + offset);
        if (!how.global) {
            std::memset(table_, 0, sizeof table_);
            for (size_t i = 0; i < colors; ++i) PutColor(map.color(i), table_ + 3 * (i + offset));
        }
        return true;
    }

    // The global index of each pixel of `rect` of the pending frame, and
    // which pixels the canvas already shows; the first entry of the table
    // the frame does not show becomes its transparent index. False when a
    // colour is not in the table, or no entry is free where one is needed.
    bool Survey(const Rect& rect) {
        const size_t entries = size_t{2} << SizeFieldFor(s_.global.count());
        {
            show_.resize(s_.indices.size());
            same_.resize(s_.indices.size());
            const int w = s_.width;
            size_t same = 0, i = 0;
            bool any_clear = false;
            bool used[kMostColors] = {};
            for (int y = rect.top; y < rect.bottom; ++y) {
                const Rgba* pend = s_.pending.data() + static_cast<size_t>(y) * w;
                const Rgba* base = s_.base.data() + static_cast<size_t>(y) * w;
                Rgba last = kClear;
                int last_index = 0;
                for (int x = rect.left; x < rect.right; ++x, ++i) {
                    const Rgba c = pend[x];
                    if (c == kClear) {
                        any_clear = true;
                        same_[i] = kCleared;
                        continue;
                    }
                    if (c != last) {
                        last = c;
                        last_index = s_.global.Find(c, false);
                        if (last_index < 0) return false;
                        used[last_index] = true;
                    }
                    const bool is_same = c == base[x];
                    same += is_same;
                    same_[i] = is_same ? kSame : kShown;
                    show_[i] = static_cast<uint8_t>(last_index);
                }
            }
            unchanged_ = same;
            distinct_ = static_cast<size_t>(std::count(used, used + kMostColors, true));
            // The transparent index: the first entry of the table this
            // frame does not show.
            clear_index_ = -1;
            for (size_t k = 0; k < entries; ++k) {
                if (!used[k]) {
                    clear_index_ = static_cast<int>(k);
                    break;
                }
            }
            int largest = any_clear ? clear_index_ : 0;
            for (int k = 0; k < static_cast<int>(kMostColors); ++k) {
                if (used[k]) largest = std::max(largest, k);
            }
            show_code_size_ = CodeSizeFor(static_cast<size_t>(largest));
            return !any_clear || clear_index_ >= 0;
        }
    }

    // Fill with the global table, from what Survey found for `rect`.
    bool FillGlobal(const Rect& rect, uint8_t unchanged) {
        uint8_t* out = s_.indices.data();
        const size_t n = static_cast<size_t>(rect.right - rect.left) * static_cast<size_t>(rect.bottom - rect.top);
        if (unchanged != kShow && clear_index_ < 0) return false;
        const uint8_t clear = static_cast<uint8_t>(std::max(clear_index_, 0));
        const uint8_t* show = show_.data();
        const uint8_t* same = same_.data();
        uint8_t* either = either_.data();
        uint8_t largest = 0;
        bool transparent = false;
        // One loop for each way, each without branches.
        if (unchanged == kRun) {
            for (size_t i = 0; i < n; ++i) {
                const bool cleared = same[i] == kCleared, kept = same[i] == kSame;
                out[i] = cleared ? clear : show[i];
                either[i] = kept;
                largest = std::max<uint8_t>(largest, cleared || kept ? 0 : show[i]);
                transparent |= cleared || kept;
            }
        } else {
            const uint8_t hidden = unchanged == kHide ? kSame : kCleared;
            for (size_t i = 0; i < n; ++i) {
                const bool hide = same[i] == kCleared || same[i] == hidden;
                out[i] = hide ? clear : show[i];
                largest = std::max(largest, out[i]);
                transparent |= hide;
            }
        }
        if (transparent) largest = std::max(largest, clear);
        count_ = n;
        transparent_ = transparent;
        transparent_index_ = clear;
        code_size_ = CodeSizeFor(largest);
        field_ = SizeFieldFor(s_.global.count());
        return true;
    }

    // The records of the pending frame's `rect` written the way `how` says,
    // in place of `out`; false, `out` holding a part, once they would take
    // more than `limit` bytes. Fill must have filled it that way.
    bool Assemble(std::vector<uint8_t>* out, const Rect& rect, const Encoding& how, uint16_t delay, uint8_t disposal,
                  uint64_t limit) {
        out->clear();
        ByteSink sink(out);
        if (delay != 0 || disposal != kDisposeKeep || transparent_) {
            GifGraphicControl control = {};
            control.block_size = kGraphicControlBlockSize;
            control.packed = WithDisposal(transparent_ ? kTransparentFlag : 0, disposal);
            control.delay = delay;
            control.transparent_index = transparent_ ? transparent_index_ : 0;
            uint8_t bytes[kGraphicControlSize];
            EncodeGraphicControl(control, bytes);
            sink.WriteByte(kExtensionIntroducer);
            sink.WriteByte(kGraphicControlLabel);
            sink.Write(bytes, sizeof bytes);
        }
        GifImageDescriptor image = {};
        image.left = static_cast<uint16_t>(rect.left);
        image.top = static_cast<uint16_t>(rect.top);
        image.width = static_cast<uint16_t>(rect.right - rect.left);
        image.height = static_cast<uint16_t>(rect.bottom - rect.top);
        if (!how.global) image.packed = static_cast<uint8_t>(kColorTableFlag | field_);
        uint8_t bytes[kImageDescriptorSize];
        EncodeImageDescriptor(image, bytes);
        sink.WriteByte(kImageIntroducer);
        sink.Write(bytes, sizeof bytes);
        if (!how.global) sink.Write(table_, ColorTableBytes[field_]);
        const uint64_t records = out->size();
        if (records >= limit) return false;
        return encoder_.Encode(out, s_.indices.data(), count_, code_size_,
                               how.unchanged == kRun ? either_.data() : nullptr, transparent_index_, limit - records);
    }

    // The fewest bytes for `rect` of the pending frame, kept in bytes();
    // invalid when its colours fit no table. The global table is tried
    // first, with each way of showing the unchanged pixels; a local table
    // only with the best of those ways, and when it can do with narrower
    // codes (or the global table cannot serve). A way is given up as soon as
    // it takes more bytes than the best so far.
    Encoding Best(const Rect& rect, uint16_t delay, uint8_t disposal) {
        Encoding best;
        auto consider = [&](const Encoding& tried) {
            Encoding how = tried;
            if (!Fill(rect, how)) return false;
            const uint64_t limit = best.valid ? best.bytes - 1 : UINT64_MAX;
            if (Assemble(&trial_, rect, how, delay, disposal, limit)) {
                how.bytes = trial_.size();
                how.valid = true;
                best = how;
                best_.swap(trial_);
            }
            return true;
        };
        either_.resize(s_.indices.size());
        size_t distinct = kMostColors;
        uint8_t global_code_size = 0;
        if (s_.use_global && Survey(rect)) {
            distinct = distinct_, global_code_size = show_code_size_;
            // The ways that most often win first, so that the others are
            // given up sooner. Where most of the rectangle is shown already,
            // drawing it all again never won in the animations measured.
            const bool mostly_shown = 2 * static_cast<int64_t>(unchanged_) >= Area(rect);
            for (uint8_t unchanged : {kHide, kRun, kShow}) {
                if (unchanged_ == 0 && unchanged != kShow) continue;  // nothing to hide
                if (unchanged == kShow && mostly_shown && best.valid) continue;
                Encoding how;
                how.global = true;
                how.unchanged = unchanged;
                consider(how);
            }
        }
        if (!best.valid || CodeSizeFor(distinct) < global_code_size) {
            for (uint8_t unchanged : {kShow, kRun, kHide}) {
                if (best.valid && best.global && unchanged != best.unchanged) continue;
                Encoding how;
                how.unchanged = unchanged;
                if (!consider(how) && unchanged == kShow && best.valid) break;
                if (unchanged_ == 0 && unchanged == kShow) break;
            }
        }
        return best;
    }

    // The records of the way Best chose.
    const std::vector<uint8_t>& bytes() const { return best_; }

private:
    GifOptimizer::State& s_;
    uint8_t table_[kMaxColorTableBytes] = {};
    size_t count_ = 0;
    bool transparent_ = false;
    uint8_t code_size_ = kLeastCodeSize;
    uint8_t field_ = 0;
    size_t unchanged_ = 0;  // pixels of the rectangle the canvas already shows
    size_t distinct_ = 0;   // colours the global indices of the last fill use
    uint8_t transparent_index_ = 0;
    int clear_index_ = -1;        // the global index free for transparency in this frame, if any
    uint8_t show_code_size_ = 0;  // the code size of the frame drawn whole with the global table
    // The global indices of kShow, and which pixels the canvas already shows.
    std::vector<uint8_t> show_;
    std::vector<uint8_t> same_;
    // Whether each pixel may be written transparent instead (kRun).
    std::vector<uint8_t> either_;
    // The records of the best way found so far, and of the way being tried.
    std::vector<uint8_t> best_;
    std::vector<uint8_t> trial_;
    LzwEncoder encoder_;
};

// What the input's own disposal of a frame leaves: `shown` is the frame as
// shown, `before` the canvas it was drawn on.
void DisposeAsInput(const Pending& frame, const Rgba* shown, const Rgba* before, Rgba* out, int width, int height) {
    const size_t pixels = static_cast<size_t>(width) * height;
    const uint8_t disposal = frame.has_control ? DisposalOf(frame.control.packed) : kDisposeNotSpecified;
    if (disposal == kDisposeToPrevious) {
        std::copy(before, before + pixels, out);
        return;
    }
    std::copy(shown, shown + pixels, out);
    if (disposal == kDisposeToBackground) ClearRect(out, width, height, RectOf(frame.image));
}

// True when no pixel is clear in `next` but drawn in `left`.
bool Clears(const Rgba* left, const Rgba* next, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const size_t row = static_cast<size_t>(y) * width;
        if (RowUncleared(left + row, next + row, width)) return false;
    }
    return true;
}

}  // namespace

OptimizeOutcome GifOptimizer::Write(OutputSink& sink, const std::vector<uint8_t>* drop) {
    State& s = *state_;
    frames_written_ = 0;
    duration_written_ = 0;
    played_duration_written_ = 0;
    const int w = s.width, h = s.height;
    const size_t pixels = static_cast<size_t>(w) * h;
    FileHandle input;
    if (!FileOpenRead(path_.c_str(), &input)) return OptimizeOutcome::kUnreadable;
    std::vector<uint8_t> copy;

    // Header, screen, global table, the blocks before the first frame.
    sink.Write(kGif89aHeader, sizeof kGif89aHeader);
    GifScreenDescriptor screen = {};
    screen.width = static_cast<uint16_t>(w);
    screen.height = static_cast<uint16_t>(h);
    uint8_t global_table[kMaxColorTableBytes] = {};
    uint8_t global_field = 0;
    if (s.use_global) {
        global_field = SizeFieldFor(s.global.count());
        screen.packed = static_cast<uint8_t>(kColorTableFlag | global_field);
        for (size_t i = 0; i < s.global.count(); ++i) PutColor(s.global.color(i), global_table + 3 * i);
    }
    uint8_t screen_bytes[kScreenDescriptorSize];
    EncodeScreenDescriptor(screen, screen_bytes);
    sink.Write(screen_bytes, sizeof screen_bytes);
    if (s.use_global) sink.Write(global_table, ColorTableBytes[global_field]);
    sink.Write(s.lead.data(), s.lead.size());
    // A frame's original bytes find the table they were written with only
    // when it has its own, or the global tables are the same.
    const bool same_global =
        s.use_global ? (s.input_packed & kColorTableFlag) && (s.input_packed & kColorTableSizeMask) == global_field &&
                           std::memcmp(s.input_global.data(), global_table, ColorTableBytes[global_field]) == 0
                     : !(s.input_packed & kColorTableFlag);

    FrameWriter writer(s);
    GifPlayer player(kLargestScreenPixels);
    if (player.Open(path_.c_str())) {
        FileClose(input);
        return OptimizeOutcome::kUnreadable;
    }
    std::fill(s.base.begin(), s.base.end(), kClear);
    std::fill(s.lo_next.begin(), s.lo_next.end(), kClear);
    Pending pending;
    bool have_pending = false;
    OptimizeOutcome outcome = OptimizeOutcome::kWritten;

    // Writes the pending frame, choosing its disposal for `next` (null at
    // the end), and leaves in s.base what it leaves on the canvas.
    auto emit = [&](const Rgba* next) -> bool {
        const Rgba* pend = s.pending.data();
        const Rect changed = Bounds(pend, s.base.data(), w, h);
        // Disposal: keep the frame when the next one can be drawn over it;
        // else go back to what was before it, or clear its rectangle,
        // whichever leaves the next frame less to draw.
        uint8_t disposal = kDisposeKeep;
        Rect rect = changed;
        if (next) {
            const Rect uncleared = Uncleared(pend, next, w, h);
            if (!uncleared.Empty()) {
                Rect cleared = changed;
                cleared.Add(uncleared);
                std::copy(s.pending.begin(), s.pending.end(), s.scratch.begin());
                ClearRect(s.scratch.data(), w, h, cleared);
                const bool previous_works = Clears(s.base.data(), next, w, h);
                if (previous_works &&
                    Area(Bounds(next, s.base.data(), w, h)) <= Area(Bounds(next, s.scratch.data(), w, h))) {
                    disposal = kDisposeToPrevious;
                } else {
                    disposal = kDisposeToBackground;
                    rect = cleared;
                }
            }
        }
        // A frame that changes nothing still takes its time: one pixel.
        if (rect.Empty()) rect = {0, 0, 1, 1};
        Encoding how = writer.Best(rect, pending.delay, disposal);
        // The input's own bytes, drawn on the canvas they were written for,
        // with their own disposal, when that serves the next frame. Their
        // delay is rewritten when frames were merged into them.
        bool original = false;
        const uint64_t original_size = pending.end - pending.begin;
        if (((pending.image.packed & kColorTableFlag) || same_global) && (!how.valid || original_size < how.bytes) &&
            original_size > kControlRecordBytes && s.base == s.lo_pend) {
            DisposeAsInput(pending, pend, s.base.data(), s.after.data(), w, h);
            if (!next || Clears(s.after.data(), next, w, h)) {
                copy.resize(static_cast<size_t>(original_size));
                if (!FileSeekTo(input, pending.begin) || FileRead(input, copy.data(), copy.size()) != copy.size()) {
                    return false;
                }
                const bool control_first = copy[0] == kExtensionIntroducer && copy[1] == kGraphicControlLabel &&
                                           copy[2] == kGraphicControlBlockSize;
                if (control_first) EncodeLe16(pending.delay, &copy[kControlDelayOffset]);
                original = control_first || pending.delay == pending.own_delay;
            }
        }
        if (!how.valid && !original) return false;
        if (original) {
            sink.Write(copy.data(), copy.size());
            s.base.swap(s.after);
        } else {
            sink.Write(writer.bytes().data(), writer.bytes().size());
            if (disposal == kDisposeToBackground) {
                s.base.swap(s.scratch);
            } else if (disposal == kDisposeKeep) {
                std::copy(s.pending.begin(), s.pending.end(), s.base.begin());
            }
        }
        ++frames_written_;
        duration_written_ += pending.delay;
        played_duration_written_ += PlayedDelay(pending.delay);
        return true;
    };

    size_t index = 0;
    PlayedFrame frame;
    while (player.Next(&frame)) {
        if (frame.damaged) {
            outcome = OptimizeOutcome::kDamaged;
            break;
        }
        const Rgba* canvas = frame.canvas;
        const bool dropped = drop && index > 0 && index < drop->size() && (*drop)[index];
        Pending read;
        read.delay = frame.delay;
        read.own_delay = frame.delay;
        read.control = frame.control;
        read.has_control = frame.has_control;
        read.image = frame.image;
        read.begin = frame.begin;
        read.end = frame.end;
        ++index;
        // s.lo_next holds what the input left before this frame; after it,
        // s.after what it leaves.
        if (have_pending &&
            (dropped || (std::equal(canvas, canvas + pixels, s.pending.begin()) && pending.delay >= kLeastMergedDelay &&
                         read.delay >= kLeastMergedDelay && pending.delay + read.delay <= kLongestDelay))) {
            // Merged into the frame before, or left out: its time goes there.
            pending.delay = static_cast<uint16_t>(std::min<uint32_t>(pending.delay + read.delay, kLongestDelay));
            DisposeAsInput(read, canvas, s.lo_next.data(), s.after.data(), w, h);
            s.lo_next.swap(s.after);
            continue;
        }
        if (have_pending && !emit(canvas)) {
            outcome = OptimizeOutcome::kCannotEncode;
            break;
        }
        pending = read;
        have_pending = true;
        std::copy(canvas, canvas + pixels, s.pending.begin());
        s.lo_pend.swap(s.lo_next);
        DisposeAsInput(read, canvas, s.lo_pend.data(), s.lo_next.data(), w, h);
    }
    if (outcome == OptimizeOutcome::kWritten && have_pending && !emit(nullptr)) {
        outcome = OptimizeOutcome::kCannotEncode;
    }
    FileClose(input);
    if (outcome != OptimizeOutcome::kWritten) return outcome;
    sink.WriteByte(kTrailer);
    return outcome;
}
