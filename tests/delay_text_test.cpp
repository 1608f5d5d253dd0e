// The delay field's text: plain decimal digits, blanks around ignored.
#include "gif/delay_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// 2^64 + 10 wraps to 10 in a 64-bit accumulator that does not stop at 2^32;
// leading zeros do not count towards the limit.
TEST(DelayTextTest, Converts) {
    const std::pair<std::string, uint16_t> cases[] = {{"   ", 0},
                                                      {"0", 0},
                                                      {"10", 10},
                                                      {" \t 7 \t ", 7},
                                                      {"0010", 10},
                                                      {"65535", 65535},
                                                      {"65536", 0},
                                                      {"70000", 4464},
                                                      {"4294967295", 65535},
                                                      {"4294967296", 0},
                                                      {"4294967297", 0},
                                                      {"4295037296", 0},  // 2^32 + 70000
                                                      {"18446744073709551626", 0},
                                                      {std::string(40, '9'), 0},
                                                      {std::string(30, '0') + "70000", 4464}};
    for (const auto& c : cases) EXPECT_EQ(ParseDelayText(c.first.c_str()), c.second) << '"' << c.first << '"';
    for (const char* zero : {"", "+5", "-5", "1,000", "1.5", "1 0", "12a", "a12", "0x10", "99999999999"})
        EXPECT_EQ(ParseDelayText(zero), 0) << '"' << zero << '"';
}

}  // namespace
