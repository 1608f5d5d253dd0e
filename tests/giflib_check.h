// The one place GIF files are decoded with giflib, a reader that is not our
// own: record walks and whole decodes, and the check every suite applies to
// an animation built from frame files (the GoogleTest suites, the Qt window's
// tests, the build fuzz target, and the giflib_check program that judges the
// Windows dialog's outputs).
#ifndef ZORVANE_TESTS_GIFLIB_CHECK_H
#define ZORVANE_TESTS_GIFLIB_CHECK_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "gif_fixture.h"

// A sub-block as giflib reports it: the first of an extension under its
// label, each further one under kContinuedSubBlock.
constexpr int kContinuedSubBlock = 0;  // giflib's CONTINUE_EXT_FUNC_CODE
struct GiflibExtension {
    int function = 0;
    Bytes bytes;
};

struct DecodedImage {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
    int local_bits = 0;  // bits per pixel of the local table, 0 when there is none
    Bytes local_map;     // its RGB triples, empty when giflib did not read it
    // giflib refused the LZW minimum code size (above 8); the walk noted the
    // image and went on (GifReadOptions::pass_refused_code_size).
    bool code_size_refused = false;
    bool raster_decoded = false;
    Bytes raster;
    // With GifReadOptions::keep_image_data: the LZW minimum code size and the
    // payload of each data sub-block, as stored.
    int code_size = 0;
    std::vector<Bytes> data_blocks;
    std::vector<GiflibExtension> extensions;  // the blocks before this image
};

struct DecodedGif {
    bool opened = false;        // giflib accepted the header and the screen descriptor
    int error = 0;              // giflib's error code, D_GIF_SUCCEEDED (0) when none
    std::string signature;      // the first 6 bytes of the file
    uint8_t screen_packed = 0;  // giflib hides the size field when there is no global table
    int width = 0, height = 0, background = 0, aspect = 0;
    int global_bits = 0;  // 0 when there is no global table
    Bytes global_map;
    std::vector<DecodedImage> images;
    std::vector<GiflibExtension> trailing_extensions;  // after the last image
    bool reached_trailer = false;
    size_t consumed = 0;  // bytes giflib read
};

struct GifReadOptions {
    bool first_image_only = false;    // stop after the first image descriptor
    bool decode_first_image = false;  // with first_image_only: decode its pixels too
    size_t max_decoded_pixels = size_t{64} << 20;
    // Note an image whose LZW minimum code size giflib refuses, and go on
    // (the builder copies that byte unchanged); else the walk fails there.
    bool pass_refused_code_size = false;
    bool keep_image_data = false;     // keep each image's data sub-blocks, as stored
    bool decode_every_image = false;  // decode every image's pixels (display row order)
};

// giflib's record-level reader over `data`, image data passed over (or the
// first image decoded). True when it reached the trailer, or with
// first_image_only the first image; `out` holds what it met either way.
bool ReadGifBytes(const Bytes& data, const GifReadOptions& options, DecodedGif* out);
// Reads up to the first image of `path` and decodes it (not when it is empty
// or over 64 Mpixels). True when it was reached.
bool ReadFirstImage(const std::string& path, DecodedGif* out);
// Walks every record of `path` up to the trailer without decoding the image
// data. True when the trailer is reached.
bool WalkGifRecords(const std::string& path, DecodedGif* out);
// DGifSlurp: every image decoded. True on success; the error is left in `out`.
bool SlurpGifBytes(const Bytes& data, DecodedGif* out);
bool SlurpGif(const std::string& path, DecodedGif* out);
std::string GiflibErrorText(int error);

// giflib walks every extension by its sub-blocks, while our walk takes a
// graphic control extension as exactly six bytes after its label. Both meet
// the same records before `image` only when every graphic control extension
// on the way is one 4-byte sub-block and its terminator.
bool ControlsReadAlike(const DecodedImage& image);

// Entry k of n is k * 255 / (n - 1) in all three channels.
Bytes GreyRamp(size_t entries);
// Rows in the order they are stored: four passes for an interlaced image.
std::vector<int> GifRowOrder(int height, bool interlace);

// The check of an animation built from frame files: what is wrong with
// `output` (decoded, or walked where an input's image data does not decode)
// against the first images of `inputs` (read by ReadFirstImage), one text a
// fault, none when it checks out: GIF89a, the largest screen, the looping
// block iff `loop` (with `loop_count`), and per frame one graphic control
// (its delay & 0xFFFF, disposal 2, the input's transparency) before the
// input's first image: its descriptor, its colour table (the input's local,
// else global, else a grey ramp; in the output its local one, else the
// output's global one, never a local copy of that) and, where both are
// decoded, its pixels.
std::vector<std::string> CheckAnimation(const DecodedGif& output, const std::vector<DecodedGif>& inputs,
                                        const std::vector<unsigned>& delays, bool loop, unsigned loop_count = 0xFFFF);
// The same from the files: the output must decode in full, and so must the
// first image of every input.
std::vector<std::string> CheckAnimationFiles(const std::string& output, const std::vector<std::string>& inputs,
                                             unsigned delay, bool loop, unsigned loop_count = 0xFFFF);
// Every line of the list file at `path`, tab-separated: output path, delay,
// looping (0: no block, 1: the count 65535, =N: the count N), input paths. Reports each output to `report`; returns the
// number of faults, 1 when the list is missing or empty.
int CheckAnimationList(const std::string& path, FILE* report);

#endif  // ZORVANE_TESTS_GIFLIB_CHECK_H
