#pragma once

#include <QWidget>

namespace quorvane {

// The kit's base for controls that draw themselves on their parent: no behaviour of its own
// beyond the click of an ordinary control (pressed and released inside it).
class TVyrGraphicControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString About READ about WRITE setAbout STORED false)
public:
    explicit TVyrGraphicControl(QWidget* parent = nullptr);

    QString about() const { return m_about; }
    void setAbout(const QString& text) { m_about = text; }

Q_SIGNALS:
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Settings written as "Object.Property" in a window layout reach the settings object.
    bool event(QEvent* event) override;

private:
    QString m_about;
    bool m_down = false;
};

} // namespace quorvane
