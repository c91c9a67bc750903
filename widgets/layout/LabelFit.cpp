#include "widgets/layout/LabelFit.h"

#include <QLabel>

namespace quorvane::LabelFit {

void fitToText(QLabel* label, bool keepRightEdge) {
    fitToText(label, label->text(), keepRightEdge);
}

void fitToText(QWidget* label, const QString& text, bool keepRightEdge) {
    const QFontMetrics metrics = label->fontMetrics();
    QRect place = label->geometry();
    place.setHeight(qMax(place.height(), metrics.height()));
    if (keepRightEdge) {
        const int width = qMax(place.width(), metrics.horizontalAdvance(text));
        place.setLeft(place.right() + 1 - width);
    }
    label->setGeometry(place);
}

} // namespace quorvane::LabelFit
