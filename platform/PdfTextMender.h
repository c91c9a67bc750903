#pragma once

#include <QString>

namespace quorvane {

class PrintedText;

// Makes the text of a PDF that Qt wrote searchable where Qt left it mute: glyphs of characters
// beyond the Basic Multilingual Plane get no character in the font's ToUnicode map, so
// readers drop them. The glyphs the job drew (`PrintedText`) are found in each embedded font
// subset by their outlines, and the maps are replaced in an update appended to the file.
// Glyph outlines are compared rather than numbers guessed: the file itself is the evidence.
class PdfTextMender {
public:
    // Mends the file at `path` in place. A file whose structure is not the one expected stays
    // as it is; one that cannot be read or written raises QuorvaneError.
    static void mend(const QString& path, const PrintedText& drawn);
};

} // namespace quorvane
