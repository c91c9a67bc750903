// Opening in two steps: the row order first, the other columns in the event loop.
#include "data/AdoConnection.h"
#include "data/AdoDataSet.h"
#include "platform/QuorvaneError.h"

#include <QElapsedTimer>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>

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
    quint64 serial = 0; // tells a slice of this fetch from one of a fetch before
    int keyField = -1;  // read by the open; -1 when the order is the rowid
    std::vector<bool> fetched;
    int missing = 0;
    sqlite3_stmt* point = nullptr; // one row by rowid
    sqlite3_stmt* scan = nullptr;  // the rest, in the table's order
    // (rowid, row) sorted by rowid, walked alongside the scan.
    std::vector<std::pair<qint64, int>> rowOfRowid;
    size_t walked = 0;
    QString error;

    ~Fetch() {
        sqlite3_finalize(point);
        sqlite3_finalize(scan);
        if (connection)
            connection->releaseRead();
    }
};

// Here, where the fetch is a complete type.
AdoDataSet::AdoDataSet(QObject* parent) : QObject(parent) {}

AdoDataSet::~AdoDataSet() {
    if (m_connection)
        m_connection->detach(this);
}

bool AdoDataSet::openInSteps(sqlite3* db, const TableOrder& order) {
    const QString table = quotedName(order.table);
    sqlite3_stmt* stmt = prepared(db, QStringLiteral("select * from ") + table);
    QStringList names;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i)
        names << QString::fromUtf8(sqlite3_column_name(stmt, i));
    sqlite3_finalize(stmt);
    const bool byRowid = order.column.compare(QStringLiteral("rowid"), Qt::CaseInsensitive) == 0;
    int keyField = -1;
    for (int i = 0; i < names.size() && !byRowid; ++i)
        if (names[i].compare(order.column, Qt::CaseInsensitive) == 0)
            keyField = i;
    if (!byRowid && keyField < 0)
        return false;

    auto fetch = std::make_unique<Fetch>();
    static quint64 serials = 0;
    fetch->db = db;
    fetch->connection = m_connection;
    fetch->table = table;
    fetch->serial = ++serials;
    m_connection->holdRead();
    // The index holds the order column and the rowid: the open reads its pages only.
    stmt = prepared(db, byRowid ? QStringLiteral("select rowid from ") + table
                                : QStringLiteral("select rowid, %1 from %2 order by %1")
                                      .arg(quotedName(names[keyField]), table));
    const size_t fields = size_t(names.size());
    std::vector<char16_t> text;
    text.reserve(textCapacity(db));
    std::vector<qint64> rowids;
    std::vector<Cell> keys;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        rowids.push_back(sqlite3_column_int64(stmt, 0));
        if (keyField < 0)
            continue;
        const auto* value = static_cast<const char16_t*>(sqlite3_column_text16(stmt, 1));
        const size_t length = size_t(sqlite3_column_bytes16(stmt, 1)) / 2;
        keys.push_back({quint32(text.size()), quint32(length)});
        if (value)
            text.insert(text.end(), value, value + length);
    }
    sqlite3_finalize(stmt);
    checkSqlite(db, rc, QStringLiteral("读取成语表失败"));
    if (byRowid)
        std::sort(rowids.begin(), rowids.end()); // the covering index gives another order

    std::vector<Cell> cells(rowids.size() * fields, Cell{0, 0});
    for (size_t row = 0; row < keys.size(); ++row)
        cells[row * fields + size_t(keyField)] = keys[row];
    fetch->point =
        prepared(db, QStringLiteral("select * from ") + table + QStringLiteral(" where rowid = ?"));
    fetch->keyField = keyField;
    fetch->fetched.assign(rowids.size(), false);
    fetch->missing = int(rowids.size());

    m_fieldNames = names;
    m_text = std::move(text);
    m_cells = std::move(cells);
    m_rowids = std::move(rowids);
    m_fetch = std::move(fetch);
    if (m_fetch->missing == 0)
        endFetch();
    else
        fetchLater();
    return true;
}

void AdoDataSet::fetchLater() const {
    const quint64 serial = m_fetch->serial;
    QTimer::singleShot(0, this, [this, serial] {
        if (!m_fetch || m_fetch->serial != serial)
            return; // done meanwhile, or the set was closed
        if (fetchSome(kFetchSliceMs)) {
            if (m_fetch)
                fetchLater();
            return;
        }
        const QString message = m_fetch->error;
        endFetch();
        Q_EMIT const_cast<AdoDataSet*>(this)->fetchFailed(message);
    });
}

void AdoDataSet::storeRow(sqlite3_stmt* stmt, int firstColumn, int row) const {
    const size_t fields = size_t(m_fieldNames.size());
    for (size_t field = 0; field < fields; ++field) {
        if (int(field) == m_fetch->keyField)
            continue;
        const int column = firstColumn + int(field);
        const auto* value = static_cast<const char16_t*>(sqlite3_column_text16(stmt, column));
        const size_t length = size_t(sqlite3_column_bytes16(stmt, column)) / 2;
        m_cells[size_t(row) * fields + field] = {quint32(m_text.size()), quint32(length)};
        if (value)
            m_text.insert(m_text.end(), value, value + length);
    }
    m_fetch->fetched[size_t(row)] = true;
    --m_fetch->missing;
}

void AdoDataSet::fetchRow(int row) const {
    Fetch& fetch = *m_fetch;
    if (fetch.fetched[size_t(row)])
        return;
    sqlite3_bind_int64(fetch.point, 1, m_rowids[size_t(row)]);
    const int rc = sqlite3_step(fetch.point);
    if (rc == SQLITE_ROW)
        storeRow(fetch.point, 0, row);
    sqlite3_reset(fetch.point);
    if (fetch.missing == 0)
        endFetch();
}

bool AdoDataSet::fetchSome(int budgetMs) const {
    Fetch& fetch = *m_fetch;
    if (!fetch.scan) {
        fetch.rowOfRowid.reserve(m_rowids.size());
        for (size_t row = 0; row < m_rowids.size(); ++row)
            fetch.rowOfRowid.emplace_back(m_rowids[row], int(row));
        std::sort(fetch.rowOfRowid.begin(), fetch.rowOfRowid.end());
        try {
            fetch.scan = prepared(fetch.db, QStringLiteral("select rowid, * from ") + fetch.table);
        } catch (const QuorvaneError& error) {
            fetch.error = error.message();
            return false;
        }
    }
    QElapsedTimer clock;
    clock.start();
    int steps = 0;
    while (fetch.missing > 0) {
        // The clock is read every few rows only: a row takes about a microsecond.
        if (budgetMs >= 0 && ++steps % 64 == 0 && clock.elapsed() >= budgetMs)
            return true;
        const int rc = sqlite3_step(fetch.scan);
        if (rc == SQLITE_DONE) {
            // Every row of the snapshot stays in the table while the read lasts.
            fetch.error = QStringLiteral("读取成语表失败：表中少了 %1 行").arg(fetch.missing);
            return false;
        }
        if (rc != SQLITE_ROW) {
            fetch.error = QStringLiteral("读取成语表失败：%1")
                              .arg(QString::fromUtf8(sqlite3_errmsg(fetch.db)));
            return false;
        }
        const qint64 rowid = sqlite3_column_int64(fetch.scan, 0);
        auto& walk = fetch.rowOfRowid;
        while (fetch.walked < walk.size() && walk[fetch.walked].first < rowid)
            ++fetch.walked;
        for (size_t i = fetch.walked; i < walk.size() && walk[i].first == rowid; ++i)
            if (!fetch.fetched[size_t(walk[i].second)])
                storeRow(fetch.scan, 1, walk[i].second);
    }
    endFetch();
    return true;
}

void AdoDataSet::fetchAll() const {
    if (!m_fetch)
        return;
    if (fetchSome(-1))
        return;
    const QString message = m_fetch->error;
    endFetch();
    throw QuorvaneError(message);
}

void AdoDataSet::endFetch() const {
    m_fetch.reset(); // finalizes its statements and ends the read
}

} // namespace quorvane
