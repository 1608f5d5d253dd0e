// Test inputs encoded by giflib, and the giflib check of outputs as test
// failures, so that the builder is checked against a GIF implementation that
// is not our own.
#ifndef ZORVANE_TESTS_GIFLIB_SUPPORT_H
#define ZORVANE_TESTS_GIFLIB_SUPPORT_H

#include <gif_lib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "giflib_check.h"
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

// CheckAnimation (giflib_check.h), each fault a test failure.
void ExpectAnimationMatches(const DecodedGif& output, const std::vector<DecodedGif>& inputs,
                            const std::vector<unsigned>& delays, bool loop, unsigned loop_count = 0xFFFF);

#endif  // ZORVANE_TESTS_GIFLIB_SUPPORT_H
