#pragma once

#include <QWidget>

namespace quorvane {

// The banner picture of the splash and About windows, sized to the picture.
class BannerImage : public QWidget {
    Q_OBJECT
public:
    explicit BannerImage(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    bool hasPainted() const { return m_painted; }

Q_SIGNALS:
    // After each paint; the splash's start-up figure is measured up to the first one.
    void painted();
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_painted = false;
};

} // namespace quorvane
