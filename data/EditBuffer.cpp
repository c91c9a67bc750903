#include "data/EditBuffer.h"

#include "data/AdoConnection.h"
#include "data/SqlStatement.h"
#include "platform/QuorvaneError.h"

#include <QScopeGuard>

#include <sqlite3.h>

namespace quorvane {
namespace {
// Characters, not UTF-16 units: a rare character outside the basic plane counts once.
qsizetype characterCount(const QString& text) {
    qsizetype count = text.size();
    for (const QChar c : text)
        if (c.isLowSurrogate())
            --count;
    return count;
}

// Runs one write as its own transaction; returns the rows it changed.
int writeInTransaction(AdoConnection* connection, const QString& sql,
                       const std::vector<const QString*>& texts, qint64 rowid,
                       const QString& what) {
    if (!connection || !connection->connected())
        throw QuorvaneError(QStringLiteral("数据库连接没有打开"));
    connection->settleReads(rowid); // no snapshot may see this write
    sqlite3* db = connection->handle();
    checkSqlite(db, sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr), what);
    // Anything that fails before the commit leaves the table as it was.
    auto rollback = qScopeGuard([db] {
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
    });
    int changed = 0;
    {
        SqlStatement stmt(db, sql, what);
        int index = 1;
        for (const QString* value : texts)
            stmt.bind(index++, *value);
        if (rowid != 0)
            stmt.bind(index, rowid);
        checkSqlite(db, stmt.step(), what);
        changed = sqlite3_changes(db);
    }
    checkSqlite(db, sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), what);
    rollback.dismiss();
    return changed;
}
} // namespace

void EditBuffer::start(std::vector<QString> values) {
    m_values = std::move(values);
    m_changed.assign(m_values.size(), false);
    m_modified = false;
}

void EditBuffer::clear() {
    m_values.clear();
    m_changed.clear();
    m_modified = false;
}

void EditBuffer::set(int field, QString value) {
    m_values[size_t(field)] = std::move(value);
    m_changed[size_t(field)] = true;
    m_modified = true;
}

void EditBuffer::checkSizes(const QStringList& names, const RecordRules& rules) const {
    for (int field = 0; field < names.size(); ++field) {
        const int size = rules.fieldSize(names[field]);
        const qsizetype length = characterCount(m_values[size_t(field)]);
        if (size > 0 && length > size)
            throw QuorvaneError(QStringLiteral("“%1”太长：最多 %2 个字符，现在有 %3 个")
                                    .arg(names[field])
                                    .arg(size)
                                    .arg(length));
    }
}

void EditBuffer::writeUpdate(AdoConnection* connection, const QString& table,
                             const QStringList& names, qint64 rowid,
                             const RecordRules& rules) const {
    std::vector<const QString*> texts;
    QStringList columns;
    for (size_t field = 0; field < m_values.size(); ++field) {
        if (!m_changed[field])
            continue;
        columns << quotedName(names[int(field)]) + QStringLiteral(" = ?");
        texts.push_back(&m_values[field]);
    }
    if (columns.isEmpty())
        return;
    const QString sql = QStringLiteral("update ") + quotedName(table) + QStringLiteral(" set ") +
                        columns.join(QStringLiteral(", ")) + QStringLiteral(" where rowid = ?");
    if (writeInTransaction(connection, sql, texts, rowid, rules.saveFailed) != 1)
        throw QuorvaneError(rules.saveFailed + u'：' + rules.rowGone);
}

qint64 EditBuffer::writeInsert(AdoConnection* connection, const QString& table,
                               const QStringList& names, const RecordRules& rules) const {
    std::vector<const QString*> texts;
    QStringList columns;
    QStringList marks;
    for (size_t field = 0; field < m_values.size(); ++field) {
        columns << quotedName(names[int(field)]);
        marks << QStringLiteral("?");
        texts.push_back(&m_values[field]);
    }
    const QString sql = QStringLiteral("insert into ") + quotedName(table) + QStringLiteral(" (") +
                        columns.join(QStringLiteral(", ")) + QStringLiteral(") values (") +
                        marks.join(QStringLiteral(", ")) + QStringLiteral(")");
    writeInTransaction(connection, sql, texts, 0, rules.saveFailed);
    return sqlite3_last_insert_rowid(connection->handle());
}

void EditBuffer::writeDelete(AdoConnection* connection, const QString& table, qint64 rowid,
                             const RecordRules& rules) {
    const QString sql =
        QStringLiteral("delete from ") + quotedName(table) + QStringLiteral(" where rowid = ?");
    if (writeInTransaction(connection, sql, {}, rowid, rules.deleteFailed) != 1)
        throw QuorvaneError(rules.deleteFailed + u'：' + rules.rowGone);
}

} // namespace quorvane
