#pragma once

#include "platform/SystemColours.h"

#include <QObject>

namespace quorvane {

// Gradient settings of a side bar.
class TVyrMenuGradient : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ active WRITE setActive)
    Q_PROPERTY(quint32 FadeToColor READ fadeToColor WRITE setFadeToColor)
    Q_PROPERTY(int ColorCount READ colorCount WRITE setColorCount)
public:
    using QObject::QObject;
    bool active() const { return m_active; }
    void setActive(bool on);
    ColorRef fadeToColor() const { return m_fadeTo; }
    void setFadeToColor(ColorRef colour);
    int colorCount() const { return m_colorCount; }
    void setColorCount(int count);
Q_SIGNALS:
    void OnChange();

private:
    bool m_active = false;
    ColorRef m_fadeTo = 0;
    int m_colorCount = 32;
};

} // namespace quorvane
