#include "gif/lzw_decoder.h"

void LzwDecoder::Start(uint8_t min_code_size, uint8_t* out, size_t pixel_count) {
    out_ = out;
    pixel_count_ = pixel_count;
    written_ = 0;
    bits_ = 0;
    bit_count_ = 0;
    if (min_code_size < kMinCodeSize || min_code_size > kMaxCodeSize) {
        status_ = LzwStatus::kDamaged;
        return;
    }
    clear_code_ = 1u << min_code_size;
    for (unsigned code = 0; code < clear_code_; ++code) {
        prefix_[code] = kNoCode;
        length_[code] = 1;
        suffix_[code] = first_[code] = static_cast<uint8_t>(code);
    }
    Reset();
    status_ = pixel_count == 0 ? LzwStatus::kFinished : LzwStatus::kRunning;
}

void LzwDecoder::Reset() {
    width_ = 0;
    while ((1u << width_) <= clear_code_) ++width_;  // one bit wider than the literals
    next_code_ = clear_code_ + 2;
    previous_ = kNoCode;
}

LzwStatus LzwDecoder::Feed(const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size && status_ == LzwStatus::kRunning; ++i) {
        bits_ |= static_cast<uint32_t>(data[i]) << bit_count_;
        bit_count_ += 8;
        while (bit_count_ >= width_ && status_ == LzwStatus::kRunning) {
            const unsigned code = bits_ & ((1u << width_) - 1);
            bits_ >>= width_;
            bit_count_ -= width_;
            Decode(code);
        }
    }
    return status_;
}

LzwStatus LzwDecoder::End() {
    if (status_ == LzwStatus::kRunning) status_ = written_ >= pixel_count_ ? LzwStatus::kFinished : LzwStatus::kDamaged;
    return status_;
}

bool LzwDecoder::Decode(unsigned code) {
    const unsigned end_code = clear_code_ + 1;
    if (code == clear_code_) {
        Reset();
        return true;
    }
    if (code == end_code) {
        status_ = written_ >= pixel_count_ ? LzwStatus::kFinished : LzwStatus::kDamaged;
        return false;
    }
    // A code not yet in the table (after a clear, only a literal is).
    if (code > clear_code_ && (previous_ == kNoCode || code > next_code_)) {
        status_ = LzwStatus::kDamaged;
        return false;
    }
    if (previous_ != kNoCode && next_code_ < kTableSize) {
        // The new entry: the previous string and the first index of this
        // one (of the previous one when this code is the entry itself).
        const unsigned added = next_code_++;
        prefix_[added] = static_cast<uint16_t>(previous_);
        length_[added] = static_cast<uint16_t>(length_[previous_] + 1);
        first_[added] = first_[previous_];
        suffix_[added] = code == added ? first_[previous_] : first_[code];
        if (next_code_ == (1u << width_) && width_ < kMaxCodeWidth) ++width_;
    }
    Emit(code);
    previous_ = code;
    if (written_ >= pixel_count_) {
        status_ = LzwStatus::kFinished;
        return false;
    }
    return true;
}

void LzwDecoder::Emit(unsigned code) {
    // The string is written from its last index back to its first; indices
    // beyond the image are dropped.
    const size_t length = length_[code];
    size_t at = written_ + length;
    while (at > written_) {
        --at;
        if (at < pixel_count_) out_[at] = suffix_[code];
        code = prefix_[code];
    }
    written_ += length;
}
