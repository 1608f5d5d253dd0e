#include "gif/lzw_writer.h"

#include <algorithm>

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
