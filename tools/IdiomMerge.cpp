#include "tools/IdiomMerge.h"

#include "data/AdoConnection.h"
#include "data/IdiomColumns.h"
#include "data/ReadingOrder.h"
#include "tools/ImportTarget.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <memory>

namespace quorvane::IdiomMerge {
namespace {
struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

void exec(sqlite3* db, const char* sql, const QString& what) {
    checkSqlite(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), what);
}

Statement prepare(sqlite3* db, const QString& sql, const QString& what) {
    sqlite3_stmt* raw = nullptr;
    const QByteArray text = sql.toUtf8();
    checkSqlite(db, sqlite3_prepare_v2(db, text.constData(), int(text.size()), &raw, nullptr),
                what);
    return Statement(raw);
}

// The build starts as a byte copy of the dictionary, so every row keeps its rowid.
void copyInto(const QString& target, const QString& build) {
    QFile from(target);
    QFile to(build);
    if (!from.open(QIODevice::ReadOnly))
        throw QuorvaneError(
            QStringLiteral("无法读取词典文件“%1”：%2").arg(target, from.errorString()));
    if (!to.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw QuorvaneError(QStringLiteral("无法写入文件“%1”：%2").arg(build, to.errorString()));
    constexpr qint64 kChunk = 1 << 20;
    while (!from.atEnd()) {
        const QByteArray chunk = from.read(kChunk);
        if (from.error() != QFileDevice::NoError)
            throw QuorvaneError(
                QStringLiteral("无法读取词典文件“%1”：%2").arg(target, from.errorString()));
        if (to.write(chunk) != chunk.size())
            throw QuorvaneError(
                QStringLiteral("无法写入文件“%1”：%2").arg(build, to.errorString()));
    }
    if (!to.flush())
        throw QuorvaneError(QStringLiteral("无法写入文件“%1”：%2").arg(build, to.errorString()));
}

Outcome addMissing(const std::vector<IdiomEntry>& entries, ImportTarget& target,
                   const QString& targetPath, const IdiomDatabase::Progress& progress) {
    copyInto(targetPath, target.buildPath());
    std::unique_ptr<sqlite3, DbCloser> db(
        openEncryptedDatabase(target.buildPath(), AdoConnection::databasePassword(), false));
    // The copy is thrown away whole when anything fails: it needs no journal.
    exec(db.get(), "pragma journal_mode = off", QStringLiteral("无法开始写入"));
    exec(db.get(), "begin", QStringLiteral("无法开始写入"));
    const QString idiom = columnName(Column::Idiom);
    QSet<QString> present;
    {
        const Statement read =
            prepare(db.get(), QStringLiteral("select ") + idiom + QStringLiteral(" from cy"),
                    QStringLiteral("无法读取词典中的成语"));
        int rc;
        while ((rc = sqlite3_step(read.get())) == SQLITE_ROW)
            present.insert(
                QString(reinterpret_cast<const QChar*>(sqlite3_column_text16(read.get(), 0)),
                        sqlite3_column_bytes16(read.get(), 0) / 2));
        checkSqlite(db.get(), rc, QStringLiteral("无法读取词典中的成语"));
    }
    // A dictionary of an earlier version gets the index of the list order with its first
    // import.
    ReadingOrder::createIndex(db.get());

    const QString failed = QStringLiteral("无法写入成语");
    const Statement insert = prepare(
        db.get(), QStringLiteral("insert into cy values (?, ?, ?, ?, ?, ?, ?, ?, ?)"), failed);
    Outcome outcome;
    const qsizetype total = qsizetype(entries.size());
    qsizetype done = 0;
    for (const IdiomEntry& entry : entries) {
        const QString& text = entry.text(Column::Idiom);
        if (present.contains(text)) {
            ++outcome.kept;
        } else {
            present.insert(text);
            for (int i = 0; i < kColumnCount; ++i) {
                const QString& value = entry.columns[size_t(i)];
                sqlite3_bind_text16(insert.get(), i + 1, value.utf16(), int(value.size() * 2),
                                    SQLITE_STATIC);
            }
            const int rc = sqlite3_step(insert.get());
            sqlite3_reset(insert.get());
            checkSqlite(db.get(), rc, failed);
            ++outcome.added;
        }
        ++done;
        if (progress && (done % 500 == 0 || done == total))
            progress(done, total);
    }
    if (progress && total == 0)
        progress(0, 0);
    exec(db.get(), "commit", QStringLiteral("无法完成写入"));
    return outcome;
}
} // namespace

Outcome apply(const std::vector<IdiomEntry>& entries, const QString& target, Mode mode,
              const IdiomDatabase::Progress& progress) {
    ImportTarget build(target);
    Outcome outcome;
    if (mode == Mode::AddMissing && QFileInfo::exists(target)) {
        outcome = addMissing(entries, build, target, progress);
    } else {
        build.write(entries, progress);
        outcome.added = qsizetype(entries.size());
    }
    build.commit();
    return outcome;
}

} // namespace quorvane::IdiomMerge
