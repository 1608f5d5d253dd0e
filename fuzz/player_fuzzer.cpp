// Fuzz target: GifPlayer (and so the LZW decoder) over any file.
//
// Every run must end without a crash, a hang or a write beyond the canvas
// (AddressSanitizer), with no descriptor left open; every frame's records
// must lie in order within the file, each pixel be transparent or opaque, and
// wherever giflib's record walk reaches the trailer over the same records as
// ours the player must give one frame per image giflib found.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "gif/gif_player.h"
#include "giflib_check.h"
#include "test_support.h"

namespace {
constexpr uint64_t kMaxFuzzPixels = uint64_t{1} << 20;  // a run stays well within the time and memory limits
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = ScratchDir() + "/play.gif";
    const Bytes input(data, data + size);
    WriteWholeFile(path, input);

    const int descriptors_before = OpenDescriptorCount();
    size_t frames = 0;
    bool opened = false;
    {
        GifPlayer player(kMaxFuzzPixels);
        opened = player.Open(path.c_str()) == nullptr;
        FUZZ_CHECK(!opened || uint64_t{player.width()} * player.height() <= kMaxFuzzPixels);
        PlayedFrame frame;
        uint64_t previous_end = 0;
        while (opened && player.Next(&frame)) {
            FUZZ_CHECK(frame.begin >= previous_end && frame.begin < frame.end && frame.end <= size);
            previous_end = frame.end;
            const size_t pixels = size_t{player.width()} * player.height();
            for (size_t i = 0; i < pixels; ++i) {
                FUZZ_CHECK(frame.canvas[i] == kClearPixel || AlphaOf(frame.canvas[i]) == 0xFF);
            }
        }
        frames = player.frames();
    }
    FUZZ_CHECK(OpenDescriptorCount() == descriptors_before);

    // Where giflib's walk meets the same records as ours (an extension whose
    // first sub-block is empty ends there for us and for browsers; giflib's
    // reading of the whole file goes on past it).
    const size_t giflib_images = opened ? GiflibImageCount(input) : 0;
    if (giflib_images > 0) FUZZ_CHECK(frames == giflib_images);
    return 0;
}
