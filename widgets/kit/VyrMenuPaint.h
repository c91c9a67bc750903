#pragma once

#include "platform/Canvas.h"

namespace quorvane {

// The side bar's gradient: W × H from `from` to `to` in `colorCount` bands.
void DrawGradientBar(Canvas& dc, int w, int h, ColorRef from, ColorRef to, int colorCount);

} // namespace quorvane
