#include "widgets/kit/VyrMenuGradient.h"

#include <algorithm>

namespace quorvane {

void TVyrMenuGradient::setActive(bool on) {
    if (on != m_active)
        m_active = on, Q_EMIT OnChange();
}
void TVyrMenuGradient::setFadeToColor(ColorRef colour) {
    if (colour != m_fadeTo)
        m_fadeTo = colour, Q_EMIT OnChange();
}
void TVyrMenuGradient::setColorCount(int count) {
    count = std::clamp(count, 0, 255);
    if (count != m_colorCount)
        m_colorCount = count, Q_EMIT OnChange();
}

} // namespace quorvane
