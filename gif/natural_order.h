// The order people expect of numbered file names: frame2 before frame10.
#ifndef ZORVANE_GIF_NATURAL_ORDER_H
#define ZORVANE_GIF_NATURAL_ORDER_H

// True when `a` sorts before `b`: runs of decimal digits compare by their
// value (leading zeros ignored, then fewer zeros first), everything else
// byte by byte with the case of ASCII letters ignored; names equal so far
// are ordered byte by byte, so the order is total. No locale takes part.
bool NaturalLess(const char* a, const char* b);

#endif  // ZORVANE_GIF_NATURAL_ORDER_H
