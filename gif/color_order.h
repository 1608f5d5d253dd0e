// The order of a shared colour table. A frame's LZW codes are as wide as its
// largest index needs, so a frame that draws few colours is written in fewer
// bits when all of them come early in the table.
#ifndef ZORVANE_GIF_COLOR_ORDER_H
#define ZORVANE_GIF_COLOR_ORDER_H

#include <cstddef>
#include <cstdint>
#include <vector>

// `frames` holds, for each frame, the indices (below `colors`) of the
// colours it draws. Returns the colours in the order to write them:
// order[k] is the index of the colour that goes to entry k.
//
// Greedily, one entry at a time: the colour that most helps the frames
// nearest to having all their colours placed (each frame adds 1 / r^2,
// r being the colours it still lacks), so that frames of few colours are
// completed at small indices. Ties keep the order given, which should be
// the colours by how many frames draw them.
std::vector<uint16_t> OrderForNarrowCodes(size_t colors, const std::vector<std::vector<uint16_t>>& frames);

#endif  // ZORVANE_GIF_COLOR_ORDER_H
