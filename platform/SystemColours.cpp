#include "platform/SystemColours.h"

#include <array>

namespace quorvane {
namespace {
// The "Windows Classic" scheme of Windows 2000 and XP (button face 212,208,200), the look
// the program's windows were designed against. Indexed by COLOR_* number.
constexpr std::array<QRgb, 25> classicScheme = {
    qRgb(212, 208, 200), //  0 COLOR_SCROLLBAR
    qRgb(58, 110, 165),  //  1 COLOR_BACKGROUND (desktop)
    qRgb(10, 36, 106),   //  2 COLOR_ACTIVECAPTION
    qRgb(128, 128, 128), //  3 COLOR_INACTIVECAPTION
    qRgb(212, 208, 200), //  4 COLOR_MENU
    qRgb(255, 255, 255), //  5 COLOR_WINDOW
    qRgb(0, 0, 0),       //  6 COLOR_WINDOWFRAME
    qRgb(0, 0, 0),       //  7 COLOR_MENUTEXT
    qRgb(0, 0, 0),       //  8 COLOR_WINDOWTEXT
    qRgb(255, 255, 255), //  9 COLOR_CAPTIONTEXT
    qRgb(212, 208, 200), // 10 COLOR_ACTIVEBORDER
    qRgb(212, 208, 200), // 11 COLOR_INACTIVEBORDER
    qRgb(128, 128, 128), // 12 COLOR_APPWORKSPACE
    qRgb(10, 36, 106),   // 13 COLOR_HIGHLIGHT
    qRgb(255, 255, 255), // 14 COLOR_HIGHLIGHTTEXT
    qRgb(212, 208, 200), // 15 COLOR_BTNFACE
    qRgb(128, 128, 128), // 16 COLOR_BTNSHADOW
    qRgb(128, 128, 128), // 17 COLOR_GRAYTEXT
    qRgb(0, 0, 0),       // 18 COLOR_BTNTEXT
    qRgb(212, 208, 200), // 19 COLOR_INACTIVECAPTIONTEXT
    qRgb(255, 255, 255), // 20 COLOR_BTNHIGHLIGHT
    qRgb(64, 64, 64),    // 21 COLOR_3DDKSHADOW
    qRgb(212, 208, 200), // 22 COLOR_3DLIGHT
    qRgb(0, 0, 0),       // 23 COLOR_INFOTEXT
    qRgb(255, 255, 225), // 24 COLOR_INFOBK
};
} // namespace

QRgb SystemColours::rgb(int index) {
    if (index < 0 || index >= int(classicScheme.size()))
        return qRgb(0, 0, 0);
    return classicScheme[std::size_t(index)];
}

QColor toQColor(ColorRef colour) {
    if (colour == clNone)
        return {};
    if (colour & kSystemColourBit)
        return QColor(SystemColours::rgb(int(colour & 0xFF)));
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

ColorRef fromQColor(const QColor& colour) {
    return rgbColour(colour.red(), colour.green(), colour.blue());
}

} // namespace quorvane
