#pragma once

class QWidget;

namespace quorvane::FormFonts {

// Window layouts give font heights in pixels ("fontPixelSize"); Designer files only keep
// point sizes, so the pixel heights are applied after the layout is built.
void applyPixelSizes(QWidget* root);

} // namespace quorvane::FormFonts
