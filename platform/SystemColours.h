#pragma once

#include <QColor>
#include <QRgb>

namespace quorvane::SystemColours {

// RGB of the Windows system colour `index` (COLOR_SCROLLBAR = 0 .. COLOR_INFOBK = 24).
// The host has no such colours, so the classic defaults stand in; unknown indexes are black.
QRgb rgb(int index);

// The RGB a stored colour value stands for now (red in the low byte; with the top bit set,
// the system colour of the low byte). clNone (1FFFFFFF) gives an invalid QColor.
QColor resolve(quint32 value);

} // namespace quorvane::SystemColours
