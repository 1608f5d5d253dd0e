// LZW codes packed into a GIF image's sub-blocks.
#ifndef ZORVANE_GIF_LZW_WRITER_H
#define ZORVANE_GIF_LZW_WRITER_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/output_sink.h"

// Bytes appended in memory; an image encoded there is measured and may be
// written later without encoding it again.
class ByteSink {
public:
    explicit ByteSink(std::vector<uint8_t>* out) : out_(out) {}
    void Write(const void* data, size_t size) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        out_->insert(out_->end(), bytes, bytes + size);
    }
    void WriteByte(uint8_t byte) { out_->push_back(byte); }
    size_t size() const { return out_->size(); }

private:
    std::vector<uint8_t>* out_;
};

// Packs LZW codes into sub-blocks written to a Sink (an OutputSink or a
// ByteSink).
template <class Sink>
class CodeWriter {
public:
    explicit CodeWriter(Sink& sink) : sink_(sink) {}
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
        ++written_;
    }
    // The bytes written so far, the sizes of the sub-blocks and the
    // terminator included.
    uint64_t written() const { return written_ + (block_size_ > 0 ? block_size_ + 1 : 0); }

private:
    void PutByte(uint8_t byte) {
        block_[block_size_++] = byte;
        if (block_size_ == kMaxSubBlockSize) FlushBlock();
    }
    void FlushBlock() {
        if (block_size_ == 0) return;
        sink_.WriteByte(static_cast<uint8_t>(block_size_));
        sink_.Write(block_, block_size_);
        written_ += block_size_ + 1;
        block_size_ = 0;
    }
    Sink& sink_;
    uint32_t bits_ = 0;
    unsigned bit_count_ = 0;
    uint8_t block_[kMaxSubBlockSize];
    size_t block_size_ = 0;
    uint64_t written_ = 0;
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

// The encoder behind WriteLzwImageData, kept by callers that write many
// images so that its table is allocated once.
class LzwEncoder {
public:
    // Image data appended to `out`. Where `either` is given, a pixel whose
    // entry in it is set may be written as `alternative` instead of its
    // index (a pixel the canvas already shows, written as it is or as the
    // transparent index): the encoder takes whichever continues the run of
    // the index written before it, and the alternative wherever the index
    // is too wide for the code size. Stops, returning false with `out` holding
    // a part, once the image data would take more than `limit` bytes.
    bool Encode(std::vector<uint8_t>* out, const uint8_t* indices, size_t count, uint8_t min_code_size,
                const uint8_t* either = nullptr, uint8_t alternative = 0, uint64_t limit = UINT64_MAX);

private:
    std::vector<uint16_t> next_;  // 4096 rows of 1 << code size entries
};

#endif  // ZORVANE_GIF_LZW_WRITER_H
