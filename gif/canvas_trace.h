// What an animation may leave drawn on the canvas, followed from its records
// alone (positions, sizes, disposals and transparency; never a pixel).
#ifndef ZORVANE_GIF_CANVAS_TRACE_H
#define ZORVANE_GIF_CANVAS_TRACE_H

#include <algorithm>
#include <cstdint>

#include "gif/gif_records.h"

// A rectangle of the output's canvas, [left, right) x [top, bottom); empty
// when it has no area.
struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    bool Within(const Rect& outer) const {
        return Empty() || (left >= outer.left && top >= outer.top && right <= outer.right && bottom <= outer.bottom);
    }
    void Add(const Rect& other) {
        if (other.Empty()) return;
        if (Empty()) {
            *this = other;
            return;
        }
        left = std::min(left, other.left);
        top = std::min(top, other.top);
        right = std::max(right, other.right);
        bottom = std::max(bottom, other.bottom);
    }
};

inline Rect RectOf(const GifImageDescriptor& image) {
    return {image.left, image.top, image.left + image.width, image.top + image.height};
}

// Where pixels may be left on the canvas as an entry plays, from the records
// alone: the bounding box of what its frames drew and did not dispose of.
// It starts clear, as a decoder's canvas does.
class CanvasTrace {
public:
    // The frame is drawn on whatever the canvas holds: true when its
    // pixels do not depend on that (the canvas is clear, or the frame is
    // opaque and covers all that is there).
    bool StandsAlone(const Rect& frame, bool transparent) const {
        return dirty_.Empty() || (!transparent && dirty_.Within(frame));
    }
    // The frame has been shown and is now disposed of.
    void Dispose(const Rect& frame, uint8_t disposal) {
        switch (disposal) {
            case kDisposeToBackground:
                if (dirty_.Within(frame)) dirty_ = Rect();  // else a part of it stays
                break;
            case kDisposeToPrevious:
                break;  // back to what was there before the frame
            default:
                dirty_.Add(frame);
                break;
        }
    }
    const Rect& dirty() const { return dirty_; }
    void Clear() { dirty_ = Rect(); }

private:
    Rect dirty_;
};

#endif  // ZORVANE_GIF_CANVAS_TRACE_H
