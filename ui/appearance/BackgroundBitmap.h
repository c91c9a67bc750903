#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

class QPainter;
class QRect;

namespace quorvane {

// The tile picture of a window's decorative surfaces, held in memory.
class BackgroundBitmap {
public:
    // Reads a bitmap file (see BitmapFile). Throws QuorvaneError when it cannot; the
    // picture held so far stays.
    void load(const QString& path);
    bool isEmpty() const { return m_image.isNull(); }
    const QImage& image() const { return m_image; }
    QString path() const { return m_path; }

    // TileBackground: covers `area` with copies of the picture, unscaled and opaque, the
    // first one at the area's top-left corner; what passes the right or bottom edge is
    // clipped. An empty picture draws nothing.
    void tile(QPainter& painter, const QRect& area) const;

private:
    QImage m_image;
    QPixmap m_tile;
    QString m_path;
};

} // namespace quorvane
