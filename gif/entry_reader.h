// One input file of a build, read image by image.
#ifndef ZORVANE_GIF_ENTRY_READER_H
#define ZORVANE_GIF_ENTRY_READER_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gif/build_plan.h"
#include "gif/gif_records.h"
#include "platform/file_io.h"

// Reads `size` bytes into `buffer`; whatever the file fails to deliver is
// left as zeros.
void ReadOrZero(FileHandle file, uint8_t* buffer, size_t size);

// Fills a colour table of `size` bytes with an even grey ramp from black to
// white, for frames that bring no colour table of their own.
void FillGreyRamp(uint8_t* table, size_t size);

// One open entry file, read image by image.
class EntryReader {
public:
    ~EntryReader() { Close(); }
    // Null when the file is open, checked and its screen read; else the
    // message to give.
    const char* Open(const char* path) {
        Close();
        if (!FileOpenRead(path, &file_)) return kMsgBuildCouldNotOpen;
        open_ = true;
        uint8_t header[kGifHeaderSize] = {};
        const size_t header_count = FileRead(file_, header, sizeof header);
        if (!IsAcceptedGifHeader(header, header_count)) return header_count == 0 ? kMsgFileEmpty : kMsgNotAGif;
        uint8_t screen_bytes[kScreenDescriptorSize] = {};
        FileRead(file_, screen_bytes, sizeof screen_bytes);
        screen_ = DecodeScreenDescriptor(screen_bytes);
        if (screen_.packed & kColorTableFlag) ReadOrZero(file_, global_, ColorTableBytesFor(screen_.packed));
        images_ = 0;
        return nullptr;
    }
    void Close() {
        if (open_) FileClose(file_);
        open_ = false;
    }
    // Walks to the next image and reads its descriptor. Before the first
    // image a trailer is passed over and the end of the file is premature;
    // after it, either ends the images.
    BlockScanResult NextImage(GifGraphicControl* control, GifImageDescriptor* image) {
        *control = GifGraphicControl();
        const BlockScanResult result = ScanBlocks(file_, control, images_ > 0, nullptr);
        if (result != BlockScanResult::kFound) return images_ > 0 ? BlockScanResult::kTrailer : result;
        uint8_t bytes[kImageDescriptorSize] = {};
        descriptor_delivered_ = FileRead(file_, bytes, sizeof bytes);
        *image = DecodeImageDescriptor(bytes);
        ++images_;
        return BlockScanResult::kFound;
    }
    // Reads the descriptor of the image whose introducer ends at `offset`.
    bool ImageAt(uint64_t offset, GifImageDescriptor* image) {
        if (!FileSeekTo(file_, offset)) return false;
        uint8_t bytes[kImageDescriptorSize] = {};
        FileRead(file_, bytes, sizeof bytes);
        *image = DecodeImageDescriptor(bytes);
        return true;
    }
    // Skips the local table and image data of the image just read.
    void SkipImage(const GifImageDescriptor& image) {
        if (image.packed & kColorTableFlag) FileSkip(file_, ColorTableBytesFor(image.packed));
        uint8_t length;
        FileSkip(file_, 1);  // LZW minimum code size
        while (FileReadByte(file_, &length) && length != kBlockTerminator) FileSkip(file_, length);
    }
    FileHandle file() const { return file_; }
    const GifScreenDescriptor& screen() const { return screen_; }
    const uint8_t* global_table() const { return global_; }
    // Where the descriptor of the image just read starts, just after its
    // introducer (asked only when frames are played in another order: it
    // costs a system call).
    uint64_t image_offset() const { return FileTell(file_) - descriptor_delivered_; }

private:
    FileHandle file_{};
    bool open_ = false;
    GifScreenDescriptor screen_{};
    uint8_t global_[kMaxColorTableBytes] = {};
    size_t images_ = 0;
    size_t descriptor_delivered_ = 0;  // bytes of the last image descriptor the file held
};

#endif  // ZORVANE_GIF_ENTRY_READER_H
