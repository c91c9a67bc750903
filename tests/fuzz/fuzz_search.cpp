// libFuzzer target for what the search window makes of its input: the query parser, the
// pinyin parser and the matching of a parsed query against readings. Any text must end in
// a query or in nothing, never in a crash, a sanitizer report or a hang.
#include "data/Pinyin.h"
#include "data/PinyinQuery.h"
#include "data/SearchQuery.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Half of the inputs as UTF-8, half as raw UTF-16 (lone surrogates included).
    const bool wide = size > 0 && (data[0] & 1);
    const char* bytes = reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0);
    const std::size_t length = size > 0 ? size - 1 : 0;
    const QString input =
        wide ? QString(reinterpret_cast<const QChar*>(bytes), qsizetype(length / sizeof(QChar)))
             : QString::fromUtf8(bytes, qsizetype(length));

    const quorvane::SearchQuery query = quorvane::SearchQuery::parse(input);
    if (query.kind == quorvane::SearchQuery::Kind::Pinyin && query.pinyin.tokens.empty())
        std::abort(); // pinyin with nothing to match would find every row

    // The input as a reading too: the query must cover a reading made of its own letters.
    const QString key = quorvane::Pinyin::readingKey(input);
    if (const auto pinyin = quorvane::PinyinQuery::parse(input)) {
        const int covered = pinyin->match(key);
        if (covered > key.size())
            std::abort();
        pinyin->match(quorvane::Pinyin::readingKey(QStringLiteral("dui niu tan qin")));
    }
    quorvane::Pinyin::syllables(input);
    quorvane::Pinyin::initials(input);
    return 0;
}
