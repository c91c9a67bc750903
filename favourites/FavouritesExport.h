#pragma once

#include "data/IdiomEntry.h"

#include <QByteArray>

#include <vector>

namespace quorvane::FavouritesExport {

// The entries one after another, each exactly as the save button writes it, in the ANSI
// code page.
QByteArray entryText(const std::vector<IdiomEntry>& entries);

// Flash cards in UTF-8, one per line: the idiom, a tab, then its reading and explanation
// (HTML, a line break between them). Anki's "Basic" note type takes the first column as
// the front and the second as the back; the header lines tell it the separator and that
// the text is HTML.
QByteArray flashCards(const std::vector<IdiomEntry>& entries);

} // namespace quorvane::FavouritesExport
