#pragma once

#include "data/AdoConnection.h"
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quorvane {

class AdoConnection;

// A position in an open data set. Rows are identified by their rowid, so a bookmark also
// finds its row again after the data set was re-opened.
struct Bookmark {
    quint64 generation = 0;
    int row = -1;
    qint64 rowid = 0;
    bool isNull() const { return row < 0; }
};

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
};

// A static cursor: opening takes a snapshot of all rows; later changes by other cursors
// show only after it is opened again. Flags follow the ADO/VCL rules the windows rely on.
class AdoDataSet : public QObject {
    Q_OBJECT
public:
    explicit AdoDataSet(QObject* parent = nullptr);
    ~AdoDataSet() override;

    void setConnection(AdoConnection* connection);
    AdoConnection* connection() const { return m_connection; }

    // Throws QuorvaneError when the connection is closed or the query fails.
    void open();
    void close();
    bool active() const { return m_active; }

    void first();
    void last();
    void next();
    void prior();
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }

    int recordCount() const { return int(m_rowids.size()); }
    // Index of the current row, -1 when there is none.
    int currentRow() const { return m_current; }
    // Makes `row` current, as a data-aware control does; clears both flags.
    void moveTo(int row);

    QStringList fieldNames() const { return m_fieldNames; }
    int fieldIndex(const QString& name) const;
    // The current row's value as text; NULL reads as "". Throws when the set is closed or
    // the field does not exist.
    QString fieldText(const QString& name) const;
    // Any row's value, for grids and lists.
    const QString& cellText(int row, int field) const;

    Bookmark bookmark() const;
    // A null bookmark, or one whose row is gone, does nothing.
    void gotoBookmark(const Bookmark& bookmark);

    // Finds the first row, in cursor order, whose field matches; on failure nothing moves.
    bool locate(const QString& field, const QString& value, LocateOptions options);

    // The per-row filter event: while filtering is on, every move skips the rows it refuses.
    // During the call the candidate row is current for fieldText(), without any signal.
    using FilterRecordHandler = std::function<bool(AdoDataSet& dataSet)>;
    void setOnFilterRecord(FilterRecordHandler handler);
    // Switching filtering on or off makes the first accepted row current.
    void setFiltered(bool filtered);
    bool filtered() const { return m_filtered; }
    // Whether `row` passes the filter in force (every row passes when filtering is off).
    bool accepts(int row);

Q_SIGNALS:
    // The set was opened, closed or re-read: bound controls reload.
    void dataSetChanged();
    // The current row changed.
    void currentChanged(int row);

protected:
    // The statement that fills the snapshot.
    virtual QString selectText() const = 0;

private:
    void ensureActive() const;
    void setCurrent(int row, bool bof, bool eof);
    void buildLocateIndex(int field) const;

    QPointer<AdoConnection> m_connection;
    bool m_active = false;
    bool m_bof = true;
    bool m_eof = true;
    int m_current = -1;
    quint64 m_generation = 0;
    QStringList m_fieldNames;
    std::vector<QString> m_cells; // row-major
    std::vector<qint64> m_rowids;

    int earliestRow(size_t from, size_t to) const;
    // The nearest accepted row from `row` in steps of `direction`, or -1.
    int acceptedFrom(int row, int direction);

    FilterRecordHandler m_onFilterRecord;
    bool m_filtered = false;

    // Sorted (case-folded text, row) pairs of one field, built on the first locate, and
    // the smallest row of every power-of-two run of it: a prefix is one run of the index,
    // so its first row in cursor order comes in two lookups instead of a scan.
    mutable int m_indexField = -1;
    mutable std::vector<std::pair<QString, int>> m_locateIndex;
    mutable std::vector<std::vector<int>> m_runMinimum;
};

} // namespace quorvane
