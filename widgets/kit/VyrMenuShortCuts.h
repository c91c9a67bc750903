#pragma once

#include <QString>

namespace quorvane {

// The shortcut text of a 16-bit shortcut ("Ctrl+C"); empty for 0.
QString shortCutToText(int shortCut);
// The shortcut of such a text; 0 for one it cannot read.
int textToShortCut(const QString& text);

} // namespace quorvane
