// The compositor: each case's frames as worked out by hand (the same cases
// scripts/check-play.sh compares with Chromium), and each frame's records
// found where the file holds them.
#include "gif/gif_player.h"

#include <gtest/gtest.h>

#include <string>

#include "compositing_cases.h"
#include "test_support.h"

namespace {

// A frame as the cases write it: rows joined by '/', '.' transparent, digit
// k entry k of GifBuilder::ColorTable (k, 255 - k, 7k), 'k' opaque black.
std::string Picture(const Rgba* canvas, uint32_t width, uint32_t height) {
    std::string text;
    for (uint32_t y = 0; y < height; ++y) {
        if (y > 0) text += '/';
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba pixel = canvas[size_t{y} * width + x];
            char shown = '?';
            if (pixel == kClearPixel) shown = '.';
            if (pixel == kOpaqueBlack) shown = 'k';
            for (unsigned k = 0; k < 4; ++k) {
                if (pixel ==
                    OpaqueRgb(static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k), static_cast<uint8_t>(7 * k)))
                    shown = static_cast<char>('0' + k);
            }
            text += shown;
        }
    }
    return text;
}

TEST(GifPlayerTest, FramesAreShownAsBrowsersShowThem) {
    TempDir dir;
    for (const CompositingCase& c : CompositingCases()) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write(std::string(c.name) + ".gif", c.gif);
        GifPlayer player;
        ASSERT_EQ(player.Open(path.c_str()), nullptr);
        EXPECT_EQ(player.width(), c.width);
        EXPECT_EQ(player.height(), c.height);
        PlayedFrame frame;
        std::vector<std::string> shown;
        uint64_t previous_end = 0;
        bool damaged = false;
        while (player.Next(&frame)) {
            shown.push_back(Picture(frame.canvas, player.width(), player.height()));
            damaged = frame.damaged;
            // The frame's records: its graphic control, up to its data's terminator.
            ASSERT_LT(frame.end, c.gif.size());
            EXPECT_GE(frame.begin, previous_end);
            EXPECT_EQ(c.gif[frame.begin], kExtensionIntroducer);
            EXPECT_EQ(c.gif[frame.begin + 1], kGraphicControlLabel);
            EXPECT_EQ(c.gif[frame.end - 1], kBlockTerminator);
            previous_end = frame.end;
        }
        EXPECT_EQ(shown, c.frames);
        EXPECT_EQ(damaged, c.damaged);
        EXPECT_EQ(c.gif[previous_end], kTrailer);
    }
}

TEST(GifPlayerTest, UnplayableFilesAreRefused) {
    TempDir dir;
    const Bytes no_image = GifBuilder().Header().Screen(4, 4, 0).Trailer().bytes();
    const Bytes huge = GifBuilder().Header().Screen(65535, 65535, 0).ImageDescriptor(0, 0, 1, 1, 0).Pixels({0}).bytes();
    struct Case {
        const char* name;
        Bytes bytes;
        const char* message;
    } cases[] = {{"no image", no_image, kMsgPrematureEnd},
                 {"screen too large", huge, kMsgCanvasTooLarge},
                 {"not a GIF", {'G', 'I', 'F'}, kMsgNotAGif}};
    for (const Case& c : cases) {
        GifPlayer player;
        EXPECT_EQ(player.Open(dir.Write("in.gif", c.bytes).c_str()), c.message) << c.name;
    }
}

}  // namespace
