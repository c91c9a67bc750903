#include "tools/IdiomImport.h"

#include "platform/QuorvaneError.h"
#include "tools/ImportTarget.h"
#include "tools/JsonEscapes.h"
#include "tools/JsonRecords.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringConverter>
#include <QStringList>

#include <algorithm>
#include <functional>

namespace quorvane::IdiomImport {
namespace {
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

QByteArray readAllBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw QuorvaneError(QStringLiteral("无法读取文件“%1”：%2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw QuorvaneError(QStringLiteral("无法读取文件“%1”：%2").arg(path, file.errorString()));
    return bytes;
}

// The first `count` code points, so that a surrogate pair is never cut in half.
QString leftCodePoints(const QString& text, int count) {
    qsizetype end = 0;
    for (int n = 0; n < count && end < text.size(); ++n) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size() &&
                          text.at(end + 1).isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

// The long-text columns hold what a memo field holds; an entry view also stalls on a field
// much longer than that.
constexpr int kLongTextLimit = 65535;

int sizeLimit(Column column) {
    const int width = columnWidth(column);
    return width > 0 ? width : kLongTextLimit;
}

// Trims the key columns, then checks what every source must satisfy. Sizes count UTF-16
// units, the unit of the wide-text columns. `where` is "文件“…”第 3 行", `label` names a
// column as the source calls it.
void finishEntry(IdiomEntry& entry, const QString& where,
                 const std::function<QString(Column)>& label) {
    for (Column column : {Column::Code, Column::Idiom, Column::Pinyin})
        entry.text(column) = entry.text(column).trimmed();
    if (entry.text(Column::Idiom).isEmpty())
        throw QuorvaneError(
            QStringLiteral("%1，字段“%2”：成语不能为空").arg(where, label(Column::Idiom)));
    for (int i = 0; i < kColumnCount; ++i) {
        const Column column = Column(i);
        // A NUL would cut the text short for SQL and for every C-text reader.
        if (entry.text(column).contains(QChar(u'\0')))
            throw QuorvaneError(
                QStringLiteral("%1，字段“%2”：含有空字符（U+0000）").arg(where, label(column)));
        const int width = sizeLimit(column);
        const qsizetype length = entry.text(column).size();
        if (length > width)
            throw QuorvaneError(
                QStringLiteral("%1，字段“%2”：长度 %3 超过上限 %4 个字符")
                    .arg(where, label(column), QString::number(length), QString::number(width)));
    }
}

// ---- TSV ----

QString lineWhere(const QString& path, qsizetype line) {
    return QStringLiteral("文件“%1”第 %2 行").arg(path, QString::number(line));
}

// The character at `i` for a message, both halves when it is a surrogate pair.
QString wholeCharacterAt(QStringView text, qsizetype i) {
    const bool pair =
        text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
    return text.mid(i, pair ? 2 : 1).toString();
}

// Decodes \n, \t and \\; anything else after a backslash is an error.
QString unescape(QStringView raw, const QString& where, const QString& field) {
    QString text;
    text.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != u'\\') {
            text += c;
            continue;
        }
        if (i + 1 == raw.size())
            throw QuorvaneError(
                QStringLiteral("%1，字段“%2”：末尾的反斜杠后面缺少转义字符").arg(where, field));
        const QChar next = raw.at(++i);
        if (next == u'n')
            text += u'\n';
        else if (next == u't')
            text += u'\t';
        else if (next == u'\\')
            text += u'\\';
        else
            throw QuorvaneError(
                QStringLiteral("%1，字段“%2”：未知的转义“\\%3”（只能用 \\n、\\t、\\\\）")
                    .arg(where, field, wholeCharacterAt(raw, i)));
    }
    return text;
}

// Each line is decoded on its own, so a character cut at the end of a line (or of the
// file) is an error on that line rather than a character lost or joined to the next.
QString decodeLine(QByteArrayView bytes, const QString& path, qsizetype line) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw QuorvaneError(lineWhere(path, line) + QStringLiteral("：不是有效的 UTF-8 文本"));
    return text;
}

// ---- JSON ----

QString recordWhere(const QString& path, qsizetype record) {
    return QStringLiteral("文件“%1”第 %2 条记录").arg(path, QString::number(record));
}

QString jsonErrorText(QJsonParseError::ParseError error) {
    switch (error) {
    case QJsonParseError::UnterminatedObject:
        return QStringLiteral("对象没有结束（缺少“}”）");
    case QJsonParseError::MissingNameSeparator:
        return QStringLiteral("缺少冒号“:”");
    case QJsonParseError::UnterminatedArray:
        return QStringLiteral("数组没有结束（缺少“]”）");
    case QJsonParseError::MissingValueSeparator:
        return QStringLiteral("缺少逗号“,”");
    case QJsonParseError::IllegalValue:
        return QStringLiteral("无效的值");
    case QJsonParseError::TerminationByNumber:
        return QStringLiteral("数字后面文件意外结束");
    case QJsonParseError::IllegalNumber:
        return QStringLiteral("无效的数字");
    case QJsonParseError::IllegalEscapeSequence:
        return QStringLiteral("无效的转义序列");
    case QJsonParseError::IllegalUTF8String:
        return QStringLiteral("字符串不是有效的 UTF-8 文本");
    case QJsonParseError::UnterminatedString:
        return QStringLiteral("字符串没有结束（缺少引号）");
    case QJsonParseError::MissingObject:
        return QStringLiteral("此处应为对象");
    case QJsonParseError::DeepNesting:
        return QStringLiteral("嵌套层数太多");
    case QJsonParseError::DocumentTooLarge:
        return QStringLiteral("文件太大");
    case QJsonParseError::GarbageAtEnd:
        return QStringLiteral("数据结束后还有多余的内容");
    default:
        return QStringLiteral("格式错误");
    }
}

// Turns a byte offset into a 1-based line and column (in characters).
std::pair<qsizetype, qsizetype> lineAndColumn(const QByteArray& bytes, qsizetype offset) {
    offset = std::clamp<qsizetype>(offset, 0, bytes.size());
    const QByteArrayView before(bytes.constData(), offset);
    const qsizetype line = before.count('\n') + 1;
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    const qsizetype column = QString::fromUtf8(before.sliced(lineStart)).toUcs4().size() + 1;
    return {line, column};
}

// A required string field of a record.
QString requiredString(const QJsonObject& record, const QString& key, const QString& where) {
    const QJsonValue value = record.value(key);
    if (value.isUndefined())
        throw QuorvaneError(QStringLiteral("%1：缺少字段“%2”").arg(where, key));
    if (!value.isString())
        throw QuorvaneError(QStringLiteral("%1，字段“%2”：应为字符串").arg(where, key));
    return value.toString();
}

QString noneAsEmpty(const QString& text) {
    return text.trimmed() == QStringLiteral("无") ? QString() : text;
}

// An optional string field; absent and null give "" (and "无" means none, see jsonEntry).
QString optionalString(const QJsonObject& record, const QString& key, const QString& where) {
    const QJsonValue value = record.value(key);
    if (value.isUndefined() || value.isNull())
        return {};
    if (!value.isString())
        throw QuorvaneError(QStringLiteral("%1，字段“%2”：应为字符串").arg(where, key));
    return value.toString();
}

const char* memberName(JsonRecords::Member member) {
    static const char* const names[] = {"word",        "pinyin",  "abbreviation",
                                        "explanation", "example", "derivation"};
    return names[member];
}

QString jsonLabel(Column column) {
    switch (column) {
    case Column::Code:
        return QStringLiteral("abbreviation（代码）");
    case Column::Idiom:
        return QStringLiteral("word（成语）");
    case Column::Pinyin:
        return QStringLiteral("pinyin（拼音）");
    case Column::Explanation:
        return QStringLiteral("explanation（解释）");
    case Column::Example:
        return QStringLiteral("example（示例）");
    case Column::Source:
        return QStringLiteral("derivation（出处）");
    default:
        return columnName(column);
    }
}

// An entry from the members of a record; the optional ones may be missing, "无" means none.
IdiomEntry jsonEntry(const JsonRecords::Record& fields, const QString& where) {
    auto text = [&fields](JsonRecords::Member member) {
        return fields[member] ? *fields[member] : QString();
    };
    IdiomEntry entry;
    entry.text(Column::Idiom) = text(JsonRecords::Word);
    entry.text(Column::Pinyin) = text(JsonRecords::Pinyin);
    entry.text(Column::Explanation) = text(JsonRecords::Explanation);
    entry.text(Column::Example) = noneAsEmpty(text(JsonRecords::Example));
    entry.text(Column::Source) = noneAsEmpty(text(JsonRecords::Derivation));
    entry.text(Column::Code) =
        leftCodePoints(text(JsonRecords::Abbreviation).trimmed(), columnWidth(Column::Code));
    finishEntry(entry, where, jsonLabel);
    return entry;
}
} // namespace

QString tsvHeader() {
    QStringList names;
    for (int i = 0; i < kColumnCount; ++i)
        names << columnName(Column(i));
    return names.join(u'\t');
}

std::vector<IdiomEntry> readTsv(const QString& path) {
    QByteArray bytes = readAllBytes(path);
    if (bytes.startsWith(kUtf8Bom))
        bytes.remove(0, kUtf8Bom.size());

    QStringList lines;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArrayView line(bytes.constData() + start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines << decodeLine(line, path, lines.size() + 1);
        start = end + 1;
    }
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();

    if (lines.isEmpty())
        throw QuorvaneError(QStringLiteral("文件“%1”是空的，缺少表头").arg(path));
    if (lines.first() != tsvHeader())
        throw QuorvaneError(
            lineWhere(path, 1) +
            QStringLiteral("：表头应为以制表符分隔的“%1”").arg(tsvHeader().replace(u'\t', u' ')));

    std::vector<IdiomEntry> entries;
    entries.reserve(size_t(lines.size() - 1));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString where = lineWhere(path, i + 1);
        const QList<QStringView> fields = QStringView(lines.at(i)).split(u'\t');
        if (fields.size() != kColumnCount)
            throw QuorvaneError(where + QStringLiteral("：应有 %1 个字段，实际有 %2 个")
                                            .arg(kColumnCount)
                                            .arg(fields.size()));
        IdiomEntry entry;
        for (int c = 0; c < kColumnCount; ++c)
            entry.columns[size_t(c)] = unescape(fields.at(c), where, columnName(Column(c)));
        finishEntry(entry, where, columnName);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<IdiomEntry> readJson(const QString& path) {
    QByteArray bytes = readAllBytes(path);
    if (bytes.startsWith(kUtf8Bom))
        bytes.remove(0, kUtf8Bom.size());

    // The usual file goes the fast way; the general parser explains whatever is unusual.
    if (std::optional<std::vector<JsonRecords::Record>> records = JsonRecords::readPlain(bytes)) {
        bytes.clear();
        std::vector<IdiomEntry> entries;
        entries.reserve(records->size());
        for (size_t i = 0; i < records->size(); ++i) {
            JsonRecords::Record& fields = (*records)[i];
            const QString where = recordWhere(path, qsizetype(i) + 1);
            for (const JsonRecords::Member member :
                 {JsonRecords::Word, JsonRecords::Pinyin, JsonRecords::Abbreviation,
                  JsonRecords::Explanation})
                if (!fields[member])
                    throw QuorvaneError(QStringLiteral("%1：缺少字段“%2”")
                                            .arg(where, QString::fromLatin1(memberName(member))));
            entries.push_back(jsonEntry(fields, where));
            fields = {};
        }
        return entries;
    }

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        const auto [line, column] = lineAndColumn(bytes, error.offset);
        throw QuorvaneError(QStringLiteral("文件“%1”第 %2 行第 %3 列：JSON 格式错误，%4")
                                .arg(path, QString::number(line), QString::number(column),
                                     jsonErrorText(error.error)));
    }
    if (!document.isArray())
        throw QuorvaneError(
            QStringLiteral("文件“%1”：最外层应为数组（[ … ]），每条成语一个对象").arg(path));
    if (const auto fault = JsonEscapes::findFault(bytes)) {
        QString where = fault->record > 0 ? recordWhere(path, fault->record)
                                          : QStringLiteral("文件“%1”").arg(path);
        where += QStringLiteral("（第 %1 行）").arg(fault->line);
        if (!fault->key.isEmpty())
            where += QStringLiteral("，字段“%1”").arg(fault->key);
        throw QuorvaneError(fault->loneSurrogate
                                ? QStringLiteral("%1：“%2”是不成对的代理项，不代表任何字符")
                                      .arg(where, fault->escape)
                                : QStringLiteral("%1：无效的转义“%2”").arg(where, fault->escape));
    }

    const QJsonArray records = document.array();
    std::vector<IdiomEntry> entries;
    entries.reserve(size_t(records.size()));
    for (qsizetype i = 0; i < records.size(); ++i) {
        const QString where = recordWhere(path, i + 1);
        const QJsonValue value = records.at(i);
        if (!value.isObject())
            throw QuorvaneError(where + QStringLiteral("：应为对象"));
        const QJsonObject record = value.toObject();

        JsonRecords::Record fields;
        fields[JsonRecords::Word] = requiredString(record, QStringLiteral("word"), where);
        fields[JsonRecords::Pinyin] = requiredString(record, QStringLiteral("pinyin"), where);
        fields[JsonRecords::Abbreviation] =
            requiredString(record, QStringLiteral("abbreviation"), where);
        fields[JsonRecords::Explanation] =
            requiredString(record, QStringLiteral("explanation"), where);
        fields[JsonRecords::Example] = optionalString(record, QStringLiteral("example"), where);
        fields[JsonRecords::Derivation] =
            optionalString(record, QStringLiteral("derivation"), where);
        entries.push_back(jsonEntry(fields, where));
    }
    return entries;
}

Format formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QStringLiteral("tsv"), Qt::CaseInsensitive) == 0)
        return Format::Tsv;
    if (suffix.compare(QStringLiteral("json"), Qt::CaseInsensitive) == 0)
        return Format::Json;
    throw QuorvaneError(
        QStringLiteral("文件“%1”：不支持的文件类型，只能导入 .tsv 或 .json 文件").arg(path));
}

qsizetype placeNumber(Format format, qsizetype index) {
    return format == Format::Tsv ? index + 2 : index + 1; // the header is line 1
}

QString placeText(Format format, qsizetype index) {
    return (format == Format::Tsv ? QStringLiteral("第 %1 行") : QStringLiteral("第 %1 条记录"))
        .arg(placeNumber(format, index));
}

QString placeHeading(Format format) {
    return format == Format::Tsv ? QStringLiteral("行") : QStringLiteral("记录");
}

std::vector<IdiomEntry> read(const QString& path) {
    return formatOf(path) == Format::Tsv ? readTsv(path) : readJson(path);
}

void checkNotInput(const QString& input, const QString& other) {
    // A slip of the arguments must not replace the source data.
    const QFileInfo in(input), out(other);
    if (out.exists() && in.exists() && in.canonicalFilePath() == out.canonicalFilePath())
        throw QuorvaneError(QStringLiteral("输出文件“%1”就是输入文件，不能覆盖").arg(other));
}

Prepared prepare(const QString& input, bool fixCodes) {
    Prepared prepared;
    prepared.format = formatOf(input);
    prepared.entries = read(input);
    const Format format = prepared.format;
    prepared.check = IdiomCheck::check(prepared.entries, fixCodes,
                                       [format](qsizetype i) { return placeText(format, i); });
    return prepared;
}

void write(const std::vector<IdiomEntry>& entries, const QString& output,
           const IdiomDatabase::Progress& progress) {
    ImportTarget target(output);
    target.write(entries, progress);
    target.commit();
}

qsizetype run(const QString& input, const QString& output,
              const IdiomDatabase::Progress& progress) {
    checkNotInput(input, output);
    const Prepared prepared = prepare(input);
    write(prepared.entries, output, progress);
    return qsizetype(prepared.entries.size());
}

} // namespace quorvane::IdiomImport
