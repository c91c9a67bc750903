#pragma once

#include "platform/WindowMessages.h"

#include <QIcon>
#include <QRect>
#include <QString>

#include <array>
#include <memory>

namespace quorvane {

constexpr quint32 NIM_ADD = 0;
constexpr quint32 NIM_MODIFY = 1;
constexpr quint32 NIM_DELETE = 2;
constexpr quint32 NIF_MESSAGE = 1;
constexpr quint32 NIF_ICON = 2;
constexpr quint32 NIF_TIP = 4;

// The notify-icon record in its 488-byte form; the fields past the tip stay zero and are
// left out. szTip holds ANSI (GBK) bytes, zero-terminated.
struct NOTIFYICONDATAA {
    quint32 cbSize = 488;
    HWND hWnd = 0;
    quint32 uID = 0;
    quint32 uFlags = 0;
    UINT uCallbackMessage = 0;
    QIcon hIcon;
    std::array<char, 128> szTip{};
};

// The desktop's notification area. An icon is known by its window and id; the host reports
// mouse messages on it to that window as uCallbackMessage (wParam uID, lParam the message).
// Each call answers whether the host accepted it: adding a known icon, or changing or
// deleting an unknown one, fails without effect.
class NotifyIconHost {
public:
    virtual ~NotifyIconHost() = default;
    virtual bool notify(quint32 message, const NOTIFYICONDATAA& data) = 0;
    // Whether there is a notification area to show icons in.
    virtual bool available() const = 0;
    // Where the icon is on the screen; empty when it is not shown.
    virtual QRect iconRect(HWND window, quint32 id) const = 0;
};

// Broadcast (as a registered window message) when the notification area goes away; it
// comes back as "TaskbarCreated".
inline const QString kNotificationAreaGone = QStringLiteral("QuorvaneNotificationAreaGone");

// Shell_NotifyIconA over the current host.
bool Shell_NotifyIconA(quint32 message, const NOTIFYICONDATAA& data);
bool notificationAreaAvailable();
QRect Shell_NotifyIconGetRect(HWND window, quint32 id);
// Tests put a recording host here; nullptr brings back the desktop's.
void setNotifyIconHost(std::unique_ptr<NotifyIconHost> host);

} // namespace quorvane
