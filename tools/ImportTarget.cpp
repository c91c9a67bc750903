#include "tools/ImportTarget.h"

#include "data/AdoConnection.h"
#include "platform/QuorvaneError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <sqlite3.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {
namespace {
const QString kJournal = QStringLiteral("-journal");

// The build in progress, for the signal handler, which may only call unlink on it.
char g_buildPath[4096];
char g_journalPath[4096];
volatile std::sig_atomic_t g_armed = 0;

extern "C" void removeBuildAndEnd(int signal) {
    if (g_armed) {
        ::unlink(g_buildPath);
        ::unlink(g_journalPath);
    }
    // End the way the signal would have ended the process.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

bool copyPath(char* to, size_t size, const QByteArray& path) {
    if (size_t(path.size()) >= size)
        return false;
    std::memcpy(to, path.constData(), size_t(path.size()) + 1);
    return true;
}

void arm(const QString& build) {
    g_armed = 0;
    if (copyPath(g_buildPath, sizeof g_buildPath, QFile::encodeName(build)) &&
        copyPath(g_journalPath, sizeof g_journalPath, QFile::encodeName(build + kJournal)))
        g_armed = 1;
}

QRegularExpression buildNames(const QFileInfo& target) {
    return QRegularExpression(u'^' + QRegularExpression::escape(target.fileName()) +
                              QStringLiteral("\\.import-[A-Za-z0-9]{6}(-journal)?$"));
}

QString randomSuffix() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
    return suffix;
}

void exec(sqlite3* db, const char* sql, const QString& what) {
    checkSqlite(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), what);
}

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
} // namespace

ImportTarget::ImportTarget(const QString& target) : m_target(QFileInfo(target).absoluteFilePath()) {
    const QFileInfo info(m_target);
    if (!QDir().mkpath(info.absolutePath()))
        throw QuorvaneError(QStringLiteral("无法建立文件夹“%1”").arg(info.absolutePath()));
    sweep(m_target);
    for (int attempt = 0; attempt < 100 && m_lock < 0; ++attempt) {
        const QString candidate = m_target + QStringLiteral(".import-") + randomSuffix();
        const QByteArray name = QFile::encodeName(candidate);
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            throw QuorvaneError(
                QStringLiteral("无法在“%1”中写入文件：%2")
                    .arg(info.absolutePath(), QString::fromLocal8Bit(std::strerror(errno))));
        // A sweep running between open and lock could have taken the name away.
        struct stat opened {
        }, named{};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0 ||
            ::stat(name.constData(), &named) != 0 || opened.st_ino != named.st_ino) {
            ::close(fd);
            continue;
        }
        m_lock = fd;
        m_build = candidate;
    }
    if (m_lock < 0)
        throw QuorvaneError(QStringLiteral("无法在“%1”中建立临时文件").arg(info.absolutePath()));
    arm(m_build);
}

ImportTarget::~ImportTarget() {
    g_armed = 0;
    if (!m_committed) {
        QFile::remove(m_build);
        QFile::remove(m_build + kJournal);
    }
    ::close(m_lock);
}

void ImportTarget::write(const std::vector<IdiomEntry>& entries,
                         const IdiomDatabase::Progress& progress) {
    std::unique_ptr<sqlite3, DbCloser> db(
        openEncryptedDatabase(m_build, AdoConnection::databasePassword(), true));
    exec(db.get(), "pragma encoding = 'UTF-16le'", QStringLiteral("无法设置数据库编码"));
    // A build that fails is thrown away whole, so it needs no journal to roll back with.
    exec(db.get(), "pragma journal_mode = off", QStringLiteral("无法开始写入"));
    exec(db.get(), "begin", QStringLiteral("无法开始写入"));
    IdiomDatabase::createSchema(db.get());

    const QString failed = QStringLiteral("无法写入成语");
    sqlite3_stmt* raw = nullptr;
    checkSqlite(db.get(),
                sqlite3_prepare_v2(db.get(), "insert into cy values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                                   -1, &raw, nullptr),
                failed);
    const std::unique_ptr<sqlite3_stmt, StatementFinalizer> insert(raw);
    const qsizetype total = qsizetype(entries.size());
    qsizetype done = 0;
    for (const IdiomEntry& entry : entries) {
        for (int i = 0; i < kColumnCount; ++i) {
            const QString& text = entry.columns[size_t(i)];
            sqlite3_bind_text16(raw, i + 1, text.utf16(), int(text.size() * 2), SQLITE_STATIC);
        }
        const int rc = sqlite3_step(raw);
        sqlite3_reset(raw);
        checkSqlite(db.get(), rc, failed);
        ++done;
        if (progress && (done % 500 == 0 || done == total))
            progress(done, total);
    }
    if (progress && total == 0)
        progress(0, 0);
    exec(db.get(), "commit", QStringLiteral("无法完成写入"));
}

void ImportTarget::commit() {
    // The new file must be on disk before it takes the old one's name.
    if (::fsync(m_lock) != 0)
        throw QuorvaneError(QStringLiteral("无法写入文件“%1”：%2")
                                .arg(m_build, QString::fromLocal8Bit(std::strerror(errno))));
    if (std::rename(QFile::encodeName(m_build).constData(),
                    QFile::encodeName(m_target).constData()) != 0)
        throw QuorvaneError(QStringLiteral("无法替换文件“%1”：%2")
                                .arg(m_target, QString::fromLocal8Bit(std::strerror(errno))));
    g_armed = 0;
    m_committed = true;
}

int ImportTarget::sweep(const QString& target) {
    const QFileInfo info(QFileInfo(target).absoluteFilePath());
    const QDir folder = info.absoluteDir();
    const QRegularExpression names = buildNames(info);
    int removed = 0;
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : entries) {
        if (!names.match(name).hasMatch() || name.endsWith(kJournal))
            continue;
        const QString path = folder.filePath(name);
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        // Whoever holds the lock is still building; the lock dies with its process.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            removed += QFile::remove(path) ? 1 : 0;
            removed += QFile::remove(path + kJournal) ? 1 : 0;
        }
        ::close(fd);
    }
    // A journal whose database is gone belongs to nobody.
    for (const QString& name : entries) {
        if (!names.match(name).hasMatch() || !name.endsWith(kJournal))
            continue;
        const QString path = folder.filePath(name);
        if (!QFileInfo::exists(path.chopped(kJournal.size())))
            removed += QFile::remove(path) ? 1 : 0;
    }
    return removed;
}

void ImportTarget::removeBuildOnSignals() {
    struct sigaction action {};
    action.sa_handler = removeBuildAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    // A file-size limit would end the process in the middle of a write, silently; ignored,
    // it fails the write like a full disk, which is reported and cleaned up.
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace quorvane
