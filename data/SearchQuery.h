#pragma once

#include "data/PinyinQuery.h"

#include <QString>
#include <QStringView>

namespace quorvane {

// What a search input means; the user picks no mode.
struct SearchQuery {
    enum class Kind {
        Nothing,   // empty, or only quotes and spaces
        Pinyin,    // letters with or without tones: matched against 拼音 from its start
        Text,      // Chinese or anything else: the idiom first, then the entry text
        EntryText, // anything in quotes: the full entry text only
    };

    Kind kind = Kind::Nothing;
    // Text and EntryText: the text to find, without the quotes.
    QString text;
    Qt::CaseSensitivity caseSensitivity = Qt::CaseSensitive;
    PinyinQuery pinyin;

    static SearchQuery parse(QStringView input);
};

} // namespace quorvane
