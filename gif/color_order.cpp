#include "gif/color_order.h"

std::vector<uint16_t> OrderForNarrowCodes(size_t colors, const std::vector<std::vector<uint16_t>>& frames) {
    std::vector<std::vector<uint32_t>> frames_with(colors);
    std::vector<size_t> lacking(frames.size());
    for (size_t f = 0; f < frames.size(); ++f) {
        lacking[f] = frames[f].size();
        for (uint16_t c : frames[f]) {
            if (c < colors) frames_with[c].push_back(static_cast<uint32_t>(f));
        }
    }
    std::vector<uint16_t> order;
    order.reserve(colors);
    std::vector<bool> placed(colors, false);
    for (size_t step = 0; step < colors; ++step) {
        size_t best = colors;
        double best_value = -1.0;
        for (size_t c = 0; c < colors; ++c) {
            if (placed[c]) continue;
            double value = 0.0;
            for (uint32_t f : frames_with[c]) {
                const double r = static_cast<double>(lacking[f]);
                value += 1.0 / (r * r);
            }
            if (value > best_value) best = c, best_value = value;
        }
        placed[best] = true;
        order.push_back(static_cast<uint16_t>(best));
        for (uint32_t f : frames_with[best]) --lacking[f];
    }
    return order;
}
