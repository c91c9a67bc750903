#pragma once

#include "data/IdiomEntry.h"

#include <QByteArray>
#include <QStringList>

namespace quorvane::EntryText {

// A section's text split at its line breaks (CR LF, LF or CR).
QStringList lines(const QString& text);

// The entry view's paragraphs: for each present section an empty paragraph, then the
// heading directly followed by the text (one paragraph per line of the text).
QStringList screenParagraphs(const IdiomEntry& entry);

// The saved text file: an empty line, "【成语】" + idiom, an empty line, then the sections
// as on screen; every line ends in CR LF. Encoded in the ANSI code page.
QString exportText(const IdiomEntry& entry);
QByteArray exportBytes(const IdiomEntry& entry);

} // namespace quorvane::EntryText
