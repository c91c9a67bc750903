#include "data/AdoConnection.h"

#include "data/AdoDataSet.h"
#include "data/IdiomColumns.h"
#include "data/PinyinCollation.h"
#include "data/ReadingOrder.h"
#include "data/SqlStatement.h"
#include "platform/QuorvaneError.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace quorvane {
namespace {
const QString kProvider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");

// Splits "a=b;c=\"d;e\";" into pairs; quotes protect separators and are removed.
QList<std::pair<QString, QString>> parseConnectionString(const QString& text) {
    QList<std::pair<QString, QString>> pairs;
    QString key, value;
    bool inValue = false, quoted = false;
    auto flush = [&] {
        if (!key.trimmed().isEmpty())
            pairs.append({key.trimmed(), value});
        key.clear();
        value.clear();
        inValue = false;
    };
    for (const QChar c : text) {
        if (quoted) {
            if (c == u'"')
                quoted = false;
            else
                value += c;
        } else if (c == u';') {
            flush();
        } else if (!inValue && c == u'=') {
            inValue = true;
        } else if (inValue && c == u'"') {
            quoted = true;
        } else {
            (inValue ? value : key) += c;
        }
    }
    flush();
    return pairs;
}

QString valueOf(const QList<std::pair<QString, QString>>& pairs, const QString& key) {
    for (const auto& [k, v] : pairs)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    return {};
}

bool isPlainSqlite(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}
} // namespace

void checkSqlite(sqlite3* db, int rc, const QString& what) {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return;
    // A dictionary in a folder the user cannot write (an installed package) opens for
    // reading; the first change says why it cannot be kept and where a copy can live.
    const int primary = rc & 0xFF;
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    // The open file was renamed, replaced or deleted under the program: its folder may be
    // writable as ever, so that is not the reason to give.
    if (file && *file && primary == SQLITE_READONLY &&
        (sqlite3_extended_errcode(db) == SQLITE_READONLY_DBMOVED ||
         !QFileInfo::exists(QString::fromUtf8(file))))
        throw QuorvaneError(what + QStringLiteral("：词典文件“%1”在程序运行时被移走、替换或删除，"
                                                  "修改没有保存。请重新启动程序。")
                                       .arg(QString::fromUtf8(file)));
    if (file && *file && (primary == SQLITE_READONLY || primary == SQLITE_CANTOPEN))
        throw QuorvaneError(what +
                            QStringLiteral("：词典文件“%1”或它所在的文件夹不可写，修改没有保存。"
                                           "请把 cy.mdb 连同程序放到自己可写的文件夹中使用，"
                                           "例如用 cmake --install build --prefix ~/.local 安装到 "
                                           "~/.local/lib/quorvane/。")
                                .arg(QString::fromUtf8(file)));
    const QString detail =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    throw QuorvaneError(what + QStringLiteral("：") + detail);
}

namespace {
// Opens and keys the file; with `projectSettings` the program's key derivation, otherwise
// SQLCipher's defaults (files made by its shell or other standard tools). Returns the
// result of the first read, which is where a wrong key shows.
int openKeyed(const QString& path, const QByteArray& key, bool create, bool projectSettings,
              sqlite3** db) {
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString detail = QString::fromUtf8(*db ? sqlite3_errmsg(*db) : sqlite3_errstr(rc));
        sqlite3_close(*db);
        *db = nullptr;
        throw QuorvaneError(QStringLiteral("无法打开数据库文件“%1”：%2").arg(path, detail));
    }
    sqlite3_key(*db, key.constData(), int(key.size()));
    // The password is a constant of the program, so a slow key derivation protects
    // nothing; it would only cost every start some 60 ms.
    if (projectSettings)
        sqlite3_exec(*db, "pragma kdf_iter = 4000", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(*db, 5000);
    return sqlite3_exec(*db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
}
} // namespace

sqlite3* openEncryptedDatabase(const QString& path, const QString& password, bool create) {
    if (!create && !QFileInfo(path).isFile())
        throw QuorvaneError(QStringLiteral("找不到数据库文件“%1”").arg(path));
    const QByteArray key = password.toUtf8();
    sqlite3* db = nullptr;
    int probe = openKeyed(path, key, create, true, &db);
    if (probe == SQLITE_NOTADB && !create && !isPlainSqlite(path)) {
        sqlite3_close(db);
        db = nullptr;
        probe = openKeyed(path, key, false, false, &db);
    }
    if (probe != SQLITE_OK) {
        sqlite3_close(db);
        if (probe == SQLITE_NOTADB)
            throw QuorvaneError(
                isPlainSqlite(path)
                    ? QStringLiteral("数据库文件“%1”没有加密，不是本程序的成语数据库").arg(path)
                    : QStringLiteral("数据库文件“%1”不是使用此密码的成语数据库").arg(path));
        throw QuorvaneError(QStringLiteral("无法打开数据库文件“%1”：%2")
                                .arg(path, QString::fromUtf8(sqlite3_errstr(probe))));
    }
    PinyinCollation::registerOn(db);
    ReadingOrder::registerOn(db);
    return db;
}

AdoConnection::AdoConnection(QObject* parent)
    : QObject(parent), m_recordRules(idiomRecordRules()) {}

AdoConnection::~AdoConnection() {
    close();
}

QString AdoConnection::databasePassword() {
    return QStringLiteral("vormtal38qepzix");
}

QString AdoConnection::buildConnectionString(const QString& folder) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Password=\"\";User ID=Admin;Data "
                          "Source=") +
           folder + QStringLiteral("cy.mdb;") +
           QStringLiteral("Mode=Read|Write;Extended Properties=\"\";Locale Identifier=2052;") +
           QStringLiteral("Jet OLEDB:Database Password=\"") + databasePassword() +
           QStringLiteral("\"");
}

void AdoConnection::setConnectionString(const QString& text) {
    m_connectionString = text;
}

void AdoConnection::open() {
    if (connected())
        return;
    const auto pairs = parseConnectionString(m_connectionString);
    const QString provider = valueOf(pairs, QStringLiteral("Provider"));
    if (provider.compare(kProvider, Qt::CaseInsensitive) != 0)
        throw QuorvaneError(QStringLiteral("未找到提供程序“%1”").arg(provider));
    const QString path = valueOf(pairs, QStringLiteral("Data Source"));
    if (path.isEmpty())
        throw QuorvaneError(QStringLiteral("连接字符串中没有指定数据库文件（Data Source）"));
    sqlite3* db = openEncryptedDatabase(
        path, valueOf(pairs, QStringLiteral("Jet OLEDB:Database Password")), false);
    m_db = db;
    m_path = path;
    try {
        checkTable();
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

void AdoConnection::checkTable() {
    QStringList present;
    {
        SqlStatement stmt(m_db, QStringLiteral("pragma table_info(cy)"),
                          QStringLiteral("无法读取表 cy 的结构"));
        while (stmt.step() == SQLITE_ROW)
            present << stmt.text(1).toString();
    }
    if (present.isEmpty())
        throw QuorvaneError(QStringLiteral("数据库“%1”中没有成语表 cy").arg(m_path));
    QStringList missing;
    for (int i = 0; i < kColumnCount; ++i)
        if (!present.contains(columnName(Column(i))))
            missing << columnName(Column(i));
    if (!missing.isEmpty())
        throw QuorvaneError(QStringLiteral("数据库“%1”的成语表 cy 缺少列：%2")
                                .arg(m_path, missing.join(QStringLiteral("、"))));
}

void AdoConnection::close() {
    const auto dataSets = m_dataSets;
    for (AdoDataSet* dataSet : dataSets)
        dataSet->close();
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
    for (sqlite3* db : m_retired)
        sqlite3_close(db);
    m_retired.clear();
}

void AdoConnection::reopen() {
    if (!m_db) {
        open();
        return;
    }
    // The shared read of the old file ends here; rows read later come from it one by one.
    for (AdoDataSet* dataSet : std::vector(m_dataSets))
        dataSet->finishPreload();
    sqlite3* old = m_db;
    m_db = openEncryptedDatabase(m_path,
                                 valueOf(parseConnectionString(m_connectionString),
                                         QStringLiteral("Jet OLEDB:Database Password")),
                                 false);
    try {
        checkTable();
    } catch (...) {
        sqlite3_close(m_db);
        m_db = old;
        throw;
    }
    m_retired.push_back(old);
}

void AdoConnection::attach(AdoDataSet* dataSet) {
    if (std::find(m_dataSets.begin(), m_dataSets.end(), dataSet) == m_dataSets.end())
        m_dataSets.push_back(dataSet);
}

void AdoConnection::detach(AdoDataSet* dataSet) {
    std::erase(m_dataSets, dataSet);
}

void AdoConnection::holdRead() {
    if (m_readHolds++ == 0 && m_db && sqlite3_get_autocommit(m_db))
        m_readBegun = sqlite3_exec(m_db, "begin", nullptr, nullptr, nullptr) == SQLITE_OK;
}

void AdoConnection::releaseRead() {
    if (m_readHolds == 0 || --m_readHolds > 0)
        return;
    if (m_readBegun && m_db)
        sqlite3_exec(m_db, "commit", nullptr, nullptr, nullptr);
    m_readBegun = false;
}

void AdoConnection::settleReads(qint64 rowid) {
    const auto dataSets = m_dataSets;
    for (AdoDataSet* dataSet : dataSets) {
        dataSet->finishPreload();
        dataSet->keepRow(rowid);
    }
}

} // namespace quorvane
