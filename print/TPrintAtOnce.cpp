#include "print/TPrintAtOnce.h"

#include "platform/Arithmetic.h"

#include "platform/Printer.h"
#include "platform/QuorvaneError.h"
#include "print/ControlTree.h"
#include "print/PrintDBGrid.h"
#include "print/TPreviewAtOnceForm.h"
#include "widgets/dbaware/TDBGrid.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace quorvane {

using namespace PrintTypes;

namespace {
constexpr int kFallbackPpi = 96;

QWidget* mainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("QMainWindow"))
            return widget;
    return nullptr;
}
} // namespace

TPrintAtOnce::TPrintAtOnce(QObject* owner) : QObject(owner) {
    m_titleFont = QFont(QStringLiteral("MS Sans Serif"));
    m_titleFont.setPointSize(12);
    m_titleFont.setBold(true);
    m_titleFont.setItalic(true);
    setControl(nullptr);
    m_savedPaper = Printer::current().paperSize();
}

TPrintAtOnce::~TPrintAtOnce() {
    if (m_savedPaper)
        Printer::current().setPaperSize(*m_savedPaper);
}

void TPrintAtOnce::setControl(QWidget* control) {
    if (!control) {
        QObject* owner = parent();
        control = owner && owner->isWidgetType() ? static_cast<QWidget*>(owner) : mainWindow();
    }
    m_control = control;
}

int TPrintAtOnce::round(double value) {
    return roundEven(value);
}

int TPrintAtOnce::screenPpiX() const {
    const QWidget* window = m_control ? m_control->window() : nullptr;
    // A tree without a window has no resolution of its own: take the screen's.
    return window ? window->logicalDpiX() : kFallbackPpi;
}

int TPrintAtOnce::screenPpiY() const {
    const QWidget* window = m_control ? m_control->window() : nullptr;
    return window ? window->logicalDpiY() : kFallbackPpi;
}

void TPrintAtOnce::setCanvas(std::unique_ptr<Canvas> canvas) {
    m_canvas = std::move(canvas);
}

// ---- paper

QSize TPrintAtOnce::paperDimensions(TPaperSize size) {
    static constexpr int table[][2] = {
        {0, 0},       {2970, 4200}, {4200, 2970}, {2100, 2970}, {2970, 2100}, {1480, 2100},
        {2100, 1480}, {2500, 3540}, {3540, 2500}, {1820, 2570}, {2570, 1820}, {1840, 2600},
        {2600, 1840}, {1300, 1840}, {1840, 1300}, {1400, 2030}, {2030, 1400}, {0, 0}};
    const int i = std::clamp(int(size), 0, int(Custom));
    return {table[i][0], table[i][1]};
}

void TPrintAtOnce::setPaperSize(TPaperSize size) {
    if (size == Default) {
        m_paperSize = Default;
        const QSize mm = Printer::current().pageSizeMm();
        m_paperWidth = mm.width() * 10;
        m_paperHeight = mm.height() * 10;
        return;
    }
    if (size == m_paperSize)
        return;
    m_paperSize = size;
    if (size == Custom)
        return;
    const QSize dimensions = paperDimensions(size);
    m_paperWidth = dimensions.width();
    m_paperHeight = dimensions.height();
    ApplyPaperSize();
}

void TPrintAtOnce::setPaperWidth(int width) {
    if (m_paperSize != Custom || width == m_paperWidth)
        return;
    m_paperWidth = width;
    ApplyPaperSize();
}

void TPrintAtOnce::setPaperHeight(int height) {
    if (m_paperSize != Custom || height == m_paperHeight)
        return;
    m_paperHeight = height;
    ApplyPaperSize();
}

void TPrintAtOnce::ApplyPaperSize() {
    Printer& printer = Printer::current();
    if (!printer.paperSize() || m_paperWidth <= 0 || m_paperHeight <= 0)
        return;
    printer.setPaperSize(userPaperForm(m_paperWidth, m_paperHeight));
}

// ---- runs

void TPrintAtOnce::Preview() {
    QPointer<TPreviewAtOnceForm> window = new TPreviewAtOnceForm(nullptr);
    window->bind(this);
    if (LogyPreview)
        window->lock();
    NewPageHandler = [window] {
        if (window)
            window->NewPage();
    };
    window->selectPaper(int(m_paperSize));
    window->exec();
    NewPageHandler = nullptr;
    delete window.data();
}

// A failure midway throws the document away instead of leaving it open.
void TPrintAtOnce::run(const std::function<void()>& body) {
    Printer& printer = Printer::current();
    try {
        body();
        m_canvas.reset();
        printer.endDoc();
    } catch (...) {
        m_canvas.reset();
        printer.abortDoc();
        throw;
    }
}

namespace {
QString paperTooSmall(const Printer& printer) {
    return QStringLiteral("纸张的可打印区域（%1 × %2 毫米）太小，放不下要打印的内容，没有打印。")
        .arg(QString::number(printer.pageSizeMm().width()),
             QString::number(printer.pageSizeMm().height()));
}
} // namespace

// A printer may refuse a paper size and keep its own; printing then would put the layout
// meant for one sheet on another.
void TPrintAtOnce::checkPaper(const Printer& printer) const {
    const std::optional<QPageSize> paper = printer.paperSize();
    const bool asked = m_paperSize != Default && paper && m_paperWidth > 0 && m_paperHeight > 0;
    const QSizeF mm = paper ? paper->size(QPageSize::Millimeter) : QSizeF();
    const auto [shortHeld, longHeld] = std::minmax(mm.width() * 10, mm.height() * 10);
    const auto [shortAsked, longAsked] = std::minmax(double(m_paperWidth), double(m_paperHeight));
    if (asked && (std::abs(shortHeld - shortAsked) > 10 || std::abs(longHeld - longAsked) > 10))
        throw QuorvaneError(
            QStringLiteral("打印机不接受 %1 × %2 毫米的纸张，没有打印。")
                .arg(QString::number(m_paperWidth / 10.0), QString::number(m_paperHeight / 10.0)));
    // A paper with no room inside the offsets would come out blank; checked before the
    // document starts, since a started one reaches the queue even when it is abandoned.
    const double scaleX = double(printer.pixelsPerInchX()) / screenPpiX();
    const double scaleY = double(printer.pixelsPerInchY()) / screenPpiY();
    if (printer.pageSizePx().height() <= round((OffsetY + OffsetBottom) * scaleY) ||
        printer.pageSizePx().width() <= round(OffsetX * scaleX))
        throw QuorvaneError(paperTooSmall(printer));
}

void TPrintAtOnce::Print() {
    Printer& printer = Printer::current();
    // The preview's page handler comes back after the run, whatever happens.
    struct Restore {
        std::function<void()>& handler;
        std::function<void()> kept;
        ~Restore() { handler = std::move(kept); }
    } restore{NewPageHandler, NewPageHandler};
    GridGrowth = 0;
    checkPaper(printer);
    QPainter& first = printer.beginDoc(Title.isEmpty() ? QStringLiteral("Quorvane") : Title);
    run([&] {
        m_canvas = std::make_unique<Canvas>(first);
        NewPageHandler = [this, &printer] {
            // The printer's surface keeps its drawing state from page to page.
            const Pen pen = m_canvas->pen();
            const Brush brush = m_canvas->brush();
            m_canvas.reset();
            m_canvas = std::make_unique<Canvas>(printer.newPage());
            m_canvas->setPen(pen);
            m_canvas->setBrush(brush);
        };
        layOutPages();
    });
}

// The preview's pages are laid out at the printer's resolution, with the printer's page and
// metrics, and only drawn smaller: the pages and their lines are those the paper gets.
void TPrintAtOnce::RenderPages() {
    GridGrowth = 0;
    PageShift = 0;
    Page = 1;
    if (!NewPageHandler)
        return;
    NewPageHandler();
    if (!m_canvas)
        return;
    try {
        layOutPages();
    } catch (...) {
        m_canvas.reset();
        throw;
    }
    // The pictures are finished; nothing draws on them any more.
    m_canvas.reset();
}

void TPrintAtOnce::layOutPages() {
    const Printer& printer = Printer::current();
    m_pagePx = printer.pageSizePx();
    assignFont(m_titleFont);
    TitleHeight = m_canvas->textHeight(Title);
    ScaleX = double(printer.pixelsPerInchX()) / screenPpiX();
    ScaleY = double(printer.pixelsPerInchY()) / screenPpiY();
    Pen pen = m_canvas->pen();
    pen.width = round(ScaleX);
    m_canvas->setPen(pen);
    ContentHeight = m_pagePx.height() - round(OffsetY * ScaleY + OffsetBottom * ScaleY +
                                              (PrintTitle ? TitleHeight : 0));
    if (ContentHeight <= 0) // the title took the last of the room
        throw QuorvaneError(paperTooSmall(printer));
    Page = 1;
    PageShift = 0;
    if (PrintTitle)
        DrawTitle();
    if (PrintPageNumber)
        DrawPageNumber();
    if (m_control)
        PrintControl(m_control, OffsetX - m_control->x(), OffsetY - m_control->y());
}

// ---- the strip and its pages

WinRect TPrintAtOnce::MapRect(const WinRect& r) const {
    const int shift = (1 - Page) * ContentHeight + PageShift;
    return {round(r.left * ScaleX), round(r.top * ScaleY) + shift, round(r.right * ScaleX),
            round(r.bottom * ScaleY) + shift};
}

bool TPrintAtOnce::NeedsNewPage(const WinRect& r) const {
    const WinRect m = MapRect(r);
    const int limit = round(OffsetY * ScaleY) + ContentHeight;
    return m.bottom > limit && m.bottom - m.top < ContentHeight;
}

void TPrintAtOnce::BeginNewPage(const WinRect& r) {
    const WinRect m = MapRect(r);
    const int delta = round(OffsetY * ScaleY) + ContentHeight - m.top;
    turnPage();
    PageShift += delta;
}

void TPrintAtOnce::turnPage() {
    ++Page;
    const LogFont kept = m_canvas->font();
    const ColorRef keptColour = m_canvas->textColour();
    // A new preview picture comes with a pen of its own; the run's pen goes on.
    const Pen keptPen = m_canvas->pen();
    const Brush keptBrush = m_canvas->brush();
    if (NewPageHandler)
        NewPageHandler();
    m_canvas->setPen(keptPen);
    m_canvas->setBrush(keptBrush);
    if (PrintTitle)
        DrawTitle();
    if (PrintPageNumber)
        DrawPageNumber();
    m_canvas->setFont(kept);
    m_canvas->setTextColour(keptColour);
}

void TPrintAtOnce::assignFont(const QFont& font, ColorRef colour) {
    m_canvas->setFont(
        ControlTree::pointFont(font, colour, screenPpiY(), m_canvas->pixelsPerInchY()));
    m_canvas->setTextColour(colour);
    m_canvas->setLineSpacing(100);
}

void TPrintAtOnce::AssignControlFont(const QWidget* control) {
    const LogFont font = ControlTree::fontOf(control, screenPpiY(), m_canvas->pixelsPerInchY());
    m_canvas->setFont(font);
    m_canvas->setTextColour(font.colour);
    m_canvas->setLineSpacing(ControlTree::lineSpacing(control));
}

void TPrintAtOnce::DrawTitle() {
    assignFont(m_titleFont);
    TitleHeight = m_canvas->textHeight(Title);
    const int left = round(OffsetX * ScaleX);
    const int right = m_pagePx.width() - round(OffsetRight * ScaleX);
    const int top = round(OffsetY * ScaleY) + 1;
    QRect box(left, top, right - left, TitleHeight);
    m_canvas->setBkMode(BkMode::Transparent);
    m_canvas->drawText(Title, box, AlignFormat(Qt::AlignHCenter));
}

void TPrintAtOnce::DrawPageNumber() {
    if (m_control)
        AssignControlFont(m_control);
    const QString text = QStringLiteral("第 %1 页").arg(Page);
    const int h = m_canvas->textHeight(text);
    const int left = round(OffsetX * ScaleX);
    const int right = m_pagePx.width() - round(OffsetRight * ScaleX);
    const bool atTop = PageNumberPosition <= pnTopCenter;
    const int top = atTop ? (round(OffsetY * ScaleY) - h) / 2
                          : m_pagePx.height() - ((round(OffsetBottom * ScaleY) - h) / 2) - h;
    Qt::Alignment alignment = Qt::AlignHCenter;
    if (PageNumberPosition == pnTopLeft || PageNumberPosition == pnBottomLeft)
        alignment = Qt::AlignLeft;
    else if (PageNumberPosition == pnTopRight || PageNumberPosition == pnBottomRight)
        alignment = Qt::AlignRight;
    QRect box(left, top, right - left, h);
    m_canvas->setBkMode(BkMode::Transparent);
    m_canvas->drawText(text, box, AlignFormat(alignment));
}

// ---- format words

unsigned TPrintAtOnce::AlignFormat(Qt::Alignment alignment) {
    unsigned format = DT::NOPREFIX | DT::EXPANDTABS | DT::VCENTER;
    if (alignment & Qt::AlignRight)
        format |= DT::RIGHT;
    else if (alignment & Qt::AlignHCenter)
        format |= DT::CENTER;
    return format;
}

unsigned TPrintAtOnce::LabelFormat(const QLabel* label) {
    const Qt::Alignment alignment = label->alignment();
    unsigned format = DT::EXPANDTABS;
    if (alignment & Qt::AlignRight)
        format |= DT::RIGHT;
    else if (alignment & Qt::AlignHCenter)
        format |= DT::CENTER;
    if (alignment & Qt::AlignVCenter)
        format |= DT::VCENTER;
    else if (alignment & Qt::AlignBottom)
        format |= DT::BOTTOM;
    if (label->wordWrap())
        format |= DT::WORDBREAK;
    // The reverse of the screen: a label that shows its accelerator prints "&" as it is.
    const QVariant showAccel = label->property("ShowAccelChar");
    if (!showAccel.isValid() || showAccel.toBool())
        format |= DT::NOPREFIX;
    return format;
}

unsigned TPrintAtOnce::WinControlFormat(const QWidget* control) {
    unsigned format = DT::NOPREFIX | DT::EXPANDTABS;
    format |= ControlTree::isMemo(control) ? DT::WORDBREAK : DT::VCENTER;
    Qt::Alignment alignment = Qt::AlignLeft;
    if (ControlTree::isPanel(control))
        alignment = ControlTree::panelAlignment(control);
    else if (const auto field = ControlTree::boundFieldAlignment(control))
        alignment = *field;
    if (alignment & Qt::AlignRight)
        format |= DT::RIGHT;
    else if (alignment & Qt::AlignHCenter)
        format |= DT::CENTER;
    return format;
}

// ---- drawing

void TPrintAtOnce::DrawTextBox(const QString& text, const WinRect& r, int lines, unsigned format) {
    Brush hollow = m_canvas->brush();
    hollow.style = BrushStyle::Clear;
    m_canvas->setBrush(hollow);
    m_canvas->setBkMode(BkMode::Transparent);
    if (!(Options & poFontColor))
        m_canvas->setTextColour(0);
    if (NeedsNewPage(r))
        BeginNewPage(r);
    WinRect d = MapRect(r);
    if (PrintTitle) {
        d.top += TitleHeight;
        d.bottom += TitleHeight;
    }
    auto line = [this](int x1, int y1, int x2, int y2) {
        m_canvas->moveTo(x1, y1);
        m_canvas->lineTo(x2, y2);
    };
    if (lines & LineBit::Left)
        line(d.left, d.top, d.left, d.bottom);
    if (lines & LineBit::Top)
        line(d.left, d.top, d.right, d.top);
    if (lines & LineBit::Right)
        line(d.right, d.top, d.right, d.bottom);
    if (lines & LineBit::Bottom)
        line(d.left, d.bottom, d.right, d.bottom);
    const int inset = m_canvas->textWidth(QStringLiteral("W")) / 4;
    if (lines & LineBit::Left)
        d.left += inset;
    if (lines & LineBit::Right)
        d.right -= inset;
    if (format & (DT::VCENTER | DT::BOTTOM)) {
        // The platform centres single lines only; several lines are placed here.
        QRect measured(d.left, d.top, d.width(), d.height());
        m_canvas->drawText(text, measured, format | DT::CALCRECT);
        const int g = d.bottom - (measured.top() + measured.height());
        const int move = (format & DT::BOTTOM) ? g : g / 2;
        d.top += move;
        d.bottom += move;
    }
    const int textInset = round(2 * ScaleX);
    if (format & DT::RIGHT)
        d.right -= textInset;
    else if (!(format & DT::CENTER))
        d.left += textInset;
    QRect box(d.left, d.top, d.width(), d.height());
    if (m_flowing && (format & DT::WORDBREAK))
        drawFlowing(text, r, box, format);
    else
        m_canvas->drawText(text, box, format);
}

// Line by line, turning the page where a line would cross the bottom of the content band;
// everything visited later moves down by what the text took beyond its box.
void TPrintAtOnce::drawFlowing(const QString& text, const WinRect& r, const QRect& box,
                               unsigned format) {
    // Fonts are sized in the printer's pixels on the preview too, so the preview's lines
    // break where the printer's do.
    const QStringList rows = m_canvas->wrapLines(text, box.width(), format);
    // The same step from line to line as the canvas takes, wider spacing included.
    const int pitch =
        (m_canvas->textHeight(QStringLiteral("W")) * m_canvas->lineSpacing() + 50) / 100;
    const int titleShift = PrintTitle ? TitleHeight : 0;
    const int bandTop = round(OffsetY * ScaleY) + titleShift;
    const int bandBottom = bandTop + ContentHeight;
    // Each page's rows go out in one call, one row a paragraph, none wrapped again.
    const unsigned rowFormat =
        (format & ~(DT::WORDBREAK | DT::VCENTER | DT::BOTTOM | DT::SINGLELINE)) | DT::NOPREFIX |
        DT::NOCLIP;
    int y = box.top();
    qsizetype first = 0;
    while (first < rows.size()) {
        if (y + pitch > bandBottom && pitch < ContentHeight) {
            turnPage();
            y = bandTop;
        }
        const qsizetype room = pitch >= ContentHeight ? 1 : std::max(1, (bandBottom - y) / pitch);
        const qsizetype count = std::min(room, rows.size() - first);
        QRect chunk(box.left(), y, box.width(), int(count) * pitch);
        m_canvas->drawText(rows.mid(first, count).join(u'\n'), chunk, rowFormat);
        y += int(count) * pitch;
        first += count;
    }
    const int bottom = MapRect(r).bottom + titleShift;
    if (y > bottom)
        PageShift += y - bottom;
}

void TPrintAtOnce::DrawTextFramed(const QString& text, const WinRect& r, TTextFrameStyle style,
                                  unsigned format) {
    DrawTextBox(text, r, frameBits(style), format);
}

void TPrintAtOnce::PrintControl(QObject* object, int dx, int dy) {
    if (!object || !object->isWidgetType())
        return;
    auto* widget = static_cast<QWidget*>(object);
    if (widget != m_control && !ControlTree::visibleFlag(widget))
        return;
    if ((Options & poScrollToZero) && ControlTree::isScrollingContainer(widget))
        ControlTree::scrollToZero(widget);
    switch (ControlTree::kindOf(widget)) {
    case ControlTree::Kind::Label:
        PrintLabel(static_cast<QLabel*>(widget), dx, dy);
        break;
    case ControlTree::Kind::Shape:
        PrintShape(widget, dx, dy);
        break;
    case ControlTree::Kind::Picture:
        PrintGraphic(static_cast<QLabel*>(widget)->pixmap().toImage(), ControlTree::bounds(widget),
                     dx, dy);
        break;
    case ControlTree::Kind::DataGrid:
        PrintDBGrid(*this, static_cast<TDBGrid*>(widget), dx, dy);
        break;
    case ControlTree::Kind::WinControl:
        PrintWinControl(widget, dx, dy);
        break;
    case ControlTree::Kind::Other:
        break;
    }
}

void TPrintAtOnce::PrintWinControl(QWidget* control, int dx, int dy) {
    QList<QWidget*> children = ControlTree::children(control);
    if (children.isEmpty()) {
        if ((Options & poAllWinControl) || ControlTree::printsOwnText(control))
            PrintWinControlText(control, dx, dy);
        return;
    }
    if (Options & poParent)
        PrintWinControlText(control, dx, dy);
    std::stable_sort(children.begin(), children.end(), [](const QWidget* a, const QWidget* b) {
        return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
    });
    const QPoint origin = ControlTree::childOrigin(control);
    const QPointer<QWidget> guard = control;
    for (QWidget* child : children) {
        if (!guard)
            break;
        PrintControl(child, dx + control->x() + origin.x(),
                     dy + control->y() + origin.y() + GridGrowth);
    }
}

void TPrintAtOnce::PrintWinControlText(QWidget* control, int dx, int dy) {
    const QString text =
        ControlTree::cutToUnits(ControlTree::windowText(control), MaxTextCount - 1);
    AssignControlFont(control);
    const WinRect r = ControlTree::bounds(control).moved(dx, dy);
    const QVariant border = control->property("BorderStyle");
    const bool bareStatic = border.isValid() && border.toInt() == 0;
    m_flowing = GrowMemos && ControlTree::isMemo(control);
    DrawTextFramed(text, r, bareStatic ? ptNone : WinControlPrintType, WinControlFormat(control));
    m_flowing = false;
}

void TPrintAtOnce::PrintLabel(QLabel* label, int dx, int dy) {
    assignFont(label->font(), ControlTree::textColour(label));
    const WinRect r = ControlTree::bounds(label).moved(dx, dy);
    DrawTextFramed(label->text(), r, LabelPrintType, LabelFormat(label));
}

void TPrintAtOnce::PrintGraphic(const QImage& graphic, const WinRect& bounds, int dx, int dy) {
    Brush solid = m_canvas->brush();
    solid.style = BrushStyle::Solid;
    m_canvas->setBrush(solid);
    const WinRect r = bounds.moved(dx, dy);
    if (NeedsNewPage(r))
        BeginNewPage(r);
    const WinRect m = MapRect(r);
    if (!graphic.isNull())
        m_canvas->stretchDraw(QRect(m.left, m.top, m.width(), m.height()), graphic);
}

void TPrintAtOnce::PrintShape(QWidget* shape, int dx, int dy) {
    const Pen keptPen = m_canvas->pen();
    const Brush keptBrush = m_canvas->brush();
    const ControlTree::ShapeInfo info = ControlTree::shapeInfo(shape);
    m_canvas->setPen(info.pen);
    m_canvas->setBrush(info.brush);
    const int p = info.pen.width;
    int x = p / 2;
    int y = p / 2;
    int w = shape->width() - p + 1;
    int h = shape->height() - p + 1;
    if (p == 0) {
        --w;
        --h;
    }
    const int s = std::min(w, h);
    enum { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
    if (info.shape == stSquare || info.shape == stRoundSquare || info.shape == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    x += shape->x() + dx;
    y += shape->y() + dy;
    const WinRect r{x, y, x + w, y + h};
    if (NeedsNewPage(r))
        BeginNewPage(r);
    const WinRect m = MapRect(r);
    const int W = round(w * ScaleX);
    const int H = round(h * ScaleY);
    const int S = round(s * ScaleX);
    Pen pen = info.pen;
    pen.width = round(p * ScaleY);
    m_canvas->setPen(pen);
    switch (info.shape) {
    case stRoundRect:
    case stRoundSquare:
        m_canvas->roundRect(m.left, m.top, m.left + W, m.top + H, S / 4, S / 4);
        break;
    case stEllipse:
    case stCircle:
        m_canvas->ellipse(m.left, m.top, m.left + W, m.top + H);
        break;
    default:
        m_canvas->rectangle(m.left, m.top, m.left + W, m.top + H);
    }
    m_canvas->setPen(keptPen);
    m_canvas->setBrush(keptBrush);
}

} // namespace quorvane
