#pragma once

#include <QString>
#include <QStringView>

#include <utility>
#include <vector>

namespace quorvane::Pinyin {

// A reading in plain form: lower case, tone marks removed, ü (also "u:") written v,
// so "Lǚ" becomes "lv". Everything else stays as it is.
QString plain(QStringView text);

// Whether a plain syllable is one of Mandarin's (a table of about 410). ü may be written
// v or u where the spelling needs it: "lv", "lve", "lue", "nve", "nue", "ju", "jv".
bool isSyllable(QStringView plainSyllable);

// The syllables of the table, for whoever needs to list them.
const std::vector<QString>& syllableTable();

struct Syllable {
    QString text; // plain form
    bool known = false;
    int tone = 0; // 1 to 4 from the tone mark over one of its letters, 0 for none
};

// Splits a reading into plain syllables. Spaces, apostrophes, hyphens and punctuation
// ("，", "·", ...) break syllables and are not syllables themselves. A run of letters that
// is not one syllable is split into syllables where it can be ("pinyin" gives "pin" "yin";
// "xian" stays whole, "xi'an" is two; no syllable after the first may start with a, o or
// e, which would need an apostrophe); otherwise it is kept whole and marked unknown.
// With ToneNumbers::Read, a digit 0 to 5 after letters ends a syllable and gives its tone
// ("diu1", "dui4niu2"; 5 and 0 are the neutral tone); otherwise such a run is unknown.
enum class ToneNumbers { Unknown, Read };
std::vector<Syllable> syllables(QStringView pinyin, ToneNumbers toneNumbers = ToneNumbers::Unknown);

// The first letters of the first `limit` syllables: "ā bí dì yù" gives "abdy".
// A syllable that does not start with a letter a to z gives no letter, so the result is
// shorter than the syllables it was taken from.
QString initials(const std::vector<Syllable>& syllables, int limit = 4);
QString initials(QStringView pinyin, int limit = 4);

// A reading as the search matches it: its plain syllables joined by single spaces, with ü
// written v also where the reading spells it u ("jú" gives "jv", "nuè" gives "nve").
QString readingKey(QStringView reading);

// Where the first `letters` letters of readingKey(reading) stand in `reading`: the start
// and the length, tone marks that follow the last letter included.
std::pair<qsizetype, qsizetype> readingSpan(QStringView reading, int letters);

// Whether a character (in plain form) ends a syllable without being part of one: spaces,
// apostrophes, hyphens and other punctuation, as syllables() splits at them.
bool breaksSyllable(char32_t code);

} // namespace quorvane::Pinyin
