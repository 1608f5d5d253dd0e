// The frame list: the entries of the main dialog's list box, in the order
// they were dropped. Each item shows a display name and owns its full path,
// allocated on the program's heap, as item data.
#ifndef ZORVANE_WIN_FRAME_LIST_H
#define ZORVANE_WIN_FRAME_LIST_H

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstddef>

// Appends one entry per dropped file, releases the drop and enables the
// build button. Selection and info panel stay as they are.
void AddDroppedFiles(HWND dialog, HDROP drop);

// Frees and deletes the selected entry, if any; disables the build button
// when the list is then empty. The info panel keeps its texts.
void RemoveSelectedFrame(HWND dialog);

// Frees and deletes every entry, blanks the info panel and disables the
// build button.
void ClearAllFrames(HWND dialog);

size_t FrameCount(HWND dialog);
// Path of entry `index`; null when there is no such entry.
const char* FramePathAt(HWND dialog, size_t index);
// Index of the selected entry, or -1.
int SelectedFrame(HWND dialog);

// Copies the display name of entry `index` into `out` (of `out_size` bytes,
// at least 1), cut short when it does not fit: never more than out_size - 1
// bytes and the terminator, and never half a double-byte character.
void CopyDisplayName(HWND dialog, int index, char* out, size_t out_size);

// The part of `path` after its last backslash (the whole path when it has
// none).
const char* DisplayNameOf(const char* path);

#endif  // ZORVANE_WIN_FRAME_LIST_H
