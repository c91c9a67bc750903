#include "platform/TextCodec.h"

#include "platform/QuorvaneError.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvane::TextCodec {

QByteArray toAnsi(const QString& text) {
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid())
        throw QuorvaneError(QStringLiteral("系统不支持 GB18030 编码"));
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        throw QuorvaneError(QStringLiteral("文本无法转换为 GB18030 编码"));
    return bytes;
}

QString fromAnsi(const QByteArray& bytes) {
    QStringDecoder decoder("GB18030");
    if (!decoder.isValid())
        throw QuorvaneError(QStringLiteral("系统不支持 GB18030 编码"));
    return decoder.decode(bytes);
}

} // namespace quorvane::TextCodec
