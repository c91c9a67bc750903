#pragma once

class QWidget;

namespace quorvane {

// Scales the positions, sizes, button glyph sizes and font sizes of every widget below
// `root` by m : d, the way a designed window is adapted to another screen. Integer
// arithmetic, as designed.
void ScaleBy(QWidget* root, int m, int d);

} // namespace quorvane
