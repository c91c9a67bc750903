#pragma once

#include "platform/SystemColours.h"

#include <QImage>
#include <QObject>

namespace quorvane {

// A picture shown instead of (or under) an item's caption.
class TVyrBitmapItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool CaptionOnTop READ captionOnTop WRITE setCaptionOnTop)
    Q_PROPERTY(QImage Bitmap READ bitmap WRITE setBitmap)
    Q_PROPERTY(quint32 TransparentColor READ transparentColor WRITE setTransparentColor)
public:
    using QObject::QObject;
    bool captionOnTop() const { return m_captionOnTop; }
    void setCaptionOnTop(bool on);
    const QImage& bitmap() const { return m_bitmap; }
    void setBitmap(const QImage& picture);
    ColorRef transparentColor() const { return m_transparent; }
    void setTransparentColor(ColorRef colour);
    bool hasPicture() const { return m_bitmap.width() > 0 && m_bitmap.height() > 0; }
Q_SIGNALS:
    void OnChange();

private:
    bool m_captionOnTop = false;
    QImage m_bitmap;
    ColorRef m_transparent = clNone;
};

} // namespace quorvane
