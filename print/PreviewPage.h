#pragma once

#include <QImage>
#include <QWidget>

namespace quorvane {

// A page picture of the preview: the page drawn once at zoom 1.0, shown stretched to the
// control's size. Only the part on screen is scaled, so memory stays that of one page at
// any zoom.
class PreviewPage : public QWidget {
    Q_OBJECT
public:
    PreviewPage(const QSize& pixels, int ppi, QWidget* parent);

    QImage& image() { return m_image; }
    const QImage& image() const { return m_image; }
    // What the control shows in its rectangle `area`, as it is painted.
    QImage rendered(const QRect& area) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintPart(QPainter& painter, const QRect& area) const;

    QImage m_image;
};

} // namespace quorvane
