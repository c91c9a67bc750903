#include "widgets/dbaware/FilterRecordTest.h"

#include "data/IdiomColumns.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvane::FilterRecordTest {
namespace {
bool isSeparator(QChar c) {
    return c.unicode() <= 0x20;
}

bool isOperator(const Token& token, const QString& word) {
    return !token.quoted && !word.isEmpty() && token.text.compare(word, Qt::CaseInsensitive) == 0;
}
} // namespace

FieldKind fieldKind(const QString& field) {
    for (int i = 0; i < kColumnCount; ++i) {
        const auto column = static_cast<Column>(i);
        if (columnName(column) == field)
            return columnWidth(column) == 0 ? FieldKind::Memo : FieldKind::WideText;
    }
    return FieldKind::WideText;
}

std::vector<Token> tokenize(const QString& value) {
    std::vector<Token> tokens;
    const qsizetype size = value.size();
    qsizetype i = 0;
    while (i < size) {
        if (isSeparator(value[i])) {
            ++i;
            continue;
        }
        if (value[i] == QLatin1Char('"')) {
            const qsizetype close = value.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? size : close;
            tokens.push_back({value.mid(i + 1, end - i - 1), true});
            i = end + 1;
            continue;
        }
        const qsizetype start = i;
        while (i < size && !isSeparator(value[i]))
            ++i;
        tokens.push_back({value.mid(start, i - start), false});
    }
    return tokens;
}

Phrases splitPhrases(const QString& value, const TFieldOperators& operators) {
    const std::vector<Token> tokens = tokenize(value);
    Phrases result;
    QString word;
    for (size_t i = 1; i < tokens.size() && result.kind == Phrases::Kind::Single; ++i)
        if (isOperator(tokens[i], operators.OrChar)) {
            result.kind = Phrases::Kind::Or;
            word = operators.OrChar;
        }
    for (size_t i = 1; i < tokens.size() && result.kind == Phrases::Kind::Single; ++i)
        if (isOperator(tokens[i], operators.AndChar)) {
            result.kind = Phrases::Kind::And;
            word = operators.AndChar;
        }
    QStringList run;
    auto flush = [&]() {
        if (!run.isEmpty())
            result.phrases << run.join(QLatin1Char(' '));
        run.clear();
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        // The first token is a word of the phrase even when it reads like an operator.
        if (result.kind != Phrases::Kind::Single && i > 0 && isOperator(tokens[i], word))
            flush();
        else
            run << tokens[i].text;
    }
    flush();
    // A value of blanks alone is one empty phrase, as typed.
    if (result.phrases.isEmpty())
        result.phrases << QString();
    return result;
}

bool phraseMatches(const QString& fieldText, const QString& phrase, quint8 matchType,
                   const QString& nullWord) {
    if (fieldText.isEmpty() && !nullWord.isEmpty() &&
        phrase.compare(nullWord, Qt::CaseInsensitive) == 0)
        return true;
    switch (matchType) {
    case TFilterFieldInfo::mtStart:
        return fieldText.startsWith(phrase);
    case TFilterFieldInfo::mtAny:
        return fieldText.contains(phrase);
    case TFilterFieldInfo::mtExact:
        return fieldText == phrase;
    default:
        return true;
    }
}

QString memoText(const QString& text, int memoSize) {
    const qsizetype limit = qMax(0, memoSize - 1);
    // No character takes more than four bytes of GB18030.
    if (text.size() * 4 <= limit)
        return text;
    QStringEncoder encoder("GB18030");
    const QByteArray bytes = encoder.encode(text);
    if (bytes.size() <= limit)
        return text;
    // The decoder holds back a character cut in two; unencodable units still count one
    // for one, so the decoded length is the length of the kept prefix.
    QStringDecoder decoder("GB18030");
    const QString kept = decoder.decode(QByteArrayView(bytes).first(limit));
    return text.left(kept.size());
}

std::vector<Compiled> compile(const TFilterFieldInfos& criteria, const TFieldOperators& operators) {
    std::vector<Compiled> result;
    result.reserve(size_t(criteria.size()));
    for (const TFilterFieldInfo& info : criteria) {
        Compiled c;
        c.field = info.fieldName;
        c.kind = fieldKind(info.fieldName);
        c.matchType = info.matchType;
        c.caseSensitive = info.caseSensitive;
        c.nonMatching = info.nonMatching;
        c.nullWord = operators.NullChar;
        if (info.matchType != TFilterFieldInfo::mtRange) {
            c.phrases = splitPhrases(info.value, operators);
            if (!info.caseSensitive)
                for (QString& phrase : c.phrases.phrases)
                    phrase = phrase.toUpper();
        }
        result.push_back(std::move(c));
    }
    return result;
}

bool accepts(const Compiled& criterion, const QString& fieldText, int memoSize) {
    // Text fields have no order a range could narrow.
    if (criterion.matchType == TFilterFieldInfo::mtRange)
        return true;
    QString text = criterion.kind == FieldKind::Memo ? memoText(fieldText, memoSize) : fieldText;
    if (!criterion.caseSensitive)
        text = text.toUpper();
    bool accepted = criterion.phrases.kind != Phrases::Kind::Or;
    for (const QString& phrase : criterion.phrases.phrases) {
        const bool match = phraseMatches(text, phrase, criterion.matchType, criterion.nullWord);
        if (criterion.phrases.kind == Phrases::Kind::Or && match) {
            accepted = true;
            break;
        }
        if (criterion.phrases.kind != Phrases::Kind::Or && !match) {
            accepted = false;
            break;
        }
    }
    return accepted != criterion.nonMatching;
}

bool acceptsRow(const std::vector<Compiled>& criteria,
                const std::function<QString(const QString& field)>& fieldText, int memoSize) {
    for (const Compiled& criterion : criteria)
        if (!accepts(criterion, fieldText(criterion.field), memoSize))
            return false;
    return true;
}

} // namespace quorvane::FilterRecordTest
