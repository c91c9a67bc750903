#include "widgets/kit/VyrSubMenu.h"
#include "widgets/kit/VyrMenuState.h"

#include <algorithm>

namespace quorvane {

TVyrSubMenu::TVyrSubMenu(QObject* parent)
    : QObject(parent), m_gradient(new TVyrMenuGradient(this)) {
    connect(m_gradient, &TVyrMenuGradient::OnChange, this, [this] { changed(true); });
}

void TVyrSubMenu::changed(bool dropCache) {
    if (dropCache)
        TVyrMenuState::instance().dropBarCache();
    Q_EMIT OnChange();
}

void TVyrSubMenu::setEnabled(bool on) {
    m_enabled = on;
    changed(true);
}
void TVyrSubMenu::setColor(ColorRef colour) {
    if (colour != m_color)
        m_color = colour, changed(false);
}
void TVyrSubMenu::setBackground(const QImage& picture) {
    m_background = picture;
    changed(true);
}
void TVyrSubMenu::setBackgroundType(TVyrBackgroundType type) {
    if (type != m_backgroundType)
        m_backgroundType = type, changed(false);
}
void TVyrSubMenu::setTransparentColor(ColorRef colour) {
    if (colour != m_transparent)
        m_transparent = colour, changed(false);
}
void TVyrSubMenu::setBarEnabled(bool on) {
    if (on != m_barEnabled)
        m_barEnabled = on, changed(false);
}
void TVyrSubMenu::setBarWidth(int width) {
    width = std::clamp(width, 1, 40);
    if (width != m_barWidth)
        m_barWidth = width, changed(false);
}
void TVyrSubMenu::setBarColor(ColorRef colour) {
    if (colour != m_barColor)
        m_barColor = colour, changed(true);
}
void TVyrSubMenu::setBarBackground(const QImage& picture) {
    m_barBackground = picture;
    changed(true);
}
void TVyrSubMenu::setBarCaption(const QString& caption) {
    if (caption != m_barCaption)
        m_barCaption = caption, changed(true);
}
void TVyrSubMenu::setBarFontname(const QString& face) {
    if (face != m_barFontname)
        m_barFontname = face, changed(true);
}
void TVyrSubMenu::setBarFontSize(int points) {
    points = std::clamp(points, 0, 255);
    if (points != m_barFontSize)
        m_barFontSize = points, changed(true);
}
void TVyrSubMenu::setBarFontColor(ColorRef colour) {
    if (colour != m_barFontColor)
        m_barFontColor = colour, changed(true);
}

} // namespace quorvane
