#include "favourites/FavouritesExport.h"

#include "data/EntryText.h"
#include "platform/TextCodec.h"

namespace quorvane::FavouritesExport {
namespace {
// A field of a card: HTML, on one line, without the tab that separates the fields.
QString cardField(const QString& text) {
    QStringList lines = EntryText::lines(text.toHtmlEscaped());
    for (QString& line : lines)
        line.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return lines.join(QStringLiteral("<br>"));
}
} // namespace

QByteArray entryText(const std::vector<IdiomEntry>& entries) {
    QString text;
    for (const IdiomEntry& entry : entries)
        text += EntryText::exportText(entry);
    return TextCodec::toAnsi(text);
}

QByteArray flashCards(const std::vector<IdiomEntry>& entries) {
    QString text = QStringLiteral("#separator:tab\n#html:true\n");
    for (const IdiomEntry& entry : entries) {
        QStringList back;
        for (const Column column : {Column::Pinyin, Column::Explanation})
            if (!entry.text(column).isEmpty())
                back << cardField(entry.text(column));
        text += cardField(entry.text(Column::Idiom)) + QLatin1Char('\t') +
                back.join(QStringLiteral("<br>")) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

} // namespace quorvane::FavouritesExport
