#pragma once

#include "platform/Canvas.h"
#include "print/PrintTypes.h"

#include <QList>
#include <QString>

#include <optional>

class QWidget;

namespace quorvane::ControlTree {

// How the engine sees a Qt widget: the kinds it prints, in the order it tests them.
enum class Kind {
    Label,
    Shape,
    Picture,
    DataGrid,
    WinControl, // any other windowed control
    Other       // speed buttons, bevels: nothing is printed
};
Kind kindOf(const QWidget* widget);

// The control's own visible flag, whether or not its window was ever shown.
bool visibleFlag(const QWidget* widget);
// The controls directly inside a windowed control (the parts of Qt's composite controls
// are not controls of the printed window).
QList<QWidget*> children(const QWidget* widget);
// Position of the children's origin inside the control (a scrolled area's offset).
QPoint childOrigin(const QWidget* widget);
bool isScrollingContainer(const QWidget* widget);
void scrollToZero(QWidget* widget);

WinRect bounds(const QWidget* widget);
// The window text, with line breaks as CR LF.
QString windowText(const QWidget* widget);
// Kinds that print their text without poAllWinControl.
bool printsOwnText(const QWidget* widget);
bool isMemo(const QWidget* widget);
// A panel, by class: its alignment (centre unless the "alignment" property says else).
bool isPanel(const QWidget* widget);
Qt::Alignment panelAlignment(const QWidget* widget);
// A data-bound edit whose data source is active and has its field: the field's alignment,
// as the edit shows it. Nothing for any other control.
std::optional<Qt::Alignment> boundFieldAlignment(const QWidget* widget);

// A control's font on a surface of `targetPpi`, keeping its size in whole points.
LogFont fontOf(const QWidget* widget, int screenPpi, int targetPpi);
// Distance of wrapped lines on paper, in percent of the font's height, as on screen.
int lineSpacing(const QWidget* widget);
LogFont pointFont(const QFont& font, ColorRef colour, int screenPpi, int targetPpi);
ColorRef textColour(const QWidget* widget);

// The first `units` single-byte units of the system code page, never half a character.
QString cutToUnits(const QString& text, int units);

// A shape's settings, read from its published properties.
struct ShapeInfo {
    int shape = 0; // stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle
    Pen pen;
    Brush brush;
};
ShapeInfo shapeInfo(const QWidget* widget);

} // namespace quorvane::ControlTree
