#include "widgets/layout/SideWindow.h"

#include "widgets/layout/ScaleBy.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace quorvane::SideWindow {

void adaptToScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || screen->size() == QSize(800, 600))
        return;
    const QSize size = screen->size();
    const QSize designed = window->size();
    ScaleBy(window, size.width(), 800);
    window->resize(designed.width() * size.width() / 800, designed.height() * size.height() / 600);
}

void placeBeside(QWidget* window, const QWidget* owner) {
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!owner || !screen)
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame = owner->frameGeometry();
    const QSize size = window->frameGeometry().size().expandedTo(window->size());
    QPoint at;
    if (frame.right() + size.width() <= available.right())
        at = QPoint(frame.right() + 1, frame.top());
    else if (frame.left() - size.width() >= available.left())
        at = QPoint(frame.left() - size.width(), frame.top());
    else
        at = QPoint(std::min(frame.right(), available.right()) - size.width() - 8,
                    owner->geometry().top() + owner->height() / 8);
    at.setX(std::clamp(at.x(), available.left(), available.right() - size.width()));
    at.setY(std::clamp(at.y(), available.top(),
                       std::max(available.top(), available.bottom() - size.height())));
    window->move(at);
}

} // namespace quorvane::SideWindow
