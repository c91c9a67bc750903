#include "platform/SystemTrayHost.h"

#include "platform/TextCodec.h"
#include "platform/User.h"

#include <QSystemTrayIcon>

#include <cstring>

namespace quorvane {
namespace {
// Often enough to bring an icon back soon after a panel restarts, rare enough to cost nothing.
constexpr int kWatchIntervalMs = 1000;
} // namespace

SystemTrayHost::SystemTrayHost() {
    m_watch.setInterval(kWatchIntervalMs);
    connect(&m_watch, &QTimer::timeout, this, &SystemTrayHost::watchArea);
}

SystemTrayHost::~SystemTrayHost() {
    for (auto& [key, shown] : m_icons)
        delete shown.icon;
}

bool SystemTrayHost::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QRect SystemTrayHost::iconRect(HWND window, quint32 id) const {
    const auto it = m_icons.find({window, id});
    return it == m_icons.end() ? QRect() : it->second.icon->geometry();
}

bool SystemTrayHost::notify(quint32 message, const NOTIFYICONDATAA& data) {
    const Key key{data.hWnd, data.uID};
    const auto it = m_icons.find(key);
    switch (message) {
    case NIM_ADD: {
        if (!m_watch.isActive()) {
            m_wasAvailable = available();
            m_watch.start();
        }
        if (it != m_icons.end() || !User::isWindow(data.hWnd) || !available())
            return false;
        auto* icon = new QSystemTrayIcon;
        const HWND window = data.hWnd;
        const quint32 id = data.uID;
        const UINT callback = data.uCallbackMessage;
        // The host reports whole clicks; the window hears the presses and releases.
        connect(icon, &QSystemTrayIcon::activated, this,
                [window, id, callback](QSystemTrayIcon::ActivationReason reason) {
                    const auto report = [&](UINT mouse) {
                        User::postMessage(window, callback, id, static_cast<LPARAM>(mouse));
                    };
                    switch (reason) {
                    case QSystemTrayIcon::Trigger:
                        report(WM_LBUTTONDOWN);
                        report(WM_LBUTTONUP);
                        break;
                    case QSystemTrayIcon::DoubleClick:
                        report(WM_LBUTTONDBLCLK);
                        report(WM_LBUTTONUP);
                        break;
                    case QSystemTrayIcon::Context:
                        report(WM_RBUTTONDOWN);
                        report(WM_RBUTTONUP);
                        break;
                    case QSystemTrayIcon::MiddleClick:
                        report(WM_MBUTTONDOWN);
                        report(WM_MBUTTONUP);
                        break;
                    default:
                        break;
                    }
                });
        Shown shown{icon, 0, QString()};
        apply(shown, data);
        icon->show();
        m_icons.emplace(key, shown);
        return true;
    }
    case NIM_MODIFY:
        if (it == m_icons.end())
            return false;
        apply(it->second, data);
        return true;
    case NIM_DELETE:
        if (it == m_icons.end())
            return false;
        delete it->second.icon;
        m_icons.erase(it);
        return true;
    default:
        return false;
    }
}

// Every change repaints the icon in the panel, so only changes are passed on.
void SystemTrayHost::apply(Shown& shown, const NOTIFYICONDATAA& data) {
    if ((data.uFlags & NIF_ICON) &&
        (shown.picture == 0 || data.hIcon.cacheKey() != shown.picture)) {
        shown.icon->setIcon(data.hIcon);
        shown.picture = data.hIcon.cacheKey();
    }
    if (data.uFlags & NIF_TIP) {
        const auto length = static_cast<qsizetype>(strnlen(data.szTip.data(), data.szTip.size()));
        const QString tip = TextCodec::fromAnsi(QByteArray(data.szTip.data(), length));
        if (tip != shown.tip) {
            shown.icon->setToolTip(tip);
            shown.tip = tip;
        }
    }
}

// A notification area that went away took its icons with it; one that comes (back) is
// announced the way the shell announces a new task bar.
void SystemTrayHost::watchArea() {
    const bool now = available();
    if (now == m_wasAvailable)
        return;
    m_wasAvailable = now;
    if (!now) {
        for (auto& [key, shown] : m_icons)
            delete shown.icon;
        m_icons.clear();
        User::broadcastMessage(User::registerWindowMessage(kNotificationAreaGone));
        return;
    }
    User::broadcastMessage(User::registerWindowMessage(QStringLiteral("TaskbarCreated")));
}

} // namespace quorvane
