// The same animation in fewer bytes: a GIF file the core wrote is played
// frame by frame, as a browser composites it, and written again so that it
// plays the same (every pixel of every frame, every delay) in as few bytes
// as this can find.
//
// Each frame becomes the smallest rectangle that differs from what the frame
// before left on the canvas, with the disposal that serves the next frame
// best; pixels that did not change become transparent where that compresses
// smaller; tables hold only the colours used, shared through one global
// table where that saves bytes; the LZW codes are as narrow as the indices
// allow; consecutive identical frames are merged (never those shown for 0 or
// 1 hundredths, which browsers play as 10); a frame's original bytes are kept
// where they are smaller and play the same.
//
// Memory: a few canvases of the screen, whatever the number of frames.
#ifndef ZORVANE_GIF_OPTIMIZER_H
#define ZORVANE_GIF_OPTIMIZER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gif/canvas.h"
#include "gif/output_sink.h"

enum class OptimizeOutcome : uint8_t {
    kWritten,
    kUnreadable,    // the file could not be opened or played
    kDamaged,       // an image's data is damaged: it must not be re-encoded
    kCannotEncode,  // a frame cannot be written as one image of at most 256 colours
};

class GifOptimizer {
public:
    GifOptimizer();
    ~GifOptimizer();
    GifOptimizer(const GifOptimizer&) = delete;
    GifOptimizer& operator=(const GifOptimizer&) = delete;

    // The first pass over `path`: frames, colours, damage. Anything but
    // kWritten means the file is to be kept as it is.
    OptimizeOutcome Analyse(const std::string& path);
    // Where each frame's records start in the file, in playing order.
    const std::vector<uint64_t>& frame_offsets() const { return frame_offsets_; }
    // The delay of each frame, in hundredths.
    const std::vector<uint16_t>& frame_delays() const { return frame_delays_; }

    // The second pass: writes the file again to `sink`, leaving out the
    // frames marked in `drop` (may be null; indexed by frame), each one's
    // delay going to the frame before it. The first frame is never left
    // out.
    OptimizeOutcome Write(OutputSink& sink, const std::vector<uint8_t>* drop);
    size_t frames_written() const { return frames_written_; }
    // The sum of the delays written, in hundredths.
    uint64_t duration_written() const { return duration_written_; }
    // The same as browsers play it.
    uint64_t played_duration_written() const { return played_duration_written_; }

    // The canvases and tables of a run, kept between the passes.
    struct State;

private:
    State* state_;
    std::string path_;
    std::vector<uint64_t> frame_offsets_;
    std::vector<uint16_t> frame_delays_;
    size_t frames_written_ = 0;
    uint64_t duration_written_ = 0;
    uint64_t played_duration_written_ = 0;
};

#endif  // ZORVANE_GIF_OPTIMIZER_H
