#pragma once

#include "platform/NotifyIconHost.h"

#include <QImage>
#include <QList>
#include <QSet>

#include <utility>

namespace quorvane::testing {

// A notification area that records every call and keeps the shell's rules: adding a known
// icon, or changing or deleting an unknown one, fails.
class RecordingNotifyIconHost : public NotifyIconHost {
public:
    struct Call {
        quint32 message;
        NOTIFYICONDATAA data;
        bool accepted;
        QByteArray tip() const { return QByteArray(data.szTip.data()); }
        QImage image() const {
            return data.hIcon.pixmap(16, 16).toImage().convertToFormat(
                QImage::Format_ARGB32_Premultiplied);
        }
    };

    // The host stays owned by the program; tests keep this pointer to read it.
    static RecordingNotifyIconHost* install(bool available = true) {
        auto host = std::make_unique<RecordingNotifyIconHost>();
        host->isAvailable = available;
        RecordingNotifyIconHost* raw = host.get();
        setNotifyIconHost(std::move(host));
        return raw;
    }

    bool notify(quint32 message, const NOTIFYICONDATAA& data) override {
        const std::pair<HWND, quint32> key{data.hWnd, data.uID};
        bool accepted = false;
        if (message == NIM_ADD)
            accepted = isAvailable && !shown.contains(key);
        else
            accepted = shown.contains(key);
        if (accepted && message == NIM_ADD)
            shown.insert(key);
        if (accepted && message == NIM_DELETE)
            shown.remove(key);
        calls.append({message, data, accepted});
        return accepted;
    }
    bool available() const override { return isAvailable; }
    QRect iconRect(HWND, quint32) const override { return {}; }

    QList<Call> calls;
    QSet<std::pair<HWND, quint32>> shown;
    bool isAvailable = true;
};

} // namespace quorvane::testing
