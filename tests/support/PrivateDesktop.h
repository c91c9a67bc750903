#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <vector>

namespace quorvane::testing {

// A desktop of its own for end-to-end runs: Xvfb on a free display, a window manager and a
// tray host. It can start before the application object exists (the display must be known
// first) and stops what it started when it goes.
// What a program (xprop, xwininfo, xdotool) prints, waiting at most ten seconds for it.
QByteArray commandOutput(const QString& program, const QStringList& args);

class PrivateDesktop {
public:
    PrivateDesktop() = default;
    PrivateDesktop(const PrivateDesktop&) = delete;
    PrivateDesktop& operator=(const PrivateDesktop&) = delete;
    ~PrivateDesktop();

    // False, with the reason, when a program is missing or the server did not come up.
    bool start(QString* why);
    // start(), then points Qt at the desktop (or at the offscreen platform when it is not up);
    // call before the application object is made.
    bool startForQt(QString* why);
    void stop();
    // Ends the tray host and starts it again, as when a panel restarts.
    bool restartTrayHost();
    // Ends the tray host, as when a panel crashes; start it again with startTrayHost().
    void stopTrayHost();
    bool startTrayHost();
    QByteArray display() const { return m_display; }

private:
    pid_t spawn(const QString& program, const std::vector<QByteArray>& args, int keepFd = -1);

    pid_t spawnTrayHost();

    std::vector<pid_t> m_started;
    pid_t m_trayHost = -1;
    QByteArray m_display;
};

} // namespace quorvane::testing
