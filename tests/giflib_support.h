// Test inputs encoded by giflib, and outputs decoded by giflib, so that the
// builder is checked against a GIF implementation that is not our own.
#ifndef ZORVANE_TESTS_GIFLIB_SUPPORT_H
#define ZORVANE_TESTS_GIFLIB_SUPPORT_H

#include <gif_lib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

// An extension written before an image: its label and data sub-blocks.
struct ExtensionPlan {
    uint8_t label = 0;
    std::vector<Bytes> sub_blocks;
};

// One image: width * height colour indices, top row first (interlaced images
// are written in the four-pass row order). Colour maps are RGB triples of
// 2..256 entries, a power of two; empty means no table.
struct ImagePlan {
    uint16_t left = 0, top = 0, width = 1, height = 1;
    bool interlace = false;
    Bytes local_map;
    Bytes raster;
    std::vector<ExtensionPlan> extensions;  // written directly before the image
};

struct GifPlan {
    bool gif89 = true;  // false writes "GIF87a"
    uint16_t width = 1, height = 1;
    Bytes global_map;
    std::vector<ImagePlan> images;
};

// Writes `plan` to `path` with giflib's encoder; adds a test failure and
// returns false on a giflib error.
bool EncodeGif(const std::string& path, const GifPlan& plan);

// Distinct RGB triples that depend on `seed`; a raster of indices below
// `colors`, runs and noise mixed, so larger images span many sub-blocks.
Bytes MakeColorMap(size_t entries, uint8_t seed);
Bytes MakeRaster(uint16_t width, uint16_t height, unsigned colors, uint32_t seed);
ExtensionPlan GraphicControlPlan(uint8_t packed, uint16_t delay, uint8_t transparent_index);
ExtensionPlan LoopingPlan(uint16_t loop_count);

// Turns a file written by EncodeGif with a global table into one without any
// colour table (giflib will not write such a file): clears the flag, keeps the
// size field and removes the table's bytes.
bool StripGlobalColorTable(const std::string& path);

// A sub-block as giflib reports it: the first of an extension under its
// label, each further one as CONTINUE_EXT_FUNC_CODE.
struct GiflibExtension {
    int function = 0;
    Bytes bytes;
};

struct DecodedImage {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
    Bytes local_map;  // empty when the image has no local table
    bool raster_decoded = false;
    Bytes raster;
    std::vector<GiflibExtension> extensions;  // the blocks before this image
};

struct DecodedGif {
    bool opened = false;  // giflib accepted the header and the screen descriptor
    int error = D_GIF_SUCCEEDED;
    std::string signature;      // the first 6 bytes of the file
    uint8_t screen_packed = 0;  // giflib hides the size field when there is no global table
    int width = 0, height = 0, background = 0, aspect = 0;
    Bytes global_map;
    std::vector<DecodedImage> images;
    std::vector<GiflibExtension> trailing_extensions;  // after the last image
};

// DGifSlurp: every image decoded. True on success; the error is left in `out`.
bool SlurpGif(const std::string& path, DecodedGif* out);
// Reads up to the first image with giflib's record-level reader and decodes
// it (not when it is empty or over 64 Mpixels). True when it was reached.
bool ReadFirstImage(const std::string& path, DecodedGif* out);
// Walks every record up to the trailer without decoding the image data. True
// when the trailer is reached; `out->images` holds the images met either way.
bool WalkGifRecords(const std::string& path, DecodedGif* out);
std::string GiflibErrorText(int error);

// Entry k of n is k * 255 / (n - 1) in all three channels.
Bytes GreyRamp(size_t entries);

// Checks an output decoded by giflib against its inputs (read by
// ReadFirstImage): header, screen, looping block iff `loop`, and per frame one
// graphic control and the input's first image, its colour table and raster.
void ExpectAnimationMatches(const DecodedGif& output, const std::vector<DecodedGif>& inputs, unsigned delay, bool loop);
// The same with a delay of its own for each frame.
void ExpectAnimationMatches(const DecodedGif& output, const std::vector<DecodedGif>& inputs,
                            const std::vector<unsigned>& delays, bool loop);

#endif  // ZORVANE_TESTS_GIFLIB_SUPPORT_H
