// An animation written again frame by frame, each frame whole and standing
// alone: what lets images drawn over one another play in another order.
#ifndef ZORVANE_GIF_FLATTEN_H
#define ZORVANE_GIF_FLATTEN_H

#include "platform/file_io.h"

// Plays every image of the GIF file at `path` as a browser shows it
// (GifPlayer) and writes each frame as shown into `scratch`, a new scratch
// file (FileCreateScratch) left closed: a GIF89a of the canvas's size, each
// frame a full-screen image with a local table of its colours, transparent
// where the canvas is clear, its own delay, and disposal "restore to
// background". Null on success (the caller discards the scratch file);
// else the message to give, and no scratch file is left.
const char* FlattenAnimation(const char* path, TemporaryFile* scratch);

// (kMsgCannotPlayBackwards, in build_plan.h: a frame of the animation shows
// more colours than one image can hold.)
// No scratch file could be made or written.
extern const char kMsgCouldNotWriteScratch[];

#endif  // ZORVANE_GIF_FLATTEN_H
