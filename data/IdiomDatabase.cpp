#include "data/IdiomDatabase.h"

#include "data/AdoConnection.h"
#include "data/PinyinCollation.h"
#include "data/ReadingOrder.h"
#include "data/SqlStatement.h"
#include "platform/QuorvaneError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace quorvane::IdiomDatabase {
namespace {
void exec(sqlite3* db, const QString& sql, const QString& what) {
    checkSqlite(db, sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), what);
}

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// One prepared insert for any number of rows: a bulk import prepares it once.
class InsertStatement {
public:
    explicit InsertStatement(sqlite3* db)
        : m_stmt(db, QStringLiteral("insert into cy values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 QStringLiteral("无法写入成语")) {}

    void add(const IdiomEntry& entry) {
        for (int i = 0; i < kColumnCount; ++i)
            m_stmt.bind(i + 1, entry.columns[size_t(i)]);
        const int rc = m_stmt.step();
        m_stmt.reset();
        checkSqlite(m_stmt.database(), rc, QStringLiteral("无法写入成语"));
    }

private:
    SqlStatement m_stmt;
};
} // namespace

void createSchema(sqlite3* db) {
    QStringList columns;
    for (int i = 0; i < kColumnCount; ++i) {
        QString column = columnName(Column(i)) + QStringLiteral(" text");
        if (Column(i) == Column::Idiom)
            column += QStringLiteral(" collate ") + PinyinCollation::name();
        columns << column;
    }
    exec(db,
         QStringLiteral("create table cy (") + columns.join(QStringLiteral(", ")) +
             QStringLiteral(")"),
         QStringLiteral("无法建立成语表"));
    exec(db, QStringLiteral("create index cy_idiom on cy (成语)"),
         QStringLiteral("无法建立成语索引"));
    ReadingOrder::createIndex(db);
}

void insert(sqlite3* db, const IdiomEntry& entry) {
    InsertStatement(db).add(entry);
}

void create(const QString& path, const std::vector<IdiomEntry>& entries, const Progress& progress) {
    const QFileInfo target(path);
    if (!QDir().mkpath(target.absolutePath()))
        throw QuorvaneError(QStringLiteral("无法建立文件夹“%1”").arg(target.absolutePath()));
    QString building;
    {
        QTemporaryFile reserve(target.absoluteFilePath() + QStringLiteral(".XXXXXX"));
        if (!reserve.open())
            throw QuorvaneError(QStringLiteral("无法在“%1”中写入文件：%2")
                                    .arg(target.absolutePath(), reserve.errorString()));
        building = reserve.fileName();
        reserve.setAutoRemove(false);
    }
    QFile::remove(building); // SQLite wants to create it itself
    auto cleanup = qScopeGuard([&] {
        QFile::remove(building);
        QFile::remove(building + QStringLiteral("-journal"));
    });
    {
        std::unique_ptr<sqlite3, DbCloser> db(
            openEncryptedDatabase(building, AdoConnection::databasePassword(), true));
        exec(db.get(), QStringLiteral("pragma encoding = 'UTF-16le'"),
             QStringLiteral("无法设置数据库编码"));
        exec(db.get(), QStringLiteral("begin"), QStringLiteral("无法开始写入"));
        createSchema(db.get());
        InsertStatement statement(db.get());
        const qsizetype total = qsizetype(entries.size());
        qsizetype done = 0;
        for (const IdiomEntry& entry : entries) {
            statement.add(entry);
            ++done;
            if (progress && (done % 500 == 0 || done == total))
                progress(done, total);
        }
        if (progress && total == 0)
            progress(0, 0);
        exec(db.get(), QStringLiteral("commit"), QStringLiteral("无法完成写入"));
    }
    if (std::rename(QFile::encodeName(building).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw QuorvaneError(QStringLiteral("无法替换文件“%1”").arg(path));
    cleanup.dismiss();
}

} // namespace quorvane::IdiomDatabase
