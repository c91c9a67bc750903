#include "widgets/kit/VyrBitmapItem.h"

namespace quorvane {

void TVyrBitmapItem::setCaptionOnTop(bool on) {
    if (on != m_captionOnTop)
        m_captionOnTop = on, Q_EMIT OnChange();
}
void TVyrBitmapItem::setBitmap(const QImage& picture) {
    m_bitmap = picture;
    Q_EMIT OnChange();
}
void TVyrBitmapItem::setTransparentColor(ColorRef colour) {
    if (colour != m_transparent)
        m_transparent = colour, Q_EMIT OnChange();
}

} // namespace quorvane
