#include "data/EntryText.h"

#include "platform/TextCodec.h"

#include <QRegularExpression>

namespace quorvane::EntryText {

QStringList lines(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    return text.split(breaks);
}

QStringList screenParagraphs(const IdiomEntry& entry) {
    QStringList paragraphs;
    for (const Section& section : sectionTable()) {
        const QString& text = entry.text(section.column);
        if (text.isEmpty())
            continue;
        paragraphs << QString();
        QStringList sectionLines = lines(text);
        sectionLines.first().prepend(section.heading);
        paragraphs << sectionLines;
    }
    return paragraphs;
}

QString exportText(const IdiomEntry& entry) {
    const QString crlf = QStringLiteral("\r\n");
    QStringList fileLines = {QString(), QStringLiteral("【成语】") + entry.text(Column::Idiom),
                             QString()};
    fileLines << screenParagraphs(entry);
    return fileLines.join(crlf) + crlf;
}

QByteArray exportBytes(const IdiomEntry& entry) {
    return TextCodec::toAnsi(exportText(entry));
}

} // namespace quorvane::EntryText
