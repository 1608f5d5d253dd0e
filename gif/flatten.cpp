#include "gif/flatten.h"

#include <cstring>
#include <vector>

#include "gif/build_plan.h"
#include "gif/gif_player.h"
#include "gif/gif_records.h"
#include "gif/lzw_writer.h"
#include "gif/output_sink.h"

const char kMsgCannotPlayBackwards[] =
    "A frame of it shows more than 256 colours at once, so it cannot be played backwards.";
const char kMsgCouldNotWriteScratch[] = "Could not write a temporary file to play it backwards.";

namespace {

constexpr size_t kMaxColors = 256;
constexpr uint16_t kLargestSide = 0xFFFF;
constexpr uint8_t kTransparentIndex = 0;  // when a frame has clear pixels

// The colours of one frame, each given the next free index.
class FramePalette {
public:
    void Reset(bool transparent) {
        std::memset(slots_, 0, sizeof slots_);
        count_ = transparent ? 1 : 0;
    }
    // The index of `pixel` (opaque); false when the frame has too many colours.
    bool IndexOf(Rgba pixel, uint8_t* index) {
        unsigned slot = Hash(pixel);
        while (slots_[slot].used) {
            if (slots_[slot].pixel == pixel) {
                *index = slots_[slot].index;
                return true;
            }
            slot = (slot + 1) & kSlotMask;
        }
        if (count_ == kMaxColors) return false;
        colors_[count_] = pixel;
        slots_[slot] = {pixel, static_cast<uint8_t>(count_), true};
        *index = static_cast<uint8_t>(count_++);
        return true;
    }
    size_t count() const { return count_; }
    const Rgba* colors() const { return colors_; }

private:
    static constexpr unsigned kSlotBits = 10;  // four times the colours a frame may have
    static constexpr unsigned kSlotMask = (1u << kSlotBits) - 1;
    static constexpr uint32_t kHashMultiplier = 2654435761u;
    static unsigned Hash(Rgba pixel) { return (pixel * kHashMultiplier) >> (32 - kSlotBits); }
    struct Slot {
        Rgba pixel;
        uint8_t index;
        bool used;
    };
    Slot slots_[1u << kSlotBits];
    Rgba colors_[kMaxColors] = {};
    size_t count_ = 0;
};

// The size field of the smallest table of at least `count` entries (2 at least).
uint8_t SizeFieldFor(size_t count) {
    uint8_t field = 0;
    while ((size_t{2} << field) < count) ++field;
    return field;
}

// Writes one frame; false when it has too many colours.
bool WriteFrame(OutputSink& sink, const PlayedFrame& frame, uint16_t width, uint16_t height, FramePalette* palette,
                std::vector<uint8_t>* indices, LzwEncoder* encoder, std::vector<uint8_t>* data) {
    const size_t pixels = size_t{width} * height;
    bool transparent = false;
    for (size_t i = 0; i < pixels && !transparent; ++i) transparent = frame.canvas[i] == kClearPixel;
    palette->Reset(transparent);
    indices->resize(pixels);
    for (size_t i = 0; i < pixels; ++i) {
        const Rgba pixel = frame.canvas[i];
        if (pixel == kClearPixel) {
            (*indices)[i] = kTransparentIndex;
        } else if (i > 0 && pixel == frame.canvas[i - 1]) {
            (*indices)[i] = (*indices)[i - 1];
        } else if (!palette->IndexOf(pixel, &(*indices)[i])) {
            return false;
        }
    }
    const uint8_t size_field = SizeFieldFor(palette->count());
    GifGraphicControl control = {};
    control.block_size = kGraphicControlBlockSize;
    control.packed = WithDisposal(transparent ? kTransparentFlag : 0, kDisposeToBackground);
    control.delay = frame.delay;
    control.transparent_index = kTransparentIndex;
    GifImageDescriptor image = {0, 0, width, height, static_cast<uint8_t>(kColorTableFlag | size_field)};
    uint8_t control_bytes[kGraphicControlSize];
    uint8_t image_bytes[kImageDescriptorSize];
    uint8_t table[kMaxColorTableBytes] = {};
    EncodeGraphicControl(control, control_bytes);
    EncodeImageDescriptor(image, image_bytes);
    for (size_t k = transparent ? 1 : 0; k < palette->count(); ++k) {
        const Rgba color = palette->colors()[k];
        table[3 * k] = RedOf(color);
        table[3 * k + 1] = GreenOf(color);
        table[3 * k + 2] = BlueOf(color);
    }
    sink.WriteByte(kExtensionIntroducer);
    sink.WriteByte(kGraphicControlLabel);
    sink.Write(control_bytes, sizeof control_bytes);
    sink.WriteByte(kImageIntroducer);
    sink.Write(image_bytes, sizeof image_bytes);
    sink.Write(table, ColorTableBytesFor(image.packed));
    data->clear();
    encoder->Encode(data, indices->data(), pixels, static_cast<uint8_t>(size_field + 1));
    sink.Write(data->data(), data->size());
    return true;
}

}  // namespace

const char* FlattenAnimation(const char* path, TemporaryFile* scratch) {
    GifPlayer player;
    if (const char* message = player.Open(path)) return message;
    if (player.width() > kLargestSide || player.height() > kLargestSide) return kMsgCanvasTooLarge;
    const uint16_t width = static_cast<uint16_t>(player.width());
    const uint16_t height = static_cast<uint16_t>(player.height());
    if (!FileCreateScratch(scratch)) return kMsgCouldNotWriteScratch;
    OutputSink sink(&scratch->file);
    sink.Write(kGif89aHeader, sizeof kGif89aHeader);
    uint8_t screen_bytes[kScreenDescriptorSize];
    EncodeScreenDescriptor({width, height, 0, 0, 0}, screen_bytes);
    sink.Write(screen_bytes, sizeof screen_bytes);
    FramePalette palette;
    std::vector<uint8_t> indices;
    LzwEncoder encoder;  // its table and the image data made once for every frame
    std::vector<uint8_t> data;
    PlayedFrame frame;
    const char* message = nullptr;
    while (!message && player.Next(&frame)) {
        if (!WriteFrame(sink, frame, width, height, &palette, &indices, &encoder, &data))
            message = kMsgCannotPlayBackwards;
    }
    sink.WriteByte(kTrailer);
    if (!message && !sink.ok()) message = kMsgCouldNotWriteScratch;
    if (!FileClose(scratch->file) && !message) message = kMsgCouldNotWriteScratch;
    if (message) FileDiscard(scratch);
    return message;
}
