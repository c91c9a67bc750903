#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

struct sqlite3;

namespace quorvane::ReadingOrder {

// The list order of idioms, as printed dictionaries have it: syllable by syllable of the
// row's own reading (the letters, then the tone ā á ǎ à a, then the character), then the
// next syllable. A reading is used up to its first syllable that is not pinyin; rows that
// share that much are ordered by the rest of the idiom. Rows without a usable
// reading stand where the pinyin collation of the idiom puts them among their neighbours:
// the two orders are merged by it.

// The sort key of a row, compared unit by unit: per usable syllable a unit for its letters
// and tone, then its character; a separator; the characters not read. Keys of rows without
// a usable reading start with the separator.
QString key(QStringView pinyin, QStringView idiom);
bool hasReading(QStringView key);

// Compares two keys; rows without a usable reading come last.
int compare(QStringView keyA, QStringView keyB);

// Rowids in key order; the last `fallback` rows have no usable reading.
struct KeyOrder {
    std::vector<qint64> rowids;
    size_t fallback = 0;
};

// The list order of `count` rows in key order whose last `fallback` have no usable reading:
// row indexes, the rows without a reading merged in by the collation of `idiom(row)`, which
// is asked for a few rows only when most have a reading.
std::vector<size_t> merged(size_t count, size_t fallback,
                           const std::function<QStringView(size_t row)>& idiom);

// Whether "order by `column`" over `table` means this order: the idiom column of table cy.
bool appliesTo(const QString& table, const QString& column);

// The name under which SQLite knows the key function.
QString functionName();

// The index that keeps table cy in this order, and the expression it is built on.
QString indexName();
QString orderExpression();

// Registers the key function on a connection; writes to table cy need it.
void registerOn(sqlite3* db);

// Whether the file has the index (made by this version); older files are ordered in memory.
bool hasIndex(sqlite3* db);

// Creates the index when it is missing.
void createIndex(sqlite3* db);

// The rowids of table cy in key order. Throws QuorvaneError when the table cannot be read.
KeyOrder rowids(sqlite3* db);

// The rows of a snapshot, read in any order with `rowids`, in list order: indexes into
// `rowids`. `idiom(row)` is the idiom of a row. A row the key order does not know goes
// with the rows without a reading.
std::vector<size_t> placed(const KeyOrder& order, const std::vector<qint64>& rowids,
                           const std::function<QStringView(size_t row)>& idiom);

// Whether so few rows lack a reading that the list order is best taken from the index
// alone: each of them costs some twenty idioms read one by one.
bool fewWithoutReading(const KeyOrder& order);

// The rowids of table cy in list order, from the key order alone: the idioms that place
// the rows without a reading are read one by one. Throws QuorvaneError.
std::vector<qint64> listedRowids(sqlite3* db, const KeyOrder& order);

} // namespace quorvane::ReadingOrder
