#include "widgets/layout/AlignSplitter.h"

#include "widgets/layout/AlignLayout.h"

#include <QMouseEvent>
#include <QPainter>

namespace quorvane {

AlignSplitter::AlignSplitter(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SizeHorCursor);
}

void AlignSplitter::setPaintHandler(std::function<void(QPainter&)> handler) {
    m_paint = std::move(handler);
    update();
}

QWidget* AlignSplitter::neighbour() const {
    // The nearest left-docked sibling that ends where this splitter begins.
    QWidget* best = nullptr;
    for (QObject* object : parentWidget()->children()) {
        if (!object->isWidgetType() || object == this)
            continue;
        auto* sibling = static_cast<QWidget*>(object);
        if (sibling->property("align").toString() == u"alLeft" &&
            sibling->geometry().right() < x() && (!best || sibling->x() > best->x()))
            best = sibling;
    }
    return best;
}

void AlignSplitter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_paint)
        m_paint(painter);
    else
        painter.fillRect(rect(), palette().window());
}

void AlignSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !neighbour())
        return;
    m_pressX = int(event->globalPosition().x());
    m_startWidth = neighbour()->width();
}

void AlignSplitter::mouseMoveEvent(QMouseEvent* event) {
    QWidget* target = neighbour();
    if (m_pressX < 0 || !target)
        return;
    const int maxWidth = parentWidget()->width() - target->x() - width() - m_minSize;
    const int wanted = m_startWidth + int(event->globalPosition().x()) - m_pressX;
    target->resize(qBound(m_minSize, wanted, qMax(m_minSize, maxWidth)), target->height());
    AlignLayout::realign(parentWidget());
}

void AlignSplitter::mouseReleaseEvent(QMouseEvent*) {
    m_pressX = -1;
}

} // namespace quorvane
