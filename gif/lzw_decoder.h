// An LZW decoder for GIF image data, fed one sub-block at a time.
#ifndef ZORVANE_GIF_LZW_DECODER_H
#define ZORVANE_GIF_LZW_DECODER_H

#include <cstddef>
#include <cstdint>

enum class LzwStatus {
    kRunning,   // wants more data
    kFinished,  // every pixel written, or the end code read after the last one
    kDamaged,   // a code out of range, a code size out of range, or the data ended early
};

// Decodes the codes of one image into its colour indices, in the order they
// are stored. Pixels beyond the image are dropped; a table left full
// without a clear code ("deferred clear") is accepted. Holds its table
// inline: no allocation.
class LzwDecoder {
public:
    // Minimum code sizes accepted: those Chromium plays (it refuses an image
    // of code size 0, 1 or 9 to 11, though their codes would fit).
    static constexpr uint8_t kMinCodeSize = 2;
    static constexpr uint8_t kMaxCodeSize = 8;

    // Begins an image of `pixel_count` indices, written to `out`.
    void Start(uint8_t min_code_size, uint8_t* out, size_t pixel_count);
    // Decodes the payload of one sub-block.
    LzwStatus Feed(const uint8_t* data, size_t size);
    // The sub-blocks have ended: finished when every pixel was written.
    LzwStatus End();
    LzwStatus status() const { return status_; }
    // Indices written so far, at most pixel_count.
    size_t written() const { return written_ < pixel_count_ ? written_ : pixel_count_; }

private:
    static constexpr unsigned kMaxCodeWidth = 12;
    static constexpr unsigned kTableSize = 1u << kMaxCodeWidth;
    static constexpr unsigned kNoCode = 0xFFFF;

    void Reset();
    bool Decode(unsigned code);  // false ends decoding (status set)
    void Emit(unsigned code);

    uint8_t* out_ = nullptr;
    size_t pixel_count_ = 0;
    size_t written_ = 0;
    LzwStatus status_ = LzwStatus::kDamaged;
    unsigned clear_code_ = 0;
    unsigned width_ = 0;
    unsigned next_code_ = 0;
    unsigned previous_ = kNoCode;
    uint32_t bits_ = 0;
    unsigned bit_count_ = 0;
    uint16_t length_[kTableSize];
    // Where each code's string was last written: a string is copied from
    // there, not walked back through its prefixes.
    size_t at_[kTableSize];
};

#endif  // ZORVANE_GIF_LZW_DECODER_H
