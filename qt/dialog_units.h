// Converts the window's layout, written in dialog units, to pixels of the
// window's font the way the classic dialog manager does: a horizontal unit is
// a quarter of the font's average character width, a vertical unit an eighth
// of its height.
#ifndef ZORVANE_QT_DIALOG_UNITS_H
#define ZORVANE_QT_DIALOG_UNITS_H

#include <QFont>
#include <QRect>
#include <QSize>

struct DialogBaseUnits {
    double x;  // average character width in pixels
    double y;  // character height in pixels
};

// The base units of `font`, in whole pixels as the dialog manager takes them.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// Widens `units` where needed so that `pixels` fit in `dialog_units`.
// Fonts whose glyphs are wide for their average (as most are next to the
// bitmap font the layout was drawn for) would otherwise cut texts short.
void WidenToFit(DialogBaseUnits* units, int pixels, int dialog_units);
void HeightenToFit(DialogBaseUnits* units, int pixels, int dialog_units);

// A rectangle of dialog units in pixels. Its edges are converted, not its
// size, so neighbouring controls stay neighbours after rounding.
QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int width, int height);

QSize MapDialogSize(const DialogBaseUnits& units, int width, int height);

#endif  // ZORVANE_QT_DIALOG_UNITS_H
