#pragma once

#include <QWidget>

#include <functional>

namespace quorvane {

// A splitter between docked widgets: dragging it resizes the docked neighbour before it
// (to its left for a left-docked splitter). Its surface is painted by its owner.
class AlignSplitter : public QWidget {
    Q_OBJECT
public:
    explicit AlignSplitter(QWidget* parent = nullptr);

    // The owner's paint handler (Splitter1Paint).
    void setPaintHandler(std::function<void(QPainter&)> handler);
    int minSize() const { return m_minSize; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* neighbour() const;

    std::function<void(QPainter&)> m_paint;
    int m_minSize = 30;
    int m_pressX = -1;
    int m_startWidth = 0;
};

} // namespace quorvane
