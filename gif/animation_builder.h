// Writes one animated GIF89a from the first image of each frame file,
// copying compressed image data byte for byte.
#ifndef ZORVANE_GIF_ANIMATION_BUILDER_H
#define ZORVANE_GIF_ANIMATION_BUILDER_H

#include <cstddef>
#include <cstdint>

enum class MessageIcon { kPlain, kWarning };

// What a build asks of its caller, at the moments noted.
struct BuildOptions {
    // First of all, before any file is touched. Null cancels the run.
    // The text must stay valid until the run ends.
    virtual const char* OutputPath() = 0;
    // Once, after the header and the placeholder screen descriptor.
    virtual bool LoopFlag() = 0;
    // Before the output is created (to guard the frames), before the first
    // frame and again after each frame.
    virtual size_t FrameCount() = 0;
    // When frame i is about to be opened (and when the frames are guarded).
    virtual const char* FramePath(size_t index) = 0;
    // Once per frame, after its descriptor and colour table have been read;
    // the low 16 bits are used.
    virtual unsigned Delay() = 0;
    // On each failure, before the open files are closed.
    virtual void ShowMessage(const char* text, MessageIcon icon) = 0;

protected:
    ~BuildOptions() = default;
};

extern const char kMsgBuildCouldNotOpen[];
extern const char kMsgOutputIsFrame[];
extern const char kMsgCouldNotCreateOutput[];
extern const char kMsgCouldNotWriteOutput[];

void BuildAnimation(BuildOptions& options);

#endif  // ZORVANE_GIF_ANIMATION_BUILDER_H
