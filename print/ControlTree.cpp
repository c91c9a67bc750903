#include "print/ControlTree.h"

#include "platform/Arithmetic.h"

#include "data/AdoDataSet.h"
#include "data/DataSource.h"
#include "platform/RichEdit.h"
#include "platform/TextCodec.h"
#include "widgets/dbaware/TDBEdit.h"
#include "widgets/dbaware/TDBGrid.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>
#include <QToolButton>

#include <cmath>

namespace quorvane::ControlTree {

namespace {
bool hasPicture(const QLabel* label) {
    return !label->pixmap().isNull();
}
} // namespace

Kind kindOf(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return hasPicture(label) ? Kind::Picture : Kind::Label;
    if (widget->inherits("quorvane::TShape"))
        return Kind::Shape;
    if (qobject_cast<const TDBGrid*>(widget))
        return Kind::DataGrid;
    if (qobject_cast<const QToolButton*>(widget))
        return Kind::Other;
    if (const auto* frame = qobject_cast<const QFrame*>(widget)) {
        const auto shape = frame->frameShape();
        if (shape == QFrame::HLine || shape == QFrame::VLine)
            return Kind::Other;
    }
    return Kind::WinControl;
}

bool visibleFlag(const QWidget* widget) {
    return !(widget->testAttribute(Qt::WA_WState_ExplicitShowHide) &&
             widget->testAttribute(Qt::WA_WState_Hidden));
}

bool isScrollingContainer(const QWidget* widget) {
    return qobject_cast<const QScrollArea*>(widget) != nullptr;
}

void scrollToZero(QWidget* widget) {
    if (auto* area = qobject_cast<QScrollArea*>(widget)) {
        area->horizontalScrollBar()->setValue(0);
        area->verticalScrollBar()->setValue(0);
    }
}

namespace {
bool isLeaf(const QWidget* widget) {
    if (qobject_cast<const QScrollArea*>(widget))
        return false;
    return qobject_cast<const QAbstractScrollArea*>(widget) ||
           qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractButton*>(widget) ||
           qobject_cast<const QAbstractSlider*>(widget) ||
           qobject_cast<const QProgressBar*>(widget);
}
} // namespace

QList<QWidget*> children(const QWidget* widget) {
    QList<QWidget*> result;
    if (isLeaf(widget))
        return result;
    const QWidget* holder = widget;
    if (const auto* area = qobject_cast<const QScrollArea*>(widget)) {
        holder = area->widget();
        if (!holder)
            return result;
    }
    for (QObject* object : holder->children())
        if (object->isWidgetType() && !static_cast<QWidget*>(object)->isWindow())
            result << static_cast<QWidget*>(object);
    return result;
}

QPoint childOrigin(const QWidget* widget) {
    if (const auto* area = qobject_cast<const QScrollArea*>(widget); area && area->widget())
        return area->viewport()->pos() + area->widget()->pos();
    return {};
}

WinRect bounds(const QWidget* widget) {
    const QRect g = widget->geometry();
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

QString windowText(const QWidget* widget) {
    QString text;
    if (const auto* edit = qobject_cast<const QTextEdit*>(widget))
        text = edit->toPlainText();
    else if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget))
        text = plain->toPlainText();
    else if (const auto* line = qobject_cast<const QLineEdit*>(widget))
        text = line->text();
    else if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        text = combo->currentText();
    else if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(widget))
        text = spin->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        text = button->text();
    else if (const auto* group = qobject_cast<const QGroupBox*>(widget))
        text = group->title();
    else
        text = widget->property("caption").toString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

bool isMemo(const QWidget* widget) {
    return qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

bool isPanel(const QWidget* widget) {
    return qstrcmp(widget->metaObject()->className(), "QFrame") == 0;
}

Qt::Alignment panelAlignment(const QWidget* widget) {
    const QVariant stored = widget->property("alignment");
    return stored.isValid() ? Qt::Alignment(stored.toInt()) : Qt::AlignHCenter;
}

std::optional<Qt::Alignment> boundFieldAlignment(const QWidget* widget) {
    const auto* edit = qobject_cast<const TDBEdit*>(widget);
    if (!edit)
        return std::nullopt;
    const DataSource* source = edit->dataSource();
    const AdoDataSet* set = source ? source->dataSet() : nullptr;
    if (!set || !set->active() || set->fieldIndex(edit->dataField()) < 0)
        return std::nullopt;
    return edit->alignment() & Qt::AlignHorizontal_Mask;
}

bool printsOwnText(const QWidget* widget) {
    return isMemo(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || isPanel(widget);
}

ColorRef textColour(const QWidget* widget) {
    if (const auto* rich = qobject_cast<const RichEdit*>(widget))
        return fromQColor(rich->textColour());
    const bool editor = isMemo(widget) || qobject_cast<const QLineEdit*>(widget) ||
                        qobject_cast<const QComboBox*>(widget);
    return fromQColor(widget->palette().color(editor ? QPalette::Text : QPalette::WindowText));
}

LogFont pointFont(const QFont& font, ColorRef colour, int screenPpi, int targetPpi) {
    // The size in points, as the window stores it, then the height on the target.
    const int points =
        font.pixelSize() > 0 ? mulDiv(font.pixelSize(), 72, screenPpi) : font.pointSize();
    LogFont result = Canvas::pointFont(font.family(), std::max(1, points), targetPpi);
    result.weight = font.bold() ? 700 : 400;
    result.italic = font.italic();
    result.underline = font.underline();
    result.strikeOut = font.strikeOut();
    result.colour = colour;
    return result;
}

int lineSpacing(const QWidget* widget) {
    return qobject_cast<const RichEdit*>(widget) ? RichEdit::kLineSpacingPercent : 100;
}

LogFont fontOf(const QWidget* widget, int screenPpi, int targetPpi) {
    QFont font = widget->font();
    if (const auto* rich = qobject_cast<const RichEdit*>(widget))
        font = rich->textFont();
    return pointFont(font, textColour(widget), screenPpi, targetPpi);
}

QString cutToUnits(const QString& text, int units) {
    if (units <= 0)
        return {};
    if (text.size() * 4 <= units) // no character takes more than four units
        return text;
    int used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype length = text[end].isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        const QStringView piece = QStringView(text).mid(end, length);
        const int size = piece.size() == 1 && piece[0].unicode() < 0x80
                             ? 1
                             : int(TextCodec::toAnsi(piece.toString()).size());
        if (used + size > units)
            break;
        used += size;
        end += length;
    }
    return text.left(end);
}

ShapeInfo shapeInfo(const QWidget* widget) {
    ShapeInfo info;
    info.shape = widget->property("shape").toInt();
    info.pen.width =
        widget->property("penWidth").isValid() ? widget->property("penWidth").toInt() : 1;
    info.pen.style = PenStyle(widget->property("penStyle").toInt());
    info.pen.colour = fromQColor(widget->property("penColor").value<QColor>());
    const QVariant brushColour = widget->property("brushColor");
    info.brush.colour = brushColour.isValid() ? fromQColor(brushColour.value<QColor>()) : 0xFFFFFF;
    info.brush.style = BrushStyle(widget->property("brushStyle").toInt());
    return info;
}

} // namespace quorvane::ControlTree
