#include "favourites/FavouritesStore.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QVariant>

#include <sqlite3.h>

#include <memory>

namespace quorvane {
namespace {
// "QVFV" in the file header: a file of ours, not any SQLite file that happens to be there.
constexpr qint64 kApplicationId = 0x51564656;

const char* tableOf(ListKind kind) {
    return kind == ListKind::Favourites ? "favourites" : "history";
}

// A refusal of the engine, with its result code for the message.
struct SqlError {
    int rc;
    QString text;
};

[[noreturn]] void raise(sqlite3* db, int rc) {
    throw SqlError{rc, QString::fromUtf8(sqlite3_errmsg(db))};
}

class Query {
public:
    Query(sqlite3* db, const QString& sql) : m_db(db) {
        const int rc = sqlite3_prepare16_v2(db, sql.utf16(), -1, &m_stmt, nullptr);
        if (rc != SQLITE_OK)
            raise(db, rc);
    }
    ~Query() { sqlite3_finalize(m_stmt); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    void bind(const QVariantList& args) {
        for (int i = 0; i < args.size(); ++i) {
            const QVariant& arg = args[i];
            if (arg.typeId() == QMetaType::QString) {
                const QString text = arg.toString();
                sqlite3_bind_text16(m_stmt, i + 1, text.utf16(), int(text.size() * 2),
                                    SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_int64(m_stmt, i + 1, arg.toLongLong());
            }
        }
    }
    // True while there is a row.
    bool step() {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            raise(m_db, rc);
        return false;
    }
    QString text(int column) const {
        const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(m_stmt, column));
        return data ? QString::fromUtf16(data, sqlite3_column_bytes16(m_stmt, column) / 2)
                    : QString();
    }
    qint64 number(int column) const { return sqlite3_column_int64(m_stmt, column); }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

void exec(sqlite3* db, const QString& sql) {
    Query query(db, sql);
    while (query.step()) {
    }
}

qint64 number(sqlite3* db, const QString& sql) {
    Query query(db, sql);
    return query.step() ? query.number(0) : 0;
}

QString text(sqlite3* db, const QString& sql) {
    Query query(db, sql);
    return query.step() ? query.text(0) : QString();
}

// The lists go on in memory either way; the sentence after every message says what that means.
const QString kKeptInMemory =
    QStringLiteral("收藏和最近查看本次照常使用，但更改不会保存；原文件保持原样，没有被改动。");

QString messageFor(const QString& path, const SqlError& error) {
    switch (error.rc & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return QStringLiteral("收藏夹文件“%1”已损坏，无法读取。").arg(path) + kKeptInMemory;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("收藏夹文件“%1”正被其他程序使用。").arg(path) + kKeptInMemory;
    case SQLITE_READONLY:
        return QStringLiteral("收藏夹文件“%1”是只读的。").arg(path) + kKeptInMemory;
    case SQLITE_FULL:
    case SQLITE_IOERR:
        return QStringLiteral("无法保存收藏夹文件“%1”：磁盘已满或无法写入。").arg(path) +
               kKeptInMemory;
    default:
        return QStringLiteral("无法使用收藏夹文件“%1”：%2。").arg(path, error.text) + kKeptInMemory;
    }
}

QHash<QString, std::weak_ptr<FavouritesStore>>& openStores() {
    static QHash<QString, std::weak_ptr<FavouritesStore>> stores;
    return stores;
}
} // namespace

struct FavouritesStore::Statement {
    QString sql;
    QVariantList args;
};

QString FavouritesStore::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Brevinn/Quorvane/favourites.sqlite");
}

std::shared_ptr<FavouritesStore> FavouritesStore::shared(const QString& path) {
    const QString canonical = QFileInfo(path).absoluteFilePath();
    if (auto existing = openStores().value(canonical).lock())
        return existing;
    auto store = std::make_shared<FavouritesStore>(canonical);
    openStores().insert(canonical, store);
    return store;
}

FavouritesStore::FavouritesStore(const QString& path, QObject* parent)
    : QObject(parent), m_path(path) {
    open();
}

FavouritesStore::~FavouritesStore() {
    closeFile();
}

void FavouritesStore::open() {
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        fail(QStringLiteral("无法建立收藏夹所在的文件夹“%1”。")
                 .arg(QFileInfo(m_path).absolutePath()) +
             kKeptInMemory);
        return;
    }
    const int rc = sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const SqlError error{rc, QString::fromUtf8(sqlite3_errmsg(m_db))};
        sqlite3_close(m_db);
        m_db = nullptr;
        fail(messageFor(m_path, error));
        return;
    }
    m_readOnly = sqlite3_db_readonly(m_db, "main") == 1;
    sqlite3_busy_timeout(m_db, 500);
    try {
        // Held from the first read to the close: nobody else writes while we run.
        if (!m_readOnly)
            exec(m_db, QStringLiteral("pragma locking_mode = exclusive"));
        const qint64 version = number(m_db, QStringLiteral("pragma user_version"));
        if (version > kFormatVersion) {
            closeFile();
            fail(QStringLiteral("收藏夹文件“%1”是较新版本的 Quorvane 写的（格式 %2），"
                                "这个版本读不了。")
                     .arg(m_path)
                     .arg(version) +
                 kKeptInMemory);
            return;
        }
        if (text(m_db, QStringLiteral("pragma quick_check")) != QStringLiteral("ok"))
            throw SqlError{SQLITE_CORRUPT, {}};
        const bool fresh = version == 0;
        // A file of ours, or an empty one to make ours; any other database is not touched.
        if (fresh ? number(m_db, QStringLiteral("select count(*) from sqlite_master")) != 0
                  : number(m_db, QStringLiteral("pragma application_id")) != kApplicationId)
            throw SqlError{SQLITE_NOTADB, {}};
        if (!m_readOnly) {
            m_wal =
                text(m_db, QStringLiteral("pragma journal_mode = wal")) == QStringLiteral("wal");
            exec(m_db, QStringLiteral("pragma synchronous = normal"));
            exec(m_db, QStringLiteral("begin immediate"));
            if (fresh) {
                for (const ListKind kind : {ListKind::Favourites, ListKind::History})
                    exec(m_db, QStringLiteral("create table %1 (seq integer primary key, "
                                              "idiom text not null, pinyin text not null, "
                                              "stamp integer not null, unique (idiom, pinyin))")
                                   .arg(QLatin1StringView(tableOf(kind))));
                exec(m_db, QStringLiteral("pragma application_id = %1").arg(kApplicationId));
                exec(m_db, QStringLiteral("pragma user_version = %1").arg(kFormatVersion));
            }
            exec(m_db, QStringLiteral("commit"));
        }
        if (!fresh)
            load();
    } catch (const SqlError& error) {
        m_favourites.clear();
        m_history.clear();
        closeFile();
        fail(messageFor(m_path, error));
        return;
    }
    if (m_readOnly) {
        closeFile();
        fail(messageFor(m_path, SqlError{SQLITE_READONLY, {}}));
    }
}

void FavouritesStore::load() {
    for (const ListKind kind : {ListKind::Favourites, ListKind::History}) {
        RememberedList& list = kind == ListKind::Favourites ? m_favourites : m_history;
        Query query(m_db, QStringLiteral("select idiom, pinyin, stamp, seq from %1 order by seq")
                              .arg(QLatin1StringView(tableOf(kind))));
        while (query.step())
            list.putNewest({{query.text(0), query.text(1)}, query.number(2), query.number(3)});
    }
}

void FavouritesStore::fail(const QString& message) {
    if (!m_problem.isEmpty())
        return;
    m_problem = message;
    Q_EMIT problemOccurred(message);
}

QString FavouritesStore::unreportedProblem() {
    if (m_reported)
        return {};
    m_reported = !m_problem.isEmpty();
    return m_problem;
}

void FavouritesStore::closeFile() {
    if (!m_db)
        return;
    // Between runs the file stands alone, without a write-ahead log beside it.
    if (m_wal && sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "pragma journal_mode = delete", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
    m_db = nullptr;
    m_wal = false;
}

void FavouritesStore::write(std::initializer_list<Statement> statements) {
    if (!saving())
        return;
    try {
        exec(m_db, QStringLiteral("begin immediate"));
        for (const Statement& statement : statements) {
            Query query(m_db, statement.sql);
            query.bind(statement.args);
            while (query.step()) {
            }
        }
        exec(m_db, QStringLiteral("commit"));
    } catch (const SqlError& error) {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "rollback", nullptr, nullptr, nullptr);
        closeFile();
        fail(messageFor(m_path, error));
    }
}

void FavouritesStore::setFavourite(const IdiomKey& key, bool favourite) {
    if (key.isEmpty() || favourite == isFavourite(key))
        return;
    if (favourite) {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        m_favourites.putNewest({key, now, m_favourites.newestSeq() + 1});
        write({{QStringLiteral("insert into favourites (idiom, pinyin, stamp) values (?, ?, ?)"),
                {key.idiom, key.pinyin, now}}});
    } else {
        m_favourites.remove(key);
        write({{QStringLiteral("delete from favourites where idiom = ? and pinyin = ?"),
                {key.idiom, key.pinyin}}});
    }
    Q_EMIT changed(ListKind::Favourites);
}

void FavouritesStore::recordView(const IdiomKey& key) {
    if (key.isEmpty())
        return;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    m_history.putNewest({key, now, m_history.newestSeq() + 1});
    const bool trimmed = m_history.keepNewest(kHistoryLimit) > 0;
    const Statement insert{
        QStringLiteral("insert or replace into history (idiom, pinyin, stamp) values (?, ?, ?)"),
        {key.idiom, key.pinyin, now}};
    if (trimmed)
        write({insert,
               {QStringLiteral("delete from history where seq not in "
                               "(select seq from history order by seq desc limit ?)"),
                {qint64(kHistoryLimit)}}});
    else
        write({insert});
    Q_EMIT changed(ListKind::History);
}

void FavouritesStore::remove(ListKind kind, const IdiomKey& key) {
    RememberedList& list = kind == ListKind::Favourites ? m_favourites : m_history;
    if (!list.remove(key))
        return;
    write({{QStringLiteral("delete from %1 where idiom = ? and pinyin = ?")
                .arg(QLatin1StringView(tableOf(kind))),
            {key.idiom, key.pinyin}}});
    Q_EMIT changed(kind);
}

void FavouritesStore::clear(ListKind kind) {
    RememberedList& list = kind == ListKind::Favourites ? m_favourites : m_history;
    list.clear();
    write({{QStringLiteral("delete from %1").arg(QLatin1StringView(tableOf(kind))), {}}});
    Q_EMIT changed(kind);
}

} // namespace quorvane
