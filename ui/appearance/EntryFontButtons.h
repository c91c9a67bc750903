#pragma once

#include "data/EntryFont.h"

namespace quorvane {
class FontDialog;
class RichEdit;
} // namespace quorvane

namespace quorvane::EntryFontButtons {

// fontbtnClick: the dialog opens on the view's face, size, style and colour (its character
// set is the one last confirmed in it). A confirmed choice goes to the view as a whole, and
// face, size and colour to `entryFont` and the settings; without the settings key the view
// keeps it only until the next rendering.
void chooseFont(FontDialog& dialog, RichEdit& view, EntryFont& entryFont);

// defaultfontClick: 宋体, 11 points, black on the view and in `entryFont` (the style stays),
// the 44-point offset at the view's selection, and the three values stored.
void restoreDefault(RichEdit& view, EntryFont& entryFont);

} // namespace quorvane::EntryFontButtons
