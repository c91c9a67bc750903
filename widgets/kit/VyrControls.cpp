#include "widgets/kit/VyrControls.h"

#include "widgets/kit/VyrAccessibleControl.h"
#include "widgets/kit/VyrPropertyPath.h"

#include <QMouseEvent>

namespace quorvane {

TVyrGraphicControl::TVyrGraphicControl(QWidget* parent) : QWidget(parent) {
    // Painted, not a Qt button: without this a screen reader could not press it.
    TVyrAccessibleControl::install();
}

void TVyrGraphicControl::mousePressEvent(QMouseEvent* event) {
    m_down = event->button() == Qt::LeftButton;
}

void TVyrGraphicControl::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        m_down && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_down = false;
    if (click)
        Q_EMIT clicked();
}

void TVyrGraphicControl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
}

bool TVyrGraphicControl::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange)
        PropertyPath::apply(this, static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName());
    return QWidget::event(event);
}

} // namespace quorvane
