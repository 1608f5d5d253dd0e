#include "gif/frame_summary.h"

#include <cstdio>
#include <cstring>

#include "gif/gif_records.h"
#include "platform/file_io.h"

const char kMsgCouldNotOpen[] = "Could not open file.";

size_t FormatFrameSummary(unsigned width, unsigned height, const char* palette_kind, unsigned bits_per_pixel, char* out,
                          size_t out_size) {
    int written = std::snprintf(out, out_size, "%u x %u\n%s (%u bpp)", width, height, palette_kind, bits_per_pixel);
    if (written < 0) {
        if (out_size > 0) out[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(written) < out_size ? static_cast<size_t>(written) : out_size - 1;
}

void InspectFrame(const char* display_name, const char* path, InspectionCaller& caller) {
    uint8_t header_bytes[kGifHeaderSize] = {};
    uint8_t screen_bytes[kScreenDescriptorSize] = {};
    uint8_t image_bytes[kImageDescriptorSize] = {};

    char buffer[kInspectionBufferSize];
    std::strncpy(buffer, display_name, sizeof buffer - 1);
    buffer[sizeof buffer - 1] = '\0';
    caller.SetFrameName(buffer);

    FileHandle file;
    if (!FileOpenRead(path, &file)) {
        caller.ShowWarning(kMsgCouldNotOpen);
        return;
    }
    size_t header_count = FileRead(file, header_bytes, sizeof header_bytes);
    if (!IsAcceptedGifHeader(header_bytes, header_count)) {
        caller.ShowWarning(kMsgNotAGif);
        FileClose(file);
        return;
    }
    FileRead(file, screen_bytes, sizeof screen_bytes);
    const GifScreenDescriptor screen = DecodeScreenDescriptor(screen_bytes);
    if (screen.packed & kColorTableFlag) FileSkip(file, ColorTableBytesFor(screen.packed));

    if (BlockScan(file, nullptr) == BlockScanResult::kPrematureEnd) {
        caller.ShowWarning(kMsgPrematureEnd);
        FileClose(file);
        return;
    }
    FileRead(file, image_bytes, sizeof image_bytes);
    FileClose(file);
    const GifImageDescriptor image = DecodeImageDescriptor(image_bytes);

    const char* kind;
    unsigned bits;
    if (image.packed & kColorTableFlag) {
        kind = "local";
        bits = (image.packed & kColorTableSizeMask) + 1u;
    } else {
        kind = (screen.packed & kColorTableFlag) ? "global" : "none";
        bits = (screen.packed & kColorTableSizeMask) + 1u;
    }
    FormatFrameSummary(screen.width, screen.height, kind, bits, buffer, sizeof buffer);
    caller.SetFrameSummary(buffer);
}
