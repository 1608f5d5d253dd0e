#include "gif_fixture.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kGraphicControlBlockSize = 4;
constexpr uint8_t kCommentLabel = 0xFE;
constexpr uint8_t kBlockTerminator = 0x00;
constexpr uint8_t kColorTableFlag = 0x80;  // in a screen or image descriptor's packed field
constexpr uint8_t kColorTableSizeMask = 0x07;

Bytes Le16(uint16_t value) { return {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)}; }

}  // namespace

GifBuilder& GifBuilder::Header(const char* version) {
    Raw({'G', 'I', 'F'});
    for (size_t i = 0; i < 3 && version[i] != '\0'; ++i) Byte(static_cast<uint8_t>(version[i]));
    return *this;
}

GifBuilder& GifBuilder::Screen(uint16_t width, uint16_t height, uint8_t packed, uint8_t background, uint8_t aspect) {
    return Raw(Le16(width)).Raw(Le16(height)).Raw({packed, background, aspect});
}

GifBuilder& GifBuilder::ColorTable(size_t entries, uint8_t seed) {
    for (size_t k = 0; k < entries; ++k)
        Raw({static_cast<uint8_t>(k + seed), static_cast<uint8_t>(255 - k + seed), static_cast<uint8_t>(k * 7 + seed)});
    return *this;
}

GifBuilder& GifBuilder::TableFor(uint8_t packed, uint8_t seed) {
    return (packed & kColorTableFlag) != 0 ? ColorTable(size_t{2} << (packed & kColorTableSizeMask), seed) : *this;
}

GifBuilder& GifBuilder::GraphicControl(uint8_t packed, uint16_t delay, uint8_t transparent_index) {
    return Raw({kExtensionIntroducer, kGraphicControlLabel, kGraphicControlBlockSize, packed})
        .Raw(Le16(delay))
        .Raw({transparent_index, kBlockTerminator});
}

GifBuilder& GifBuilder::Comment(const std::string& text) {
    return Extension(kCommentLabel, SplitSubBlocks(Bytes(text.begin(), text.end())));
}

GifBuilder& GifBuilder::Extension(uint8_t label, const std::vector<Bytes>& sub_blocks) {
    return Byte(kExtensionIntroducer).ImageData(label, sub_blocks);
}

GifBuilder& GifBuilder::ImageDescriptor(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t packed) {
    return Byte(kImageSeparator).Raw(Le16(left)).Raw(Le16(top)).Raw(Le16(width)).Raw(Le16(height)).Byte(packed);
}

GifBuilder& GifBuilder::ImageData(uint8_t min_code_size, const std::vector<Bytes>& sub_blocks) {
    Byte(min_code_size);
    for (const Bytes& block : sub_blocks) Byte(static_cast<uint8_t>(block.size())).Raw(block);
    return Byte(kBlockTerminator);
}

GifBuilder& GifBuilder::SimpleImageData(uint16_t width, uint16_t height, uint8_t min_code_size, uint16_t colors) {
    return ImageData(min_code_size, SplitSubBlocks(LzwCodes(width, height, min_code_size, colors)));
}

GifBuilder& GifBuilder::Pixels(const Bytes& indices, uint8_t min_code_size) {
    return ImageData(min_code_size, SplitSubBlocks(LzwCodesOf(indices, min_code_size)));
}

GifBuilder& GifBuilder::Trailer() { return Byte(kTrailer); }

GifBuilder& GifBuilder::Raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes LzwCodes(uint16_t width, uint16_t height, uint8_t min_code_size, uint16_t colors) {
    const unsigned clear = 1u << min_code_size;
    if (colors == 0 || colors > clear) colors = static_cast<uint16_t>(clear);
    Bytes indices(static_cast<size_t>(width) * height);
    for (size_t p = 0; p < indices.size(); ++p) indices[p] = static_cast<uint8_t>(p % colors);
    return LzwCodesOf(indices, min_code_size);
}

Bytes LzwCodesOf(const Bytes& indices, uint8_t min_code_size) {
    const unsigned clear = 1u << min_code_size;
    const unsigned width_bits = min_code_size + 1u;
    // Codes packed least significant bit first, as GIF image data stores them.
    Bytes out;
    uint32_t accumulator = 0;
    unsigned bits = 0;
    auto put = [&](unsigned code) {
        accumulator |= static_cast<uint32_t>(code) << bits;
        for (bits += width_bits; bits >= 8; bits -= 8, accumulator >>= 8)
            out.push_back(static_cast<uint8_t>(accumulator & 0xFF));
    };
    for (uint8_t index : indices) {
        put(clear);
        put(index & (clear - 1));
    }
    put(clear);
    put(clear + 1);  // end of information
    if (bits > 0) out.push_back(static_cast<uint8_t>(accumulator & 0xFF));
    return out;
}

std::vector<Bytes> SplitSubBlocks(const Bytes& data, size_t block_size) {
    std::vector<Bytes> blocks;
    for (size_t at = 0; at < data.size(); at += block_size) {
        const size_t end = std::min(data.size(), at + block_size);
        blocks.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(at),
                            data.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return blocks;
}

Bytes SimpleGif(uint16_t width, uint16_t height, uint8_t table_size_field) {
    const uint8_t field = table_size_field & kColorTableSizeMask;
    const uint16_t entries = static_cast<uint16_t>(2u << field);
    return GifBuilder()
        .Header("89a")
        .Screen(width, height, static_cast<uint8_t>(kColorTableFlag | field))
        .ColorTable(entries)
        .ImageDescriptor(0, 0, width, height, 0x00)
        .SimpleImageData(width, height, static_cast<uint8_t>(std::max(2, field + 1)), entries)
        .Trailer()
        .bytes();
}

Bytes OnePixelGif(const char* version, uint16_t width, uint16_t height, uint8_t screen_packed, uint8_t image_packed) {
    return GifBuilder()
        .Header(version)
        .Screen(width, height, screen_packed)
        .TableFor(screen_packed)
        .ImageDescriptor(0, 0, 1, 1, image_packed)
        .TableFor(image_packed, 1)
        .SimpleImageData(1, 1)
        .Trailer()
        .bytes();
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

Bytes ReadFileBytes(const std::string& path) {
    Bytes bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    uint8_t chunk[65536];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + count);
    std::fclose(file);
    return bytes;
}
