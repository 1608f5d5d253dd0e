// A GIF file played frame by frame, each frame composited on the canvas as
// browsers show it.
//
// The canvas is the logical screen, widened and heightened to hold the first
// image wherever it lies (as Chromium does). It starts fully transparent:
// the screen's background colour is never painted. Each image is drawn over
// what the frame before left: its transparent pixels leave the canvas as it
// is, its parts beyond the canvas are not drawn, an index beyond its colour
// table (or any index when there is no table) shows opaque black. Then its
// disposal applies before the next image: 0 and 1 keep it, 2 clears its
// rectangle to transparent, 3 puts back the canvas as it was before it.
//
// Memory: three buffers of the canvas's size and the indices of one image,
// whatever the number of frames.
#ifndef ZORVANE_GIF_GIF_PLAYER_H
#define ZORVANE_GIF_GIF_PLAYER_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/canvas.h"
#include "gif/gif_records.h"
#include "gif/lzw_decoder.h"
#include "platform/file_io.h"

// The largest canvas, and the largest image, the player decodes by default.
constexpr uint64_t kDefaultMaxPlayerPixels = uint64_t{1} << 25;

// One frame as the player gives it; the pointers stay valid until the next
// call to Next or Open.
struct PlayedFrame {
    const Rgba* canvas = nullptr;  // width() * height() pixels, top row first, the frame as shown
    uint16_t delay = 0;            // hundredths of a second, from the graphic control (0 without one)
    bool has_control = false;
    GifGraphicControl control{};           // as read, zeros when there is none
    GifImageDescriptor image{};            // as read
    const uint8_t* color_table = nullptr;  // the table in force (local, else global), RGB triples
    size_t color_table_bytes = 0;          // 0 when there is none
    // The image data ended before its last pixel, held a code out of range,
    // or the image is too large to decode: what was decoded is drawn.
    bool damaged = false;
    // The frame's records in the file: from its graphic control (or its
    // image descriptor's introducer when it has none) to the end of its
    // image data, terminator included.
    uint64_t begin = 0, end = 0;
};

class GifPlayer {
public:
    explicit GifPlayer(uint64_t max_pixels = kDefaultMaxPlayerPixels) : max_pixels_(max_pixels) {}
    ~GifPlayer() { Close(); }
    GifPlayer(const GifPlayer&) = delete;
    GifPlayer& operator=(const GifPlayer&) = delete;

    // Opens a file and reads up to its first image to size the canvas. Null
    // when it can be played; else the message to give.
    const char* Open(const char* path);
    void Close();
    // Decodes and composites the next image. False after the last one (the
    // trailer or the end of the file).
    bool Next(PlayedFrame* frame);

    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    const GifScreenDescriptor& screen() const { return screen_; }
    const LoopingInfo& looping() const { return looping_; }  // the looping block met so far
    size_t frames() const { return frames_; }                // frames given so far

private:
    bool ReadRecordsToImage(GifGraphicControl* control, bool* has_control, uint64_t* begin);
    void ReadExtension(uint8_t label, GifGraphicControl* control, bool* has_control);
    // Decodes the image's data into indices_; false when it is damaged.
    bool DecodeImage(const GifImageDescriptor& image, size_t* written);
    void Draw(const GifImageDescriptor& image, const GifGraphicControl& control, bool has_control, const uint8_t* table,
              size_t table_bytes, size_t written);
    void Dispose();

    uint64_t max_pixels_;
    FileHandle file_{};
    bool open_ = false;
    GifScreenDescriptor screen_{};
    uint8_t global_[kMaxColorTableBytes] = {};
    uint8_t local_[kMaxColorTableBytes] = {};
    uint64_t after_screen_ = 0;  // where the records after the global table begin
    uint32_t width_ = 0, height_ = 0;
    LoopingInfo looping_;
    size_t frames_ = 0;
    LzwDecoder decoder_;
    std::vector<Rgba> canvas_;
    std::vector<Rgba> saved_;  // the canvas before an image of disposal 3
    std::vector<uint8_t> indices_;
    // What the last frame asks for before the next one is drawn.
    uint8_t pending_disposal_ = kDisposeNotSpecified;
    GifImageDescriptor pending_rect_{};
};

// Messages of the player.
extern const char kMsgCanvasTooLarge[];

#endif  // ZORVANE_GIF_GIF_PLAYER_H
