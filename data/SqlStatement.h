#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

struct sqlite3;
struct sqlite3_stmt;

namespace quorvane {

// A prepared statement that finalizes itself. Text columns are read as UTF-16 views, valid
// until the next step or reset.
class SqlStatement {
public:
    SqlStatement() = default;
    // Prepares `sql`; a text that does not compile leaves the statement empty, with the
    // engine's code in status().
    SqlStatement(sqlite3* db, const QByteArray& sql);
    // The same, throwing QuorvaneError ("what: engine text") when the text does not compile.
    SqlStatement(sqlite3* db, const QString& sql, const QString& what);
    ~SqlStatement();
    SqlStatement(SqlStatement&& other) noexcept;
    SqlStatement& operator=(SqlStatement&& other) noexcept;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    explicit operator bool() const { return m_stmt != nullptr; }
    int status() const { return m_status; }
    sqlite3* database() const { return m_db; }

    // Parameters count from 1; text is copied, and text without data binds as "".
    void bind(int index, QStringView text);
    void bind(int index, qint64 value);
    void bindBlob(int index, const QByteArray& bytes);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QStringView text(int column) const;
    qint64 integer(int column) const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    int m_status = 0;
};

// A table or column name as SQL reads it: in double quotes, inner quotes doubled.
QString quotedName(const QString& name);

} // namespace quorvane
