#include "support/PrivateDesktop.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

namespace quorvane::testing {

PrivateDesktop::~PrivateDesktop() {
    stop();
}

pid_t PrivateDesktop::spawn(const QString& program, const std::vector<QByteArray>& args,
                            int keepFd) {
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return -1;
    std::vector<QByteArray> env;
    for (char** entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, "DISPLAY=", 8) != 0)
            env.emplace_back(*entry);
    if (!m_display.isEmpty())
        env.push_back("DISPLAY=" + m_display);
    std::vector<char*> envp;
    for (QByteArray& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    QByteArray file = path.toLocal8Bit();
    std::vector<QByteArray> owned{file};
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (QByteArray& arg : owned)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (keepFd != 1)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int failed =
        posix_spawn(&pid, file.constData(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed)
        return -1;
    m_started.push_back(pid);
    return pid;
}

QByteArray commandOutput(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(10000);
    return process.readAllStandardOutput();
}

bool PrivateDesktop::startForQt(QString* why) {
    const bool up = start(why);
    if (up) {
        qputenv("DISPLAY", display());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return up;
}

bool PrivateDesktop::start(QString* why) {
    const QStringList needed{QStringLiteral("Xvfb"), QStringLiteral("openbox"),
                             QStringLiteral("xdotool")};
    for (const QString& program : needed)
        if (QStandardPaths::findExecutable(program).isEmpty()) {
            *why = program + QStringLiteral(" is not installed");
            return false;
        }
    const bool tint2 = !QStandardPaths::findExecutable(QStringLiteral("tint2")).isEmpty();
    if (!tint2 && QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty()) {
        *why = QStringLiteral("neither tint2 nor trayer is installed");
        return false;
    }

    // Xvfb picks a free display and writes its number to our pipe.
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        *why = QStringLiteral("no pipe");
        return false;
    }
    const pid_t server =
        spawn(QStringLiteral("Xvfb"), {"-displayfd", QByteArray::number(pipeFds[1]), "-screen", "0",
                                       "1024x768x24", "-nolisten", "tcp"});
    close(pipeFds[1]);
    QByteArray number;
    pollfd wait{pipeFds[0], POLLIN, 0};
    char c = 0;
    while (server > 0 && poll(&wait, 1, 10000) > 0 && read(pipeFds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(pipeFds[0]);
    if (number.isEmpty()) {
        *why = QStringLiteral("Xvfb did not start");
        stop();
        return false;
    }
    m_display = ':' + number;
    spawn(QStringLiteral("openbox"), {"--sm-disable"});
    m_trayHost = spawnTrayHost();
    return true;
}

pid_t PrivateDesktop::spawnTrayHost() {
    if (!QStandardPaths::findExecutable(QStringLiteral("tint2")).isEmpty())
        return spawn(QStringLiteral("tint2"), {});
    return spawn(QStringLiteral("trayer"), {"--edge", "bottom", "--align", "right", "--widthtype",
                                            "pixel", "--width", "120", "--height", "24"});
}

bool PrivateDesktop::restartTrayHost() {
    if (m_trayHost <= 0)
        return false;
    stopTrayHost();
    return startTrayHost();
}

void PrivateDesktop::stopTrayHost() {
    if (m_trayHost <= 0)
        return;
    kill(m_trayHost, SIGTERM);
    waitpid(m_trayHost, nullptr, 0);
    std::erase(m_started, m_trayHost);
    m_trayHost = -1;
}

bool PrivateDesktop::startTrayHost() {
    if (m_display.isEmpty())
        return false;
    if (m_trayHost <= 0)
        m_trayHost = spawnTrayHost();
    return m_trayHost > 0;
}

// Last started first: the tray host and the window manager go before their server.
void PrivateDesktop::stop() {
    for (auto it = m_started.rbegin(); it != m_started.rend(); ++it) {
        kill(*it, SIGTERM);
        waitpid(*it, nullptr, 0);
    }
    m_started.clear();
    m_trayHost = -1;
}

} // namespace quorvane::testing
