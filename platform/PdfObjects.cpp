#include "platform/PdfObjects.h"

#include <QRegularExpression>

#include <algorithm>

namespace quorvane {

namespace {
QByteArray inflate(const QByteArray& data, qsizetype sizeHint) {
    // qUncompress wants zlib data behind the expected size; it grows past a low guess.
    const quint32 hint = quint32(std::clamp<qsizetype>(sizeHint, 1024, 64 << 20));
    QByteArray framed(4, '\0');
    framed[0] = char(hint >> 24);
    framed[1] = char(hint >> 16);
    framed[2] = char(hint >> 8);
    framed[3] = char(hint);
    return qUncompress(framed + data);
}

} // namespace

bool PdfObjects::isSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

std::optional<int> PdfObjects::numberIn(const QByteArray& text, const QString& pattern) {
    const QRegularExpression re(pattern);
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(text));
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toInt();
}

bool PdfObjects::read() {
    const qsizetype mark = m_bytes.lastIndexOf("startxref");
    if (mark < 0)
        return false;
    qsizetype pos = mark + 9;
    const std::optional<qsizetype> first = number(pos);
    if (!first)
        return false;
    m_xref = *first;
    qsizetype at = m_xref;
    for (int section = 0; section < 64; ++section) {
        if (!readSection(at))
            return false;
        const std::optional<int> prev =
            numberIn(m_sectionTrailer, QStringLiteral("/Prev\\s+(\\d+)"));
        if (!prev)
            return true;
        at = *prev;
    }
    return false;
}

QByteArray PdfObjects::dictionary(int object) const {
    const qsizetype start = dictionaryStart(object);
    if (start < 0)
        return {};
    const qsizetype end = dictionaryEnd(start);
    return end < 0 ? QByteArray() : m_bytes.mid(start, end - start);
}

std::optional<QByteArray> PdfObjects::stream(int object, qsizetype sizeHint) const {
    const qsizetype start = dictionaryStart(object);
    const qsizetype end = start < 0 ? -1 : dictionaryEnd(start);
    if (end < 0)
        return std::nullopt;
    const QByteArray dict = m_bytes.mid(start, end - start);
    qsizetype pos = end;
    while (pos < m_bytes.size() && isSpace(m_bytes[pos]))
        ++pos;
    if (!m_bytes.mid(pos, 6).startsWith("stream"))
        return std::nullopt;
    pos += 6;
    if (m_bytes.mid(pos, 2) == "\r\n")
        pos += 2;
    else if (pos < m_bytes.size() && m_bytes[pos] == '\n')
        ++pos;
    const std::optional<qsizetype> length = lengthOf(dict);
    if (!length || *length < 0 || pos + *length > m_bytes.size())
        return std::nullopt;
    const QByteArray data = m_bytes.mid(pos, *length);
    if (!dict.contains("/FlateDecode"))
        return data;
    const QByteArray plain = inflate(data, std::max(sizeHint, *length * 4));
    if (plain.isEmpty() && !data.isEmpty())
        return std::nullopt;
    return plain;
}

std::optional<qsizetype> PdfObjects::number(qsizetype& pos) const {
    while (pos < m_bytes.size() && isSpace(m_bytes[pos]))
        ++pos;
    qsizetype end = pos;
    while (end < m_bytes.size() && m_bytes[end] >= '0' && m_bytes[end] <= '9')
        ++end;
    if (end == pos)
        return std::nullopt;
    bool ok = false;
    const qsizetype value = m_bytes.mid(pos, end - pos).toLongLong(&ok);
    pos = end;
    return ok ? std::optional<qsizetype>(value) : std::nullopt;
}

bool PdfObjects::readSection(qsizetype at) {
    qsizetype pos = at;
    while (pos < m_bytes.size() && isSpace(m_bytes[pos]))
        ++pos;
    if (at < 0 || !m_bytes.mid(pos, 4).startsWith("xref"))
        return false; // a cross-reference stream: not written here
    pos += 4;
    for (;;) {
        while (pos < m_bytes.size() && isSpace(m_bytes[pos]))
            ++pos;
        if (m_bytes.mid(pos, 7) == "trailer")
            break;
        const std::optional<qsizetype> start = number(pos);
        const std::optional<qsizetype> count = number(pos);
        if (!start || !count)
            return false;
        for (qsizetype i = 0; i < *count; ++i) {
            const std::optional<qsizetype> offset = number(pos);
            const std::optional<qsizetype> generation = number(pos);
            while (pos < m_bytes.size() && isSpace(m_bytes[pos]))
                ++pos;
            if (!offset || !generation || pos >= m_bytes.size())
                return false;
            const int object = int(*start + i);
            // Later sections come first and win.
            if (m_bytes[pos] == 'n' && !m_offsets.contains(object))
                m_offsets.insert(object, {*offset, int(*generation)});
            ++pos;
        }
    }
    pos += 7;
    while (pos < m_bytes.size() && isSpace(m_bytes[pos]))
        ++pos;
    const qsizetype end = dictionaryEnd(pos);
    if (end < 0)
        return false;
    m_sectionTrailer = m_bytes.mid(pos, end - pos);
    if (m_trailer.isEmpty())
        m_trailer = m_sectionTrailer;
    return true;
}

qsizetype PdfObjects::dictionaryStart(int object) const {
    if (!m_offsets.contains(object))
        return -1;
    qsizetype pos = m_offsets.value(object).first;
    const qsizetype obj = m_bytes.indexOf("obj", pos);
    if (obj < 0 || obj - pos > 32)
        return -1;
    pos = obj + 3;
    while (pos < m_bytes.size() && isSpace(m_bytes[pos]))
        ++pos;
    return m_bytes.mid(pos, 2) == "<<" ? pos : -1;
}

qsizetype PdfObjects::dictionaryEnd(qsizetype start) const {
    if (m_bytes.mid(start, 2) != "<<")
        return -1;
    int depth = 0;
    for (qsizetype pos = start; pos + 1 < m_bytes.size(); ++pos) {
        const char c = m_bytes[pos];
        if (c == '<' && m_bytes[pos + 1] == '<') {
            ++depth;
            ++pos;
        } else if (c == '>' && m_bytes[pos + 1] == '>') {
            ++pos;
            if (--depth == 0)
                return pos + 1;
        } else if (c == '(') {
            for (int nesting = 1; nesting > 0 && ++pos < m_bytes.size();) {
                if (m_bytes[pos] == '\\')
                    ++pos;
                else if (m_bytes[pos] == '(')
                    ++nesting;
                else if (m_bytes[pos] == ')')
                    --nesting;
            }
        }
    }
    return -1;
}

std::optional<qsizetype> PdfObjects::lengthOf(const QByteArray& dict) const {
    static const QRegularExpression re(QStringLiteral("/Length\\s+(\\d+)(?:\\s+(\\d+)\\s+R)?"));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(dict));
    if (!m.hasMatch())
        return std::nullopt;
    if (m.captured(2).isEmpty())
        return m.captured(1).toLongLong();
    const int object = m.captured(1).toInt();
    if (!m_offsets.contains(object))
        return std::nullopt;
    qsizetype pos = m_bytes.indexOf("obj", m_offsets.value(object).first);
    if (pos < 0)
        return std::nullopt;
    pos += 3;
    return number(pos);
}

} // namespace quorvane
