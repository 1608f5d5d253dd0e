#include "gif/natural_order.h"

#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char FoldAsciiCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares the digit runs at *a and *b by value and moves both past them.
// Negative, zero or positive like strcmp; `zeros` receives the difference in
// leading zeros (more zeros sort later), for ties.
int CompareNumbers(const char** a, const char** b, int* zeros) {
    const char* x = *a;
    const char* y = *b;
    const char* x_start = x;
    const char* y_start = y;
    while (*x == '0') ++x;
    while (*y == '0') ++y;
    if (*zeros == 0) *zeros = static_cast<int>((x - x_start) - (y - y_start));
    const char* x_digits = x;
    const char* y_digits = y;
    while (IsDigit(*x)) ++x;
    while (IsDigit(*y)) ++y;
    *a = x;
    *b = y;
    const size_t x_length = static_cast<size_t>(x - x_digits);
    const size_t y_length = static_cast<size_t>(y - y_digits);
    if (x_length != y_length) return x_length < y_length ? -1 : 1;
    return std::memcmp(x_digits, y_digits, x_length);
}

}  // namespace

bool NaturalLess(const char* a, const char* b) {
    const char* x = a;
    const char* y = b;
    int zeros = 0;
    while (*x && *y) {
        if (IsDigit(*x) && IsDigit(*y)) {
            const int order = CompareNumbers(&x, &y, &zeros);
            if (order != 0) return order < 0;
            continue;
        }
        const unsigned char cx = static_cast<unsigned char>(FoldAsciiCase(*x));
        const unsigned char cy = static_cast<unsigned char>(FoldAsciiCase(*y));
        if (cx != cy) return cx < cy;
        ++x;
        ++y;
    }
    if (*x || *y) return *y != '\0';  // the shorter name first
    if (zeros != 0) return zeros < 0;
    return std::strcmp(a, b) < 0;
}
