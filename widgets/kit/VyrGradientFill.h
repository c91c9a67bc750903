#pragma once

#include "platform/Canvas.h"
#include "widgets/kit/VyrTBackground.h"

#include <QList>

namespace quorvane {

// A multi-colour gradient: `colorCount` steps between each pair of neighbouring colours,
// laid out in one of the thirteen fill styles.
struct GradientFill {
    QList<ColorRef> colours; // in painting order, at least one
    TVyrGradient::TVyrFillStyle style = TVyrGradient::Horizontal;
    int colorCount = 32;
    ColorRef back = clBtnFace; // under the first colour, never seen
};

// The colour of step i of n from `from` to `to`; no component is ever 0.
ColorRef gradientStepColour(ColorRef from, ColorRef to, int i, int n);

// Paints (0, 0, w, h) of `dc` through a scratch bitmap of w × h.
void paintGradient(Canvas& dc, int w, int h, const GradientFill& fill);

} // namespace quorvane
