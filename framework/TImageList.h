#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QSize>

namespace quorvane {

// A list of same-sized images that components refer to by index.
class TImageList : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Width READ width CONSTANT)
    Q_PROPERTY(int Height READ height CONSTANT)
public:
    explicit TImageList(QSize size, QObject* owner = nullptr);

    int width() const { return m_size.width(); }
    int height() const { return m_size.height(); }
    int count() const { return static_cast<int>(m_images.size()); }
    // Scaled to the list's size when it differs.
    void add(const QPixmap& image);
    // The icon of image `index` (the same icon every time); an empty icon for an index
    // outside the list.
    QIcon icon(int index) const;
    QPixmap image(int index) const;

private:
    QSize m_size;
    QList<QPixmap> m_images;
    QList<QIcon> m_icons;
};

} // namespace quorvane
