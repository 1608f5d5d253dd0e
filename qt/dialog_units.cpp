#include "qt/dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <cmath>

namespace {

// The letters whose mean width is the font's average character width.
constexpr char kAverageWidthSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kSampleLetters = 52;

constexpr double kQuartersPerCharacter = 4;
constexpr double kEighthsPerLine = 8;

// Values here are never negative: rounding half up is rounding half away from zero.
int RoundHalfUp(double value) { return static_cast<int>(std::floor(value + 0.5)); }

int MapX(const DialogBaseUnits& units, int x) { return RoundHalfUp(x * units.x / kQuartersPerCharacter); }
int MapY(const DialogBaseUnits& units, int y) { return RoundHalfUp(y * units.y / kEighthsPerLine); }

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int sample_width = metrics.horizontalAdvance(QString::fromLatin1(kAverageWidthSample));
    // Mean width of the letters, rounded to the nearest pixel.
    const int average_width = (sample_width / (kSampleLetters / 2) + 1) / 2;
    return DialogBaseUnits{static_cast<double>(average_width), static_cast<double>(metrics.height())};
}

void WidenToFit(DialogBaseUnits* units, int pixels, int dialog_units) {
    const double needed = pixels * kQuartersPerCharacter / dialog_units;
    if (needed > units->x) units->x = needed;
}

void HeightenToFit(DialogBaseUnits* units, int pixels, int dialog_units) {
    const double needed = pixels * kEighthsPerLine / dialog_units;
    if (needed > units->y) units->y = needed;
}

QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int width, int height) {
    const int left = MapX(units, x);
    const int top = MapY(units, y);
    const int right = MapX(units, x + width);
    const int bottom = MapY(units, y + height);
    return QRect(left, top, right - left, bottom - top);
}

QSize MapDialogSize(const DialogBaseUnits& units, int width, int height) {
    return QSize(MapX(units, width), MapY(units, height));
}
