#include "data/CellStore.h"

#include "data/AdoConnection.h"
#include "data/ReadingOrder.h"
#include "data/RowidIndex.h"
#include "data/SqlStatement.h"
#include "platform/QuorvaneError.h"

#include <QElapsedTimer>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <optional>

namespace quorvane {
namespace {
// Rows read per event-loop turn, in milliseconds: short enough that typing stays smooth.
constexpr int kFetchSliceMs = 4;

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
} // namespace

struct CellStore::Fetch {
    sqlite3* db = nullptr;
    AdoConnection* connection = nullptr;
    QString table;      // quoted
    QString readFailed; // the message a failed read starts with
    quint64 serial = 0; // tells a slice of this preload from one of a preload before
    int keyField = -1;  // the order column when the open reads it; -1 otherwise
    std::vector<int> preloadFields;
    std::vector<bool> preloaded; // rows whose preloaded fields are read
    bool holdsRead = false;
    int unread = 0;       // rows whose other fields are not read yet
    SqlStatement point;   // one row by rowid
    SqlStatement preload; // rowid and the preloaded fields, in any order
    std::optional<RowidIndex> rowOfRowid;
    QString error;
    bool rowFailed = false; // a row read failed and was reported

    void releaseRead() {
        if (holdsRead)
            connection->releaseRead();
        holdsRead = false;
    }
    ~Fetch() {
        point = {};
        preload = {};
        releaseRead();
    }
};

// Here, where the fetch is a complete type.
CellStore::CellStore(QObject* parent) : QObject(parent) {}
CellStore::~CellStore() = default;

// The file stores the text as UTF-16 too. Reserved, not touched, so the memory a smaller
// snapshot leaves unused is never resident, and filling in the rest never moves the text.
size_t CellStore::textCapacity(sqlite3* db) {
    qint64 pages = 0, pageSize = 0;
    for (auto [pragma, value] :
         {std::pair{"pragma page_count", &pages}, std::pair{"pragma page_size", &pageSize}}) {
        SqlStatement stmt(db, QByteArray(pragma));
        if (stmt && stmt.step() == SQLITE_ROW)
            *value = stmt.integer(0);
    }
    return size_t(std::max<qint64>(pages * pageSize / 2, 0));
}

void CellStore::readAtOnce(AdoConnection* connection, const QString& selectWithRowid) {
    sqlite3* db = connection->handle();
    SqlStatement stmt(db, selectWithRowid, QStringLiteral("查询失败"));
    const int columns = stmt.columnCount();
    QStringList names;
    for (int i = 1; i < columns; ++i)
        names << stmt.columnName(i);
    std::vector<char16_t> text;
    text.reserve(textCapacity(db));
    std::vector<Cell> cells;
    std::vector<qint64> rowids;
    int rc;
    while ((rc = stmt.step()) == SQLITE_ROW) {
        rowids.push_back(stmt.integer(0));
        for (int i = 1; i < columns; ++i) {
            const QStringView value = stmt.text(i);
            cells.push_back({quint32(text.size()), quint32(value.size())});
            text.insert(text.end(), value.utf16(), value.utf16() + value.size());
        }
    }
    checkSqlite(db, rc, connection->recordRules().readFailed);

    m_fetch.reset();
    m_fieldNames = names;
    m_text = std::move(text);
    m_slots = std::move(cells);
    m_slotOfRow.resize(rowids.size());
    for (size_t row = 0; row < rowids.size(); ++row)
        m_slotOfRow[row] = quint32(row);
    m_residentIndex.assign(size_t(names.size()), -1);
    m_residentCount = 0;
    m_residentCells.clear();
    m_rowids = std::move(rowids);
}

bool CellStore::readInSteps(AdoConnection* connection, const TableOrder& order) {
    sqlite3* db = connection->handle();
    const QString readFailed = connection->recordRules().readFailed;
    const QString table = quotedName(order.table);
    QStringList names;
    {
        const SqlStatement stmt(db, QStringLiteral("select * from ") + table,
                                QStringLiteral("查询失败"));
        for (int i = 0; i < stmt.columnCount(); ++i)
            names << stmt.columnName(i);
    }
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
    const ReadHold hold(readingOrder ? connection : nullptr);
    const bool indexed = readingOrder && ReadingOrder::hasIndex(db);
    std::optional<ReadingOrder::KeyOrder> keyOrder;
    if (readingOrder)
        keyOrder = ReadingOrder::rowids(db);
    const bool keyLater = indexed && ReadingOrder::fewWithoutReading(*keyOrder);

    static quint64 serials = 0;
    auto fetch = std::make_unique<Fetch>();
    fetch->db = db;
    fetch->connection = connection;
    fetch->table = table;
    fetch->readFailed = readFailed;
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
        connection->holdRead();
        fetch->holdsRead = true;
    }

    m_text = {};
    m_text.reserve(textCapacity(db));
    std::vector<qint64> rowids;
    std::vector<Cell> keys;
    if (keyLater) {
        rowids = ReadingOrder::listedRowids(db, *keyOrder);
    } else {
        // The index holds the order column and the rowid: the open reads its pages only.
        SqlStatement stmt(db,
                          byRowid ? QStringLiteral("select rowid from ") + table
                                  : QStringLiteral("select rowid, %1 from %2 order by %1")
                                        .arg(quotedName(names[keyField]), table),
                          QStringLiteral("查询失败"));
        int rc;
        while ((rc = stmt.step()) == SQLITE_ROW) {
            rowids.push_back(stmt.integer(0));
            if (keyField >= 0)
                keys.push_back(appendText(stmt.text(1)));
        }
        checkSqlite(db, rc, readFailed);
    }
    if (byRowid) {
        std::sort(rowids.begin(), rowids.end()); // the covering index gives another order
    } else if (readingOrder && !keyLater) {
        const std::vector<size_t> rows = ReadingOrder::placed(*keyOrder, rowids, [&](size_t row) {
            return QStringView(m_text.data() + keys[row].offset, qsizetype(keys[row].length));
        });
        std::vector<qint64> orderedRowids;
        std::vector<Cell> orderedKeys;
        orderedRowids.reserve(rows.size());
        orderedKeys.reserve(rows.size());
        for (const size_t row : rows) {
            orderedRowids.push_back(rowids[row]);
            orderedKeys.push_back(keys[row]);
        }
        rowids = std::move(orderedRowids);
        keys = std::move(orderedKeys);
    }

    m_residentCells.assign(rowids.size() * size_t(residentCount), Cell{0, 0});
    for (size_t row = 0; row < keys.size(); ++row)
        m_residentCells[row * size_t(residentCount)] = keys[row];
    fetch->point = SqlStatement(
        db, QStringLiteral("select * from ") + table + QStringLiteral(" where rowid = ?"),
        QStringLiteral("查询失败"));
    if (!preloadColumns.isEmpty())
        fetch->preload = SqlStatement(db,
                                      QStringLiteral("select rowid, ") +
                                          preloadColumns.join(QStringLiteral(", ")) +
                                          QStringLiteral(" from ") + table,
                                      QStringLiteral("查询失败"));
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

void CellStore::clear() {
    m_fetch.reset(); // finalizes its statements and ends its read
    m_text = {};
    m_slots = {};
    m_slotOfRow = {};
    m_residentCells = {};
    m_rowids = {};
}

CellStore::Cell CellStore::appendText(QStringView text) const {
    const Cell cell{quint32(m_text.size()), quint32(text.size())};
    m_text.insert(m_text.end(), text.utf16(), text.utf16() + text.size());
    return cell;
}

bool CellStore::rowRead(int row) const {
    return m_residentCount == m_fieldNames.size() || m_slotOfRow[size_t(row)] != kNoSlot;
}

QStringView CellStore::view(int row, int field) const {
    const Cell& cell = cellAt(row, field);
    return QStringView(m_text.data() + cell.offset, qsizetype(cell.length));
}

void CellStore::store(int row, int field, const QString& value) {
    cellAt(row, field) = appendText(value);
}

void CellStore::appendRow(qint64 rowid) {
    const size_t fields = size_t(m_fieldNames.size());
    m_rowids.push_back(rowid);
    m_slotOfRow.push_back(quint32(m_slots.size() / fields)); // a fresh row is read
    m_slots.resize(m_slots.size() + fields, Cell{0, 0});
    m_residentCells.resize(m_residentCells.size() + size_t(m_residentCount), Cell{0, 0});
}

void CellStore::removeRow(int row) {
    m_rowids.erase(m_rowids.begin() + row);
    m_slotOfRow.erase(m_slotOfRow.begin() + row); // its slot stays unused
    const auto resident = m_residentCells.begin() + ptrdiff_t(row) * m_residentCount;
    m_residentCells.erase(resident, resident + m_residentCount);
}

CellStore::Cell& CellStore::cellAt(int row, int field) const {
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

void CellStore::storeRow(const SqlStatement& stmt, int firstColumn, int row) const {
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
        if (m_residentIndex[field] < 0)
            m_slots[size_t(slot) * fields + field] =
                appendText(stmt.text(firstColumn + int(field)));
    }
    m_slotOfRow[size_t(row)] = slot;
    --m_fetch->unread;
}

void CellStore::storePreloaded(const SqlStatement& stmt, int firstColumn, int row,
                               bool wholeRow) const {
    // The preload reads its fields in their order; a whole row has every field in place.
    const std::vector<int>& fields = m_fetch->preloadFields;
    const size_t base = size_t(row) * size_t(m_residentCount);
    for (size_t i = 0; i < fields.size(); ++i) {
        const int column = firstColumn + (wholeRow ? fields[i] : int(i));
        m_residentCells[base + size_t(m_residentIndex[size_t(fields[i])])] =
            appendText(stmt.text(column));
    }
}

void CellStore::fetchRow(int row) const {
    Fetch& fetch = *m_fetch;
    fetch.point.bind(1, m_rowids[size_t(row)]);
    const int rc = fetch.point.step();
    if (rc == SQLITE_ROW)
        storeRow(fetch.point, 0, row);
    else if (rc != SQLITE_DONE)
        reportRowFailure(QString::fromUtf8(sqlite3_errmsg(fetch.db)));
    fetch.point.reset();
    if (fetch.unread == 0 && !fetch.preload)
        m_fetch.reset();
}

// A row is read while something paints or asks for a cell, where no error may leave; the
// row stays empty and the failure is told once, from the event loop.
void CellStore::reportRowFailure(const QString& detail) const {
    if (m_fetch->rowFailed)
        return;
    m_fetch->rowFailed = true;
    const QString message = m_fetch->readFailed + QStringLiteral("：") + detail;
    QTimer::singleShot(
        0, this, [this, message] { Q_EMIT const_cast<CellStore*>(this)->readFailed(message); });
}

void CellStore::preloadLater() const {
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
        Q_EMIT const_cast<CellStore*>(this)->readFailed(message);
    });
}

bool CellStore::preloading() const {
    return m_fetch && m_fetch->preload;
}

bool CellStore::preloadSome(int budgetMs) const {
    Fetch& fetch = *m_fetch;
    if (!fetch.rowOfRowid)
        fetch.rowOfRowid.emplace(m_rowids);
    QElapsedTimer clock;
    clock.start();
    int steps = 0;
    for (;;) {
        // The clock is read every few rows only: a row takes about a microsecond.
        if (budgetMs >= 0 && ++steps % 64 == 0 && clock.elapsed() >= budgetMs)
            return true;
        const int rc = fetch.preload.step();
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW) {
            fetch.error = fetch.readFailed + QStringLiteral("：") +
                          QString::fromUtf8(sqlite3_errmsg(fetch.db));
            return false;
        }
        const int row = fetch.rowOfRowid->rowOf(fetch.preload.integer(0));
        if (row < 0)
            continue;
        if (!fetch.preloaded[size_t(row)])
            storePreloaded(fetch.preload, 1, row, false);
        fetch.preloaded[size_t(row)] = true;
    }
    // A row the scan did not give is read on its own, so no kept field is left empty.
    for (size_t row = 0; row < fetch.preloaded.size(); ++row)
        if (!fetch.preloaded[row])
            fetchRow(int(row));
    endPreload();
    return true;
}

void CellStore::endPreload() const {
    if (!m_fetch)
        return;
    m_fetch->preload = {};
    m_fetch->rowOfRowid.reset();
    m_fetch->preloaded = {};
    m_fetch->releaseRead();
    if (m_fetch->unread == 0)
        m_fetch.reset();
}

void CellStore::finishPreload() const {
    if (!preloading() || preloadSome(-1))
        return;
    const QString message = m_fetch->error;
    endPreload();
    throw QuorvaneError(message);
}

void CellStore::keepRow(qint64 rowid) const {
    if (!m_fetch || rowid == 0)
        return;
    const auto found = std::find(m_rowids.begin(), m_rowids.end(), rowid);
    if (found != m_rowids.end() && !rowRead(int(found - m_rowids.begin())))
        fetchRow(int(found - m_rowids.begin()));
}

void CellStore::fetchAll() const {
    finishPreload();
    if (!m_fetch)
        return;
    Fetch& fetch = *m_fetch;
    const QString readFailed = fetch.readFailed + QStringLiteral("：");
    SqlStatement scan(fetch.db, (QStringLiteral("select rowid, * from ") + fetch.table).toUtf8());
    if (!scan) {
        // The file changed under the set: said once, the rows not read stay empty.
        const QString error = QString::fromUtf8(sqlite3_errmsg(fetch.db));
        m_fetch.reset();
        throw QuorvaneError(readFailed + error);
    }
    const RowidIndex index(m_rowids);
    int rc = SQLITE_DONE;
    while (fetch.unread > 0 && (rc = scan.step()) == SQLITE_ROW) {
        const int row = index.rowOf(scan.integer(0));
        if (row >= 0 && !rowRead(row))
            storeRow(scan, 1, row);
    }
    const QString error = QString::fromUtf8(sqlite3_errmsg(fetch.db));
    scan = {};
    const bool failed = fetch.unread > 0 && rc != SQLITE_DONE;
    m_fetch.reset(); // rows no longer in the file read as empty
    if (failed)
        throw QuorvaneError(readFailed + error);
}

} // namespace quorvane
