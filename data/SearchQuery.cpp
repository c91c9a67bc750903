#include "data/SearchQuery.h"

#include <QList>

namespace quorvane {
namespace {
bool isQuote(QChar c) {
    switch (c.unicode()) {
    case u'"':
    case u'\u201C': // “
    case u'\u201D': // ”
    case u'\u300C': // 「
    case u'\u300D': // 」
    case u'\u300E': // 『
    case u'\u300F': // 』
    case u'\uFF02': // ＂
        return true;
    default:
        return false;
    }
}

bool hasHan(QStringView text) {
    for (const uint code : text.toUcs4())
        if (QChar::script(code) == QChar::Script_Han)
            return true;
    return false;
}

// Latin text is found whatever its case; Chinese has none, and is found faster without.
Qt::CaseSensitivity caseFor(QStringView text) {
    for (const QChar c : text)
        if (c.isUpper() || c.isLower() || c.isTitleCase())
            return Qt::CaseInsensitive;
    return Qt::CaseSensitive;
}
} // namespace

SearchQuery SearchQuery::parse(QStringView input) {
    SearchQuery query;
    QStringView text = input.trimmed();
    if (text.isEmpty())
        return query;
    if (isQuote(text.front())) {
        // The closing quote may still be missing while the user types.
        while (!text.isEmpty() && isQuote(text.front()))
            text = text.sliced(1);
        while (!text.isEmpty() && isQuote(text.back()))
            text.chop(1);
        text = text.trimmed();
        if (text.isEmpty())
            return query;
        query.kind = Kind::EntryText;
    } else if (!hasHan(text)) {
        // A space or a tone number the user ended with closes the last syllable.
        if (auto pinyin = PinyinQuery::parse(input)) {
            query.kind = Kind::Pinyin;
            query.pinyin = std::move(*pinyin);
            return query;
        }
    }
    if (query.kind == Kind::Nothing)
        query.kind = Kind::Text;
    query.text = text.toString();
    query.caseSensitivity = caseFor(text);
    return query;
}

} // namespace quorvane
