// The order of a shared colour table: frames of few colours get their
// colours at small indices, so their codes are narrow.
#include "gif/color_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The largest index each frame uses once the table is in `order`.
std::vector<size_t> LargestIndices(const std::vector<uint16_t>& order,
                                   const std::vector<std::vector<uint16_t>>& frames) {
    std::vector<size_t> position(order.size());
    for (size_t k = 0; k < order.size(); ++k) position[order[k]] = k;
    std::vector<size_t> largest;
    for (const auto& frame : frames) {
        size_t most = 0;
        for (uint16_t c : frame) most = std::max(most, position[c]);
        largest.push_back(most);
    }
    return largest;
}

TEST(ColorOrderTest, FramesOfFewColoursFindThemEarly) {
    // Colours 0-15 are drawn by four frames of sixteen colours each, given
    // first as the most used; 16-18 only by a frame of three, which by use
    // alone would end at index 18 (5-bit codes).
    std::vector<uint16_t> all(16);
    for (uint16_t c = 0; c < 16; ++c) all[c] = c;
    const std::vector<std::vector<uint16_t>> frames = {all, all, all, all, {16, 17, 18}};
    const std::vector<uint16_t> order = OrderForNarrowCodes(19, frames);
    std::vector<uint16_t> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (uint16_t c = 0; c < 19; ++c) EXPECT_EQ(sorted[c], c) << "every colour once";
    const std::vector<size_t> largest = LargestIndices(order, frames);
    EXPECT_LT(largest[4], 4u);   // three colours and a transparent entry: 2-bit codes
    EXPECT_LT(largest[0], 32u);  // the others need five bits either way
    // Frames drawing nothing, or colours beyond the table, change nothing.
    EXPECT_EQ(OrderForNarrowCodes(3, {{}, {0, 1, 2, 7}}).size(), 3u);
}

}  // namespace
