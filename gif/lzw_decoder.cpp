#include "gif/lzw_decoder.h"

#include <cstring>

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
        length_[code] = 1;
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
        // one (of the previous one when this code is the entry itself),
        // which is written just after the previous string.
        const unsigned added = next_code_++;
        length_[added] = static_cast<uint16_t>(length_[previous_] + 1);
        at_[added] = at_[previous_];
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
    // Indices beyond the image are dropped (decoding ends with them). A
    // string is a copy of what its code wrote before; a new entry's string
    // starts where its prefix's did. Copied forwards, index by index where
    // the two overlap (a code that is the entry just made).
    const size_t written = written_;
    const size_t length = length_[code];
    const size_t room = pixel_count_ > written ? pixel_count_ - written : 0;
    const size_t count = length < room ? length : room;
    uint8_t* const out = out_;
    if (code < clear_code_) {
        if (count > 0) out[written] = static_cast<uint8_t>(code);
    } else {
        const size_t from = at_[code];
        if (written - from >= count) {
            std::memcpy(out + written, out + from, count);
        } else {
            for (size_t i = 0; i < count; ++i) out[written + i] = out[from + i];
        }
    }
    at_[code] = written;
    written_ = written + length;
}
