#include "support/TestTable.h"

#include "data/AdoConnection.h"

#include <sqlite3.h>

namespace quorvane::testing {
namespace {
// Every row of `sql`, its cells joined by '|'.
QStringList query(const QString& databasePath, const char* sql) {
    sqlite3* db = openEncryptedDatabase(databasePath, AdoConnection::databasePassword(), false);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    QStringList rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList cells;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            cells << (text ? QString::fromUtf8(text) : QStringLiteral("∅"));
        }
        rows << cells.join(u'|');
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}
} // namespace

QStringList storedRows(const QString& databasePath) {
    return query(databasePath, "select rowid, * from cy order by rowid");
}

QString integrityCheck(const QString& databasePath) {
    return query(databasePath, "pragma integrity_check").join(u'\n');
}

} // namespace quorvane::testing
