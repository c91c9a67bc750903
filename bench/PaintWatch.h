#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>

namespace quorvane {

// Watches a widget for its next paint, the end of the wait a benchmark times. With `armed`
// false, paints are ignored until it is set (a paint of the old content does not count).
class PaintWatch : public QObject {
public:
    bool armed = true;
    bool painted = false;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && armed)
            painted = true;
        return false;
    }

    // Runs the event loop until the paint came, at most five seconds; false when it did not.
    bool waitForPaint() {
        QElapsedTimer guard;
        guard.start();
        while (!painted && guard.elapsed() < 5000)
            QCoreApplication::processEvents();
        return painted;
    }
};

} // namespace quorvane
