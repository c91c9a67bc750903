#include "data/SqlStatement.h"

#include "data/AdoConnection.h"

#include <sqlite3.h>

#include <utility>

namespace quorvane {

SqlStatement::SqlStatement(sqlite3* db, const QByteArray& sql) : m_db(db) {
    m_status = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &m_stmt, nullptr);
    if (m_status != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

SqlStatement::SqlStatement(sqlite3* db, const QString& sql, const QString& what)
    : SqlStatement(db, sql.toUtf8()) {
    checkSqlite(db, m_status, what);
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(m_stmt);
}

SqlStatement::SqlStatement(SqlStatement&& other) noexcept
    : m_db(other.m_db), m_stmt(std::exchange(other.m_stmt, nullptr)), m_status(other.m_status) {}

SqlStatement& SqlStatement::operator=(SqlStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_status = other.m_status;
    }
    return *this;
}

void SqlStatement::bind(int index, QStringView text) {
    // Text without data (a null QString) is bound as "", not as NULL.
    const char16_t* data = text.utf16() ? text.utf16() : u"";
    sqlite3_bind_text16(m_stmt, index, data, int(text.size() * 2), SQLITE_TRANSIENT);
}

void SqlStatement::bind(int index, qint64 value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

void SqlStatement::bindBlob(int index, const QByteArray& bytes) {
    sqlite3_bind_blob(m_stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

int SqlStatement::step() {
    return sqlite3_step(m_stmt);
}

void SqlStatement::reset() {
    sqlite3_reset(m_stmt);
}

int SqlStatement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

QString SqlStatement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QStringView SqlStatement::text(int column) const {
    // The text first, then its length; a NULL reads as an empty view with no data.
    const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(m_stmt, column));
    return QStringView(data, sqlite3_column_bytes16(m_stmt, column) / 2);
}

qint64 SqlStatement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QString quotedName(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace quorvane
