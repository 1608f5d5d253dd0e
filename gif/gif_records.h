// GIF records, colour-table sizes, the looping block and the walk to the
// first image of a stream.
//
// Records travel as raw little-endian bytes; the screen descriptor, the image
// descriptor and the graphic control each have a Decode/Encode pair that
// converts between the byte layout and named fields. The header is only
// checked (IsAcceptedGifHeader) or written whole (kGif89aHeader).
#ifndef ZORVANE_GIF_GIF_RECORDS_H
#define ZORVANE_GIF_GIF_RECORDS_H

#include <cstddef>
#include <cstdint>

#include "platform/file_io.h"

// Block introducers and labels.
constexpr uint8_t kImageIntroducer = 0x2C;      // ','
constexpr uint8_t kExtensionIntroducer = 0x21;  // '!'
constexpr uint8_t kTrailer = 0x3B;              // ';'
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kApplicationLabel = 0xFF;
constexpr uint8_t kBlockTerminator = 0x00;

// Packed-flag masks shared by the screen and image descriptors.
constexpr uint8_t kColorTableFlag = 0x80;      // bit 7: a colour table follows
constexpr uint8_t kColorTableSizeMask = 0x07;  // bits 2..0: size field N

// Graphic control packed flags.
constexpr uint8_t kDisposalMask = 0x1C;               // bits 4..2
constexpr uint8_t kDisposalRestoreBackground = 0x08;  // disposal method 2
constexpr uint8_t kGraphicControlBlockSize = 4;

// Sizes of the records as they stand in a stream.
constexpr size_t kGifHeaderSize = 6;
constexpr size_t kScreenDescriptorSize = 7;
constexpr size_t kImageDescriptorSize = 9;
constexpr size_t kGraphicControlSize = 6;
constexpr size_t kMaxColorTableBytes = 768;

// Byte count of a colour table, indexed by its 3-bit size field N:
// 3 * 2^(N+1).
extern const uint16_t ColorTableBytes[8];

struct GifScreenDescriptor {
    uint16_t width;
    uint16_t height;
    uint8_t packed;
    uint8_t background_index;
    uint8_t aspect_ratio;
};

struct GifImageDescriptor {
    uint16_t left;
    uint16_t top;
    uint16_t width;
    uint16_t height;
    uint8_t packed;
};

struct GifGraphicControl {
    uint8_t block_size;
    uint8_t packed;
    uint16_t delay;  // hundredths of a second
    uint8_t transparent_index;
    uint8_t terminator;
};

// The header every output starts with.
extern const uint8_t kGif89aHeader[kGifHeaderSize];

// Application extension that asks viewers to loop (count 65535), written in
// one piece after the screen descriptor.
constexpr size_t kLoopingBlockSize = 19;
extern const uint8_t LoopingBlock[kLoopingBlockSize];

GifScreenDescriptor DecodeScreenDescriptor(const uint8_t bytes[kScreenDescriptorSize]);
void EncodeScreenDescriptor(const GifScreenDescriptor& screen, uint8_t bytes[kScreenDescriptorSize]);
GifImageDescriptor DecodeImageDescriptor(const uint8_t bytes[kImageDescriptorSize]);
void EncodeImageDescriptor(const GifImageDescriptor& image, uint8_t bytes[kImageDescriptorSize]);
GifGraphicControl DecodeGraphicControl(const uint8_t bytes[kGraphicControlSize]);
void EncodeGraphicControl(const GifGraphicControl& control, uint8_t bytes[kGraphicControlSize]);

// True when the six bytes read from a file are "GIF87a" or "GIF89a"
// (byte-exact). `count` is how many of them the file delivered.
bool IsAcceptedGifHeader(const uint8_t* bytes, size_t count);

// Size in bytes of the colour table announced by a packed-flags byte.
inline uint16_t ColorTableBytesFor(uint8_t packed) { return ColorTableBytes[packed & kColorTableSizeMask]; }

enum class BlockScanResult { kFound, kPrematureEnd };

// Walks a stream positioned just after its global colour table (or screen
// descriptor) to the first image introducer and leaves it positioned just
// after it. Extensions are skipped; any other byte is passed over. With a
// non-null `capture`, the body of the last graphic control extension met is
// stored there (left as it was when none is met).
BlockScanResult BlockScan(FileHandle file, GifGraphicControl* capture);

// Messages shared by inspection and building.
extern const char kMsgNotAGif[];
extern const char kMsgPrematureEnd[];

#endif  // ZORVANE_GIF_GIF_RECORDS_H
