#include "gif/gif_player.h"

#include <algorithm>
#include <cstring>

#include "gif/file_summary.h"

const char kMsgCanvasTooLarge[] = "The animation's screen is too large to be decoded.";

namespace {

// Reads a colour table; what the file fails to deliver is left as zeros.
void ReadTable(FileHandle file, uint8_t* table, size_t size) {
    const size_t got = FileRead(file, table, size);
    std::memset(table + got, 0, size - got);
}

constexpr size_t kLoopingDataSize = 3;  // sub-block id, count (2 bytes)
constexpr size_t kPaletteSize = 256;

// Rows of an interlaced image in the order they are stored: four passes.
struct InterlacedRows {
    static constexpr uint32_t kStart[4] = {0, 4, 2, 1};
    static constexpr uint32_t kStep[4] = {8, 8, 4, 2};
    uint32_t height;
    unsigned pass = 0;
    uint32_t row = 0;
    explicit InterlacedRows(uint32_t image_height) : height(image_height) { Settle(); }
    // Moves to the next pass with rows when the current one has run out.
    void Settle() {
        while (pass < 4 && row >= height) row = ++pass < 4 ? kStart[pass] : 0;
    }
    void Advance() {
        row += kStep[pass];
        Settle();
    }
};
constexpr uint32_t InterlacedRows::kStart[4];
constexpr uint32_t InterlacedRows::kStep[4];

}  // namespace

const char* GifPlayer::Open(const char* path) {
    Close();
    if (!FileOpenRead(path, &file_)) return kMsgCouldNotOpen;
    open_ = true;
    uint8_t header[kGifHeaderSize] = {};
    if (!IsAcceptedGifHeader(header, FileRead(file_, header, sizeof header))) return kMsgNotAGif;
    uint8_t screen_bytes[kScreenDescriptorSize] = {};
    if (FileRead(file_, screen_bytes, sizeof screen_bytes) != sizeof screen_bytes) return kMsgPrematureEnd;
    screen_ = DecodeScreenDescriptor(screen_bytes);
    if (screen_.packed & kColorTableFlag) ReadTable(file_, global_, ColorTableBytesFor(screen_.packed));
    after_screen_ = FileTell(file_);
    // Chromium widens the canvas to hold the first image.
    GifGraphicControl control;
    bool has_control = false;
    uint64_t begin = 0;
    if (!ReadRecordsToImage(&control, &has_control, &begin)) return kMsgPrematureEnd;
    uint8_t bytes[kImageDescriptorSize] = {};
    if (FileRead(file_, bytes, sizeof bytes) != sizeof bytes) return kMsgPrematureEnd;
    const GifImageDescriptor first = DecodeImageDescriptor(bytes);
    width_ = std::max<uint32_t>(screen_.width, uint32_t{first.left} + first.width);
    height_ = std::max<uint32_t>(screen_.height, uint32_t{first.top} + first.height);
    if (uint64_t{width_} * height_ > max_pixels_) return kMsgCanvasTooLarge;
    if (!FileSeekTo(file_, after_screen_)) return kMsgCouldNotOpen;
    looping_ = LoopingInfo();
    canvas_.assign(size_t{width_} * height_, kClearPixel);
    saved_.assign(canvas_.size(), kClearPixel);
    pending_disposal_ = kDisposeNotSpecified;
    frames_ = 0;
    return nullptr;
}

void GifPlayer::Close() {
    if (open_) FileClose(file_);
    open_ = false;
}

bool GifPlayer::Next(PlayedFrame* frame) {
    *frame = PlayedFrame();
    if (!open_) return false;
    if (!ReadRecordsToImage(&frame->control, &frame->has_control, &frame->begin)) return false;
    uint8_t bytes[kImageDescriptorSize] = {};
    if (FileRead(file_, bytes, sizeof bytes) != sizeof bytes) return false;
    frame->image = DecodeImageDescriptor(bytes);
    frame->delay = frame->control.delay;
    if (frame->image.packed & kColorTableFlag) {
        frame->color_table_bytes = ColorTableBytesFor(frame->image.packed);
        ReadTable(file_, local_, frame->color_table_bytes);
        frame->color_table = local_;
    } else if (screen_.packed & kColorTableFlag) {
        frame->color_table_bytes = ColorTableBytesFor(screen_.packed);
        frame->color_table = global_;
    }
    Dispose();
    const uint8_t disposal = frame->has_control ? DisposalOf(frame->control.packed) : kDisposeNotSpecified;
    if (disposal == kDisposeToPrevious) saved_ = canvas_;
    size_t written = 0;
    frame->damaged = !DecodeImage(frame->image, &written);
    Draw(frame->image, frame->control, frame->has_control, frame->color_table, frame->color_table_bytes, written);
    frame->end = FileTell(file_);
    pending_disposal_ = disposal;
    pending_rect_ = frame->image;
    frame->canvas = canvas_.data();
    ++frames_;
    return true;
}

bool GifPlayer::ReadRecordsToImage(GifGraphicControl* control, bool* has_control, uint64_t* begin) {
    *control = GifGraphicControl();
    *has_control = false;
    uint8_t byte;
    while (FileReadByte(file_, &byte)) {
        if (byte == kTrailer) return false;
        if (byte == kImageIntroducer) {
            if (!*has_control) *begin = FileTell(file_) - 1;
            return true;
        }
        if (byte != kExtensionIntroducer) continue;  // passed over, as the builder's walk does
        const uint64_t at = FileTell(file_) - 1;
        uint8_t label;
        if (!FileReadByte(file_, &label)) return false;
        if (label == kGraphicControlLabel && !*has_control) *begin = at;
        ReadExtension(label, control, has_control);
    }
    return false;
}

void GifPlayer::ReadExtension(uint8_t label, GifGraphicControl* control, bool* has_control) {
    uint8_t block[kMaxSubBlockSize];
    uint8_t size;
    bool first = true, looping_next = false;
    while (FileReadByte(file_, &size) && size != kBlockTerminator) {
        const size_t got = FileRead(file_, block, size);
        if (label == kGraphicControlLabel && first && got >= kGraphicControlBlockSize) {
            uint8_t bytes[kGraphicControlSize] = {kGraphicControlBlockSize};
            std::memcpy(bytes + 1, block, kGraphicControlBlockSize);
            *control = DecodeGraphicControl(bytes);
            *has_control = true;
        } else if (label == kApplicationLabel && first) {
            looping_next = got == kApplicationIdSize && std::memcmp(block, kLoopingApplicationId, got) == 0;
        } else if (looping_next && got >= kLoopingDataSize && block[0] == kLoopSubBlockId) {
            looping_.present = true;
            looping_.count = DecodeLe16(block + 1);
            looping_next = false;
        }
        if (got < size) return;
        first = false;
    }
}

bool GifPlayer::DecodeImage(const GifImageDescriptor& image, size_t* written) {
    *written = 0;
    const uint64_t pixels = uint64_t{image.width} * image.height;
    uint8_t code_size = 0;
    if (!FileReadByte(file_, &code_size)) return false;
    const bool decodable = pixels <= max_pixels_;
    if (decodable) {
        indices_.resize(static_cast<size_t>(pixels));
        decoder_.Start(code_size, indices_.data(), static_cast<size_t>(pixels));
    }
    uint8_t block[kMaxSubBlockSize];
    uint8_t size;
    bool terminated = false;
    while (FileReadByte(file_, &size)) {
        if (size == kBlockTerminator) {
            terminated = true;
            break;
        }
        const size_t got = FileRead(file_, block, size);
        if (decodable && decoder_.status() == LzwStatus::kRunning) decoder_.Feed(block, got);
        if (got < size) break;
    }
    if (!decodable) return false;
    *written = decoder_.written();
    return decoder_.End() == LzwStatus::kFinished && terminated;
}

void GifPlayer::Draw(const GifImageDescriptor& image, const GifGraphicControl& control, bool has_control,
                     const uint8_t* table, size_t table_bytes, size_t written) {
    Rgba palette[kPaletteSize];
    for (size_t i = 0; i < kPaletteSize; ++i) {
        palette[i] =
            3 * i + 2 < table_bytes ? OpaqueRgb(table[3 * i], table[3 * i + 1], table[3 * i + 2]) : kOpaqueBlack;
    }
    const bool transparent = has_control && (control.packed & kTransparentFlag);
    const uint32_t left = image.left, top = image.top;
    const uint32_t columns = left < width_ ? std::min<uint32_t>(image.width, width_ - left) : 0;
    const bool interlaced = (image.packed & kInterlaceFlag) != 0;
    InterlacedRows passes(image.height);
    for (uint32_t stored = 0; stored < image.height; ++stored) {
        const uint32_t row = interlaced ? passes.row : stored;
        if (interlaced) passes.Advance();
        const size_t first = size_t{stored} * image.width;
        if (first >= written) break;
        if (top + row >= height_ || columns == 0) continue;
        const uint8_t* indices = indices_.data() + first;
        Rgba* out = canvas_.data() + size_t{top + row} * width_ + left;
        const size_t count = std::min<size_t>(columns, written - first);
        for (size_t x = 0; x < count; ++x) {
            if (transparent && indices[x] == control.transparent_index) continue;
            out[x] = palette[indices[x]];
        }
    }
}

void GifPlayer::Dispose() {
    if (pending_disposal_ == kDisposeToPrevious) {
        canvas_ = saved_;
    } else if (pending_disposal_ == kDisposeToBackground) {
        const GifImageDescriptor& rect = pending_rect_;
        const uint32_t right = std::min<uint32_t>(width_, uint32_t{rect.left} + rect.width);
        const uint32_t bottom = std::min<uint32_t>(height_, uint32_t{rect.top} + rect.height);
        for (uint32_t y = rect.top; y < bottom; ++y) {
            for (uint32_t x = rect.left; x < right; ++x) canvas_[size_t{y} * width_ + x] = kClearPixel;
        }
    }
    pending_disposal_ = kDisposeNotSpecified;
}
