#include "platform/SingleInstance.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace quorvane {
namespace {
// The mutex is per user, like a session-local mutex on the desktop it imitates.
QString userTag() {
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}
} // namespace

NamedMutex::NamedMutex(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

NamedMutex::~NamedMutex() = default;

QString NamedMutex::lockFilePath() const {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QLatin1Char('/') + m_name + QLatin1Char('-') + userTag() +
           QStringLiteral(".lock");
}

QString NamedMutex::serverName() const {
    return m_name + QLatin1Char('-') + userTag();
}

bool NamedMutex::ownerAnswers() const {
    QLocalSocket socket;
    socket.connectToServer(serverName());
    return socket.waitForConnected(500);
}

bool NamedMutex::create() {
    m_lock = std::make_unique<QLockFile>(lockFilePath());
    m_lock->setStaleLockTime(0); // a crashed owner's lock is found stale by its pid
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError)
            return true; // no lock possible here: behave as the only copy
        // A lock whose owner cannot be checked here (empty, garbage, written on another
        // host) would otherwise hold for ever; it is stale unless its owner answers.
        // One just made may not hold its owner yet: it gets a moment before it counts.
        qint64 pid = 0;
        QString host, application;
        const bool readable = m_lock->getLockInfo(&pid, &host, &application);
        const bool beingWritten =
            !readable &&
            QFileInfo(lockFilePath()).lastModified().secsTo(QDateTime::currentDateTime()) < 2;
        if ((readable && host == QSysInfo::machineHostName()) || beingWritten || ownerAnswers() ||
            !m_lock->removeStaleLockFile() || !m_lock->tryLock(0)) {
            m_alreadyExisted = true;
            return false;
        }
    }
    m_server = new QLocalServer(this);
    QLocalServer::removeServer(serverName());
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(serverName())) {
        connect(m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = m_server->nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    if (!socket->canReadLine())
                        return;
                    const QString title = QString::fromUtf8(socket->readLine()).trimmed();
                    if (m_handler)
                        m_handler(title);
                    socket->write("ok\n");
                    socket->flush();
                });
            }
        });
    }
    return true;
}

bool NamedMutex::requestActivation(const QString& title, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(title.toUtf8() + '\n');
    socket.flush();
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return socket.readLine().trimmed() == "ok";
}

void NamedMutex::setActivationHandler(std::function<void(const QString&)> handler) {
    m_handler = std::move(handler);
}

} // namespace quorvane
