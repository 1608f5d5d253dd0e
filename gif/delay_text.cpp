#include "gif/delay_text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr uint64_t kLimit = 1ull << 32;  // values from here on give 0

}  // namespace

uint16_t ParseDelayText(const char* text) {
    if (!text) return 0;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    if (!IsDigit(*p)) return 0;
    uint64_t value = 0;
    for (; IsDigit(*p); ++p) {
        value = value * 10 + static_cast<uint64_t>(*p - '0');
        if (value >= kLimit) return 0;
    }
    while (IsBlank(*p)) ++p;
    if (*p != '\0') return 0;
    return static_cast<uint16_t>(value & 0xFFFFu);
}

std::string FormatFrameCount(size_t frames, size_t clearing) {
    std::string text = std::to_string(frames) + (frames == 1 ? " frame" : " frames");
    if (clearing > 0) {
        text += " (" + std::to_string(clearing) + " added to clear the canvas between animations)";
    }
    return text;
}
