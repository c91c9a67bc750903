#include "ui/appearance/BannerImage.h"

#include "ui/appearance/BannerPicture.h"

#include <QMouseEvent>
#include <QPainter>

namespace quorvane {

BannerImage::BannerImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
}

QSize BannerImage::sizeHint() const {
    const QImage& picture = BannerPicture::banner();
    return picture.isNull() ? QSize(400, 132) : picture.size();
}

void BannerImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawImage(0, 0, BannerPicture::banner());
    m_painted = true;
    Q_EMIT painted();
}

void BannerImage::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void BannerImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace quorvane
