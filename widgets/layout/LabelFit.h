#pragma once

class QLabel;

namespace quorvane::LabelFit {

// A label is at least as high as a line of its font, grown downwards, so a scaled font is
// never cut at the top or bottom. With `keepRightEdge`, a caption wider
// than the label grows it to the left, so it still ends where the next control begins.
void fitToText(QLabel* label, bool keepRightEdge);

} // namespace quorvane::LabelFit
