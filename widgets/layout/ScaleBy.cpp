#include "widgets/layout/ScaleBy.h"

#include "widgets/layout/AlignLayout.h"

#include <QAbstractButton>
#include <QWidget>

#include <vector>

namespace quorvane {
namespace {
int scaled(int value, int m, int d) {
    return value * m / d;
}

void scaleGeometry(QWidget* parent, int m, int d) {
    for (QObject* object : parent->children()) {
        if (!object->isWidgetType())
            continue;
        auto* child = static_cast<QWidget*>(object);
        if (child->isWindow())
            continue;
        const QRect g = child->geometry();
        const int left = scaled(g.left(), m, d);
        const int top = scaled(g.top(), m, d);
        const int width = scaled(g.left() + g.width(), m, d) - left;
        const int height = scaled(g.top() + g.height(), m, d) - top;
        if (child->minimumSize() == child->maximumSize())
            child->setFixedSize(width, height);
        child->setGeometry(left, top, width, height);
        // A glyph grows with its button, so it is drawn at the size it is shown.
        if (auto* button = qobject_cast<QAbstractButton*>(child))
            button->setIconSize(QSize(scaled(button->iconSize().width(), m, d),
                                      scaled(button->iconSize().height(), m, d)));
        scaleGeometry(child, m, d);
    }
}
} // namespace

void ScaleBy(QWidget* root, int m, int d) {
    if (m == d || d == 0)
        return;
    // Fonts are read before any is changed: a widget that inherits its size would
    // otherwise be scaled once through its parent and once more on its own.
    std::vector<std::pair<QWidget*, QFont>> fonts;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets)
        if (widget == root || widget->testAttribute(Qt::WA_SetFont))
            fonts.emplace_back(widget, widget->font());
    for (auto& [widget, font] : fonts) {
        if (font.pixelSize() > 0)
            font.setPixelSize(qMax(1, scaled(font.pixelSize(), m, d)));
        else if (font.pointSize() > 0)
            font.setPointSize(qMax(1, scaled(font.pointSize(), m, d)));
        widget->setFont(font);
    }
    scaleGeometry(root, m, d);
    AlignLayout::realign(root);
    for (QWidget* child : root->findChildren<QWidget*>())
        if (!child->isWindow())
            AlignLayout::realign(child);
}

} // namespace quorvane
