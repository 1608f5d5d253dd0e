// LZW codes packed into a GIF image's sub-blocks.
#ifndef ZORVANE_GIF_LZW_WRITER_H
#define ZORVANE_GIF_LZW_WRITER_H

#include <cstddef>
#include <cstdint>

#include "gif/output_sink.h"

// Packs LZW codes into sub-blocks.
class CodeWriter {
public:
    explicit CodeWriter(OutputSink& sink) : sink_(sink) {}
    void Put(unsigned code, unsigned width) {
        bits_ |= static_cast<uint32_t>(code) << bit_count_;
        bit_count_ += width;
        while (bit_count_ >= 8) {
            PutByte(static_cast<uint8_t>(bits_ & 0xFF));
            bits_ >>= 8;
            bit_count_ -= 8;
        }
    }
    void Finish() {
        if (bit_count_ > 0) PutByte(static_cast<uint8_t>(bits_ & 0xFF));
        bits_ = 0;
        bit_count_ = 0;
        FlushBlock();
        sink_.WriteByte(kBlockTerminator);
    }

private:
    void PutByte(uint8_t byte) {
        block_[block_size_++] = byte;
        if (block_size_ == kMaxSubBlockSize) FlushBlock();
    }
    void FlushBlock() {
        if (block_size_ == 0) return;
        sink_.WriteByte(static_cast<uint8_t>(block_size_));
        sink_.Write(block_, block_size_);
        block_size_ = 0;
    }
    OutputSink& sink_;
    uint32_t bits_ = 0;
    unsigned bit_count_ = 0;
    uint8_t block_[kMaxSubBlockSize];
    size_t block_size_ = 0;
};

// Image data for `pixels` pixels of colour 0, with a minimum code size of 2,
// as a common LZW encoder writes it: each code stands for one pixel more
// than the one before, and the table starts again when it is full. Runs in
// time proportional to the number of codes, not of pixels.
void WriteBlankImageData(OutputSink& sink, uint64_t pixels);

// The smallest and largest LZW minimum code size this encoder writes; 2 also
// serves tables of 2 colours.
constexpr uint8_t kLzwMinEncodedCodeSize = 2;
constexpr uint8_t kLzwMaxEncodedCodeSize = 8;

// Image data for `count` colour indices, each below 1 << min_code_size (the
// bits above are ignored): the minimum code size byte, the sub-blocks and
// the terminator. Greedy LZW, the table held in a hash, a clear code sent
// when it is full. A code size outside 2..8 is taken as the nearest one.
void WriteLzwImageData(OutputSink& sink, const uint8_t* indices, size_t count, uint8_t min_code_size);

#endif  // ZORVANE_GIF_LZW_WRITER_H
