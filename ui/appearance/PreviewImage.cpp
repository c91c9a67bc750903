#include "ui/appearance/PreviewImage.h"

#include <QPainter>

namespace quorvane {

PreviewImage::PreviewImage(QWidget* parent) : QWidget(parent) {}

void PreviewImage::setPicture(const QImage& picture) {
    m_picture = picture;
    update();
}

void PreviewImage::setStretch(bool stretch) {
    m_stretch = stretch;
    update();
}

void PreviewImage::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    if (m_stretch) {
        painter.drawImage(rect(), m_picture);
        return;
    }
    const QPoint corner((width() - m_picture.width()) / 2, (height() - m_picture.height()) / 2);
    painter.drawImage(corner, m_picture);
}

} // namespace quorvane
