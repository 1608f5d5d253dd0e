// One input file of a build, read image by image.
#ifndef ZORVANE_GIF_ENTRY_READER_H
#define ZORVANE_GIF_ENTRY_READER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "gif/build_plan.h"
#include "gif/gif_records.h"
#include "gif/output_sink.h"
#include "platform/file_io.h"

// Fills a colour table of `size` bytes with an even grey ramp from black to
// white, for frames that bring no colour table of their own.
void FillGreyRamp(uint8_t* table, size_t size);

// One open entry file, read image by image. The file is read in large
// pieces into a buffer of the reader's own, and records and sub-blocks are
// walked there: image data goes from that buffer to the output in one write
// per piece.
class EntryReader {
public:
    // Bytes read from the file at a time: a file is read first in a small
    // piece (a look at its first image reads no more than it needs), then
    // in pieces twice as large each time, up to the buffer's size.
    static constexpr size_t kBufferSize = 128 * 1024;
    static constexpr size_t kFirstPiece = 4 * 1024;

    ~EntryReader() { Close(); }
    // Null when the file is open, checked and its screen read; else the
    // message to give.
    const char* Open(const char* path);
    void Close();
    // Walks to the next image and reads its descriptor. Before the first
    // image a trailer is passed over and the end of the file is premature;
    // after it, either ends the images.
    BlockScanResult NextImage(GifGraphicControl* control, GifImageDescriptor* image);
    // Reads the descriptor of the image whose introducer ends at `offset`.
    bool ImageAt(uint64_t offset, GifImageDescriptor* image);
    // Skips the local table and image data of the image just read.
    void SkipImage(const GifImageDescriptor& image);
    // Reads the local table of the image just read (as many bytes as its
    // descriptor announces); what the file lacks is read as zeros.
    void ReadLocalTable(const GifImageDescriptor& image, uint8_t* table) {
        ReadOrZero(table, ColorTableBytesFor(image.packed));
    }
    // Copies the LZW minimum code size and the sub-blocks up to the
    // terminator to `sink`. Bytes the file fails to deliver are written as
    // zeros, and a missing length byte ends the data with a terminator, so a
    // cut-short input still gives a well-formed frame.
    void CopyImageData(OutputSink& sink);

    const GifScreenDescriptor& screen() const { return screen_; }
    const uint8_t* global_table() const { return global_; }
    // Where the descriptor of the image just read starts, just after its
    // introducer.
    uint64_t image_offset() const { return descriptor_offset_; }
    // Where the reader stands in the file.
    uint64_t position() const { return base_ + pos_; }

private:
    // Refills the buffer once everything in it was taken; false at the end
    // of the file.
    bool Refill();
    bool ReadByte(uint8_t* byte) {
        if (pos_ == end_ && !Refill()) return false;
        *byte = buffer_[pos_++];
        return true;
    }
    size_t Read(uint8_t* bytes, size_t size);
    void ReadOrZero(uint8_t* bytes, size_t size) {
        const size_t delivered = Read(bytes, size);
        if (delivered < size) std::memset(bytes + delivered, 0, size - delivered);
    }
    void Skip(uint64_t count);
    // Passes over bytes that start no record, up to the next byte that may
    // (an introducer or the trailer), a buffer at a time.
    void SkipStrayBytes();
    bool SeekTo(uint64_t offset);
    // Reads `size` bytes at `offset` (zeros for what the file lacks).
    bool ReadAt(uint64_t offset, uint8_t* bytes, size_t size);
    BlockScanResult ScanToImage(GifGraphicControl* capture, bool stop_at_trailer);

    FileHandle file_{};
    bool open_ = false;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t pos_ = 0, end_ = 0;    // the unread bytes are buffer_[pos_, end_)
    uint64_t base_ = 0;           // the file offset of buffer_[0]
    bool at_end_ = false;         // the file delivered all it had
    size_t piece_ = kFirstPiece;  // bytes the next read asks for
    GifScreenDescriptor screen_{};
    uint8_t global_[kMaxColorTableBytes] = {};
    size_t images_ = 0;
    uint64_t descriptor_offset_ = 0;
};

#endif  // ZORVANE_GIF_ENTRY_READER_H
