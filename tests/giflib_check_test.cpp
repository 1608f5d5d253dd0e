// Independent check of the builder: inputs are written by giflib's encoder,
// outputs are read back by giflib's decoder, and every frame is compared with
// the first image of its input as giflib decodes it.
#include <glob.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "giflib_support.h"
#include "test_support.h"

namespace {

// Graphic control packed flags written into inputs.
constexpr uint8_t kTransparent = 0x01;
constexpr uint8_t kUserInput = 0x02;
constexpr uint8_t kDisposeNone = 0x04;        // disposal method 1
constexpr uint8_t kDisposeBackground = 0x08;  // disposal method 2
constexpr uint8_t kDisposeMethod7 = 0x1C;
constexpr uint8_t kReservedBits = 0xE0;

ImagePlan Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, unsigned colors, uint32_t seed,
                size_t local_entries = 0) {
    return {left,
            top,
            width,
            height,
            false,
            MakeColorMap(local_entries, static_cast<uint8_t>(seed + 20)),
            MakeRaster(width, height, colors, seed),
            {}};
}

// A screen with a global table of `global_entries` (0: none) and the given images.
GifPlan Gif(uint16_t width, uint16_t height, size_t global_entries, std::vector<ImagePlan> images) {
    return {true, width, height, MakeColorMap(global_entries, static_cast<uint8_t>(width + height)), std::move(images)};
}

// One image covering its screen, coloured from a global table.
GifPlan FullScreen(uint16_t width, uint16_t height, size_t entries, uint32_t seed = 0,
                   std::vector<ExtensionPlan> extensions = {}) {
    GifPlan plan = Gif(width, height, entries, {Image(0, 0, width, height, static_cast<unsigned>(entries), seed)});
    plan.images[0].extensions = std::move(extensions);
    return plan;
}

class GiflibCheckTest : public ::testing::Test {
protected:
    std::string Input(const GifPlan& plan) {
        const std::string path = dir_.File("in" + std::to_string(++files_) + ".gif");
        EXPECT_TRUE(EncodeGif(path, plan));
        return path;
    }

    // Builds `frames` and hands the output to the giflib check. Returns the
    // output as giflib decodes it.
    DecodedGif BuildAndCheck(const std::vector<std::string>& frames, unsigned delay, bool loop) {
        const std::string output = dir_.File("out" + std::to_string(++files_) + ".gif");
        const BuildRun run = RunBuild(output, frames, delay, loop);
        EXPECT_TRUE(run.messages.empty()) << "message: " << run.messages.front().first;
        for (const std::string& fault : CheckAnimationFiles(output, frames, delay, loop)) ADD_FAILURE() << fault;
        DecodedGif decoded;
        SlurpGif(output, &decoded);
        return decoded;
    }

    TempDir dir_;
    int files_ = 0;
};

TEST_F(GiflibCheckTest, ColourTables) {
    std::vector<std::string> frames;
    // Global tables of every size; the largest with a noisy 200 x 150 image
    // whose data runs over many full sub-blocks.
    for (uint8_t field = 0; field < 8; ++field) {
        frames.push_back(Input(field == 7 ? FullScreen(200, 150, 256, 7)
                                          : FullScreen(8 + field * 3, 5 + field * 2, size_t{2} << field, field)));
    }
    // Local tables: alone, smaller than the global one (which must not win),
    // larger than it, and on an interlaced image.
    frames.push_back(Input(Gif(12, 9, 0, {Image(0, 0, 12, 9, 16, 1, 16)})));
    frames.push_back(Input(Gif(10, 10, 256, {Image(1, 2, 8, 7, 4, 2, 4)})));
    frames.push_back(Input(Gif(16, 16, 4, {Image(0, 0, 16, 16, 256, 3, 256)})));
    GifPlan interlaced = Gif(9, 11, 8, {Image(0, 0, 9, 11, 2, 4, 2)});
    interlaced.images[0].interlace = true;
    frames.push_back(Input(interlaced));
    // No table at all (giflib will not write that, so the global table is
    // removed afterwards; its size field stays and sets the ramp's length):
    // first in a run, and after frames with full tables.
    for (uint8_t field : {2, 7, 0}) {
        const std::string bare = Input(FullScreen(9, 6, size_t{2} << field, 40u + field));
        ASSERT_TRUE(StripGlobalColorTable(bare));
        frames.insert(field == 2 ? frames.begin() : frames.end(), bare);
    }
    const DecodedGif output = BuildAndCheck(frames, 10, true);
    ASSERT_FALSE(output.images.empty());
    // Entry k of n is k * 255 / (n - 1): for 8 entries 0, 36, 72, ..., 255.
    const Bytes ramp8 = {0,   0,   0,   36,  36,  36,  72,  72,  72,  109, 109, 109,
                         145, 145, 145, 182, 182, 182, 218, 218, 218, 255, 255, 255};
    EXPECT_EQ(output.images[0].local_map, ramp8);
}

TEST_F(GiflibCheckTest, ControlsCarryOverAndOtherExtensionsAreDropped) {
    const std::vector<std::vector<ExtensionPlan>> before_image = {
        {GraphicControlPlan(kTransparent, 50, 3)},
        {GraphicControlPlan(kDisposeMethod7 | kUserInput | kTransparent, 7, 200)},
        {GraphicControlPlan(kDisposeNone, 0, 9)},  // index without the flag: carried, flag stays off
        {GraphicControlPlan(kReservedBits | kDisposeNone | kTransparent, 0, 1)},
        // With two controls before the image, the last one counts.
        {GraphicControlPlan(kTransparent, 0, 2), GraphicControlPlan(0, 0, 7)},
        {GraphicControlPlan(0, 0, 4), GraphicControlPlan(kDisposeBackground | kTransparent, 0, 5)},
        {},  // no control at all, right after transparent frames
        {{COMMENT_EXT_FUNC_CODE, {Bytes(255, 'c'), Bytes(255, 'c'), Bytes(90, 'c')}}, {COMMENT_EXT_FUNC_CODE, {}}},
        // The input's own looping block must not reach the output.
        {LoopingPlan(0), GraphicControlPlan(kTransparent, 4, 6)},
        {GraphicControlPlan(kTransparent, 0, 11),
         {APPLICATION_EXT_FUNC_CODE, {Bytes(11, 'X'), Bytes(255, 'x'), Bytes(255, 'y'), Bytes(10, 'z')}}},
        {{PLAINTEXT_EXT_FUNC_CODE, {Bytes(12, 1), Bytes{'h', 'i'}}}, {0x99, {Bytes{1, 2, 3}}}},  // 0x99: unknown label
    };
    std::vector<std::string> frames;
    for (size_t i = 0; i < before_image.size(); ++i)
        frames.push_back(Input(FullScreen(6, 4, 256, static_cast<uint32_t>(i), before_image[i])));
    // 70000 does not fit in 16 bits: the frames carry 70000 mod 65536.
    BuildAndCheck(frames, 70000, false);
    BuildAndCheck(frames, 25, true);
}

TEST_F(GiflibCheckTest, InterlaceOffsetsScreensAndGif87a) {
    std::vector<std::string> frames;
    // Heights around the interlace pass boundaries, a progressive frame among them.
    const uint16_t heights[] = {1, 2, 3, 5, 8, 9, 17, 30};
    for (uint16_t i = 0; i < 8; ++i) {
        GifPlan plan = Gif(40, 40, 32, {Image(i, 2 * i, 3 + 4 * i, heights[i], 32, i)});
        plan.images[0].interlace = true;
        frames.push_back(Input(plan));
    }
    frames.push_back(Input(FullScreen(7, 13, 32, 9)));
    // Images inside, in the corner of and far outside their screens; the
    // output screen follows the logical screens only, compared as unsigned.
    frames.push_back(Input(Gif(64, 48, 8, {Image(10, 5, 20, 10, 8, 1)})));
    frames.push_back(Input(Gif(64, 48, 8, {Image(63, 47, 1, 1, 8, 2)})));
    frames.push_back(Input(Gif(4, 4, 8, {Image(100, 90, 30, 20, 8, 3)})));
    frames.push_back(Input(Gif(40000, 3, 2, {Image(39990, 0, 10, 3, 2, 4)})));
    frames.push_back(Input(Gif(5, 50000, 2, {Image(0, 49990, 5, 10, 2, 5)})));
    const DecodedGif output = BuildAndCheck(frames, 5, true);
    EXPECT_EQ(output.width, 40000);
    EXPECT_EQ(output.height, 50000);

    GifPlan global = FullScreen(11, 7, 64, 1), local = Gif(11, 7, 4, {Image(2, 1, 5, 5, 8, 2, 8)});
    GifPlan interlaced87 = FullScreen(11, 19, 16, 3);
    interlaced87.images[0].interlace = true;
    std::vector<std::string> gif87;
    for (GifPlan* plan : {&global, &local, &interlaced87}) {
        plan->gif89 = false;
        gif87.push_back(Input(*plan));
        ASSERT_EQ(ReadFileBytes(gif87.back())[4], '7') << "giflib wrote no GIF87a";
    }
    BuildAndCheck(gif87, 12, true);
}

TEST_F(GiflibCheckTest, AnimatedInputsGiveTheirFirstImage) {
    // Three images with their own controls; only the first one counts.
    GifPlan three =
        Gif(30, 20, 8, {Image(0, 0, 30, 20, 8, 1), Image(5, 5, 10, 8, 16, 2, 16), Image(1, 1, 12, 12, 8, 3)});
    three.images[0].extensions = {LoopingPlan(0), GraphicControlPlan(kDisposeNone | kTransparent, 20, 1)};
    three.images[1].extensions = {GraphicControlPlan(kDisposeBackground | kTransparent, 20, 4)};
    three.images[2].interlace = true;
    // No control before the first image, a transparent one before the second.
    GifPlan late_control = Gif(8, 8, 4, {Image(0, 0, 8, 8, 4, 4), Image(0, 0, 8, 8, 4, 5)});
    late_control.images[1].extensions = {GraphicControlPlan(kTransparent, 10, 2)};
    // A first image with a local table, then one using the global table.
    GifPlan local_first = Gif(8, 8, 4, {Image(0, 0, 8, 8, 64, 6, 64), Image(0, 0, 8, 8, 4, 7)});
    BuildAndCheck({Input(three), Input(late_control), Input(local_first)}, 8, true);
}

TEST_F(GiflibCheckTest, BundledSamples) {
    glob_t found{};
    std::vector<std::string> frames;
    if (glob(ZORVANE_SOURCE_DIR "/samples/*.gif", 0, nullptr, &found) == 0)
        frames.assign(found.gl_pathv, found.gl_pathv + found.gl_pathc);  // sorted by glob
    globfree(&found);
    ASSERT_FALSE(frames.empty()) << "no GIF files in " << ZORVANE_SOURCE_DIR "/samples";
    BuildAndCheck(frames, 10, true);
    BuildAndCheck(frames, 0, false);
}

}  // namespace
