#include "data/PinyinQuery.h"

#include "data/Pinyin.h"

#include <QList>

namespace quorvane {

std::optional<PinyinQuery> PinyinQuery::parse(QStringView input) {
    PinyinQuery query;
    QString token;
    const auto endToken = [&query, &token] {
        if (!token.isEmpty())
            query.tokens.push_back(token);
        token.clear();
    };
    for (const uint code : Pinyin::plain(input).toUcs4()) {
        if (code >= u'a' && code <= u'z') {
            token += QChar(char16_t(code));
        } else if (code >= u'0' && code <= u'5' && !token.isEmpty()) {
            endToken(); // a tone number closes its syllable
        } else if (Pinyin::breaksSyllable(code)) {
            endToken();
        } else {
            return std::nullopt;
        }
    }
    query.open = !token.isEmpty();
    endToken();
    if (query.tokens.empty())
        return std::nullopt;
    return query;
}

int PinyinQuery::match(QStringView key) const {
    qsizetype at = 0;
    int letters = 0;
    for (size_t t = 0; t < tokens.size(); ++t) {
        for (const QChar c : tokens[t]) {
            if (at < key.size() && key[at] == u' ')
                ++at; // on into the next syllable
            if (at == key.size())
                return -1;
            // A u typed for ü covers the reading's v.
            if (key[at] != c && !(c == u'u' && key[at] == u'v'))
                return -1;
            ++at;
            ++letters;
        }
        const bool mayEndInside = open && t + 1 == tokens.size();
        if (!mayEndInside && at < key.size() && key[at] != u' ')
            return -1;
    }
    return letters;
}

} // namespace quorvane
