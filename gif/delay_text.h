// Converts the text of a delay field to the 16-bit delay a frame carries.
#ifndef ZORVANE_GIF_DELAY_TEXT_H
#define ZORVANE_GIF_DELAY_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>

// Blanks around the text are ignored. A plain run of decimal digits whose
// value is below 2^32 gives that value's low 16 bits; anything else (empty,
// signs, letters, separators, 2^32 or more) gives 0.
uint16_t ParseDelayText(const char* text);

// How long browsers show a frame of `delay` hundredths: a delay of 0 or 1
// plays as 10.
constexpr uint16_t kShortestPlayedDelay = 2;
constexpr uint16_t kShortDelayPlayedAs = 10;
constexpr uint16_t PlayedDelay(uint16_t delay) { return delay < kShortestPlayedDelay ? kShortDelayPlayedAs : delay; }

// "1 frame", "12 frames", or with frames added between animations to clear
// the canvas "104 frames (3 added to clear the canvas between animations)".
// `frames` counts them all.
std::string FormatFrameCount(size_t frames, size_t clearing);

#endif  // ZORVANE_GIF_DELAY_TEXT_H
