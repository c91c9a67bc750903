#pragma once

#include "platform/NotifyIconHost.h"

#include <QObject>
#include <QTimer>

#include <map>
#include <utility>

class QSystemTrayIcon;

namespace quorvane {

// The desktop's notification area through QSystemTrayIcon. Its clicks come back as the
// button messages Windows reports; a notification area that appears again (a panel that
// restarted) is announced to every window as "TaskbarCreated", having forgotten its icons.
class SystemTrayHost : public QObject, public NotifyIconHost {
public:
    SystemTrayHost();
    ~SystemTrayHost() override;
    bool notify(quint32 message, const NOTIFYICONDATAA& data) override;
    bool available() const override;
    QRect iconRect(HWND window, quint32 id) const override;

private:
    using Key = std::pair<HWND, quint32>;
    struct Shown {
        QSystemTrayIcon* icon;
        qint64 picture = 0; // what it shows, to leave alone what has not changed
        QString tip;
    };
    static void apply(Shown& shown, const NOTIFYICONDATAA& data);
    void watchArea();

    std::map<Key, Shown> m_icons;
    QTimer m_watch;
    bool m_wasAvailable = false;
};

} // namespace quorvane
