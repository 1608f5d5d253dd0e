#include "gif/file_summary.h"

#include <cstdio>

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

namespace {

// Skips an image's local table and its data up to the terminator.
void SkipImage(FileHandle file, const GifImageDescriptor& image) {
    if (image.packed & kColorTableFlag) FileSkip(file, ColorTableBytesFor(image.packed));
    FileSkip(file, 1);  // LZW minimum code size
    uint8_t length;
    while (FileReadByte(file, &length) && length != kBlockTerminator) FileSkip(file, length);
}

ImageInfo DescribeImage(size_t index, const GifImageDescriptor& image, const GifGraphicControl& control,
                        const GifScreenDescriptor& screen) {
    ImageInfo info;
    info.index = index;
    info.left = image.left;
    info.top = image.top;
    info.width = image.width;
    info.height = image.height;
    info.delay = control.delay;
    info.disposal = DisposalOf(control.packed);
    info.transparent = (control.packed & kTransparentFlag) != 0;
    info.transparent_index = control.transparent_index;
    info.local_table = (image.packed & kColorTableFlag) != 0;
    const uint8_t table_packed = info.local_table ? image.packed : screen.packed;
    info.table_bits = (table_packed & kColorTableFlag) ? (table_packed & kColorTableSizeMask) + 1u : 0;
    info.interlaced = (image.packed & kInterlaceFlag) != 0;
    return info;
}

}  // namespace

FileSummary InspectFile(const char* path, InspectDepth depth, ImageVisitor* visitor) {
    FileSummary summary;
    FileHandle file;
    if (!FileOpenRead(path, &file)) {
        summary.message = kMsgCouldNotOpen;
        return summary;
    }
    uint8_t header_bytes[kGifHeaderSize] = {};
    const size_t header_count = FileRead(file, header_bytes, sizeof header_bytes);
    if (!IsAcceptedGifHeader(header_bytes, header_count)) {
        summary.message = header_count == 0 ? kMsgFileEmpty : kMsgNotAGif;
        FileClose(file);
        return summary;
    }
    uint8_t screen_bytes[kScreenDescriptorSize] = {};
    FileRead(file, screen_bytes, sizeof screen_bytes);
    const GifScreenDescriptor screen = DecodeScreenDescriptor(screen_bytes);
    if (screen.packed & kColorTableFlag) FileSkip(file, ColorTableBytesFor(screen.packed));

    LoopingInfo looping;
    for (size_t index = 0;; ++index) {
        GifGraphicControl control = {};
        const BlockScanResult found = ScanBlocks(file, &control, index > 0, &looping);
        if (found != BlockScanResult::kFound) {
            if (index == 0) summary.message = kMsgPrematureEnd;
            break;
        }
        uint8_t image_bytes[kImageDescriptorSize] = {};
        FileRead(file, image_bytes, sizeof image_bytes);
        const GifImageDescriptor image = DecodeImageDescriptor(image_bytes);
        const ImageInfo info = DescribeImage(index, image, control, screen);
        if (index == 0) {
            summary.width = screen.width;
            summary.height = screen.height;
            // The depth shown is that of the size field in force, even when no
            // table follows it.
            const uint8_t table_packed = info.local_table ? image.packed : screen.packed;
            summary.palette_kind = info.local_table ? "local" : (screen.packed & kColorTableFlag) ? "global" : "none";
            summary.bits_per_pixel = (table_packed & kColorTableSizeMask) + 1u;
        }
        ++summary.images;
        summary.duration += info.delay;
        if (visitor) visitor->Image(info);
        if (depth == InspectDepth::kFirstImage) break;
        SkipImage(file, image);
    }
    FileClose(file);
    summary.has_looping_block = looping.present;
    summary.loop_count = looping.count;
    return summary;
}
