// Fuzz target: InspectFile over any file, its first image and the whole walk.
//
// Every run must end with the name shown and then exactly one summary or one
// warning, no descriptor left open, and a result that agrees with independent
// readings of the bytes: the not-a-GIF warning exactly when the first six
// bytes are not "GIF87a"/"GIF89a" (the empty-file one when there is no
// byte); a summary whose size is the logical
// screen's (zero where the file ends) and whose palette kind and depth agree
// with giflib's record reader wherever giflib reaches the first image over
// the same records (see ControlsReadAlike).
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "gif/file_summary.h"
#include "gif/gif_records.h"
#include "giflib_check.h"
#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = ScratchDir() + "/inspect.gif";
    const Bytes input(data, data + size);
    WriteWholeFile(path, input);

    const int descriptors_before = OpenDescriptorCount();
    const FileSummary first = InspectFile(path.c_str(), InspectDepth::kFirstImage);
    FUZZ_CHECK(OpenDescriptorCount() == descriptors_before);
    const FileSummary whole = InspectFile(path.c_str(), InspectDepth::kWholeFile);
    FUZZ_CHECK(OpenDescriptorCount() == descriptors_before);
    // The whole walk agrees with the first image's summary.
    FUZZ_CHECK((first.message == nullptr) == (whole.message == nullptr));
    FUZZ_CHECK(first.width == whole.width && first.height == whole.height);
    FUZZ_CHECK(first.bits_per_pixel == whole.bits_per_pixel && first.images <= whole.images);
    std::string result;
    if (first.message) {
        result = std::string("warning ") + first.message;
    } else {
        char text[128];
        FormatFrameSummary(first.width, first.height, first.palette_kind, first.bits_per_pixel, text, sizeof text);
        result = std::string("summary ") + text;
    }

    if (!HasAcceptedHeader(input)) {
        FUZZ_CHECK(result == std::string("warning ") + (input.empty() ? kMsgFileEmpty : kMsgNotAGif));
        return 0;
    }
    GifReadOptions first_image;
    first_image.first_image_only = first_image.pass_refused_code_size = true;
    DecodedGif walk;
    ReadGifBytes(input, first_image, &walk);
    const bool giflib_found_image = !walk.images.empty() && ControlsReadAlike(walk.images[0]);
    if (result == std::string("warning ") + kMsgPrematureEnd) {
        FUZZ_CHECK(!giflib_found_image);
        return 0;
    }
    // Anything else must be a well-formed summary: "W x H\nKIND (N bpp)".
    unsigned width = 0, height = 0, bits = 0;
    char kind[16] = {};
    FUZZ_CHECK(std::sscanf(result.c_str(), "summary %u x %u %15s (%u bpp)", &width, &height, kind, &bits) == 4);
    char expected[128];
    std::snprintf(expected, sizeof expected, "summary %u x %u\n%s (%u bpp)", width, height, kind, bits);
    FUZZ_CHECK(result == expected);
    FUZZ_CHECK(width == Le16At(input, kScreenWidthOffset));
    FUZZ_CHECK(height == Le16At(input, kScreenHeightOffset));
    FUZZ_CHECK(bits >= 1 && bits <= 8);
    const std::string palette(kind);
    FUZZ_CHECK(palette == "local" || palette == "global" || palette == "none");
    if (!giflib_found_image) return 0;
    const DecodedImage& image = walk.images[0];
    if (image.local_bits > 0) {
        FUZZ_CHECK(palette == "local" && static_cast<int>(bits) == image.local_bits);
    } else if (walk.global_bits > 0) {
        FUZZ_CHECK(palette == "global" && static_cast<int>(bits) == walk.global_bits);
    } else {
        FUZZ_CHECK(palette == "none");
    }
    return 0;
}
