#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace quorvane {

// Pinyin as a user types it into the search, ready to be matched against readings.
// Tone marks and tone numbers are dropped, ü may be typed v or u, spaces are optional.
struct PinyinQuery {
    // Plain letters, cut where the user ended a syllable: at a space, an apostrophe or
    // other punctuation, or a tone number ("dui4niu2" is "dui" "niu").
    std::vector<QString> tokens;
    // The last token may end inside a syllable ("dui ni" reaches into niu); not when the
    // input ends with a space or a tone number.
    bool open = true;

    // Nothing when the input is not pinyin: it has no letter, or a character that is not
    // a letter, a tone mark, a tone number after a letter, a space or punctuation.
    static std::optional<PinyinQuery> parse(QStringView input);

    // How many letters of a reading's key (Pinyin::readingKey) the query covers from its
    // start, or -1 when the reading does not start with it. Letters of one token may run
    // over syllables ("xian" covers "xi an"), but a token the user ended must end where a
    // syllable does ("xi an" does not cover "xian").
    int match(QStringView key) const;
};

} // namespace quorvane
