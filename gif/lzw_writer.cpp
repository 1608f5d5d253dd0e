#include "gif/lzw_writer.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned kLzwMaxCodeWidth = 12;
constexpr unsigned kLzwTableSize = 1u << kLzwMaxCodeWidth;  // codes 0..4095

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
    std::vector<uint8_t> data;
    LzwEncoder().Encode(&data, indices, count, min_code_size);
    sink.Write(data.data(), data.size());
}

bool LzwEncoder::Encode(std::vector<uint8_t>* out, const uint8_t* indices, size_t count, uint8_t min_code_size,
                        const uint8_t* either, uint8_t alternative, uint64_t limit) {
    const unsigned code_size =
        std::min<unsigned>(std::max<unsigned>(min_code_size, kLzwMinEncodedCodeSize), kLzwMaxEncodedCodeSize);
    const unsigned clear_code = 1u << code_size;
    const unsigned end_code = clear_code + 1;
    const unsigned first_free = clear_code + 2;
    const uint8_t index_mask = static_cast<uint8_t>(clear_code - 1);
    alternative &= index_mask;
    // The table: a row per code, of the code that each index extends it to
    // (0 for none: no string extends to a root code). The rows of the roots
    // are emptied at each clear, a code's row when the code is made, so that
    // finding a string is one load.
    const size_t stride = clear_code;
    if (next_.size() < kLzwTableSize * stride) next_.resize(kLzwTableSize * stride);
    uint16_t* const next = next_.data();
    auto clear_table = [&] { std::memset(next, 0, clear_code * stride * sizeof *next); };
    ByteSink sink(out);
    sink.WriteByte(static_cast<uint8_t>(code_size));
    CodeWriter<ByteSink> writer(sink);
    clear_table();
    unsigned width = code_size + 1;
    unsigned next_code = first_free;
    writer.Put(clear_code, width);
    if (count > 0) {
        // The index written last; a pixel that may be either starts as the
        // alternative.
        uint8_t last = either && either[0] ? alternative : static_cast<uint8_t>(indices[0] & index_mask);
        unsigned prefix = last;
        for (size_t i = 1; i < count; ++i) {
            uint8_t index = indices[i];
            // Either index will do: the one that continues the run of the
            // index written last. An index too wide for the codes is never
            // the one written last, so it always gives way.
            if (either && either[i] && index != last) index = alternative;
            index &= index_mask;
            last = index;
            const unsigned found = next[prefix * stride + index];
            if (found != 0) {
                prefix = found;
                continue;
            }
            writer.Put(prefix, width);
            if (1 + writer.written() > limit) return false;
            // A decoder adds this entry when it reads the next code, and
            // widens its codes once its table reaches 1 << width.
            next[prefix * stride + index] = static_cast<uint16_t>(next_code);
            std::memset(next + next_code * stride, 0, stride * sizeof *next);
            ++next_code;
            if (next_code > (1u << width) && width < kLzwMaxCodeWidth) ++width;
            if (next_code == kLzwTableSize) {
                writer.Put(clear_code, width);
                clear_table();
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
    return 1 + writer.written() <= limit;
}
