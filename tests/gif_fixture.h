// GIF byte streams built in code, for every test suite and the fuzz seeds.
// Plain C++17 over the standard library only: it builds wherever the tests
// do, the Windows cross build included.
#ifndef ZORVANE_TESTS_GIF_FIXTURE_H
#define ZORVANE_TESTS_GIF_FIXTURE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Builds GIF byte streams record by record. Multi-byte fields are written
// little-endian; nothing is validated, so malformed streams are easy to make.
class GifBuilder {
public:
    GifBuilder& Header(const char* version = "89a");
    GifBuilder& Screen(uint16_t width, uint16_t height, uint8_t packed, uint8_t background = 0, uint8_t aspect = 0);
    // `entries` RGB triples; entry k is (k, 255 - k, 7k) plus `seed`, modulo 256.
    GifBuilder& ColorTable(size_t entries, uint8_t seed = 0);
    // The table a screen or image descriptor's packed field announces: none
    // when its flag is clear, else 2^(size field + 1) entries.
    GifBuilder& TableFor(uint8_t packed, uint8_t seed = 0);
    GifBuilder& GraphicControl(uint8_t packed, uint16_t delay, uint8_t transparent_index);
    GifBuilder& Comment(const std::string& text);  // split into 255-byte sub-blocks
    // Any extension (or, with the label kept apart, image data): label, the
    // sub-blocks with their length bytes, terminator.
    GifBuilder& Extension(uint8_t label, const std::vector<Bytes>& sub_blocks);
    GifBuilder& ImageDescriptor(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t packed);
    // LZW minimum code size, then the sub-blocks as given, then a terminator.
    GifBuilder& ImageData(uint8_t min_code_size, const std::vector<Bytes>& sub_blocks);
    // Valid image data for width x height pixels of indices 0..colors-1
    // cycling (`colors` 0: 2^min_code_size), in 255-byte sub-blocks.
    GifBuilder& SimpleImageData(uint16_t width, uint16_t height, uint8_t min_code_size = 2, uint16_t colors = 0);
    // Valid image data for these indices, in their stored order.
    GifBuilder& Pixels(const Bytes& indices, uint8_t min_code_size = 2);
    GifBuilder& Trailer();
    GifBuilder& Raw(const Bytes& bytes);
    GifBuilder& Byte(uint8_t byte) { return Raw({byte}); }
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

// The LZW codes SimpleImageData packs: a clear code before every pixel, so
// the code width stays min_code_size + 1.
Bytes LzwCodes(uint16_t width, uint16_t height, uint8_t min_code_size, uint16_t colors = 0);
// The same for any indices (each taken below 2^min_code_size).
Bytes LzwCodesOf(const Bytes& indices, uint8_t min_code_size);
// Cuts `data` into sub-block payloads of at most `block_size` bytes.
std::vector<Bytes> SplitSubBlocks(const Bytes& data, size_t block_size = 255);

// A small, valid, single-image GIF89a: width x height screen and image, a
// global table of 2^(n+1) entries (n = size field), no extensions.
Bytes SimpleGif(uint16_t width, uint16_t height, uint8_t table_size_field = 1);

// A valid one-pixel image (1 x 1 at 0, 0) on a width x height screen, with
// the colour tables the packed fields announce. `version`: "87a" or "89a".
Bytes OnePixelGif(const char* version, uint16_t width, uint16_t height, uint8_t screen_packed, uint8_t image_packed);

// Whole files through stdio: false, or no bytes, when that fails.
bool WriteFileBytes(const std::string& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::string& path);

#endif  // ZORVANE_TESTS_GIF_FIXTURE_H
