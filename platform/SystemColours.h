#pragma once

#include <QColor>
#include <QRgb>

namespace quorvane {

// A colour as the windows store it: red in the low byte. With the top bit set the low byte
// names a system colour; clNone means "no colour".
using ColorRef = quint32;
inline constexpr ColorRef kSystemColourBit = 0x80000000;

inline constexpr ColorRef clBlack = 0x000000;
inline constexpr ColorRef clMaroon = 0x000080;
inline constexpr ColorRef clGreen = 0x008000;
inline constexpr ColorRef clOlive = 0x008080;
inline constexpr ColorRef clNavy = 0x800000;
inline constexpr ColorRef clPurple = 0x800080;
inline constexpr ColorRef clTeal = 0x808000;
inline constexpr ColorRef clGray = 0x808080;
inline constexpr ColorRef clSilver = 0xC0C0C0;
inline constexpr ColorRef clRed = 0x0000FF;
inline constexpr ColorRef clLime = 0x00FF00;
inline constexpr ColorRef clYellow = 0x00FFFF;
inline constexpr ColorRef clBlue = 0xFF0000;
inline constexpr ColorRef clFuchsia = 0xFF00FF;
inline constexpr ColorRef clAqua = 0xFFFF00;
inline constexpr ColorRef clWhite = 0xFFFFFF;

// The system colours, by their COLOR_* index.
inline constexpr ColorRef clScrollBar = kSystemColourBit | 0;
inline constexpr ColorRef clBackground = kSystemColourBit | 1;
inline constexpr ColorRef clActiveCaption = kSystemColourBit | 2;
inline constexpr ColorRef clInactiveCaption = kSystemColourBit | 3;
inline constexpr ColorRef clMenu = kSystemColourBit | 4;
inline constexpr ColorRef clWindow = kSystemColourBit | 5;
inline constexpr ColorRef clWindowFrame = kSystemColourBit | 6;
inline constexpr ColorRef clMenuText = kSystemColourBit | 7;
inline constexpr ColorRef clWindowText = kSystemColourBit | 8;
inline constexpr ColorRef clCaptionText = kSystemColourBit | 9;
inline constexpr ColorRef clActiveBorder = kSystemColourBit | 10;
inline constexpr ColorRef clInactiveBorder = kSystemColourBit | 11;
inline constexpr ColorRef clAppWorkSpace = kSystemColourBit | 12;
inline constexpr ColorRef clHighlight = kSystemColourBit | 13;
inline constexpr ColorRef clHighlightText = kSystemColourBit | 14;
inline constexpr ColorRef clBtnFace = kSystemColourBit | 15;
inline constexpr ColorRef clBtnShadow = kSystemColourBit | 16;
inline constexpr ColorRef clGrayText = kSystemColourBit | 17;
inline constexpr ColorRef clBtnText = kSystemColourBit | 18;
inline constexpr ColorRef clInactiveCaptionText = kSystemColourBit | 19;
inline constexpr ColorRef clBtnHighlight = kSystemColourBit | 20;
inline constexpr ColorRef cl3DDkShadow = kSystemColourBit | 21;
inline constexpr ColorRef cl3DLight = kSystemColourBit | 22;
inline constexpr ColorRef clInfoText = kSystemColourBit | 23;
inline constexpr ColorRef clInfoBk = kSystemColourBit | 24;

inline constexpr ColorRef clNone = 0x1FFFFFFF;
inline constexpr ColorRef clDefault = 0x20000000;

// The RGB a colour value stands for now, system colours looked up in the one table.
// clNone gives an invalid QColor: a caller that paints with it decides what "no colour" is.
QColor toQColor(ColorRef colour);
ColorRef fromQColor(const QColor& colour);
inline constexpr ColorRef rgbColour(int red, int green, int blue) {
    return ColorRef(red & 0xFF) | ColorRef(green & 0xFF) << 8 | ColorRef(blue & 0xFF) << 16;
}

namespace SystemColours {
// RGB of the Windows system colour `index` (COLOR_SCROLLBAR = 0 .. COLOR_INFOBK = 24).
// The host has no such colours, so the classic defaults stand in; unknown indexes are black.
QRgb rgb(int index);
} // namespace SystemColours

} // namespace quorvane
