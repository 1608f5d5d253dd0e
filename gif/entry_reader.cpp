#include "gif/entry_reader.h"

#include <algorithm>
#include <cstring>

void FillGreyRamp(uint8_t* table, size_t size) {
    const size_t entries = size / 3;
    for (size_t k = 0; k < entries; ++k) {
        const uint8_t grey = static_cast<uint8_t>(k * 255 / (entries - 1));
        table[3 * k + 0] = grey;
        table[3 * k + 1] = grey;
        table[3 * k + 2] = grey;
    }
}

const char* EntryReader::Open(const char* path) {
    Close();
    if (!FileOpenRead(path, &file_)) return kMsgBuildCouldNotOpen;
    open_ = true;
    if (!buffer_) buffer_.reset(new uint8_t[kBufferSize]);
    pos_ = end_ = 0;
    base_ = 0;
    at_end_ = false;
    piece_ = kFirstPiece;
    uint8_t header[kGifHeaderSize] = {};
    const size_t header_count = Read(header, sizeof header);
    if (!IsAcceptedGifHeader(header, header_count)) return header_count == 0 ? kMsgFileEmpty : kMsgNotAGif;
    uint8_t screen_bytes[kScreenDescriptorSize] = {};
    Read(screen_bytes, sizeof screen_bytes);
    screen_ = DecodeScreenDescriptor(screen_bytes);
    if (screen_.packed & kColorTableFlag) ReadOrZero(global_, ColorTableBytesFor(screen_.packed));
    images_ = 0;
    return nullptr;
}

void EntryReader::Close() {
    if (open_) FileClose(file_);
    open_ = false;
}

bool EntryReader::Refill() {
    if (at_end_) return false;
    base_ += end_;
    pos_ = end_ = 0;
    end_ = FileRead(file_, buffer_.get(), piece_);
    piece_ = std::min(2 * piece_, kBufferSize);
    at_end_ = end_ == 0;
    return !at_end_;
}

size_t EntryReader::Read(uint8_t* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        if (pos_ == end_ && !Refill()) break;
        const size_t take = std::min(size - done, end_ - pos_);
        std::memcpy(bytes + done, buffer_.get() + pos_, take);
        pos_ += take;
        done += take;
    }
    return done;
}

void EntryReader::Skip(uint64_t count) {
    if (count <= end_ - pos_) {
        pos_ += static_cast<size_t>(count);
        return;
    }
    SeekTo(position() + count);  // past the end is no error: the next read delivers nothing
}

void EntryReader::SkipStrayBytes() {
    constexpr uint8_t kRecordStarts[] = {kImageIntroducer, kExtensionIntroducer, kTrailer};
    for (;;) {
        if (pos_ == end_ && !Refill()) return;
        const uint8_t* from = buffer_.get() + pos_;
        const size_t available = end_ - pos_;
        size_t next = available;
        for (const uint8_t start : kRecordStarts) {
            const void* found = std::memchr(from, start, next);
            if (found) next = static_cast<size_t>(static_cast<const uint8_t*>(found) - from);
        }
        pos_ += next;
        if (next < available) return;
    }
}

bool EntryReader::SeekTo(uint64_t offset) {
    if (offset >= base_ && offset <= base_ + end_) {
        pos_ = static_cast<size_t>(offset - base_);
        return true;
    }
    base_ = offset;
    pos_ = end_ = 0;
    at_end_ = false;
    return FileSeekTo(file_, offset);
}

BlockScanResult EntryReader::ScanToImage(GifGraphicControl* capture, bool stop_at_trailer) {
    for (;;) {
        uint8_t introducer;
        if (!ReadByte(&introducer)) return BlockScanResult::kPrematureEnd;
        if (introducer == kImageIntroducer) return BlockScanResult::kFound;
        if (introducer == kTrailer && stop_at_trailer) return BlockScanResult::kTrailer;
        if (introducer != kExtensionIntroducer) {  // a trailer passed over, or a stray byte
            SkipStrayBytes();
            continue;
        }

        uint8_t label;
        if (!ReadByte(&label)) return BlockScanResult::kPrematureEnd;
        if (label == kGraphicControlLabel) {
            // Taken as exactly six bytes whatever its block-size byte says.
            uint8_t body[kGraphicControlSize];
            ReadOrZero(body, sizeof body);
            *capture = DecodeGraphicControl(body);
            continue;
        }
        uint8_t length;
        if (!ReadByte(&length)) return BlockScanResult::kPrematureEnd;
        while (length != 0) {
            Skip(length);
            if (!ReadByte(&length)) return BlockScanResult::kPrematureEnd;
        }
    }
}

BlockScanResult EntryReader::NextImage(GifGraphicControl* control, GifImageDescriptor* image) {
    *control = GifGraphicControl();
    const BlockScanResult result = ScanToImage(control, images_ > 0);
    if (result != BlockScanResult::kFound) return images_ > 0 ? BlockScanResult::kTrailer : result;
    descriptor_offset_ = position();
    uint8_t bytes[kImageDescriptorSize];
    ReadOrZero(bytes, sizeof bytes);
    *image = DecodeImageDescriptor(bytes);
    ++images_;
    return BlockScanResult::kFound;
}

bool EntryReader::ImageAt(uint64_t offset, GifImageDescriptor* image) {
    uint8_t bytes[kImageDescriptorSize];
    if (!ReadAt(offset, bytes, sizeof bytes)) return false;
    *image = DecodeImageDescriptor(bytes);
    return true;
}

bool EntryReader::ReadAt(uint64_t offset, uint8_t* bytes, size_t size) {
    if (!SeekTo(offset)) return false;
    ReadOrZero(bytes, size);
    return true;
}

void EntryReader::SkipImage(const GifImageDescriptor& image) {
    if (image.packed & kColorTableFlag) Skip(ColorTableBytesFor(image.packed));
    uint8_t length;
    Skip(1);  // LZW minimum code size
    while (ReadByte(&length) && length != kBlockTerminator) Skip(length);
}

void EntryReader::CopyImageData(OutputSink& sink) {
    uint8_t cell;
    if (!ReadByte(&cell)) cell = 0;
    sink.WriteByte(cell);
    uint8_t block[kMaxSubBlockSize];
    for (;;) {
        // The whole sub-blocks the buffer holds go out in one write.
        const uint8_t* data = buffer_.get();
        size_t walk = pos_;
        bool ended = false;
        while (walk < end_) {
            const size_t length = data[walk];
            if (length == kBlockTerminator) {
                ++walk;
                ended = true;
                break;
            }
            if (walk + 1 + length > end_) break;
            walk += 1 + length;
        }
        if (walk > pos_) sink.Write(data + pos_, walk - pos_);
        pos_ = walk;
        if (ended || !sink.ok()) return;
        // A sub-block that runs past the buffer, or the end of the file.
        if (!ReadByte(&cell)) {
            sink.WriteByte(kBlockTerminator);
            return;
        }
        sink.WriteByte(cell);
        if (cell == kBlockTerminator || !sink.ok()) return;
        ReadOrZero(block, cell);
        sink.Write(block, cell);
    }
}
