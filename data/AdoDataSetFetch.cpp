// A cursor that reads in steps: the row order at the open, the preloaded fields in the event
// loop, every other cell with its row when it is first wanted.
#include "data/AdoConnection.h"
#include "data/AdoDataSet.h"
#include "data/ReadingOrder.h"
#include "platform/QuorvaneError.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <unordered_map>

namespace quorvane {
namespace {
QString quotedName(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

sqlite3_stmt* prepared(sqlite3* db, const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    checkSqlite(db, sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr),
                QStringLiteral("查询失败"));
    return stmt;
}

// Rows read per event-loop turn, in milliseconds: short enough that typing stays smooth.
constexpr int kFetchSliceMs = 4;
} // namespace

struct AdoDataSet::Fetch {
    sqlite3* db = nullptr;
    AdoConnection* connection = nullptr;
    QString table;      // quoted
    quint64 serial = 0; // tells a slice of this preload from one of a preload before
    int keyField = -1;  // the order column when the open reads it; -1 otherwise
    std::vector<int> preloadFields;
    std::vector<bool> preloaded; // rows whose preloaded fields are read
    bool holdsRead = false;
    int unread = 0;                  // rows whose other fields are not read yet
    sqlite3_stmt* point = nullptr;   // one row by rowid
    sqlite3_stmt* preload = nullptr; // rowid and the preloaded fields, in the table's order
    // (rowid, row) sorted by rowid, walked alongside a scan.
    std::vector<std::pair<qint64, int>> rowOfRowid;
    size_t walked = 0;
    QString error;
    bool rowFailed = false; // a row read failed and was reported

    void releaseRead() {
        if (holdsRead)
            connection->releaseRead();
        holdsRead = false;
    }
    ~Fetch() {
        sqlite3_finalize(point);
        sqlite3_finalize(preload);
        releaseRead();
    }
};

// Here, where the fetch is a complete type.
AdoDataSet::AdoDataSet(QObject* parent) : QObject(parent) {}

AdoDataSet::~AdoDataSet() {
    if (m_connection)
        m_connection->detach(this);
}

namespace {
std::vector<std::pair<qint64, int>> sortedRowids(const std::vector<qint64>& rowids) {
    std::vector<std::pair<qint64, int>> pairs;
    pairs.reserve(rowids.size());
    for (size_t row = 0; row < rowids.size(); ++row)
        pairs.emplace_back(rowids[row], int(row));
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

// The idiom index gives the idioms in collation order; the list order puts them in their
// places. `idiom(row)` reads a row's idiom as the open read it.
template <typename Key>
void inReadingOrder(const ReadingOrder::KeyOrder& order, std::vector<qint64>& rowids,
                    std::vector<Key>& keys, const std::function<QStringView(const Key&)>& idiomOf) {
    // Rowids are mostly 1 to n: a table by rowid finds each row at once; otherwise a sort.
    qint64 largest = 0, smallest = 0;
    for (const qint64 rowid : rowids) {
        largest = std::max(largest, rowid);
        smallest = std::min(smallest, rowid);
    }
    const bool dense = smallest >= 0 && largest <= qint64(rowids.size()) * 2 + 64;
    std::vector<int> rowAt(dense ? size_t(largest) + 1 : 0, -1);
    std::vector<std::pair<qint64, int>> rowOf;
    if (dense) {
        for (size_t row = 0; row < rowids.size(); ++row)
            rowAt[size_t(rowids[row])] = int(row);
    } else {
        rowOf = sortedRowids(rowids);
    }
    const auto find = [&](qint64 rowid) {
        if (dense)
            return rowid >= 0 && rowid <= largest ? rowAt[size_t(rowid)] : -1;
        const auto found = std::lower_bound(rowOf.begin(), rowOf.end(), std::pair{rowid, -1});
        return found != rowOf.end() && found->first == rowid ? found->second : -1;
    };
    std::vector<bool> placed(rowids.size(), false);
    std::vector<int> inKeyOrder;
    inKeyOrder.reserve(rowids.size());
    size_t fallback = order.fallback;
    for (size_t i = 0; i < order.rowids.size(); ++i) {
        const int row = find(order.rowids[i]);
        if (row >= 0 && !placed[size_t(row)]) {
            placed[size_t(row)] = true;
            inKeyOrder.push_back(row);
        } else if (i + order.fallback >= order.rowids.size()) {
            --fallback;
        }
    }
    // A row the second read did not see (written in between) goes with the unread ones.
    for (size_t row = 0; row < rowids.size(); ++row)
        if (!placed[row]) {
            inKeyOrder.push_back(int(row));
            ++fallback;
        }
    const std::vector<size_t> rows =
        ReadingOrder::merged(inKeyOrder.size(), fallback,
                             [&](size_t i) { return idiomOf(keys[size_t(inKeyOrder[i])]); });
    std::vector<qint64> orderedRowids;
    std::vector<Key> orderedKeys;
    orderedRowids.reserve(rows.size());
    orderedKeys.reserve(rows.size());
    for (const size_t i : rows) {
        orderedRowids.push_back(rowids[size_t(inKeyOrder[i])]);
        orderedKeys.push_back(keys[size_t(inKeyOrder[i])]);
    }
    rowids = std::move(orderedRowids);
    keys = std::move(orderedKeys);
}

// Holds one read over the statements of the open, so that they see the same table.
class ReadHold {
public:
    explicit ReadHold(AdoConnection* connection) : m_connection(connection) {
        if (m_connection)
            m_connection->holdRead();
    }
    ~ReadHold() {
        if (m_connection)
            m_connection->releaseRead();
    }
    ReadHold(const ReadHold&) = delete;
    ReadHold& operator=(const ReadHold&) = delete;

private:
    AdoConnection* m_connection;
};

// Rows without a reading cost some twenty rows read each when the order comes from the
// index alone; many of them are placed faster from one scan of the idiom index.
bool fewWithoutReading(const ReadingOrder::KeyOrder& order) {
    return order.fallback <= std::max<size_t>(64, order.rowids.size() / 256);
}

// The list order from the index of the reading order: the rows without a reading are
// merged in, their idioms and those they are compared with read one by one.
std::vector<qint64> placedByIndex(sqlite3* db, const QString& table, const QString& column,
                                  const ReadingOrder::KeyOrder& order) {
    if (order.fallback == 0)
        return order.rowids;
    sqlite3_stmt* stmt =
        prepared(db, QStringLiteral("select %1 from %2 where rowid = ?").arg(column, table));
    const auto finalize = qScopeGuard([stmt] { sqlite3_finalize(stmt); });
    std::unordered_map<size_t, QString> idioms; // its nodes stay where they are
    const auto idiom = [&](size_t i) -> QStringView {
        const auto [at, added] = idioms.try_emplace(i);
        if (added) {
            sqlite3_bind_int64(stmt, 1, order.rowids[i]);
            const int rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW)
                at->second = QString(static_cast<const QChar*>(sqlite3_column_text16(stmt, 0)),
                                     sqlite3_column_bytes16(stmt, 0) / 2);
            else
                checkSqlite(db, rc, QStringLiteral("读取成语表失败"));
            sqlite3_reset(stmt);
        }
        return at->second;
    };
    std::vector<qint64> rowids;
    rowids.reserve(order.rowids.size());
    for (const size_t i : ReadingOrder::merged(order.rowids.size(), order.fallback, idiom))
        rowids.push_back(order.rowids[i]);
    return rowids;
}
} // namespace

bool AdoDataSet::openInSteps(sqlite3* db, const TableOrder& order) {
    const QString table = quotedName(order.table);
    sqlite3_stmt* stmt = prepared(db, QStringLiteral("select * from ") + table);
    QStringList names;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i)
        names << QString::fromUtf8(sqlite3_column_name(stmt, i));
    sqlite3_finalize(stmt);
    const auto fieldOf = [&names](const QString& name) {
        for (int i = 0; i < names.size(); ++i)
            if (names[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    };
    const bool byRowid = order.column.compare(QStringLiteral("rowid"), Qt::CaseInsensitive) == 0;
    const int keyField = byRowid ? -1 : fieldOf(order.column);
    if (!byRowid && keyField < 0)
        return false;

    // The idioms are listed in the order of their readings. A file with the index of that
    // order, where nearly every row has a reading, gives the order from the index alone; the
    // idioms then come with the preload, and any row wanted before it is read at once.
    const bool readingOrder = !byRowid && ReadingOrder::appliesTo(order.table, names[keyField]);
    const ReadHold hold(readingOrder ? m_connection : nullptr);
    const bool indexed = readingOrder && ReadingOrder::hasIndex(db);
    std::optional<ReadingOrder::KeyOrder> keyOrder;
    if (readingOrder)
        keyOrder = ReadingOrder::rowids(db);
    const bool keyLater = indexed && fewWithoutReading(*keyOrder);

    static quint64 serials = 0;
    auto fetch = std::make_unique<Fetch>();
    fetch->db = db;
    fetch->connection = m_connection;
    fetch->table = table;
    fetch->serial = ++serials;
    fetch->keyField = keyLater ? -1 : keyField;
    std::vector<int> resident(size_t(names.size()), -1);
    int residentCount = 0;
    if (keyField >= 0)
        resident[size_t(keyField)] = residentCount++;
    QStringList preloadColumns;
    if (keyLater) {
        fetch->preloadFields.push_back(keyField);
        preloadColumns << quotedName(names[keyField]);
    }
    for (const QString& name : order.preload) {
        const int field = fieldOf(name);
        if (field < 0 || resident[size_t(field)] >= 0)
            continue;
        resident[size_t(field)] = residentCount++;
        fetch->preloadFields.push_back(field);
        preloadColumns << quotedName(names[field]);
    }
    if (!preloadColumns.isEmpty()) {
        // The preload must see the table as the open saw it.
        m_connection->holdRead();
        fetch->holdsRead = true;
    }

    m_text = {};
    m_text.reserve(textCapacity(db));
    std::vector<qint64> rowids;
    std::vector<Cell> keys;
    if (keyLater) {
        rowids = placedByIndex(db, table, quotedName(names[keyField]), *keyOrder);
    } else {
        // The index holds the order column and the rowid: the open reads its pages only.
        stmt = prepared(db, byRowid ? QStringLiteral("select rowid from ") + table
                                    : QStringLiteral("select rowid, %1 from %2 order by %1")
                                          .arg(quotedName(names[keyField]), table));
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            rowids.push_back(sqlite3_column_int64(stmt, 0));
            if (keyField >= 0)
                keys.push_back(
                    appendText(static_cast<const char16_t*>(sqlite3_column_text16(stmt, 1)),
                               size_t(sqlite3_column_bytes16(stmt, 1)) / 2));
        }
        sqlite3_finalize(stmt);
        checkSqlite(db, rc, QStringLiteral("读取成语表失败"));
    }
    if (byRowid)
        std::sort(rowids.begin(), rowids.end()); // the covering index gives another order
    else if (readingOrder && !keyLater)
        inReadingOrder<Cell>(*keyOrder, rowids, keys, [this](const Cell& cell) {
            return QStringView(m_text.data() + cell.offset, qsizetype(cell.length));
        });

    m_residentCells.assign(rowids.size() * size_t(residentCount), Cell{0, 0});
    for (size_t row = 0; row < keys.size(); ++row)
        m_residentCells[row * size_t(residentCount)] = keys[row];
    fetch->point =
        prepared(db, QStringLiteral("select * from ") + table + QStringLiteral(" where rowid = ?"));
    if (!preloadColumns.isEmpty())
        fetch->preload = prepared(
            db, QStringLiteral("select rowid, ") + preloadColumns.join(QStringLiteral(", ")) +
                    QStringLiteral(" from ") + table + QStringLiteral(" order by rowid"));
    fetch->unread = residentCount == names.size() ? 0 : int(rowids.size());
    if (fetch->preload)
        fetch->preloaded.assign(rowids.size(), false);

    m_fieldNames = names;
    m_residentIndex = std::move(resident);
    m_residentCount = residentCount;
    m_slots.clear();
    m_slotOfRow.assign(rowids.size(), kNoSlot);
    m_rowids = std::move(rowids);
    m_fetch = std::move(fetch);
    if (m_fetch->preload)
        preloadLater();
    else if (m_fetch->unread == 0)
        m_fetch.reset();
    return true;
}

AdoDataSet::Cell AdoDataSet::appendText(const char16_t* text, size_t length) const {
    const Cell cell{quint32(m_text.size()), quint32(text ? length : 0)};
    if (text)
        m_text.insert(m_text.end(), text, text + length);
    return cell;
}

bool AdoDataSet::rowRead(int row) const {
    return m_residentCount == m_fieldNames.size() || m_slotOfRow[size_t(row)] != kNoSlot;
}

AdoDataSet::Cell& AdoDataSet::cellAt(int row, int field) const {
    const int resident = m_residentIndex[size_t(field)];
    if (resident >= 0) {
        // A preloaded field wanted before the preload came to its row: read the row now.
        if (preloading() && field != m_fetch->keyField && !m_fetch->preloaded[size_t(row)])
            fetchRow(row);
        return m_residentCells[size_t(row) * size_t(m_residentCount) + size_t(resident)];
    }
    if (m_slotOfRow[size_t(row)] == kNoSlot && m_fetch)
        fetchRow(row);
    const size_t fields = size_t(m_fieldNames.size());
    if (m_slotOfRow[size_t(row)] == kNoSlot) {
        // A new row, or one that is no longer in the file: its cells start empty.
        m_slotOfRow[size_t(row)] = quint32(m_slots.size() / fields);
        m_slots.resize(m_slots.size() + fields, Cell{0, 0});
        if (m_fetch && --m_fetch->unread == 0 && !m_fetch->preload)
            m_fetch.reset();
    }
    return m_slots[size_t(m_slotOfRow[size_t(row)]) * fields + size_t(field)];
}

void AdoDataSet::storeRow(sqlite3_stmt* stmt, int firstColumn, int row) const {
    const size_t fields = size_t(m_fieldNames.size());
    if (preloading() && !m_fetch->preloaded[size_t(row)]) {
        storePreloaded(stmt, firstColumn, row, true);
        m_fetch->preloaded[size_t(row)] = true;
    }
    if (rowRead(row))
        return;
    const quint32 slot = quint32(m_slots.size() / fields);
    m_slots.resize(m_slots.size() + fields, Cell{0, 0});
    for (size_t field = 0; field < fields; ++field) {
        if (m_residentIndex[field] >= 0)
            continue;
        const int column = firstColumn + int(field);
        m_slots[size_t(slot) * fields + field] =
            appendText(static_cast<const char16_t*>(sqlite3_column_text16(stmt, column)),
                       size_t(sqlite3_column_bytes16(stmt, column)) / 2);
    }
    m_slotOfRow[size_t(row)] = slot;
    --m_fetch->unread;
}

void AdoDataSet::storePreloaded(sqlite3_stmt* stmt, int firstColumn, int row, bool wholeRow) const {
    // The preload reads its fields in their order; a whole row has every field in place.
    const std::vector<int>& fields = m_fetch->preloadFields;
    const size_t base = size_t(row) * size_t(m_residentCount);
    for (size_t i = 0; i < fields.size(); ++i) {
        const int column = firstColumn + (wholeRow ? fields[i] : int(i));
        m_residentCells[base + size_t(m_residentIndex[size_t(fields[i])])] =
            appendText(static_cast<const char16_t*>(sqlite3_column_text16(stmt, column)),
                       size_t(sqlite3_column_bytes16(stmt, column)) / 2);
    }
}

void AdoDataSet::fetchRow(int row) const {
    Fetch& fetch = *m_fetch;
    sqlite3_bind_int64(fetch.point, 1, m_rowids[size_t(row)]);
    const int rc = sqlite3_step(fetch.point);
    if (rc == SQLITE_ROW)
        storeRow(fetch.point, 0, row);
    else if (rc != SQLITE_DONE)
        reportRowFailure(QString::fromUtf8(sqlite3_errmsg(fetch.db)));
    sqlite3_reset(fetch.point);
    if (fetch.unread == 0 && !fetch.preload)
        m_fetch.reset();
}

// A row is read while something paints or asks for a cell, where no error may leave; the
// row stays empty and the failure is told once, from the event loop.
void AdoDataSet::reportRowFailure(const QString& detail) const {
    if (m_fetch->rowFailed)
        return;
    m_fetch->rowFailed = true;
    const QString message = QStringLiteral("读取成语表失败：%1").arg(detail);
    QTimer::singleShot(
        0, this, [this, message] { Q_EMIT const_cast<AdoDataSet*>(this)->fetchFailed(message); });
}

void AdoDataSet::preloadLater() const {
    const quint64 serial = m_fetch->serial;
    QTimer::singleShot(0, this, [this, serial] {
        if (!m_fetch || m_fetch->serial != serial || !m_fetch->preload)
            return; // done meanwhile, or the set was closed
        if (preloadSome(kFetchSliceMs)) {
            if (preloading())
                preloadLater();
            return;
        }
        const QString message = m_fetch->error;
        endPreload();
        Q_EMIT const_cast<AdoDataSet*>(this)->fetchFailed(message);
    });
}

bool AdoDataSet::preloading() const {
    return m_fetch && m_fetch->preload;
}

bool AdoDataSet::preloadSome(int budgetMs) const {
    Fetch& fetch = *m_fetch;
    if (fetch.rowOfRowid.empty())
        fetch.rowOfRowid = sortedRowids(m_rowids);
    QElapsedTimer clock;
    clock.start();
    int steps = 0;
    for (;;) {
        // The clock is read every few rows only: a row takes about a microsecond.
        if (budgetMs >= 0 && ++steps % 64 == 0 && clock.elapsed() >= budgetMs)
            return true;
        const int rc = sqlite3_step(fetch.preload);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW) {
            fetch.error = QStringLiteral("读取成语表失败：%1")
                              .arg(QString::fromUtf8(sqlite3_errmsg(fetch.db)));
            return false;
        }
        const qint64 rowid = sqlite3_column_int64(fetch.preload, 0);
        const auto& walk = fetch.rowOfRowid;
        while (fetch.walked < walk.size() && walk[fetch.walked].first < rowid)
            ++fetch.walked;
        if (fetch.walked == walk.size() || walk[fetch.walked].first != rowid)
            continue;
        const int row = walk[fetch.walked].second;
        if (!fetch.preloaded[size_t(row)])
            storePreloaded(fetch.preload, 1, row, false);
        fetch.preloaded[size_t(row)] = true;
    }
    // The scan walks the rowids in order; a row it still missed is read on its own, so no
    // kept field is left empty.
    for (size_t row = 0; row < fetch.preloaded.size(); ++row)
        if (!fetch.preloaded[row])
            fetchRow(int(row));
    endPreload();
    return true;
}

void AdoDataSet::endPreload() const {
    if (!m_fetch)
        return;
    sqlite3_finalize(m_fetch->preload);
    m_fetch->preload = nullptr;
    m_fetch->rowOfRowid = {};
    m_fetch->preloaded = {};
    m_fetch->walked = 0;
    m_fetch->releaseRead();
    if (m_fetch->unread == 0)
        m_fetch.reset();
}

void AdoDataSet::endFetch() const {
    m_fetch.reset(); // finalizes its statements and ends its read
}

void AdoDataSet::finishPreload() const {
    if (!preloading() || preloadSome(-1))
        return;
    const QString message = m_fetch->error;
    endPreload();
    throw QuorvaneError(message);
}

void AdoDataSet::keepRow(qint64 rowid) const {
    if (!m_fetch || rowid == 0)
        return;
    const auto found = std::find(m_rowids.begin(), m_rowids.end(), rowid);
    if (found != m_rowids.end() && !rowRead(int(found - m_rowids.begin())))
        fetchRow(int(found - m_rowids.begin()));
}

void AdoDataSet::fetchAll() const {
    finishPreload();
    if (!m_fetch)
        return;
    Fetch& fetch = *m_fetch;
    sqlite3_stmt* scan = nullptr;
    const QByteArray sql =
        (QStringLiteral("select rowid, * from ") + fetch.table + QStringLiteral(" order by rowid"))
            .toUtf8();
    if (sqlite3_prepare_v2(fetch.db, sql.constData(), int(sql.size()), &scan, nullptr) !=
        SQLITE_OK) {
        // The file changed under the set: said once, the rows not read stay empty.
        const QString error = QString::fromUtf8(sqlite3_errmsg(fetch.db));
        sqlite3_finalize(scan);
        m_fetch.reset();
        throw QuorvaneError(QStringLiteral("读取成语表失败：%1").arg(error));
    }
    const auto walk = sortedRowids(m_rowids);
    size_t walked = 0;
    int rc = SQLITE_DONE;
    while (fetch.unread > 0 && (rc = sqlite3_step(scan)) == SQLITE_ROW) {
        const qint64 rowid = sqlite3_column_int64(scan, 0);
        while (walked < walk.size() && walk[walked].first < rowid)
            ++walked;
        if (walked < walk.size() && walk[walked].first == rowid && !rowRead(walk[walked].second))
            storeRow(scan, 1, walk[walked].second);
    }
    const QString error = QString::fromUtf8(sqlite3_errmsg(fetch.db));
    sqlite3_finalize(scan);
    const bool failed = fetch.unread > 0 && rc != SQLITE_DONE;
    m_fetch.reset(); // rows no longer in the file read as empty
    if (failed)
        throw QuorvaneError(QStringLiteral("读取成语表失败：%1").arg(error));
}

} // namespace quorvane
