#include "gif/gif_records.h"

#include <cstring>

const uint16_t ColorTableBytes[8] = {6, 12, 24, 48, 96, 192, 384, 768};

const uint8_t kGif89aHeader[kGifHeaderSize] = {'G', 'I', 'F', '8', '9', 'a'};

namespace {

constexpr uint8_t kApplicationBlockSize = kApplicationIdSize;  // identifier and authentication code
constexpr uint8_t kLoopSubBlockSize = 3;
// In the block: introducer, label, block size, identifier, sub-block size, id.
constexpr size_t kLoopCountOffset = 3 + kApplicationIdSize + 2;
constexpr uint8_t kLoopForeverLow = 0xFF;  // loop count 65535, little-endian
constexpr uint8_t kLoopForeverHigh = 0xFF;

}  // namespace

// clang-format off
const uint8_t LoopingBlock[kLoopingBlockSize] = {
    kExtensionIntroducer, kApplicationLabel, kApplicationBlockSize,
    'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
    kLoopSubBlockSize, kLoopSubBlockId, kLoopForeverLow, kLoopForeverHigh,
    kBlockTerminator};
// clang-format on

const uint8_t kLoopingApplicationId[kApplicationIdSize] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};

void EncodeLoopingBlock(uint16_t count, uint8_t bytes[kLoopingBlockSize]) {
    std::memcpy(bytes, LoopingBlock, kLoopingBlockSize);
    EncodeLe16(count, bytes + kLoopCountOffset);
}

const char kMsgNotAGif[] = "Not a GIF file, or incorrect version number.";
const char kMsgFileEmpty[] = "The file is empty.";
const char kMsgPrematureEnd[] = "Premature end of file encountered; no GIF image data present.";

namespace {

const uint8_t kSignature[3] = {'G', 'I', 'F'};
const uint8_t kVersion89a[3] = {'8', '9', 'a'};
const uint8_t kVersion87a[3] = {'8', '7', 'a'};

}  // namespace

// Multi-byte fields are little-endian: low byte first.
uint16_t DecodeLe16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }

void EncodeLe16(uint16_t value, uint8_t* bytes) {
    bytes[0] = static_cast<uint8_t>(value & 0xFF);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

GifScreenDescriptor DecodeScreenDescriptor(const uint8_t bytes[kScreenDescriptorSize]) {
    GifScreenDescriptor screen;
    screen.width = DecodeLe16(bytes + 0);
    screen.height = DecodeLe16(bytes + 2);
    screen.packed = bytes[4];
    screen.background_index = bytes[5];
    screen.aspect_ratio = bytes[6];
    return screen;
}

void EncodeScreenDescriptor(const GifScreenDescriptor& screen, uint8_t bytes[kScreenDescriptorSize]) {
    EncodeLe16(screen.width, bytes + 0);
    EncodeLe16(screen.height, bytes + 2);
    bytes[4] = screen.packed;
    bytes[5] = screen.background_index;
    bytes[6] = screen.aspect_ratio;
}

GifImageDescriptor DecodeImageDescriptor(const uint8_t bytes[kImageDescriptorSize]) {
    GifImageDescriptor image;
    image.left = DecodeLe16(bytes + 0);
    image.top = DecodeLe16(bytes + 2);
    image.width = DecodeLe16(bytes + 4);
    image.height = DecodeLe16(bytes + 6);
    image.packed = bytes[8];
    return image;
}

void EncodeImageDescriptor(const GifImageDescriptor& image, uint8_t bytes[kImageDescriptorSize]) {
    EncodeLe16(image.left, bytes + 0);
    EncodeLe16(image.top, bytes + 2);
    EncodeLe16(image.width, bytes + 4);
    EncodeLe16(image.height, bytes + 6);
    bytes[8] = image.packed;
}

GifGraphicControl DecodeGraphicControl(const uint8_t bytes[kGraphicControlSize]) {
    GifGraphicControl control;
    control.block_size = bytes[0];
    control.packed = bytes[1];
    control.delay = DecodeLe16(bytes + 2);
    control.transparent_index = bytes[4];
    control.terminator = bytes[5];
    return control;
}

void EncodeGraphicControl(const GifGraphicControl& control, uint8_t bytes[kGraphicControlSize]) {
    bytes[0] = control.block_size;
    bytes[1] = control.packed;
    EncodeLe16(control.delay, bytes + 2);
    bytes[4] = control.transparent_index;
    bytes[5] = control.terminator;
}

bool IsAcceptedGifHeader(const uint8_t* bytes, size_t count) {
    if (count < kGifHeaderSize) return false;
    if (std::memcmp(bytes, kSignature, 3) != 0) return false;
    return std::memcmp(bytes + 3, kVersion89a, 3) == 0 || std::memcmp(bytes + 3, kVersion87a, 3) == 0;
}

namespace {

// Reads the sub-blocks of an application extension whose block-size byte has
// been read, noting a looping block's count. False at the end of the file.
bool ReadApplicationBlocks(FileHandle file, uint8_t first_length, LoopingInfo* looping) {
    uint8_t data[255];
    uint8_t length = first_length;
    bool is_looping = false;
    for (size_t index = 0; length != 0; ++index) {
        if (FileRead(file, data, length) < length) return false;
        if (index == 0) {
            is_looping = length == kApplicationIdSize && std::memcmp(data, kLoopingApplicationId, length) == 0;
        } else if (index == 1 && is_looping && length >= 3 && data[0] == kLoopSubBlockId && looping) {
            looping->present = true;
            looping->count = DecodeLe16(data + 1);
        }
        if (!FileReadByte(file, &length)) return false;
    }
    return true;
}

}  // namespace

BlockScanResult ScanBlocks(FileHandle file, GifGraphicControl* capture, bool stop_at_trailer, LoopingInfo* looping) {
    for (;;) {
        uint8_t introducer;
        if (!FileReadByte(file, &introducer)) return BlockScanResult::kPrematureEnd;
        if (introducer == kImageIntroducer) return BlockScanResult::kFound;
        if (introducer == kTrailer && stop_at_trailer) return BlockScanResult::kTrailer;
        if (introducer != kExtensionIntroducer) continue;  // trailer or stray byte

        uint8_t label;
        if (!FileReadByte(file, &label)) return BlockScanResult::kPrematureEnd;
        if (label == kGraphicControlLabel) {
            // Taken as exactly six bytes whatever its block-size byte says.
            if (capture) {
                uint8_t body[kGraphicControlSize] = {};
                FileRead(file, body, sizeof body);
                *capture = DecodeGraphicControl(body);
            } else {
                FileSkip(file, kGraphicControlSize);
            }
            continue;
        }
        uint8_t length;
        if (!FileReadByte(file, &length)) return BlockScanResult::kPrematureEnd;
        if (label == kApplicationLabel) {
            if (!ReadApplicationBlocks(file, length, looping)) return BlockScanResult::kPrematureEnd;
            continue;
        }
        while (length != 0) {
            FileSkip(file, length);
            if (!FileReadByte(file, &length)) return BlockScanResult::kPrematureEnd;
        }
    }
}

BlockScanResult BlockScan(FileHandle file, GifGraphicControl* capture) {
    return ScanBlocks(file, capture, false, nullptr);
}
