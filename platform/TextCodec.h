#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane::TextCodec {

// Text in the program's ANSI code page: exactly the bytes of code page 936 (GBK, the euro
// sign as 0x80) for every character it has, and GB18030's bytes for the characters it
// lacks, so none turns into '?'.
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

} // namespace quorvane::TextCodec
