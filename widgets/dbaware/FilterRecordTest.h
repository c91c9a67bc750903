#pragma once

#include "widgets/dbaware/TFilterFieldInfo.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quorvane {

// The words of the value syntax.
struct TFieldOperators {
    QString OrChar = QStringLiteral("or");
    QString AndChar = QStringLiteral("and");
    QString NullChar = QStringLiteral("null");
};

// The test the record search hooks into a cursor: pure functions over criteria and texts.
namespace FilterRecordTest {

enum class FieldKind { WideText, Memo };

// The kind of a column of table cy; names it does not know are wide text.
FieldKind fieldKind(const QString& field);

struct Token {
    QString text;
    bool quoted = false;
};
// Splits at blanks and control characters; a token that begins with a double quote runs
// to the next one, without the quotes.
std::vector<Token> tokenize(const QString& value);

struct Phrases {
    enum class Kind { Single, Or, And };
    Kind kind = Kind::Single;
    QStringList phrases;
    bool operator==(const Phrases&) const = default;
};
// A single phrase, or the phrases between the "or" (else "and") words found from the
// second token on. Quoted words are never operators; runs with no words are dropped.
Phrases splitPhrases(const QString& value, const TFieldOperators& operators);

// Whether a field text (already upper-cased where case does not count) meets one phrase.
bool phraseMatches(const QString& fieldText, const QString& phrase, quint8 matchType,
                   const QString& nullWord);

// The text a memo is tested on: at most memoSize - 1 bytes of the code page, cut between
// characters.
QString memoText(const QString& text, int memoSize);

// A criterion prepared once for testing every row.
struct Compiled {
    QString field;
    FieldKind kind = FieldKind::WideText;
    quint8 matchType = TFilterFieldInfo::mtStart;
    bool caseSensitive = false;
    bool nonMatching = false;
    Phrases phrases;
    QString nullWord;
};
std::vector<Compiled> compile(const TFilterFieldInfos& criteria, const TFieldOperators& operators);

// Whether one criterion accepts a row whose field holds `fieldText`.
bool accepts(const Compiled& criterion, const QString& fieldText, int memoSize);

// Every criterion in list order, stopping at the first refusal. `fieldText` reads the
// row's field by name and may throw.
bool acceptsRow(const std::vector<Compiled>& criteria,
                const std::function<QString(const QString& field)>& fieldText, int memoSize);

} // namespace FilterRecordTest
} // namespace quorvane
