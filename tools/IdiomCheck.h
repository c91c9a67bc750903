#pragma once

#include "data/IdiomEntry.h"

#include <QString>

#include <functional>
#include <vector>

namespace quorvane::IdiomCheck {

// What makes a record doubtful. None of it stops an import unless the user asks for that.
enum class Kind {
    Code,      // the code is not the initials of the pinyin
    Syllable,  // the pinyin has something that is not a Mandarin syllable
    Duplicate, // the same idiom came earlier
    Count      // syllables and characters differ in number
};

// "代码", "音节", "重复", "字数": the short name in a report.
QString kindName(Kind kind);

struct Finding {
    qsizetype record = 0; // index into the checked entries
    Kind kind = Kind::Code;
    QString text;
    bool fixed = false; // a code replaced by the one the pinyin gives
};

struct Result {
    std::vector<Finding> findings; // in record order
    qsizetype doubtful = 0;        // records with at least one finding not fixed
    qsizetype fixedCodes = 0;
};

// The code a reading gives: the initials of its first four syllables, or "" when a
// syllable does not begin with a letter.
QString codeFor(QStringView pinyin);

// Checks every entry; with `fixCodes` a code that does not match its pinyin is replaced.
// `place` names an entry by its index as the input counts it ("第 3 行"), for findings
// that point at another entry.
Result check(std::vector<IdiomEntry>& entries, bool fixCodes,
             const std::function<QString(qsizetype)>& place);

// The findings as a UTF-8 TSV file for a spreadsheet: `placeHeading` ("行", "记录") heads the
// column of `placeNumber(index)`. Replaces the file whole; throws QuorvaneError.
void writeReport(const QString& path, const std::vector<IdiomEntry>& entries, const Result& result,
                 const QString& placeHeading,
                 const std::function<qsizetype(qsizetype)>& placeNumber);

} // namespace quorvane::IdiomCheck
