#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLockFile;
class QLocalServer;

namespace quorvane {

// A named mutex for the current user. The first process owns it and listens for the
// "activate" request of later copies; a later copy finds it already existing.
class NamedMutex : public QObject {
    Q_OBJECT
public:
    explicit NamedMutex(const QString& name, QObject* parent = nullptr);
    ~NamedMutex() override;

    // Creates and owns the mutex; false when another process already owns it
    // (ERROR_ALREADY_EXISTS). A failure to create it for another reason counts as owned.
    bool create();
    bool alreadyExisted() const { return m_alreadyExisted; }

    // Sent by a later copy: asks the owner to bring its window with this title forward.
    // Returns whether the owner answered.
    bool requestActivation(const QString& title, int timeoutMs = 2000);

    // Runs in the owner for each request.
    void setActivationHandler(std::function<void(const QString& title)> handler);

private:
    // The per-user names of the lock file and the local socket.
    QString lockFilePath() const;
    QString serverName() const;
    // Whether a first copy's local server takes a connection.
    bool ownerAnswers() const;

    QString m_name;
    bool m_alreadyExisted = false;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    std::function<void(const QString&)> m_handler;
};

} // namespace quorvane
