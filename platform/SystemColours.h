#pragma once

#include <QRgb>

namespace quorvane::SystemColours {

// RGB of the Windows system colour `index` (COLOR_SCROLLBAR = 0 .. COLOR_INFOBK = 24).
// The host has no such colours, so the classic defaults stand in; unknown indexes are black.
QRgb rgb(int index);

} // namespace quorvane::SystemColours
