#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane::TextCodec {

// Text in the program's ANSI code page. GB18030 writes every GBK character with GBK's
// bytes and keeps the characters GBK lacks instead of turning them into '?'.
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

} // namespace quorvane::TextCodec
