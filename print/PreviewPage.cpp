#include "print/PreviewPage.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace quorvane {

PreviewPage::PreviewPage(const QSize& pixels, int ppi, QWidget* parent)
    : QWidget(parent), m_image(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32) {
    m_image.fill(Qt::white);
    const int dotsPerMeter = int(std::lround(ppi / 0.0254));
    m_image.setDotsPerMeterX(dotsPerMeter);
    m_image.setDotsPerMeterY(dotsPerMeter);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPage::paintPart(QPainter& painter, const QRect& area) const {
    if (width() <= 0 || height() <= 0)
        return;
    const double sx = double(m_image.width()) / width();
    const double sy = double(m_image.height()) / height();
    // The source pixels behind `area`, widened to whole pixels, drawn into their own place.
    const int left = int(std::floor(area.left() * sx));
    const int top = int(std::floor(area.top() * sy));
    const int right = std::min(m_image.width(), int(std::ceil((area.right() + 1) * sx)));
    const int bottom = std::min(m_image.height(), int(std::ceil((area.bottom() + 1) * sy)));
    if (right <= left || bottom <= top)
        return;
    const QRectF source(left, top, right - left, bottom - top);
    const QRectF target(left / sx, top / sy, (right - left) / sx, (bottom - top) / sy);
    painter.setClipRect(area);
    painter.drawImage(target, m_image, source);
}

void PreviewPage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    paintPart(painter, event->rect());
}

QImage PreviewPage::rendered(const QRect& area) const {
    QImage out(area.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.translate(-area.topLeft());
    paintPart(painter, area);
    return out;
}

} // namespace quorvane
