#pragma once

#include "data/RecordRules.h"

#include <QObject>
#include <QString>

#include <vector>

struct sqlite3;

namespace quorvane {

class AdoDataSet;

// The database connection (skt_cy). It takes an OLE DB style connection string and opens
// the SQLCipher file named by its Data Source with its database password.
class AdoConnection : public QObject {
    Q_OBJECT
public:
    explicit AdoConnection(QObject* parent = nullptr);
    ~AdoConnection() override;

    // The program's database password, piece 5 of the connection string.
    static QString databasePassword();
    // The five pieces joined, with `folder` (ending in a separator) as piece 2.
    static QString buildConnectionString(const QString& folder);

    void setConnectionString(const QString& text);
    QString connectionString() const { return m_connectionString; }

    // Throws QuorvaneError with a message for the user; the file is never written here.
    void open();
    // Closes every data set of this connection first.
    void close();
    bool connected() const { return m_db != nullptr; }
    // Opens the file at the same path again, after it was replaced by a new one. Open data
    // sets keep their snapshot of the file they were opened on until they are opened again;
    // writes and new openings go to the new file. Throws QuorvaneError and stays on the old
    // file when the new one does not open.
    void reopen();

    // Valid while connected.
    sqlite3* handle() const { return m_db; }
    QString databasePath() const { return m_path; }

    void attach(AdoDataSet* dataSet);
    void detach(AdoDataSet* dataSet);

    // Data sets still preloading share one read transaction, so all their preloaded rows
    // are from the moment they opened. A write settles them first: they end the preload and
    // read the row it changes (rowid; 0 for a new row), so no snapshot ever sees it.
    void holdRead();
    void releaseRead();
    void settleReads(qint64 rowid);

    // The idiom database's field sizes and messages, for every cursor of the connection.
    const RecordRules& recordRules() const { return m_recordRules; }

private:
    void checkTable();

    QString m_connectionString;
    QString m_path;
    sqlite3* m_db = nullptr;
    // Handles on replaced files, still read by snapshots taken from them.
    std::vector<sqlite3*> m_retired;
    std::vector<AdoDataSet*> m_dataSets;
    int m_readHolds = 0;
    bool m_readBegun = false;
    RecordRules m_recordRules;
};

// Opens the SQLCipher file at `path` with `password` and the collation registered. An
// existing file that does not open with the program's key settings is tried once more
// with SQLCipher's defaults. Throws QuorvaneError; used by the connection and by the
// import tool.
sqlite3* openEncryptedDatabase(const QString& path, const QString& password, bool create);
// Throws QuorvaneError with the engine's text when rc is not SQLITE_OK/ROW/DONE.
void checkSqlite(sqlite3* db, int rc, const QString& what);

} // namespace quorvane
