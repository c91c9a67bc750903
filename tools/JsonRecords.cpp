#include "tools/JsonRecords.h"

#include <cstring>

namespace quorvane::JsonRecords {
namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Parser {
public:
    explicit Parser(QByteArrayView json) : m_p(json.data()), m_end(json.data() + json.size()) {}

    std::optional<std::vector<Record>> records() {
        std::vector<Record> list;
        skipSpace();
        if (!take('['))
            return std::nullopt;
        skipSpace();
        if (!take(']')) {
            do {
                skipSpace();
                Record record;
                if (!object(record))
                    return std::nullopt;
                list.push_back(std::move(record));
                skipSpace();
            } while (take(','));
            if (!take(']'))
                return std::nullopt;
        }
        skipSpace();
        if (m_p != m_end)
            return std::nullopt;
        return list;
    }

private:
    void skipSpace() {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
            ++m_p;
    }

    bool take(char c) {
        if (m_p == m_end || *m_p != c)
            return false;
        ++m_p;
        return true;
    }

    bool takeWord(const char* word) {
        const size_t length = std::strlen(word);
        if (size_t(m_end - m_p) < length || std::memcmp(m_p, word, length) != 0)
            return false;
        m_p += length;
        return true;
    }

    static int memberOf(QByteArrayView key) {
        static const char* const kNames[MemberCount] = {"word",        "pinyin",  "abbreviation",
                                                        "explanation", "example", "derivation"};
        for (int i = 0; i < MemberCount; ++i)
            if (key == kNames[i])
                return i;
        return -1;
    }

    bool object(Record& record) {
        if (!take('{'))
            return false;
        skipSpace();
        if (take('}'))
            return true;
        do {
            skipSpace();
            // Member names of this format never need an escape.
            if (!take('"'))
                return false;
            const char* start = m_p;
            while (m_p < m_end && *m_p != '"' && *m_p != '\\')
                ++m_p;
            if (!take('"'))
                return false;
            const int member = memberOf(QByteArrayView(start, m_p - 1 - start));
            skipSpace();
            if (!take(':'))
                return false;
            skipSpace();
            if (member >= 0 && record[size_t(member)])
                return false; // a repeated member
            if (takeWord("null")) {
                if (member >= 0 && member < Example)
                    return false; // required, so the general parser names the fault
            } else {
                QString text;
                if (!string(text))
                    return false;
                if (member >= 0)
                    record[size_t(member)] = std::move(text);
            }
            skipSpace();
        } while (take(','));
        return take('}');
    }

    bool unitAt(const char* at, char16_t& unit) const {
        if (m_end - at < 4)
            return false;
        int value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexDigit(at[i]);
            if (digit < 0)
                return false;
            value = value * 16 + digit;
        }
        unit = char16_t(value);
        return true;
    }

    bool string(QString& text) {
        if (!take('"'))
            return false;
        const char* run = m_p;
        while (m_p < m_end) {
            const auto* quote = static_cast<const char*>(std::memchr(m_p, '"', m_end - m_p));
            if (!quote)
                return false;
            const auto* escape = static_cast<const char*>(std::memchr(m_p, '\\', quote - m_p));
            if (!escape) {
                text += QString::fromUtf8(run, quote - run);
                m_p = quote + 1;
                return true;
            }
            m_p = escape;
            text += QString::fromUtf8(run, m_p - run);
            if (m_end - m_p < 2)
                return false;
            const char kind = m_p[1];
            m_p += 2;
            switch (kind) {
            case '"':
            case '\\':
            case '/':
                text += QLatin1Char(kind);
                break;
            case 'b':
                text += u'\b';
                break;
            case 'f':
                text += u'\f';
                break;
            case 'n':
                text += u'\n';
                break;
            case 'r':
                text += u'\r';
                break;
            case 't':
                text += u'\t';
                break;
            case 'u': {
                char16_t unit = 0;
                if (!unitAt(m_p, unit) || QChar::isLowSurrogate(unit))
                    return false;
                m_p += 4;
                if (QChar::isHighSurrogate(unit)) {
                    char16_t low = 0;
                    if (m_end - m_p < 6 || m_p[0] != '\\' || m_p[1] != 'u' ||
                        !unitAt(m_p + 2, low) || !QChar::isLowSurrogate(low))
                        return false;
                    m_p += 6;
                    text += QChar(unit);
                    text += QChar(low);
                } else {
                    text += QChar(unit);
                }
                break;
            }
            default:
                return false;
            }
            run = m_p;
        }
        return false;
    }

    const char* m_p;
    const char* m_end;
};
} // namespace

std::optional<std::vector<Record>> readPlain(QByteArrayView json) {
    if (!json.isValidUtf8())
        return std::nullopt;
    return Parser(json).records();
}

} // namespace quorvane::JsonRecords
