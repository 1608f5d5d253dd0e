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

// Image descriptor packed flags.
constexpr uint8_t kInterlaceFlag = 0x40;  // bit 6

// Graphic control packed flags.
constexpr uint8_t kDisposalMask = 0x1C;  // bits 4..2
constexpr uint8_t kDisposalShift = 2;
constexpr uint8_t kDisposalRestoreBackground = 0x08;  // disposal method 2, in place
constexpr uint8_t kTransparentFlag = 0x01;            // bit 0: a transparent index is given
constexpr uint8_t kGraphicControlBlockSize = 4;

// Disposal methods, as numbers (bits 4..2 shifted down).
constexpr uint8_t kDisposeNotSpecified = 0;
constexpr uint8_t kDisposeKeep = 1;
constexpr uint8_t kDisposeToBackground = 2;
constexpr uint8_t kDisposeToPrevious = 3;

inline uint8_t DisposalOf(uint8_t packed) { return static_cast<uint8_t>((packed & kDisposalMask) >> kDisposalShift); }
inline uint8_t WithDisposal(uint8_t packed, uint8_t method) {
    return static_cast<uint8_t>((packed & ~kDisposalMask) | ((method << kDisposalShift) & kDisposalMask));
}

// Sizes of the records as they stand in a stream.
constexpr size_t kGifHeaderSize = 6;
constexpr size_t kScreenDescriptorSize = 7;
constexpr size_t kImageDescriptorSize = 9;
constexpr size_t kGraphicControlSize = 6;
constexpr size_t kMaxColorTableBytes = 768;
constexpr size_t kMaxSubBlockSize = 255;

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

// Application extension that asks viewers to loop, written in one piece
// after the screen descriptor. LoopingBlock carries the count 65535;
// EncodeLoopingBlock any other (0 means forever, N repeats after the first
// play).
constexpr size_t kLoopingBlockSize = 19;
extern const uint8_t LoopingBlock[kLoopingBlockSize];
void EncodeLoopingBlock(uint16_t count, uint8_t bytes[kLoopingBlockSize]);

// The application identifier and authentication code of the looping block,
// and where its count stands in the first sub-block's data.
constexpr size_t kApplicationIdSize = 11;
extern const uint8_t kLoopingApplicationId[kApplicationIdSize];
constexpr uint8_t kLoopSubBlockId = 1;

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

enum class BlockScanResult { kFound, kPrematureEnd, kTrailer };

// Walks a stream positioned just after its global colour table (or screen
// descriptor) to the first image introducer and leaves it positioned just
// after it. Extensions are skipped; any other byte is passed over. With a
// non-null `capture`, the body of the last graphic control extension met is
// stored there (left as it was when none is met).
BlockScanResult BlockScan(FileHandle file, GifGraphicControl* capture);

// A looping block met on the way: its count.
struct LoopingInfo {
    bool present = false;
    uint16_t count = 0;
};

// BlockScan's walk, for the images after the first as well: with
// `stop_at_trailer` a trailer ends it (kTrailer) instead of being passed
// over; a looping block met on the way is noted in `looping` (may be null).
BlockScanResult ScanBlocks(FileHandle file, GifGraphicControl* capture, bool stop_at_trailer, LoopingInfo* looping);

// Reads a 16-bit little-endian field.
uint16_t DecodeLe16(const uint8_t* bytes);
void EncodeLe16(uint16_t value, uint8_t* bytes);

// Messages shared by inspection and building.
extern const char kMsgNotAGif[];
extern const char kMsgFileEmpty[];
extern const char kMsgPrematureEnd[];

#endif  // ZORVANE_GIF_GIF_RECORDS_H
