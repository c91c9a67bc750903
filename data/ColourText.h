#pragma once

#include "platform/SystemColours.h"

#include <QString>

namespace quorvane::ColourText {

// A name of the colour table ("clRed"), otherwise "$" and eight upper-case hex digits.
QString fromColour(quint32 value);

// A table name (any letter case), or a 32-bit integer: decimal, or hexadecimal after "$"
// or "0x". Throws QuorvaneError "'<text>' is not a valid integer value" otherwise.
quint32 toColour(const QString& text);

} // namespace quorvane::ColourText
