#pragma once

#include <QColor>
#include <QString>

namespace quorvane::ColourText {

// Colour values keep red in the low byte; 0x80000000 | index names a system colour.
inline constexpr quint32 clNone = 0x1FFFFFFF;

// A name of the colour table ("clRed"), otherwise "$" and eight upper-case hex digits.
QString fromColour(quint32 value);

// A table name (any letter case), or a 32-bit integer: decimal, or hexadecimal after "$"
// or "0x". Throws QuorvaneError "'<text>' is not a valid integer value" otherwise.
quint32 toColour(const QString& text);

// The colour to paint with: system colours resolved, clNone gives an invalid QColor.
QColor toQColor(quint32 value);

} // namespace quorvane::ColourText
