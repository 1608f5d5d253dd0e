// Pixels as a browser shows them, for the compositor and what compares
// frames.
#ifndef ZORVANE_GIF_CANVAS_H
#define ZORVANE_GIF_CANVAS_H

#include <cstdint>

// One pixel as shown: 0 is fully transparent, anything else is opaque,
// 0xFF000000 | r << 16 | g << 8 | b.
using Rgba = uint32_t;

constexpr Rgba kClearPixel = 0;
constexpr Rgba kOpaqueAlpha = 0xFF000000;
constexpr Rgba kOpaqueBlack = kOpaqueAlpha;  // how browsers show an index beyond the colour table

inline Rgba OpaqueRgb(uint8_t r, uint8_t g, uint8_t b) {
    return kOpaqueAlpha | (static_cast<Rgba>(r) << 16) | (static_cast<Rgba>(g) << 8) | b;
}
inline uint8_t RedOf(Rgba pixel) { return static_cast<uint8_t>(pixel >> 16); }
inline uint8_t GreenOf(Rgba pixel) { return static_cast<uint8_t>(pixel >> 8); }
inline uint8_t BlueOf(Rgba pixel) { return static_cast<uint8_t>(pixel); }
inline uint8_t AlphaOf(Rgba pixel) { return static_cast<uint8_t>(pixel >> 24); }

#endif  // ZORVANE_GIF_CANVAS_H
