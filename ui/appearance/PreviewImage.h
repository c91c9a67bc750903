#pragma once

#include <QImage>
#include <QWidget>

namespace quorvane {

// The chooser's preview: the picture at its own size, centred and clipped, or stretched to
// fill the preview without keeping its proportions.
class PreviewImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool stretch READ stretch WRITE setStretch)
public:
    explicit PreviewImage(QWidget* parent = nullptr);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    bool stretch() const { return m_stretch; }
    void setStretch(bool stretch);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    bool m_stretch = false;
};

} // namespace quorvane
