#pragma once

class QLabel;
class QString;
class QWidget;

namespace quorvane::LabelFit {

// A label is at least as high as a line of its font, grown downwards, so a scaled font is
// never cut at the top or bottom. With `keepRightEdge`, a caption wider
// than the label grows it to the left, so it still ends where the next control begins.
void fitToText(QLabel* label, bool keepRightEdge);
// The same for any widget that shows one line of `text` in its font.
void fitToText(QWidget* label, const QString& text, bool keepRightEdge);

} // namespace quorvane::LabelFit
