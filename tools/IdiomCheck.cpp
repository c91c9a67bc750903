#include "tools/IdiomCheck.h"

#include "data/Pinyin.h"
#include "platform/QuorvaneError.h"

#include <QHash>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>

namespace quorvane::IdiomCheck {
namespace {
// Characters of an idiom that should have a syllable: punctuation such as "，" and
// spaces have none.
qsizetype spokenCharacters(QStringView idiom) {
    qsizetype count = 0;
    for (const uint code : idiom.toUcs4())
        if (!QChar::isSpace(code) && !QChar::isPunct(code) && !QChar::isSymbol(code))
            ++count;
    return count;
}

// A report field on one line: the escapes of the import's own TSV format.
QString tsvField(const QString& text) {
    QString out = text;
    out.replace(u'\\', QStringLiteral("\\\\"));
    out.replace(u'\t', QStringLiteral("\\t"));
    out.replace(u'\n', QStringLiteral("\\n"));
    out.remove(u'\r');
    return out;
}

QString expectedCode(const std::vector<Pinyin::Syllable>& syllables) {
    const int width = columnWidth(Column::Code);
    const QString code = Pinyin::initials(syllables, width);
    const size_t wanted = std::min(syllables.size(), size_t(width));
    return code.size() == qsizetype(wanted) ? code : QString();
}
} // namespace

QString kindName(Kind kind) {
    switch (kind) {
    case Kind::Code:
        return QStringLiteral("代码");
    case Kind::Syllable:
        return QStringLiteral("音节");
    case Kind::Duplicate:
        return QStringLiteral("重复");
    case Kind::Count:
        return QStringLiteral("字数");
    }
    return {};
}

QString codeFor(QStringView pinyin) {
    return expectedCode(Pinyin::syllables(pinyin));
}

Result check(std::vector<IdiomEntry>& entries, bool fixCodes,
             const std::function<QString(qsizetype)>& place) {
    Result result;
    QHash<QString, qsizetype> firstOf;
    firstOf.reserve(qsizetype(entries.size()));
    for (qsizetype i = 0; i < qsizetype(entries.size()); ++i) {
        IdiomEntry& entry = entries[size_t(i)];
        const size_t before = result.findings.size();
        auto add = [&](Kind kind, const QString& text, bool fixed = false) {
            result.findings.push_back({i, kind, text, fixed});
        };

        const QString& idiom = entry.text(Column::Idiom);
        const auto first = firstOf.constFind(idiom);
        if (first == firstOf.constEnd())
            firstOf.insert(idiom, i);
        else
            add(Kind::Duplicate, QStringLiteral("与%1的成语“%2”重复").arg(place(*first), idiom));

        // Without a reading there is nothing to compare the code and the idiom with.
        const QString& pinyin = entry.text(Column::Pinyin);
        const std::vector<Pinyin::Syllable> syllables = Pinyin::syllables(pinyin);
        if (!syllables.empty()) {
            QStringList unknown;
            for (const Pinyin::Syllable& syllable : syllables)
                if (!syllable.known)
                    unknown << u"“" + syllable.text + u"”";
            if (!unknown.isEmpty())
                add(Kind::Syllable, QStringLiteral("拼音“%1”中的%2不是普通话的音节")
                                        .arg(pinyin, unknown.join(u'、')));

            const qsizetype characters = spokenCharacters(idiom);
            if (characters != qsizetype(syllables.size()))
                add(Kind::Count, QStringLiteral("拼音有 %1 个音节，成语有 %2 个字")
                                     .arg(syllables.size())
                                     .arg(characters));

            QString& code = entry.text(Column::Code);
            const QString expected = expectedCode(syllables);
            if (!expected.isEmpty() && code.compare(expected, Qt::CaseInsensitive) != 0) {
                const QString shown =
                    code.isEmpty() ? QStringLiteral("代码为空") : u"代码“" + code + u"”";
                if (fixCodes) {
                    add(Kind::Code, QStringLiteral("%1，已按拼音改为“%2”").arg(shown, expected),
                        true);
                    code = expected;
                    ++result.fixedCodes;
                } else {
                    add(Kind::Code,
                        QStringLiteral("%1与拼音不符，按拼音应为“%2”").arg(shown, expected));
                }
            }
        }
        if (std::any_of(result.findings.begin() + qsizetype(before), result.findings.end(),
                        [](const Finding& finding) { return !finding.fixed; }))
            ++result.doubtful;
    }
    return result;
}

void writeReport(const QString& path, const std::vector<IdiomEntry>& entries, const Result& result,
                 const QString& placeHeading,
                 const std::function<qsizetype(qsizetype)>& placeNumber) {
    QString text = placeHeading + QStringLiteral("\t成语\t代码\t拼音\t问题\t说明\n");
    for (const Finding& finding : result.findings) {
        const IdiomEntry& entry = entries[size_t(finding.record)];
        const QStringList fields{QString::number(placeNumber(finding.record)),
                                 entry.text(Column::Idiom),
                                 entry.text(Column::Code),
                                 entry.text(Column::Pinyin),
                                 finding.fixed ? QStringLiteral("已改代码")
                                               : kindName(finding.kind),
                                 finding.text};
        QStringList line;
        for (const QString& field : fields)
            line << tsvField(field);
        text += line.join(u'\t') + u'\n';
    }
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    // The byte order mark tells spreadsheet programs that the file is UTF-8. flush() before
    // commit(): a write that fails in the buffer (a full disk) would otherwise let commit()
    // rename the short file over an earlier report.
    if (!file.open(QIODevice::WriteOnly) || file.write("\xEF\xBB\xBF") != 3 ||
        file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        throw QuorvaneError(QStringLiteral("无法写入报告文件“%1”，原有的文件未变：%2")
                                .arg(path, file.errorString()));
}

} // namespace quorvane::IdiomCheck
