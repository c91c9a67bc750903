#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <vector>

struct sqlite3;

namespace quorvane {

class AdoConnection;
class SqlStatement;

// A statement that reads a whole table in one order: "rowid" or a column.
struct TableOrder {
    QString table;
    QString column;
    QStringList preload; // fields every row keeps besides the order column
};

// The text of a cursor's snapshot: every cell of every row, by row and field, with the
// rowid of each row. All text lies in one buffer: a string per cell would cost an
// allocation and some 50 bytes each, for 450,000 cells at 50,000 rows.
//
// A store over a whole table in one order keeps only what every row needs in memory, so
// a window shows quickly and a large dictionary stays small: it reads the row order and
// the order column from the index; the preloaded fields (the codes the lookup searches)
// follow in the event loop, under one read transaction with the open; every other cell is
// read with its row when it is first wanted.
class CellStore : public QObject {
    Q_OBJECT
public:
    explicit CellStore(QObject* parent = nullptr);
    ~CellStore() override;

    // Reads every row of a statement whose first column is the rowid, now. Throws
    // QuorvaneError.
    void readAtOnce(AdoConnection* connection, const QString& selectWithRowid);
    // Reads the row order now and the rest later; false when the order column is not a
    // field of the table (then nothing was read). Throws QuorvaneError.
    bool readInSteps(AdoConnection* connection, const TableOrder& order);
    // Drops every row and ends any read.
    void clear();

    const QStringList& fieldNames() const { return m_fieldNames; }
    int rowCount() const { return int(m_rowids.size()); }
    qint64 rowid(int row) const { return m_rowids[size_t(row)]; }
    const std::vector<qint64>& rowids() const { return m_rowids; }
    // Whether the field is kept for every row (the order column, the preloaded fields).
    bool kept(int field) const { return m_residentIndex[size_t(field)] >= 0; }

    // Valid until a cell is stored or a row not read before is read.
    QStringView view(int row, int field) const;
    // Stored values never change in place: a view taken before stays what it was.
    void store(int row, int field, const QString& value);
    // A row just written to the table: it goes at the end, every cell empty.
    void appendRow(qint64 rowid);
    void removeRow(int row);

    void fetchAll() const;
    bool fetchedAll() const { return !m_fetch; }
    bool preloading() const;
    void finishPreload() const;
    void keepRow(qint64 rowid) const;

Q_SIGNALS:
    // Reading the preloaded fields in the event loop, or a row when it was first wanted,
    // failed; those cells stay empty. Told once per reading of the set.
    void readFailed(const QString& message);

private:
    struct Fetch;
    // A cell is a run of m_text.
    struct Cell {
        quint32 offset;
        quint32 length;
    };
    static constexpr quint32 kNoSlot = 0xFFFFFFFF;
    // Upper bound of the text a snapshot of this file can hold.
    static size_t textCapacity(sqlite3* db);

    Cell& cellAt(int row, int field) const;
    Cell appendText(QStringView text) const;
    bool rowRead(int row) const;
    void storeRow(const SqlStatement& stmt, int firstColumn, int row) const;
    void storePreloaded(const SqlStatement& stmt, int firstColumn, int row, bool wholeRow) const;
    void fetchRow(int row) const;
    void reportRowFailure(const QString& detail) const;
    void preloadLater() const;
    // Reads preloaded fields for about `budgetMs` (all of them for -1); false on a read
    // error, whose text is kept in the fetch.
    bool preloadSome(int budgetMs) const;
    void endPreload() const;

    QStringList m_fieldNames;
    std::vector<qint64> m_rowids;
    mutable std::vector<char16_t> m_text;
    // The fields every row keeps, row-major: index of a field there, or -1.
    std::vector<int> m_residentIndex;
    int m_residentCount = 0;
    mutable std::vector<Cell> m_residentCells;
    // Every field of the rows read so far, one slot of cells per row.
    mutable std::vector<Cell> m_slots;
    mutable std::vector<quint32> m_slotOfRow;
    mutable std::unique_ptr<Fetch> m_fetch; // null once every row is read
};

} // namespace quorvane
