#include "ui/appearance/BackgroundBitmap.h"

#include "platform/QuorvaneError.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

namespace quorvane {

void BackgroundBitmap::load(const QString& path) {
    if (!QFileInfo(path).isFile())
        throw QuorvaneError(QStringLiteral("找不到背景图片文件“%1”").arg(path));
    QImageReader reader(path, "bmp");
    QImage image = reader.read();
    if (image.isNull())
        throw QuorvaneError(
            QStringLiteral("无法读取背景图片“%1”：%2").arg(path, reader.errorString()));
    m_image = std::move(image);
    m_tile = QPixmap::fromImage(m_image);
    m_path = path;
}

void BackgroundBitmap::tile(QPainter& painter, const QRect& area) const {
    if (m_image.isNull())
        return;
    painter.drawTiledPixmap(area, m_tile, QPoint(0, 0));
}

} // namespace quorvane
