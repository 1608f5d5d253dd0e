// Converts the text of a delay field to the 16-bit delay a frame carries.
#ifndef ZORVANE_GIF_DELAY_TEXT_H
#define ZORVANE_GIF_DELAY_TEXT_H

#include <cstdint>

// Blanks around the text are ignored. A plain run of decimal digits whose
// value is below 2^32 gives that value's low 16 bits; anything else (empty,
// signs, letters, separators, 2^32 or more) gives 0.
uint16_t ParseDelayText(const char* text);

#endif  // ZORVANE_GIF_DELAY_TEXT_H
