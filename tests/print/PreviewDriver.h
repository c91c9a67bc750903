#pragma once

#include "print/TPreviewAtOnceForm.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace quorvane {

// While it lives: runs `act` on the preview once it is open and modal, then closes the
// preview if `act` did not. `opened` tells whether a preview ever opened.
class PreviewDriver {
public:
    explicit PreviewDriver(std::function<void(TPreviewAtOnceForm&)> act) : m_act(std::move(act)) {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            auto* preview = qobject_cast<TPreviewAtOnceForm*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            m_poll.stop();
            ++opened;
            QPointer<TPreviewAtOnceForm> guard = preview;
            m_act(*preview);
            if (guard && guard->isVisible())
                guard->close();
        });
        m_poll.start();
    }
    // Watches for the next preview.
    void rearm() { m_poll.start(); }
    int opened = 0;

private:
    std::function<void(TPreviewAtOnceForm&)> m_act;
    QTimer m_poll;
};

} // namespace quorvane
