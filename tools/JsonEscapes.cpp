#include "tools/JsonEscapes.h"

namespace quorvane::JsonEscapes {
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

// The UTF-16 unit of the four hexadecimal digits at `at`, or -1.
int unitAt(QByteArrayView json, qsizetype at) {
    if (at + 4 > json.size())
        return -1;
    int unit = 0;
    for (qsizetype i = at; i < at + 4; ++i) {
        const int digit = hexDigit(json[i]);
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// The escape at `backslash` as written, for the message: "\q", "\u12", "\ud800", "\é".
QString escapeText(QByteArrayView json, qsizetype backslash) {
    qsizetype end = backslash + 2;
    if (json[backslash + 1] == 'u')
        while (end < json.size() && end < backslash + 6 && hexDigit(json[end]) >= 0)
            ++end;
    else
        while (end < json.size() && (uchar(json[end]) & 0xC0) == 0x80) // rest of a character
            ++end;
    return QString::fromUtf8(json.sliced(backslash, end - backslash));
}

bool isSimpleEscape(char c) {
    return c == '"' || c == '\\' || c == '/' || c == 'b' || c == 'f' || c == 'n' || c == 'r' ||
           c == 't';
}
} // namespace

std::optional<Fault> findFault(QByteArrayView json) {
    if (!json.contains('\\'))
        return std::nullopt;
    qsizetype depth = 0;
    qsizetype record = 0;
    qsizetype line = 1;
    bool expectElement = false; // in the outer array, the next value starts a record
    bool recordIsObject = false;
    bool expectKey = false; // in a record, the next string names a member
    QString key;
    const qsizetype size = json.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = json[i];
        if (c == '\n')
            ++line;
        if (c == '\n' || c == ' ' || c == '\t' || c == '\r')
            continue;
        if (depth == 1 && expectElement && c != ']' && c != ',') {
            ++record;
            expectElement = false;
        }
        switch (c) {
        case '[':
        case '{':
            ++depth;
            if (depth == 1)
                expectElement = c == '[';
            if (depth == 2) {
                recordIsObject = c == '{';
                expectKey = recordIsObject;
                key.clear();
            }
            break;
        case ']':
        case '}':
            --depth;
            break;
        case ',':
            if (depth == 1)
                expectElement = true;
            else if (depth == 2)
                expectKey = recordIsObject;
            break;
        case ':':
            if (depth == 2)
                expectKey = false;
            break;
        case '"': {
            const bool isKey = depth == 2 && expectKey;
            const qsizetype start = i + 1;
            auto fault = [&](qsizetype at, bool lone) {
                return Fault{depth >= 1 ? record : 0, depth >= 2 && !isKey ? key : QString(),
                             escapeText(json, at), lone, line};
            };
            for (++i; i < size && json[i] != '"'; ++i) {
                if (json[i] == '\n')
                    ++line;
                if (json[i] != '\\')
                    continue;
                if (i + 1 == size)
                    return std::nullopt; // an unterminated string, which the parser reports
                const char kind = json[i + 1];
                if (isSimpleEscape(kind)) {
                    ++i;
                    continue;
                }
                if (kind != 'u')
                    return fault(i, false);
                const int unit = unitAt(json, i + 2);
                if (unit < 0)
                    return fault(i, false);
                if (unit >= 0xDC00 && unit <= 0xDFFF)
                    return fault(i, true);
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    const bool pair = i + 7 < size && json[i + 6] == '\\' && json[i + 7] == 'u';
                    const int low = pair ? unitAt(json, i + 8) : -1;
                    if (low < 0xDC00 || low > 0xDFFF)
                        return fault(i, true);
                    i += 6;
                }
                i += 5;
            }
            if (isKey)
                key = QString::fromUtf8(json.sliced(start, i - start));
            break;
        }
        default:
            break;
        }
    }
    return std::nullopt;
}

} // namespace quorvane::JsonEscapes
