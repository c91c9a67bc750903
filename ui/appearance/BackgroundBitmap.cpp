#include "ui/appearance/BackgroundBitmap.h"

#include "ui/appearance/BitmapFile.h"

#include <QPainter>
#include <QPixmap>

namespace quorvane {

void BackgroundBitmap::load(const QString& path) {
    QImage image = BitmapFile::read(path);
    // Tiles are copied opaque, as a block transfer copies them; an alpha channel in a 32-bit
    // file is not a mask.
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    QPixmap tile = QPixmap::fromImage(image);
    m_image = std::move(image);
    m_tile = std::move(tile);
    m_path = path;
}

void BackgroundBitmap::tile(QPainter& painter, const QRect& area) const {
    if (m_image.isNull() || area.isEmpty())
        return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawTiledPixmap(area, m_tile, QPoint(0, 0));
    painter.restore();
}

} // namespace quorvane
