// Dialog units to pixels. A template measures in units of its font: a
// quarter of the average character width across, an eighth of the
// character height down.
#pragma once

#include "platform/module/dialog_template.h"

#include <QFont>
#include <QRect>
#include <optional>

namespace qv::qt {

struct BaseUnits {
    double x = 0; // average character width, pixels
    double y = 0; // character height, pixels
};

// The template's font on this desktop: the old Windows dialog faces become
// an installed sans face, preferably one with their widths, at the same
// point size.
QFont DialogFont(const std::optional<platform::DialogFont>& font);

// Measured the platform's way: the advance of "A..Za..z" over 26, rounded
// up by half, and the height of a line of text. Whole pixels, as the
// platform has them; a layout may widen x to fit its texts.
BaseUnits MeasureBaseUnits(const QFont& font);

// MulDiv rounding: halves go away from zero.
int DialogUnitsToPixelsX(int units, const BaseUnits& base);
int DialogUnitsToPixelsY(int units, const BaseUnits& base);
QRect DialogRectToPixels(int x, int y, int cx, int cy, const BaseUnits& base);

} // namespace qv::qt
