#pragma once

#include <QString>

// Access keys in captions, the one rule for every control that shows or answers them:
// "&x" makes x the access key (shown underlined), "&&" stands for a plain "&", and an "&" at
// the very end is shown as it is.
namespace quorvane::Mnemonic {

struct Parsed {
    QString text;             // as shown, without the marks
    qsizetype underline = -1; // index in `text` of the access key, -1 for none
};

Parsed parse(const QString& caption);
// The caption as shown.
QString stripped(const QString& caption);
// The access key, or a null character when the caption has none.
QChar key(const QString& caption);

} // namespace quorvane::Mnemonic
