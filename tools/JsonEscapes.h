#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace quorvane::JsonEscapes {

// An escape in a JSON string that stands for no text: an unknown letter ("\q", "\x41"),
// fewer than four hexadecimal digits after "\u", or half of a surrogate pair.
struct Fault {
    qsizetype record = 0; // 1-based element of the outer array, 0 outside it
    QString key;          // the member of that record the string belongs to, if any
    QString escape;       // as written: "\q", "\ud800"
    bool loneSurrogate = false;
    qsizetype line = 1;
};

// Finds the first bad escape in a JSON text. Qt's parser lets these through, turning them
// into a plain letter or a lone surrogate; the structure itself is left to that parser.
std::optional<Fault> findFault(QByteArrayView json);

} // namespace quorvane::JsonEscapes
