#include "widgets/layout/FormFonts.h"

#include <QWidget>

namespace quorvane::FormFonts {

void applyPixelSizes(QWidget* root) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        const QVariant pixels = widget->property("fontPixelSize");
        if (!pixels.isValid())
            continue;
        QFont font = widget->font();
        font.setPixelSize(pixels.toInt());
        widget->setFont(font);
    }
}

} // namespace quorvane::FormFonts
