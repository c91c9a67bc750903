#include "platform/NotifyIconHost.h"

#include "platform/SystemTrayHost.h"

namespace quorvane {
namespace {
std::unique_ptr<NotifyIconHost>& current() {
    static std::unique_ptr<NotifyIconHost> host;
    if (!host)
        host = std::make_unique<SystemTrayHost>();
    return host;
}
} // namespace

bool Shell_NotifyIconA(quint32 message, const NOTIFYICONDATAA& data) {
    return current()->notify(message, data);
}

bool notificationAreaAvailable() {
    return current()->available();
}

QRect Shell_NotifyIconGetRect(HWND window, quint32 id) {
    return current()->iconRect(window, id);
}

void setNotifyIconHost(std::unique_ptr<NotifyIconHost> host) {
    current() = std::move(host);
}

} // namespace quorvane
