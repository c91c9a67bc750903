#include "data/ReadingOrder.h"

#include "data/AdoConnection.h"
#include "data/IdiomColumns.h"
#include "data/Pinyin.h"
#include "data/PinyinCollation.h"
#include "data/RowidIndex.h"
#include "data/SqlStatement.h"

#include <sqlite3.h>

#include <algorithm>
#include <numeric>
#include <unordered_map>

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

SqlStatement prepared(sqlite3* db, const QString& sql) {
    return SqlStatement(db, sql, QStringLiteral("读取成语表失败"));
}

// How many rows have no usable reading, on a file with the index; in it they come last.
size_t fallbackCount(sqlite3* db) {
    // Keys without a reading sort from the separator on: a range at the end of the index.
    SqlStatement stmt = prepared(db, QStringLiteral("select count(*) from cy where ") +
                                         orderExpression() + QStringLiteral(" >= ?"));
    const char separator[] = {char(kSeparator >> 8), char(kSeparator & 0xFF)};
    stmt.bindBlob(1, QByteArray(separator, sizeof separator));
    const int rc = stmt.step();
    checkSqlite(db, rc, QStringLiteral("读取成语表失败"));
    return rc == SQLITE_ROW ? size_t(stmt.integer(0)) : 0;
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
    return prepared(
               db, QStringLiteral("select 1 from sqlite_master where type = 'index' and name = '") +
                       indexName() + QStringLiteral("'"))
               .step() == SQLITE_ROW;
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
        SqlStatement stmt =
            prepared(db, QStringLiteral("select rowid from cy order by ") + orderExpression());
        while ((rc = stmt.step()) == SQLITE_ROW)
            order.rowids.push_back(stmt.integer(0));
        checkSqlite(db, rc, QStringLiteral("读取成语表失败"));
        order.fallback = std::min(fallbackCount(db), order.rowids.size());
        return order;
    }
    // A file from before the index: ordered here, the file left as it is.
    std::vector<qint64> unordered;
    std::vector<QString> keys;
    SqlStatement stmt = prepared(db, QStringLiteral("select rowid, 拼音, 成语 from cy"));
    while ((rc = stmt.step()) == SQLITE_ROW) {
        unordered.push_back(stmt.integer(0));
        keys.push_back(key(stmt.text(1), stmt.text(2)));
    }
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

std::vector<size_t> placed(const KeyOrder& order, const std::vector<qint64>& rowids,
                           const std::function<QStringView(size_t row)>& idiom) {
    const RowidIndex index(rowids);
    std::vector<bool> seen(rowids.size(), false);
    std::vector<size_t> inKeyOrder;
    inKeyOrder.reserve(rowids.size());
    size_t fallback = order.fallback;
    for (size_t i = 0; i < order.rowids.size(); ++i) {
        const int row = index.rowOf(order.rowids[i]);
        if (row >= 0 && !seen[size_t(row)]) {
            seen[size_t(row)] = true;
            inKeyOrder.push_back(size_t(row));
        } else if (i + order.fallback >= order.rowids.size()) {
            --fallback;
        }
    }
    // A row the key order did not see (written in between) goes with the unread ones.
    for (size_t row = 0; row < rowids.size(); ++row)
        if (!seen[row]) {
            inKeyOrder.push_back(row);
            ++fallback;
        }
    std::vector<size_t> rows =
        merged(inKeyOrder.size(), fallback, [&](size_t i) { return idiom(inKeyOrder[i]); });
    for (size_t& row : rows)
        row = inKeyOrder[row];
    return rows;
}

bool fewWithoutReading(const KeyOrder& order) {
    return order.fallback <= std::max<size_t>(64, order.rowids.size() / 256);
}

std::vector<qint64> listedRowids(sqlite3* db, const KeyOrder& order) {
    if (order.fallback == 0)
        return order.rowids;
    SqlStatement stmt = prepared(db, QStringLiteral("select %1 from cy where rowid = ?")
                                         .arg(quotedName(columnName(Column::Idiom))));
    std::unordered_map<size_t, QString> idioms; // its nodes stay where they are
    const auto idiom = [&](size_t i) -> QStringView {
        const auto [at, added] = idioms.try_emplace(i);
        if (added) {
            stmt.bind(1, order.rowids[i]);
            const int rc = stmt.step();
            checkSqlite(db, rc, QStringLiteral("读取成语表失败"));
            if (rc == SQLITE_ROW)
                at->second = stmt.text(0).toString();
            stmt.reset();
        }
        return at->second;
    };
    std::vector<qint64> rowids;
    rowids.reserve(order.rowids.size());
    for (const size_t i : merged(order.rowids.size(), order.fallback, idiom))
        rowids.push_back(order.rowids[i]);
    return rowids;
}

} // namespace quorvane::ReadingOrder
