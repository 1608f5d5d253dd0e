// Summary of one frame file for the info panel: logical screen size and the
// palette its first image uses.
#ifndef ZORVANE_GIF_FRAME_SUMMARY_H
#define ZORVANE_GIF_FRAME_SUMMARY_H

#include <cstddef>

// What inspection asks of the window that shows it, in this order: the name
// field first; then, after the file is closed, the summary on success, or a
// warning before the file is closed on failure.
struct InspectionCaller {
    virtual void SetFrameName(const char* name) = 0;
    virtual void SetFrameSummary(const char* summary) = 0;
    virtual void ShowWarning(const char* message) = 0;

protected:
    ~InspectionCaller() = default;
};

// The name and summary pass through one buffer of this size; longer display
// names are cut to its length less the terminator.
constexpr size_t kInspectionBufferSize = 256;

extern const char kMsgCouldNotOpen[];

// Formats "W x H\nKIND (N bpp)" into `out`; returns the length written.
size_t FormatFrameSummary(unsigned width, unsigned height, const char* palette_kind, unsigned bits_per_pixel, char* out,
                          size_t out_size);

void InspectFrame(const char* display_name, const char* path, InspectionCaller& caller);

#endif  // ZORVANE_GIF_FRAME_SUMMARY_H
