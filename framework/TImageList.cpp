#include "framework/TImageList.h"

namespace quorvane {

TImageList::TImageList(QSize size, QObject* owner) : QObject(owner), m_size(size) {}

void TImageList::add(const QPixmap& image) {
    m_images.append(image.size() == m_size
                        ? image
                        : image.scaled(m_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    m_icons.append(QIcon(m_images.last()));
}

QIcon TImageList::icon(int index) const {
    return index >= 0 && index < count() ? m_icons[index] : QIcon();
}

QPixmap TImageList::image(int index) const {
    return index >= 0 && index < count() ? m_images[index] : QPixmap();
}

} // namespace quorvane
