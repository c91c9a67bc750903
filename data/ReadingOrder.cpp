#include "data/ReadingOrder.h"

#include "data/AdoConnection.h"
#include "data/IdiomColumns.h"
#include "data/Pinyin.h"
#include "data/PinyinCollation.h"

#include <sqlite3.h>

#include <algorithm>
#include <numeric>

namespace quorvane::ReadingOrder {
namespace {
// Ends the syllables; above every syllable unit, so a shorter reading follows the longer
// ones it begins, and rows without a reading come last. Keys compare as UTF-16 units: the
// syllable units, below every character, keep the two in step.
constexpr char16_t kSeparator = 0xFFFF;
constexpr char16_t kFirstUnit = 0x0100;
constexpr char16_t kNoCharacter = 0x0001; // a syllable the idiom has no character for
constexpr int kTones = 5;                 // ā á ǎ à, then the neutral tone

// The first key read "diu1" as no reading. Files made with it keep its index under the
// first names until a merge rebuilds it; their writes need its function, unchanged.
constexpr char kFirstFunction[] = "reading_key";
constexpr char kFirstIndex[] = "cy_reading";

// Position of a syllable in the alphabetical table; ü spelt u or v counts as one.
int rank(const QString& syllable) {
    QString text = syllable;
    const QChar first = text.front();
    if (text.size() > 1 && text.at(1) == u'v' &&
        (first == u'j' || first == u'q' || first == u'x' || first == u'y'))
        text[1] = u'u';
    if (text == u"lue" || text == u"nue")
        text[1] = u'v';
    const std::vector<QString>& table = Pinyin::syllableTable();
    const auto found = std::lower_bound(table.begin(), table.end(), text);
    if (found == table.end() || *found != text)
        return -1;
    return int(found - table.begin());
}

// The next character of the idiom that a syllable reads, 0 past its end.
char32_t nextCharacter(QStringView text, qsizetype& at) {
    while (at < text.size()) {
        char32_t code = text.at(at).unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(code) && at + 1 < text.size() &&
            text.at(at + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text.at(at), text.at(at + 1));
            width = 2;
        }
        at += width;
        if (!Pinyin::breaksSyllable(code))
            return code;
    }
    return 0;
}

QString keyOf(QStringView pinyin, QStringView idiom, Pinyin::ToneNumbers toneNumbers) {
    QString out;
    out.reserve(idiom.size() * 3 + 1);
    qsizetype at = 0;
    for (const Pinyin::Syllable& syllable : Pinyin::syllables(pinyin, toneNumbers)) {
        const int position = syllable.known ? rank(syllable.text) : -1;
        if (position < 0)
            break;
        const int tone = syllable.tone > 0 ? syllable.tone - 1 : kTones - 1;
        out += QChar(char16_t(kFirstUnit + position * kTones + tone));
        // The character the syllable reads comes before the next syllable.
        const char32_t character = nextCharacter(idiom, at);
        if (character == 0)
            out += QChar(kNoCharacter);
        else
            out += QStringView(QChar::fromUcs4(character));
    }
    // What the reading did not pair up orders rows that share it; all of an idiom without
    // a reading (the collation orders those at the open).
    out += QChar(kSeparator);
    out += idiom.sliced(at);
    return out;
}

template <Pinyin::ToneNumbers toneNumbers>
void keyFunction(sqlite3_context* context, int, sqlite3_value** values) {
    const auto text = [](sqlite3_value* value) {
        return QStringView(static_cast<const char16_t*>(sqlite3_value_text16(value)),
                           sqlite3_value_bytes16(value) / 2);
    };
    // Big-endian bytes: the index compares them as they lie, which is then unit by unit.
    const QString result = keyOf(text(values[0]), text(values[1]), toneNumbers);
    QByteArray bytes(result.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < result.size(); ++i) {
        const char16_t unit = result.at(i).unicode();
        bytes[2 * i] = char(unit >> 8);
        bytes[2 * i + 1] = char(unit & 0xFF);
    }
    sqlite3_result_blob(context, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

sqlite3_stmt* prepared(sqlite3* db, const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    checkSqlite(db, sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr),
                QStringLiteral("读取成语表失败"));
    return stmt;
}
// How many rows have no usable reading, on a file with the index; in it they come last.
size_t fallbackCount(sqlite3* db) {
    // Keys without a reading sort from the separator on: a range at the end of the index.
    sqlite3_stmt* stmt = prepared(db, QStringLiteral("select count(*) from cy where ") +
                                          orderExpression() + QStringLiteral(" >= ?"));
    static const char separator[] = {char(kSeparator >> 8), char(kSeparator & 0xFF)};
    sqlite3_bind_blob(stmt, 1, separator, 2, SQLITE_STATIC);
    const int rc = sqlite3_step(stmt);
    const size_t count = rc == SQLITE_ROW ? size_t(sqlite3_column_int64(stmt, 0)) : 0;
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW)
        checkSqlite(db, rc, QStringLiteral("读取成语表失败"));
    return count;
}

} // namespace

QString key(QStringView pinyin, QStringView idiom) {
    return keyOf(pinyin, idiom, Pinyin::ToneNumbers::Read);
}

bool hasReading(QStringView key) {
    return !key.isEmpty() && key.front() != QChar(kSeparator);
}

int compare(QStringView keyA, QStringView keyB) {
    const int order = keyA.compare(keyB);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool appliesTo(const QString& table, const QString& column) {
    return table.compare(QStringLiteral("cy"), Qt::CaseInsensitive) == 0 &&
           column == columnName(Column::Idiom);
}

QString functionName() {
    return QStringLiteral("reading_key2");
}

QString indexName() {
    return QStringLiteral("cy_reading2");
}

QString orderExpression() {
    return functionName() + QStringLiteral("(拼音, 成语)");
}

void registerOn(sqlite3* db) {
    sqlite3_create_function(db, kFirstFunction, 2, SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr,
                            &keyFunction<Pinyin::ToneNumbers::Unknown>, nullptr, nullptr);
    sqlite3_create_function(db, functionName().toUtf8().constData(), 2,
                            SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr,
                            &keyFunction<Pinyin::ToneNumbers::Read>, nullptr, nullptr);
}

bool hasIndex(sqlite3* db) {
    sqlite3_stmt* stmt = prepared(
        db, QStringLiteral("select 1 from sqlite_master where type = 'index' and name = '") +
                indexName() + QStringLiteral("'"));
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    sqlite3_finalize(stmt);
    return found;
}

void createIndex(sqlite3* db) {
    const QByteArray sql =
        (QStringLiteral("drop index if exists ") + QLatin1StringView(kFirstIndex) +
         QStringLiteral("; create index if not exists ") + indexName() +
         QStringLiteral(" on cy (") + orderExpression() + QStringLiteral(")"))
            .toUtf8();
    checkSqlite(db, sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr),
                QStringLiteral("无法建立成语索引"));
}

KeyOrder rowids(sqlite3* db) {
    KeyOrder order;
    int rc;
    if (hasIndex(db)) {
        sqlite3_stmt* stmt =
            prepared(db, QStringLiteral("select rowid from cy order by ") + orderExpression());
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            order.rowids.push_back(sqlite3_column_int64(stmt, 0));
        sqlite3_finalize(stmt);
        checkSqlite(db, rc, QStringLiteral("读取成语表失败"));
        order.fallback = std::min(fallbackCount(db), order.rowids.size());
        return order;
    }
    // A file from before the index: ordered here, the file left as it is.
    std::vector<qint64> unordered;
    std::vector<QString> keys;
    sqlite3_stmt* stmt = prepared(db, QStringLiteral("select rowid, 拼音, 成语 from cy"));
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        unordered.push_back(sqlite3_column_int64(stmt, 0));
        const auto column = [stmt](int i) {
            return QStringView(static_cast<const char16_t*>(sqlite3_column_text16(stmt, i)),
                               sqlite3_column_bytes16(stmt, i) / 2);
        };
        keys.push_back(key(column(1), column(2)));
    }
    sqlite3_finalize(stmt);
    checkSqlite(db, rc, QStringLiteral("读取成语表失败"));
    std::vector<size_t> sorted(unordered.size());
    std::iota(sorted.begin(), sorted.end(), size_t(0));
    std::sort(sorted.begin(), sorted.end(),
              [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
    order.rowids.reserve(sorted.size());
    for (size_t i : sorted) {
        order.rowids.push_back(unordered[i]);
        order.fallback += hasReading(keys[i]) ? 0 : 1;
    }
    return order;
}

std::vector<size_t> merged(size_t count, size_t fallback,
                           const std::function<QStringView(size_t row)>& idiom) {
    std::vector<size_t> rows;
    rows.reserve(count);
    const size_t readings = count - std::min(fallback, count);
    // The index keeps rows without a reading in code order; the collation orders them.
    std::vector<size_t> unread(count - readings);
    std::iota(unread.begin(), unread.end(), readings);
    std::stable_sort(unread.begin(), unread.end(), [&idiom](size_t a, size_t b) {
        return PinyinCollation::compare(idiom(a), idiom(b)) < 0;
    });
    // Rows with a reading are nearly in collation order. A row without one goes between a
    // neighbour the collation puts before it and one it puts after it, found by halving:
    // some twenty idioms are compared per row, not all of them, and none when every row
    // has a reading. Rows without a reading keep their own order.
    size_t r = 0;
    for (const size_t row : unread) {
        size_t low = r, high = readings;
        while (low < high) {
            const size_t middle = low + (high - low) / 2;
            if (PinyinCollation::compare(idiom(row), idiom(middle)) < 0)
                high = middle;
            else
                low = middle + 1;
        }
        while (r < low)
            rows.push_back(r++);
        rows.push_back(row);
    }
    while (r < readings)
        rows.push_back(r++);
    return rows;
}

} // namespace quorvane::ReadingOrder
