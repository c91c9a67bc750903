#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <optional>
#include <vector>

namespace quorvane {
namespace {

const QString fileHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString rootKey = QStringLiteral("HKEY_LOCAL_MACHINE\\");

enum class ValueKind { String, Dword, Binary };

struct Value {
    QString name; // "" for the key's default value ("@")
    ValueKind kind = ValueKind::String;
    QString text;      // String
    quint32 number{};  // Dword
    int hexType = -1;  // Binary: -1 for "hex:", otherwise N of "hex(N):"
    QByteArray bytes;  // Binary
    int firstLine = 0; // line indexes; a hex value may continue over several lines
    int lastLine = 0;
};

// Names compare as Windows compares them: without regard to letter case.
QString nameKey(const QString& name) {
    return name.toCaseFolded();
}

struct Section {
    QString path; // as written, without the brackets
    int headerLine = 0;
    std::vector<Value> values;
    QHash<QString, size_t> valueIndex; // nameKey -> index in values
};

// The file as lines, plus what they mean. Writes edit single lines so that everything
// else, comments and foreign keys included, stays exactly as it was.
struct Document {
    bool bom = false;
    bool crlf = false;
    QStringList lines;
    std::vector<Section> sections;
    QHash<QString, size_t> sectionIndex; // nameKey -> index in sections

    Section* section(const QString& path) {
        const auto found = sectionIndex.constFind(nameKey(path));
        return found == sectionIndex.cend() ? nullptr : &sections[*found];
    }
    const Section* section(const QString& path) const {
        return const_cast<Document*>(this)->section(path);
    }

    Section& addSection(const QString& path, int headerLine) {
        sectionIndex.insert(nameKey(path), sections.size());
        sections.push_back({path, headerLine, {}, {}});
        return sections.back();
    }
};

const Value* findValue(const Section& section, const QString& name) {
    const auto found = section.valueIndex.constFind(nameKey(name));
    return found == section.valueIndex.cend() ? nullptr : &section.values[*found];
}

void addValue(Section& section, Value value) {
    section.valueIndex.insert(nameKey(value.name), section.values.size());
    section.values.push_back(std::move(value));
}

// ---- parsing ----------------------------------------------------------------------------

class Parser {
public:
    explicit Parser(const QString& fileName) : m_fileName(fileName) {}

    Document parse(QByteArray bytes) {
        Document doc;
        if (bytes.startsWith("\xEF\xBB\xBF")) {
            doc.bom = true;
            bytes.remove(0, 3);
        }
        QList<QByteArray> raw = bytes.split('\n');
        if (!raw.isEmpty() && raw.last().isEmpty())
            raw.removeLast(); // the final line end, or an empty file
        for (qsizetype i = 0; i < raw.size(); ++i) {
            QByteArray& line = raw[i];
            if (line.endsWith('\r')) {
                line.chop(1);
                if (i == 0)
                    doc.crlf = true;
            }
            // Stateless: a character cut at the end of the line is an error of this line,
            // not something kept for a next line that never comes.
            QStringDecoder decoder(QStringDecoder::Utf8,
                                   QStringDecoder::Flag::Stateless |
                                       QStringDecoder::Flag::ConvertInitialBom);
            QString text = decoder.decode(line);
            if (decoder.hasError())
                fail(int(i), QStringLiteral("文字不是有效的 UTF-8 编码"));
            doc.lines.append(std::move(text));
        }
        if (doc.lines.isEmpty())
            return doc; // an empty file holds no keys yet
        if (doc.lines.first().trimmed() != fileHeader)
            fail(0, QStringLiteral("第一行应为“%1”").arg(fileHeader));

        for (int i = 1; i < doc.lines.size(); ++i) {
            const QString trimmed = doc.lines.at(i).trimmed();
            if (trimmed.isEmpty() || trimmed.startsWith(u';'))
                continue;
            if (trimmed.startsWith(u'[')) {
                parseSectionHeader(doc, i, trimmed);
                continue;
            }
            if (doc.sections.empty())
                fail(i, QStringLiteral("值不在任何键之内"));
            Value value = parseValue(doc.lines, i);
            Section& section = doc.sections.back();
            if (const Value* earlier = findValue(section, value.name))
                fail(i, QStringLiteral("值“%1”在键中出现了两次（第一次在第 %2 行）")
                            .arg(value.name, QString::number(earlier->firstLine + 1)));
            i = value.lastLine;
            addValue(section, std::move(value));
        }
        return doc;
    }

private:
    [[noreturn]] void fail(int lineIndex, const QString& problem) const {
        throw RegistryFormatError(QStringLiteral("设置文件“%1”第 %2 行格式错误：%3")
                                      .arg(QDir::toNativeSeparators(m_fileName),
                                           QString::number(lineIndex + 1), problem));
    }

    void parseSectionHeader(Document& doc, int i, const QString& trimmed) const {
        if (!trimmed.endsWith(u']'))
            fail(i, QStringLiteral("键名缺少结尾的“]”"));
        const QString path = trimmed.mid(1, trimmed.size() - 2);
        if (path.trimmed().isEmpty())
            fail(i, QStringLiteral("键名为空"));
        if (const Section* earlier = doc.section(path))
            fail(i, QStringLiteral("键 [%1] 出现了两次（第一次在第 %2 行）")
                        .arg(path, QString::number(earlier->headerLine + 1)));
        doc.addSection(path, i);
    }

    static void skipSpaces(QStringView line, qsizetype& pos) {
        while (pos < line.size() && line.at(pos).isSpace())
            ++pos;
    }

    // A quoted string starting at `pos`; only \\ and \" are escapes.
    QString parseQuoted(QStringView line, qsizetype& pos, int i) const {
        QString result;
        for (++pos; pos < line.size(); ++pos) {
            const QChar c = line.at(pos);
            if (c == u'"') {
                ++pos;
                return result;
            }
            if (c == u'\\') {
                if (++pos == line.size())
                    break;
                const QChar escaped = line.at(pos);
                if (escaped != u'\\' && escaped != u'"')
                    fail(i, QStringLiteral("字符串中有未知的转义“\\%1”").arg(escaped));
                result += escaped;
            } else {
                result += c;
            }
        }
        fail(i, QStringLiteral("字符串缺少结尾的引号"));
    }

    Value parseValue(const QStringList& lines, int i) const {
        const QString& line = lines.at(i);
        Value value;
        value.firstLine = value.lastLine = i;
        qsizetype pos = 0;
        skipSpaces(line, pos);
        if (line.at(pos) == u'@')
            ++pos;
        else if (line.at(pos) == u'"')
            value.name = parseQuoted(line, pos, i);
        else
            fail(i, QStringLiteral("此处应为带引号的值名称"));
        skipSpaces(line, pos);
        if (pos == line.size() || line.at(pos) != u'=')
            fail(i, QStringLiteral("值名称后应为“=”"));
        ++pos;
        skipSpaces(line, pos);
        const QStringView data = QStringView(line).mid(pos);

        if (data.startsWith(u'"')) {
            value.kind = ValueKind::String;
            value.text = parseQuoted(line, pos, i);
            skipSpaces(line, pos);
            if (pos != line.size())
                fail(i, QStringLiteral("字符串后有多余的文字"));
        } else if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
            value.kind = ValueKind::Dword;
            value.number = parseDword(data.mid(6).trimmed(), i);
        } else if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
            value.kind = ValueKind::Binary;
            parseHex(lines, value, data.mid(3));
        } else {
            fail(i, QStringLiteral("不支持的值数据“%1”").arg(data.trimmed()));
        }
        return value;
    }

    quint32 parseDword(QStringView digits, int i) const {
        bool ok = digits.size() >= 1 && digits.size() <= 8;
        for (const QChar c : digits)
            ok = ok && isHexDigit(c);
        if (!ok)
            fail(i, QStringLiteral("dword 数据“%1”有误（应为 8 位十六进制数字）").arg(digits));
        return digits.toUInt(nullptr, 16);
    }

    static bool isHexDigit(QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    }

    // "hex:" or "hex(N):" and comma-separated bytes; a trailing "\" continues the list
    // on the next line.
    void parseHex(const QStringList& lines, Value& value, QStringView rest) const {
        const int first = value.firstLine;
        if (rest.startsWith(u'(')) {
            const qsizetype close = rest.indexOf(u')');
            bool ok = close > 1;
            const int type = ok ? rest.mid(1, close - 1).toInt(&ok, 16) : 0;
            if (!ok)
                fail(first, QStringLiteral("“hex(...)”中的值类型有误"));
            value.hexType = type;
            rest = rest.mid(close + 1);
        }
        if (!rest.startsWith(u':'))
            fail(first, QStringLiteral("“hex”后应为“:”"));
        QString list = rest.mid(1).trimmed().toString();
        while (list.endsWith(u'\\')) {
            list.chop(1);
            if (++value.lastLine == lines.size())
                fail(value.lastLine - 1, QStringLiteral("续行的值在文件末尾中断"));
            list += lines.at(value.lastLine).trimmed();
        }
        if (list.trimmed().isEmpty())
            return;
        for (const QStringView byte : QStringView(list).split(u',')) {
            const QStringView b = byte.trimmed();
            if (b.isEmpty() || b.size() > 2 || !isHexDigit(b.front()) || !isHexDigit(b.back()))
                fail(value.lastLine, QStringLiteral("十六进制数据中的字节“%1”有误").arg(b));
            value.bytes.append(char(b.toUInt(nullptr, 16)));
        }
    }

    QString m_fileName;
};

// ---- formatting -------------------------------------------------------------------------

QString quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString nameOf(const QString& name) {
    return name.isEmpty() ? QStringLiteral("@") : quoted(name);
}

QString hexBytes(const QByteArray& bytes) {
    QStringList parts;
    parts.reserve(bytes.size());
    for (const char b : bytes)
        parts.append(QStringLiteral("%1").arg(uchar(b), 2, 16, QLatin1Char('0')));
    return parts.join(QLatin1Char(','));
}

// The data part of a value line, after "=".
QString stringData(const QString& text) {
    // A line break inside quotes would end the line and spoil the file; such strings go
    // in the REG_SZ hex form (UTF-16LE with its terminating null), as regedit writes them.
    if (text.contains(u'\n') || text.contains(u'\r')) {
        QByteArray bytes;
        for (const QChar c : text) {
            bytes.append(char(c.unicode() & 0xFF));
            bytes.append(char(c.unicode() >> 8));
        }
        bytes.append(2, '\0');
        return QStringLiteral("hex(1):") + hexBytes(bytes);
    }
    return quoted(text);
}

QString dwordData(quint32 number) {
    return QStringLiteral("dword:%1").arg(number, 8, 16, QLatin1Char('0'));
}

QByteArray serialise(const Document& doc) {
    const QString newline = doc.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QByteArray bytes = doc.bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (const QString& line : doc.lines)
        bytes += (line + newline).toUtf8();
    return bytes;
}

// ---- file access ------------------------------------------------------------------------

struct FileStamp {
    bool exists = false;
    bool regular = false;
};

FileStamp stampOf(const QString& fileName) {
    FileStamp stamp;
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.regular = S_ISREG(info.st_mode);
#else
    const QFileInfo info(fileName);
    stamp.exists = info.exists();
    stamp.regular = info.isFile();
#endif
    return stamp;
}

// A folder or a pipe in the file's place would drop every setting or block the window
// until someone writes to the pipe: refused before it is opened.
void checkRegular(const QString& fileName, const FileStamp& stamp) {
    if (stamp.exists && !stamp.regular)
        throw QuorvaneError(
            QStringLiteral("设置文件“%1”不是普通文件（可能是文件夹或管道），无法读取或保存设置")
                .arg(QDir::toNativeSeparators(fileName)));
}

// The file's bytes; "" for a missing file, nullopt when it exists but cannot be read.
std::optional<QByteArray> readBytes(const QString& fileName) {
    const FileStamp stamp = stampOf(fileName);
    checkRegular(fileName, stamp);
    if (!stamp.exists)
        return QByteArray();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

void save(const QString& fileName, const Document& doc) {
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(folder))
        throw QuorvaneError(
            QStringLiteral("无法创建设置文件夹“%1”").arg(QDir::toNativeSeparators(folder)));
    checkRegular(fileName, stampOf(fileName));
    QSaveFile file(fileName);
    const QByteArray bytes = serialise(doc);
    // flush() first: a write that fails in the buffer (a full disk) would otherwise let
    // commit() rename the short file over the old one.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        !file.commit())
        throw QuorvaneError(QStringLiteral("无法写入设置文件“%1”，原来的设置未变：%2")
                                .arg(QDir::toNativeSeparators(fileName), file.errorString()));
}

// Adds the section for `fullPath` at the end of the file, with a blank line around it as
// regedit exports do.
Section& appendSection(Document& doc, const QString& fullPath) {
    if (doc.lines.isEmpty())
        doc.lines << fileHeader;
    if (!doc.lines.last().trimmed().isEmpty())
        doc.lines << QString();
    doc.lines << QLatin1Char('[') + fullPath + QLatin1Char(']');
    Section& section = doc.addSection(fullPath, int(doc.lines.size() - 1));
    doc.lines << QString();
    return section;
}

} // namespace

struct RegistryKey::Impl {
    QString fullPath; // empty while closed

    QString describe(const QString& name) const {
        return QStringLiteral("设置文件“%3”中 [%2] 的值 \"%1\"")
            .arg(name, fullPath, QDir::toNativeSeparators(storageFile()));
    }

    // The file as last parsed, with the bytes it was parsed from: a key reads several
    // values, and parsing the file again for each costs more than reading it.
    mutable std::optional<Document> cached;
    mutable QByteArray cachedBytes;

    // nullopt when the file exists but cannot be read.
    const std::optional<Document>& loadCached() const {
        const QString fileName = storageFile();
        const std::optional<QByteArray> bytes = readBytes(fileName);
        if (!bytes) {
            forget();
        } else if (!cached || *bytes != cachedBytes) {
            forget();
            cached = Parser(fileName).parse(*bytes);
            cachedBytes = *bytes;
        }
        return cached;
    }

    const Document& loadForUse() const {
        const std::optional<Document>& doc = loadCached();
        if (!doc)
            throw QuorvaneError(QStringLiteral("无法读取设置文件“%1”")
                                    .arg(QDir::toNativeSeparators(storageFile())));
        return *doc;
    }

    void forget() const {
        cached.reset();
        cachedBytes.clear();
    }

    Value value(const QString& name) const {
        if (fullPath.isEmpty())
            throw QuorvaneError(QStringLiteral("设置键没有打开"));
        const Document& doc = loadForUse();
        const Section* section = doc.section(fullPath);
        const Value* found = section ? findValue(*section, name) : nullptr;
        if (!found)
            throw QuorvaneError(QStringLiteral("%1不存在").arg(describe(name)));
        return *found;
    }

    void write(const QString& name, const QString& data) {
        if (fullPath.isEmpty())
            throw QuorvaneError(QStringLiteral("设置键没有打开"));
        Document doc = loadForUse();
        forget(); // whatever happens to the save, the next read looks at the file again
        Section* section = doc.section(fullPath);
        if (!section)
            section = &appendSection(doc, fullPath);
        if (const Value* old = findValue(*section, name)) {
            // An existing value keeps the letter case of its name, as on Windows.
            doc.lines.remove(old->firstLine, old->lastLine - old->firstLine + 1);
            doc.lines.insert(old->firstLine, nameOf(old->name) + QLatin1Char('=') + data);
        } else {
            const int after =
                section->values.empty() ? section->headerLine : section->values.back().lastLine;
            doc.lines.insert(after + 1, nameOf(name) + QLatin1Char('=') + data);
        }
        save(storageFile(), doc);
    }
};

RegistryKey::RegistryKey() : d(std::make_unique<Impl>()) {}

RegistryKey::~RegistryKey() = default;

QString RegistryKey::storageFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Brevinn/Quorvane/3.0.reg");
}

bool RegistryKey::openKey(const QString& path, bool canCreate) {
    closeKey();
    const QString fullPath = rootKey + path;
    const QString fileName = storageFile();
    const std::optional<Document>& loaded = d->loadCached();
    if (!loaded)
        return false; // unreadable: like a key the user has no access to
    if (const Section* section = loaded->section(fullPath)) {
        d->fullPath = section->path;
        return true;
    }
    if (!canCreate)
        return false;
    Document doc = *loaded;
    d->forget();
    appendSection(doc, fullPath);
    try {
        save(fileName, doc);
    } catch (const QuorvaneError&) {
        return false; // a key that cannot be created cannot be opened
    }
    d->fullPath = fullPath;
    return true;
}

void RegistryKey::closeKey() {
    d->fullPath.clear();
}

bool RegistryKey::isOpen() const {
    return !d->fullPath.isEmpty();
}

bool RegistryKey::valueExists(const QString& name) const {
    if (!isOpen())
        return false;
    const Document& doc = d->loadForUse();
    const Section* section = doc.section(d->fullPath);
    return section && findValue(*section, name);
}

QString RegistryKey::readString(const QString& name) const {
    const Value value = d->value(name);
    if (value.kind == ValueKind::String)
        return value.text;
    // REG_SZ and REG_EXPAND_SZ written in hex form: UTF-16LE up to the terminating null.
    if (value.kind == ValueKind::Binary && (value.hexType == 1 || value.hexType == 2)) {
        QString text;
        for (qsizetype i = 0; i + 1 < value.bytes.size(); i += 2) {
            const char16_t unit =
                char16_t(uchar(value.bytes.at(i)) | uchar(value.bytes.at(i + 1)) << 8);
            if (unit == 0)
                break;
            text += QChar(unit);
        }
        return text;
    }
    throw QuorvaneError(QStringLiteral("%1的数据类型不对：应为字符串").arg(d->describe(name)));
}

qint32 RegistryKey::readInteger(const QString& name) const {
    const Value value = d->value(name);
    if (value.kind == ValueKind::Dword)
        return qint32(value.number);
    if (value.kind == ValueKind::Binary && value.hexType == 4 && value.bytes.size() == 4) {
        quint32 number = 0;
        for (int i = 3; i >= 0; --i)
            number = number << 8 | uchar(value.bytes.at(i));
        return qint32(number);
    }
    throw QuorvaneError(QStringLiteral("%1的数据类型不对：应为 32 位整数").arg(d->describe(name)));
}

void RegistryKey::writeString(const QString& name, const QString& value) {
    d->write(name, stringData(value));
}

void RegistryKey::writeInteger(const QString& name, qint32 value) {
    d->write(name, dwordData(quint32(value)));
}

} // namespace quorvane
