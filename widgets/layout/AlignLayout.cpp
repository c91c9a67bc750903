#include "widgets/layout/AlignLayout.h"

#include <QEvent>
#include <QFrame>
#include <QWidget>

namespace quorvane {
namespace {
QString alignOf(const QWidget* widget) {
    return widget->property("align").toString();
}

bool hasDockedChildren(const QWidget* container) {
    for (const QObject* child : container->children())
        if (child->isWidgetType() && !alignOf(static_cast<const QWidget*>(child)).isEmpty())
            return true;
    return false;
}
} // namespace

void AlignLayout::install(QWidget* container) {
    if (hasDockedChildren(container) &&
        !container->findChild<AlignLayout*>(QString(), Qt::FindDirectChildrenOnly)) {
        auto* layout = new AlignLayout(container);
        container->installEventFilter(layout);
    }
    for (QObject* child : container->children())
        if (child->isWidgetType())
            install(static_cast<QWidget*>(child));
    realign(container);
}

void AlignLayout::realign(QWidget* container) {
    QRect free = container->contentsRect();
    // Docking order of the designer: top, bottom, left, right, then the client area.
    for (const QString& pass :
         {QStringLiteral("alTop"), QStringLiteral("alBottom"), QStringLiteral("alLeft"),
          QStringLiteral("alRight"), QStringLiteral("alClient")}) {
        for (QObject* object : container->children()) {
            if (!object->isWidgetType())
                continue;
            auto* child = static_cast<QWidget*>(object);
            if (alignOf(child) != pass || child->isHidden())
                continue;
            QRect place;
            if (pass == u"alTop") {
                place = QRect(free.left(), free.top(), free.width(), child->height());
                free.setTop(place.bottom() + 1);
            } else if (pass == u"alBottom") {
                place = QRect(free.left(), free.bottom() - child->height() + 1, free.width(),
                              child->height());
                free.setBottom(place.top() - 1);
            } else if (pass == u"alLeft") {
                place = QRect(free.left(), free.top(), child->width(), free.height());
                free.setLeft(place.right() + 1);
            } else if (pass == u"alRight") {
                place = QRect(free.right() - child->width() + 1, free.top(), child->width(),
                              free.height());
                free.setRight(place.left() - 1);
            } else {
                place = free;
            }
            child->setGeometry(place);
        }
    }
}

bool AlignLayout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)
        realign(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}

} // namespace quorvane
