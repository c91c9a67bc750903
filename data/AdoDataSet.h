#pragma once

#include "data/AdoConnection.h"
#include "data/CellStore.h"
#include "data/EditBuffer.h"
#include "data/LocateIndex.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quorvane {

class AdoConnection;

// A position in an open data set. Rows are identified by their rowid, so a bookmark also
// finds its row again after the data set was re-opened. SQLite hands a deleted row's rowid
// to the next insert, so the bookmark also keeps the row's values: a row found by rowid
// that no longer holds them is another row, and the bookmark refuses it.
struct Bookmark {
    quint64 generation = 0;
    int row = -1;
    qint64 rowid = 0;
    QStringList values;
    bool isNull() const { return row < 0; }
};

// Browse: rows are read; Edit: the current row is being changed; Insert: a new row, not yet
// in the table, is being filled in.
enum class DataSetState { Inactive, Browse, Edit, Insert };

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
};

// A static cursor: opening takes a snapshot of all rows; later changes by other cursors
// show only after it is opened again. Flags follow the ADO/VCL rules the windows rely on.
//
// The snapshot's text is a CellStore (a cursor over a whole table in one order reads it in
// steps), locate searches a LocateIndex, and a row being edited or added is an EditBuffer
// with the SQL that writes it. A write through the connection first makes every cursor
// read what it is about to change, so no snapshot ever sees it. Field sizes and the
// messages of failed writes are the connection's RecordRules.
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

    // Every move first settles a row being edited or added (see checkBrowseMode).
    void first();
    void last();
    void next();
    void prior();
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }

    int recordCount() const { return m_store.rowCount(); }
    // Index of the current row, -1 when there is none. While a new row is being added it
    // is the row that was current before, where a cancel returns.
    int currentRow() const { return m_current; }
    // Makes `row` current, as a data-aware control does; clears both flags.
    void moveTo(int row);

    QStringList fieldNames() const { return m_store.fieldNames(); }
    int fieldIndex(const QString& name) const;
    // The current row's value as text; NULL reads as "". While a row is being edited or
    // added, its pending value. Throws when the set is closed or the field does not exist.
    QString fieldText(const QString& name) const;
    // Any row's stored value, for grids and lists.
    QString cellText(int row, int field) const;
    // The same without a copy; valid until the set is changed, closed or re-read, or until
    // a row not read before is read (after a post the text may have to move then).
    QStringView cellView(int row, int field) const;
    // Reads every cell of every row now; searches over whole rows call it first. Throws
    // QuorvaneError when the file cannot be read.
    void fetchAll() const { m_store.fetchAll(); }
    bool fetchedAll() const { return m_store.fetchedAll(); }
    // Whether the preloaded fields are still being read in the event loop.
    bool preloading() const { return m_store.preloading(); }
    // Reads the preloaded fields now.
    void finishPreload() const { m_store.finishPreload(); }
    // Reads the row with this rowid into memory, before a write changes it.
    void keepRow(qint64 rowid) const { m_store.keepRow(rowid); }

    // Editing. Each write to the table (post, delete) is one transaction: a refused write
    // throws QuorvaneError and leaves the table and the pending row as they were.
    DataSetState state() const;
    // Starts editing the current row; does nothing while a row is edited or added; starts
    // a new row when there is no current row (an empty table).
    void edit();
    // Settles the pending row, then starts a new, empty row that goes at the end.
    void append();
    // Writes the pending row. A new row becomes the last row and stays current.
    void post();
    // Drops the pending row; the stored values show again.
    void cancel();
    // Deletes the current row. While a new row is being added it drops that row instead.
    void deleteRecord();
    // Sets a field of the pending row; throws unless a row is edited or added.
    void setFieldText(const QString& name, const QString& value);
    // Whether a field of the pending row was set.
    bool modified() const { return m_edit.modified(); }
    // Leaving a pending row: a changed one is posted, an unchanged one dropped.
    void checkBrowseMode();
    // Size of a field in characters, 0 when it has no limit.
    int fieldSize(int field) const;

    Bookmark bookmark() const;
    // A null bookmark, or one whose row is gone, does nothing.
    void gotoBookmark(const Bookmark& bookmark);

    // Finds the first row, in cursor order, whose field matches; on failure nothing moves.
    bool locate(const QString& field, const QString& value, LocateOptions options);

    // The per-row filter event: while filtering is on, every move skips the rows it refuses.
    // During the call the candidate row is current for fieldText(), without any signal.
    using FilterRecordHandler = std::function<bool(AdoDataSet& dataSet)>;
    void setOnFilterRecord(FilterRecordHandler handler);
    // Switching filtering on or off is a change of filter: it settles the pending row, then
    // makes the first accepted row current.
    void setFiltered(bool filtered);
    bool filtered() const { return m_filtered; }
    // Whether `row` passes the filter in force (every row passes when filtering is off).
    bool accepts(int row);

Q_SIGNALS:
    // The set was opened, closed or re-read: bound controls reload.
    void dataSetChanged();
    // The current row changed.
    void currentChanged(int row);
    // Editing started or ended (see state()).
    void stateChanged();
    // A field of the pending row was set.
    void fieldChanged(int field);
    // Reading the preloaded fields in the event loop, or a row when it was first wanted,
    // failed; those cells stay empty. Told once per reading of the set.
    void fetchFailed(const QString& message);

protected:
    // The statement that fills the snapshot.
    virtual QString selectText() const = 0;
    // The table that post and delete write to; "" for a read-only data set.
    virtual QString writeTable() const { return {}; }
    // A statement that reads a whole table in one order ("rowid" or a column) says so, and
    // the open reads in steps.
    using TableOrder = quorvane::TableOrder;
    virtual std::optional<TableOrder> tableOrder() const { return std::nullopt; }

private:
    const RecordRules& recordRules() const;
    void ensureActive() const;
    void setCurrent(int row, bool bof, bool eof);
    void setState(DataSetState state);
    void startEdit(DataSetState state);
    QStringList rowValues(int row) const;
    // The nearest accepted row from `row` in steps of `direction`, or -1.
    int acceptedFrom(int row, int direction);

    QPointer<AdoConnection> m_connection;
    bool m_active = false;
    bool m_bof = true;
    bool m_eof = true;
    int m_current = -1;
    quint64 m_generation = 0;
    CellStore m_store;

    FilterRecordHandler m_onFilterRecord;
    bool m_filtered = false;
    bool m_inFilter = false;

    DataSetState m_state = DataSetState::Inactive;
    EditBuffer m_edit;

    // Built on the first locate that ignores case; dropped when the rows change.
    mutable LocateIndex m_locate;
};

} // namespace quorvane
