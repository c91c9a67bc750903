#include "platform/TextCodec.h"

#include "platform/QuorvaneError.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvane::TextCodec {
namespace {
// ICU's table of the Windows code page 936, the euro sign at 0x80 included.
constexpr const char* kCodePage936 = "windows-936";
constexpr const char* kGb18030 = "GB18030";

QStringEncoder encoder(const char* name) {
    QStringEncoder result(name);
    if (!result.isValid())
        throw QuorvaneError(QStringLiteral("系统不支持 %1 编码").arg(QLatin1StringView(name)));
    return result;
}

QString decodeGb18030(QByteArrayView bytes) {
    QStringDecoder decoder(kGb18030);
    if (!decoder.isValid())
        throw QuorvaneError(QStringLiteral("系统不支持 GB18030 编码"));
    return decoder.decode(bytes);
}
} // namespace

QByteArray toAnsi(const QString& text) {
    QStringEncoder whole = encoder(kCodePage936);
    QByteArray bytes = whole.encode(text);
    if (!whole.hasError())
        return bytes;
    // Some character is not in the code page: each one that is keeps its code page bytes,
    // the others take GB18030's.
    bytes.clear();
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        const QStringView character = QStringView(text).mid(i, length);
        i += length;
        if (character.front().unicode() < 0x80) {
            bytes += char(character.front().unicode());
            continue;
        }
        QStringEncoder codePage = encoder(kCodePage936);
        const QByteArray encoded = codePage.encode(character);
        if (!codePage.hasError()) {
            bytes += encoded;
            continue;
        }
        QStringEncoder fallback = encoder(kGb18030);
        bytes += fallback.encode(character);
        if (fallback.hasError())
            throw QuorvaneError(QStringLiteral("文本中有无法编码的字符（U+%1）")
                                    .arg(character.front().unicode(), 4, 16, QLatin1Char('0')));
    }
    return bytes;
}

QString fromAnsi(const QByteArray& bytes) {
    // GB18030 reads every code page 936 sequence alike except the single byte 0x80, which
    // it lacks; that byte is the euro sign.
    QString text;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar lead = uchar(bytes.at(i));
        if (lead == 0x80) {
            text += decodeGb18030(QByteArrayView(bytes).sliced(start, i - start));
            text += QChar(0x20AC);
            start = ++i;
        } else if (lead > 0x80 && lead < 0xFF && i + 1 < bytes.size()) {
            const uchar trail = uchar(bytes.at(i + 1));
            i += trail >= 0x30 && trail <= 0x39 ? 4 : 2;
        } else {
            ++i;
        }
    }
    return text + decodeGb18030(QByteArrayView(bytes).sliced(start));
}

} // namespace quorvane::TextCodec
