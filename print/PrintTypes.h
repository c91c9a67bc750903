#pragma once

#include <QObject>

namespace quorvane {

// The printing engine's published enumerations, stored by their identifiers.
namespace PrintTypes {
Q_NAMESPACE

enum TTextFrameStyle { ptNone, ptBottomLine, ptFrame, ptTopBottom, ptLeftRight };
Q_ENUM_NS(TTextFrameStyle)

enum TPrintOption {
    poAllWinControl = 0x01,
    poFontColor = 0x02,
    poParent = 0x04,
    poScrollToZero = 0x08,
    poExpandDBGrid = 0x10,
    poDBGridNumber = 0x20,
    poDBGridPageTitle = 0x40
};
Q_DECLARE_FLAGS(TPrintOptions, TPrintOption)
Q_FLAG_NS(TPrintOptions)

enum TPageNumberPosition {
    pnTopLeft,
    pnTopRight,
    pnTopCenter,
    pnBottomLeft,
    pnBottomRight,
    pnBottomCenter
};
Q_ENUM_NS(TPageNumberPosition)

// Sheets ending in T are the same sheets turned sideways.
enum TPaperSize {
    Default,
    A3,
    A3T,
    A4,
    A4T,
    A5,
    A5T,
    B4,
    B4T,
    B5,
    B5T,
    K16,
    K16T,
    K32,
    K32T,
    K32Big,
    K32BigT,
    Custom
};
Q_ENUM_NS(TPaperSize)
} // namespace PrintTypes

Q_DECLARE_OPERATORS_FOR_FLAGS(PrintTypes::TPrintOptions)

// Line bits of a text box: which of its edges get a line.
namespace LineBit {
inline constexpr int Left = 1;
inline constexpr int Top = 2;
inline constexpr int Right = 4;
inline constexpr int Bottom = 8;
} // namespace LineBit

inline int frameBits(PrintTypes::TTextFrameStyle style) {
    static constexpr int bits[] = {0, 8, 15, 10, 5};
    return bits[int(style)];
}

// A rectangle with an exclusive right and bottom edge, as the platform keeps them.
struct WinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    WinRect moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool operator==(const WinRect&) const = default;
};

} // namespace quorvane
