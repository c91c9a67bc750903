#include "platform/Canvas.h"

#include "platform/Mnemonic.h"
#include "platform/PrintedText.h"
#include "platform/SystemColours.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quorvane {

namespace {
// Pens, brushes and text in clNone leave the surface as it is.
QColor paintColour(ColorRef colour) {
    const QColor resolved = toQColor(colour);
    return resolved.isValid() ? resolved : QColor(Qt::transparent);
}
} // namespace

Canvas::Canvas(QImage& image) : m_device(&image), m_image(&image) {
    m_ownPainter = std::make_unique<QPainter>(&image);
    m_painter = m_ownPainter.get();
    begin();
}

Canvas::Canvas(QPaintDevice* device) : m_device(device) {
    m_ownPainter = std::make_unique<QPainter>(device);
    m_painter = m_ownPainter.get();
    begin();
}

Canvas::Canvas(QPainter& painter) : m_painter(&painter), m_device(painter.device()) {
    if (m_device && m_device->devType() == QInternal::Image)
        m_image = static_cast<QImage*>(m_device);
    begin();
}

Canvas::~Canvas() = default;

void Canvas::begin() {
    // The platform draws without smoothing; pixel rules depend on it.
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    applyPen();
    applyBrush(m_brush);
    applyFont();
}

int Canvas::pixelsPerInchX() const {
    if (m_logicalPpi.width() > 0)
        return m_logicalPpi.width();
    return m_device ? m_device->logicalDpiX() : 96;
}

int Canvas::pixelsPerInchY() const {
    if (m_logicalPpi.height() > 0)
        return m_logicalPpi.height();
    return m_device ? m_device->logicalDpiY() : 96;
}

QRect Canvas::clipRect() const {
    if (!m_device)
        return {};
    const QRect device(0, 0, m_device->width(), m_device->height());
    return m_logicalPpi.isEmpty() ? device : m_painter->worldTransform().inverted().mapRect(device);
}

void Canvas::setLogicalResolution(int ppiX, int ppiY) {
    if (!m_device || ppiX <= 0 || ppiY <= 0)
        return;
    m_logicalPpi = QSize(ppiX, ppiY);
    m_painter->resetTransform();
    m_painter->scale(double(m_device->logicalDpiX()) / ppiX,
                     double(m_device->logicalDpiY()) / ppiY);
}

void Canvas::setPen(const Pen& pen) {
    m_pen = pen;
    applyPen();
}

void Canvas::applyPen() {
    if (m_pen.style == PenStyle::Null) {
        m_painter->setPen(Qt::NoPen);
        return;
    }
    QPen pen(paintColour(m_pen.colour));
    pen.setWidth(std::max(1, m_pen.width));
    // One-pixel lines leave out their end point; wider ones have round ends.
    pen.setCapStyle(m_pen.width <= 1 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(m_pen.width <= 1 ? Qt::MiterJoin : Qt::RoundJoin);
    switch (m_pen.style) {
    case PenStyle::Dash:
        pen.setStyle(Qt::DashLine);
        break;
    case PenStyle::Dot:
        pen.setStyle(Qt::DotLine);
        break;
    case PenStyle::DashDot:
        pen.setStyle(Qt::DashDotLine);
        break;
    case PenStyle::DashDotDot:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    default:
        pen.setStyle(Qt::SolidLine);
    }
    m_painter->setPen(pen);
}

void Canvas::setBrush(const Brush& brush) {
    m_brush = brush;
    applyBrush(m_brush);
}

void Canvas::applyBrush(const Brush& brush) {
    static constexpr Qt::BrushStyle styles[] = {
        Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
        Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    m_painter->setBrush(QBrush(paintColour(brush.colour), styles[int(brush.style)]));
    // Hatched brushes fill the gaps with the background colour only in opaque mode.
    m_painter->setBackgroundMode(m_bkMode == BkMode::Opaque ? Qt::OpaqueMode : Qt::TransparentMode);
    m_painter->setBackground(paintColour(m_bkColour));
}

// Hatched brushes take the background colour and mode from the moment they are set.
void Canvas::setBkColour(ColorRef colour) {
    m_bkColour = colour;
    applyBrush(m_brush);
}

void Canvas::setBkMode(BkMode mode) {
    m_bkMode = mode;
    applyBrush(m_brush);
}

void Canvas::setPenMode(int r2) {
    m_penMode = r2;
    applyPenMode();
}

void Canvas::applyPenMode() {
    if (!m_image) // raster operations exist on images only
        return;
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (m_penMode) {
    case R2::XORPEN:
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
    case R2::MASKPEN:
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
    case R2::MERGEPEN:
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
    case R2::NOTCOPYPEN:
        mode = QPainter::RasterOp_NotSource;
        break;
    case R2::NOT:
        mode = QPainter::RasterOp_NotDestination;
        break;
    case R2::BLACK:
        mode = QPainter::RasterOp_ClearDestination;
        break;
    case R2::WHITE:
        mode = QPainter::RasterOp_SetDestination;
        break;
    default:
        break;
    }
    m_painter->setCompositionMode(mode);
}

void Canvas::setFont(const LogFont& font) {
    if (font == m_font)
        return;
    m_font = font;
    applyFont();
}

LogFont Canvas::pointFont(const QString& face, int points, int ppi) {
    LogFont font;
    font.faceName = face;
    font.height = -int(std::lround(double(points) * ppi / 72.0));
    return font;
}

void Canvas::applyFont() {
    QFont font(m_font.faceName);
    font.setStyleStrategy(m_font.quality == LogFont::NonAntialiased ? QFont::NoAntialias
                          : m_font.quality == LogFont::Antialiased  ? QFont::PreferAntialias
                                                                    : QFont::PreferDefault);
    font.setPixelSize(std::max(1, std::abs(m_font.height)));
    font.setWeight(QFont::Weight(std::clamp(m_font.weight / 10 * 10, 100, 900)));
    font.setItalic(m_font.italic);
    font.setUnderline(m_font.underline);
    font.setStrikeOut(m_font.strikeOut);
    if (m_font.height > 0) {
        // A positive height is the whole cell: shrink the face until its cell fits.
        const QFontMetrics metrics(font, m_device);
        if (metrics.height() > m_font.height)
            font.setPixelSize(std::max(1, m_font.height * m_font.height / metrics.height()));
    }
    m_qfont = font;
    m_painter->setFont(font);
}

void Canvas::lineTo(int x, int y) {
    m_painter->drawLine(m_position, QPoint(x, y));
    m_position = {x, y};
}

void Canvas::rectangle(int left, int top, int right, int bottom) {
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    if (m_pen.style == PenStyle::Null) {
        // Without an outline the fill stops one pixel short of the right and bottom edge.
        m_painter->fillRect(QRect(left, top, right - left - 1, bottom - top - 1),
                            m_painter->brush());
        return;
    }
    m_painter->drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

void Canvas::roundRect(int left, int top, int right, int bottom, int width, int height) {
    m_painter->drawRoundedRect(QRect(left, top, right - left - 1, bottom - top - 1), width / 2.0,
                               height / 2.0, Qt::AbsoluteSize);
}

void Canvas::ellipse(int left, int top, int right, int bottom) {
    // The box may be given from either corner.
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    // The platform's ellipse covers the pixels left to right - 1: its outline runs through
    // the centres of the outermost pixels.
    m_painter->drawEllipse(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
}

void Canvas::arc(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4) {
    const QRectF box(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1); // as ellipse
    const QPointF centre = box.center();
    // Screen y grows downwards; Qt's angles, like the platform's, run counter-clockwise.
    const double start = std::atan2(centre.y() - y3, x3 - centre.x()) * 180.0 / M_PI;
    const double end = std::atan2(centre.y() - y4, x4 - centre.x()) * 180.0 / M_PI;
    double span = end - start;
    while (span <= 0)
        span += 360.0;
    m_painter->drawArc(box, int(std::lround(start * 16)), int(std::lround(span * 16)));
}

void Canvas::fillRect(const QRect& rect) {
    fillRect(rect, m_brush);
}

void Canvas::fillRect(const QRect& rect, const Brush& brush) {
    if (brush.style == BrushStyle::Clear)
        return;
    applyBrush(brush);
    m_painter->fillRect(rect.normalized(), m_painter->brush());
    applyBrush(m_brush);
}

void Canvas::frameRect(const QRect& rect, const Brush& brush) {
    const QRect r = rect.normalized();
    if (r.isEmpty())
        return;
    fillRect(QRect(r.left(), r.top(), r.width(), 1), brush);
    fillRect(QRect(r.left(), r.bottom(), r.width(), 1), brush);
    fillRect(QRect(r.left(), r.top(), 1, r.height()), brush);
    fillRect(QRect(r.right(), r.top(), 1, r.height()), brush);
}

namespace {
// The access-key marks are read unless DT_NOPREFIX.
Mnemonic::Parsed prepare(const QString& text, unsigned format) {
    if (format & DT::NOPREFIX)
        return {text, -1};
    return Mnemonic::parse(text);
}
} // namespace

Canvas::Lines Canvas::layOut(const QString& text, int width, unsigned format) const {
    Lines out;
    const Mnemonic::Parsed prepared = prepare(text, format);
    out.underline = prepared.underline;
    const QFontMetrics metrics(m_qfont, m_device);
    const bool single = format & DT::SINGLELINE;
    const bool wrap = (format & DT::WORDBREAK) && !single;

    out.option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    if (format & DT::EXPANDTABS)
        out.option.setTabStopDistance(8.0 * metrics.averageCharWidth());

    // Lay out every paragraph (or the whole text on one line) and keep each line's extent.
    out.text = prepared.text;
    if (single)
        out.text.replace(u'\r', u' ').replace(u'\n', u' ');
    std::vector<std::pair<qsizetype, qsizetype>> paragraphs;
    {
        qsizetype start = 0;
        for (qsizetype i = 0; i <= out.text.size(); ++i) {
            if (i == out.text.size() || out.text[i] == u'\n' || out.text[i] == u'\r') {
                paragraphs.emplace_back(start, i - start);
                if (i < out.text.size() && out.text[i] == u'\r' && i + 1 < out.text.size() &&
                    out.text[i + 1] == u'\n')
                    ++i;
                start = i + 1;
            }
        }
    }
    width = std::max(1, width);
    for (const auto& [start, length] : paragraphs) {
        QTextLayout paragraph(out.text.mid(start, length), m_qfont, m_device);
        paragraph.setTextOption(out.option);
        paragraph.beginLayout();
        bool any = false;
        for (QTextLine line = paragraph.createLine(); line.isValid();
             line = paragraph.createLine()) {
            if (wrap)
                line.setLineWidth(width);
            else
                line.setNumColumns(int(length));
            any = true;
            out.lines.push_back({start + line.textStart(), line.textLength(),
                                 int(std::ceil(line.naturalTextWidth()))});
        }
        paragraph.endLayout();
        if (!any)
            out.lines.push_back({start, 0, 0});
    }
    return out;
}

QStringList Canvas::wrapLines(const QString& text, int width, unsigned format) const {
    const Lines laid = layOut(text, width, format);
    QStringList result;
    result.reserve(qsizetype(laid.lines.size()));
    for (const Line& line : laid.lines)
        result << laid.text.mid(line.start, line.length);
    return result;
}

int Canvas::drawText(const QString& text, QRect& rect, unsigned format) {
    const Lines laid = layOut(text, rect.width(), format);
    const QString& laidOut = laid.text;
    const auto& lines = laid.lines;
    const QTextOption& option = laid.option;
    const QFontMetrics metrics(m_qfont, m_device);
    const int lineHeight =
        metrics.height() + ((format & DT::EXTERNALLEADING) ? metrics.leading() : 0);
    const bool single = format & DT::SINGLELINE;
    const int lineStep = single ? lineHeight : (lineHeight * m_lineSpacing + 50) / 100;
    const int height = lineStep * int(lines.size());
    int widest = 0;
    for (const Line& line : lines)
        widest = std::max(widest, line.width);

    if (format & DT::CALCRECT) {
        rect.setWidth(widest);
        rect.setHeight(height);
        return height;
    }

    int top = rect.top();
    if (single && (format & DT::VCENTER))
        top = rect.top() + (rect.height() - lineHeight) / 2;
    else if (single && (format & DT::BOTTOM))
        top = rect.top() + rect.height() - lineHeight;

    m_painter->save();
    if (!(format & DT::NOCLIP))
        m_painter->setClipRect(rect, Qt::IntersectClip);
    m_painter->setPen(paintColour(m_textColour));
    // The text's background is filled above, line by line, only in opaque mode.
    m_painter->setBackgroundMode(Qt::TransparentMode);
    if (m_font.escapement != 0) {
        m_painter->translate(rect.topLeft());
        m_painter->rotate(-m_font.escapement / 10.0);
        m_painter->translate(-rect.topLeft());
    }
    for (const Line& line : lines) {
        int x = rect.left();
        if (format & DT::CENTER)
            x = rect.left() + (rect.width() - line.width) / 2;
        else if (format & DT::RIGHT)
            x = rect.left() + rect.width() - line.width;
        const QString part = laidOut.mid(line.start, line.length);
        if (m_bkMode == BkMode::Opaque)
            m_painter->fillRect(QRect(x, top, line.width, lineHeight), paintColour(m_bkColour));
        QTextLayout piece(part, m_qfont, m_device);
        piece.setTextOption(option);
        piece.beginLayout();
        QTextLine drawn = piece.createLine();
        if (drawn.isValid())
            drawn.setNumColumns(int(part.size()));
        piece.endLayout();
        if (PrintedText* record = PrintedText::of(m_device))
            record->note(piece, part);
        piece.draw(m_painter, QPointF(x, top));
        if (laid.underline >= line.start && laid.underline < line.start + line.length) {
            const int at = int(laid.underline - line.start);
            const int ux = x + metrics.horizontalAdvance(part.left(at));
            const int uw = metrics.horizontalAdvance(part.mid(at, 1));
            const int uy = top + metrics.ascent() + metrics.underlinePos();
            m_painter->fillRect(QRect(ux, uy, uw, std::max(1, metrics.lineWidth())),
                                paintColour(m_textColour));
        }
        top += lineStep;
    }
    m_painter->restore();
    applyPen();
    return height;
}

void Canvas::textOut(int x, int y, const QString& text) {
    const QFontMetrics metrics(m_qfont, m_device);
    m_painter->save();
    m_painter->translate(x, y);
    if (m_font.escapement != 0)
        m_painter->rotate(-m_font.escapement / 10.0);
    const QSize size(metrics.horizontalAdvance(text), metrics.height());
    if (m_bkMode == BkMode::Opaque)
        m_painter->fillRect(QRect(QPoint(0, 0), size), paintColour(m_bkColour));
    m_painter->setPen(paintColour(m_textColour));
    m_painter->setBackgroundMode(Qt::TransparentMode);
    m_painter->drawText(QPoint(0, metrics.ascent()), text);
    m_painter->restore();
    if (PrintedText* record = PrintedText::of(m_device); record && PrintedText::concerns(text)) {
        QTextLayout laid(text, m_qfont, m_device);
        laid.beginLayout();
        laid.createLine();
        laid.endLayout();
        record->note(laid, text);
    }
    applyPen();
}

QSize Canvas::textExtent(const QString& text) const {
    const QFontMetrics metrics(m_qfont, m_device);
    // The platform measures a tab as one more character, never up to a tab stop: menus
    // leave room for their shortcuts with it.
    QString measured = text;
    measured.replace(u'\t', u' ');
    return {metrics.horizontalAdvance(measured), metrics.height()};
}

void Canvas::draw(int x, int y, const QImage& picture) {
    m_painter->drawImage(QPoint(x, y), picture);
}

void Canvas::stretchDraw(const QRect& target, const QImage& picture) {
    if (picture.isNull() || target.isEmpty())
        return;
    m_painter->drawImage(target, picture);
}

namespace {
quint32 applyRop(quint32 rop, quint32 src, quint32 dst) {
    switch (rop) {
    case Rop::SRCPAINT:
        return src | dst;
    case Rop::SRCAND:
        return src & dst;
    case Rop::SRCINVERT:
        return src ^ dst;
    case Rop::SRCERASE:
        return src & ~dst;
    case Rop::NOTSRCCOPY:
        return ~src;
    case Rop::NOTSRCERASE:
        return ~(src | dst);
    case Rop::MERGEPAINT:
        return ~src | dst;
    case Rop::DSTINVERT:
        return ~dst;
    case Rop::BLACKNESS:
        return 0;
    case Rop::WHITENESS:
        return 0xFFFFFF;
    default:
        return src;
    }
}
} // namespace

void Canvas::bitBlt(int x, int y, int w, int h, const QImage& source, int sx, int sy, quint32 rop) {
    if (rop == Rop::SRCCOPY || !m_image) {
        m_painter->drawImage(QPoint(x, y), source, QRect(sx, sy, w, h));
        return;
    }
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    const QRect target = QRect(x, y, w, h) & m_image->rect();
    for (int ty = target.top(); ty <= target.bottom(); ++ty) {
        const int syy = sy + ty - y;
        for (int tx = target.left(); tx <= target.right(); ++tx) {
            const int sxx = sx + tx - x;
            const bool needsSource =
                rop != Rop::DSTINVERT && rop != Rop::BLACKNESS && rop != Rop::WHITENESS;
            if (needsSource && !src.rect().contains(sxx, syy))
                continue;
            const quint32 s = needsSource ? (src.pixel(sxx, syy) & 0xFFFFFF) : 0;
            const quint32 d = m_image->pixel(tx, ty) & 0xFFFFFF;
            m_image->setPixel(tx, ty, 0xFF000000 | (applyRop(rop, s, d) & 0xFFFFFF));
        }
    }
}

void Canvas::transparentDraw(int x, int y, const QImage& picture, ColorRef transparent) {
    if (picture.isNull())
        return;
    QImage copy = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = toQColor(transparent).rgb() & 0xFFFFFF;
    for (int row = 0; row < copy.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(row));
        for (int col = 0; col < copy.width(); ++col)
            if ((line[col] & 0xFFFFFF) == key)
                line[col] = 0;
    }
    m_painter->drawImage(QPoint(x, y), copy);
}

bool Canvas::floodFill(int x, int y, ColorRef colour, FloodType type) {
    if (!m_image || !m_image->rect().contains(x, y))
        return false;
    const QRgb key = toQColor(colour).rgb() & 0xFFFFFF;
    auto inside = [&](int px, int py) {
        const QRgb here = m_image->pixel(px, py) & 0xFFFFFF;
        return type == FloodType::Border ? here != key : here == key;
    };
    if (!inside(x, y))
        return false;
    // Paint the brush over a mask of the area, so hatched brushes fill it as they would.
    QImage mask(m_image->size(), QImage::Format_Mono);
    mask.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)}); // index 1 is the area
    mask.fill(0);
    std::vector<QPoint> stack{{x, y}};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        if (!m_image->rect().contains(p) || mask.pixelIndex(p) || !inside(p.x(), p.y()))
            continue;
        mask.setPixel(p, 1);
        stack.push_back({p.x() + 1, p.y()});
        stack.push_back({p.x() - 1, p.y()});
        stack.push_back({p.x(), p.y() + 1});
        stack.push_back({p.x(), p.y() - 1});
    }
    m_painter->save();
    m_painter->setClipRegion(QRegion(QBitmap::fromImage(mask)));
    m_painter->fillRect(m_image->rect(), m_painter->brush());
    m_painter->restore();
    return true;
}

ColorRef Canvas::pixel(int x, int y) const {
    if (!m_image || !m_image->rect().contains(x, y))
        return clNone;
    return fromQColor(QColor(m_image->pixel(x, y)));
}

void Canvas::setPixel(int x, int y, ColorRef colour) {
    if (m_image && m_image->rect().contains(x, y))
        m_image->setPixel(x, y, toQColor(colour).rgb());
}

} // namespace quorvane
