#include "gif/lzw_writer.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned kLzwMaxCodeWidth = 12;
constexpr unsigned kLzwTableSize = 1u << kLzwMaxCodeWidth;  // codes 0..4095

// The string table of the encoder: (prefix code, next index) -> code, open
// addressing with linear probing, at most half full. Each slot holds its key
// with the generation it was written in; a clear starts a new generation,
// so that emptying the table costs nothing but once in 4095 clears.
class LzwStringTable {
public:
    LzwStringTable() { Empty(); }
    void Clear() {
        if (++generation_ == kNoGeneration) Empty();
    }
    // The code of the string, or kNone; `slot` is where it goes when absent.
    unsigned Find(uint32_t key, unsigned* slot) const {
        const uint32_t stamped = key | (generation_ << kKeyBits);
        unsigned at = Hash(key);
        while ((keys_[at] >> kKeyBits) == generation_) {
            if (keys_[at] == stamped) return codes_[at];
            at = (at + 1) & kSlotMask;
        }
        *slot = at;
        return kNone;
    }
    void Insert(unsigned slot, uint32_t key, unsigned code) {
        keys_[slot] = key | (generation_ << kKeyBits);
        codes_[slot] = static_cast<uint16_t>(code);
    }
    static uint32_t KeyOf(unsigned prefix, uint8_t index) { return (static_cast<uint32_t>(prefix) << 8) | index; }
    static constexpr unsigned kNone = 0xFFFF;

private:
    static constexpr unsigned kKeyBits = 20;          // a 12-bit prefix code and an 8-bit index
    static constexpr uint32_t kNoGeneration = 0xFFF;  // the 12 bits above the key, all set
    static constexpr unsigned kSlotBits = 13;         // twice the codes a table holds
    static constexpr unsigned kSlots = 1u << kSlotBits;
    static constexpr unsigned kSlotMask = kSlots - 1;
    static constexpr uint32_t kHashMultiplier = 2654435761u;  // Knuth's multiplicative hash
    static unsigned Hash(uint32_t key) { return (key * kHashMultiplier) >> (32 - kSlotBits); }
    // Every slot of no generation in use.
    void Empty() {
        std::memset(keys_, 0xFF, sizeof keys_);
        generation_ = 0;
    }
    uint32_t generation_ = 0;
    uint32_t keys_[kSlots];
    uint16_t codes_[kSlots];
};

}  // namespace

void WriteBlankImageData(OutputSink& sink, uint64_t pixels) {
    constexpr unsigned kMinCodeSize = 2;
    constexpr unsigned kClearCode = 1u << kMinCodeSize;
    constexpr unsigned kEndCode = kClearCode + 1;
    constexpr unsigned kFirstFree = kClearCode + 2;
    constexpr unsigned kLargestCode = 4095;
    sink.WriteByte(kMinCodeSize);
    CodeWriter writer(sink);
    unsigned next_code = kFirstFree;
    unsigned width = kMinCodeSize + 1;
    // Writes a code, then widens the codes once the table has outgrown them.
    auto put = [&](unsigned code) {
        writer.Put(code, width);
        if (next_code >= (1u << width) && width < 12) ++width;
    };
    // The code of a run of `length` zeros: 0, then one table entry for each
    // longer run, in order.
    auto code_of = [&](uint64_t length) { return length == 1 ? 0u : static_cast<unsigned>(kFirstFree + length - 2); };
    put(kClearCode);
    if (pixels > 0) {
        uint64_t run = 1;  // the run the encoder holds
        uint64_t left = pixels - 1;
        while (left > 0) {
            const uint64_t longest = next_code - kFirstFree + 1;  // the longest run with a code
            const uint64_t grow = std::min(longest - run, left);
            run += grow;
            left -= grow;
            if (left == 0) break;
            put(code_of(run));  // the next pixel makes a run the table does not hold yet
            --left;
            run = 1;
            if (next_code >= kLargestCode) {
                put(kClearCode);
                next_code = kFirstFree;
                width = kMinCodeSize + 1;
            } else {
                ++next_code;
            }
        }
        put(code_of(run));
    }
    put(kEndCode);
    writer.Finish();
}

void WriteLzwImageData(OutputSink& sink, const uint8_t* indices, size_t count, uint8_t min_code_size) {
    const unsigned code_size =
        std::min<unsigned>(std::max<unsigned>(min_code_size, kLzwMinEncodedCodeSize), kLzwMaxEncodedCodeSize);
    const unsigned clear_code = 1u << code_size;
    const unsigned end_code = clear_code + 1;
    const unsigned first_free = clear_code + 2;
    const uint8_t index_mask = static_cast<uint8_t>(clear_code - 1);
    sink.WriteByte(static_cast<uint8_t>(code_size));
    CodeWriter writer(sink);
    LzwStringTable table;
    unsigned width = code_size + 1;
    unsigned next_code = first_free;
    writer.Put(clear_code, width);
    if (count > 0) {
        unsigned prefix = indices[0] & index_mask;
        for (size_t i = 1; i < count; ++i) {
            const uint8_t index = indices[i] & index_mask;
            const uint32_t key = LzwStringTable::KeyOf(prefix, index);
            unsigned slot = 0;
            const unsigned found = table.Find(key, &slot);
            if (found != LzwStringTable::kNone) {
                prefix = found;
                continue;
            }
            writer.Put(prefix, width);
            // A decoder adds this entry when it reads the next code, and
            // widens its codes once its table reaches 1 << width.
            table.Insert(slot, key, next_code++);
            if (next_code > (1u << width) && width < kLzwMaxCodeWidth) ++width;
            if (next_code == kLzwTableSize) {
                writer.Put(clear_code, width);
                table.Clear();
                next_code = first_free;
                width = code_size + 1;
            }
            prefix = index;
        }
        writer.Put(prefix, width);
        // The decoder adds an entry for this last code too, and may widen.
        if (next_code >= (1u << width) && width < kLzwMaxCodeWidth) ++width;
    }
    writer.Put(end_code, width);
    writer.Finish();
}
