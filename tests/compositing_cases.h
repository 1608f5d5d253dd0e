// Small animations with the frames a browser shows for them, worked out by
// hand: the table of cases of the compositor's test, and (those that
// Chromium plays) inputs that scripts/check-play.sh compares with Chromium.
#ifndef ZORVANE_TESTS_COMPOSITING_CASES_H
#define ZORVANE_TESTS_COMPOSITING_CASES_H

#include <cstdint>
#include <string>
#include <vector>

#include "gif_fixture.h"

struct CompositingCase {
    const char* name;  // also the file name, without ".gif"
    Bytes gif;
    uint32_t width, height;  // of the canvas
    // Each frame as shown, its rows joined by '/': '.' is transparent, a
    // digit k the colour of entry k of a table GifBuilder::ColorTable(n)
    // made, 'k' opaque black.
    std::vector<std::string> frames;
    bool damaged = false;  // the last frame's data is cut short (Chromium refuses to show it)
};

std::vector<CompositingCase> CompositingCases();

#endif  // ZORVANE_TESTS_COMPOSITING_CASES_H
