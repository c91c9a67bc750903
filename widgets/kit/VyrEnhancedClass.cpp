#include "widgets/kit/VyrEnhancedClass.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace quorvane {

LogFont logFontOf(const QFont& font, ColorRef colour, const QPaintDevice* device) {
    LogFont out;
    out.faceName = font.family();
    if (font.pixelSize() > 0)
        out.height = -font.pixelSize();
    else
        out.height =
            -int(std::lround(font.pointSizeF() * (device ? device->logicalDpiY() : 96) / 72.0));
    out.weight = font.weight();
    out.italic = font.italic();
    out.underline = font.underline();
    out.strikeOut = font.strikeOut();
    out.colour = colour;
    if (font.styleStrategy() & QFont::NoAntialias)
        out.quality = LogFont::NonAntialiased;
    return out;
}

// ---- TVyrFont3D ----

TVyrFont3D::TVyrFont3D(QObject* parent) : QObject(parent) {}

void TVyrFont3D::assign(const TVyrFont3D& other) {
    if (&other == this)
        return;
    m_style3D = other.m_style3D;
    m_threeDimensional = other.m_threeDimensional;
    m_highlight = other.m_highlight;
    m_shadow = other.m_shadow;
    m_offset = other.m_offset;
    m_repetition = other.m_repetition;
    m_repetitionColor = other.m_repetitionColor;
    m_repetitionWidth = other.m_repetitionWidth;
    m_maskFont = other.m_maskFont;
    Q_EMIT changed();
}

void TVyrFont3D::setStyle3D(TVyrStyle3D style) {
    m_style3D = style;
    Q_EMIT changed();
}
void TVyrFont3D::setThreeDimensional(bool on) {
    m_threeDimensional = on;
    Q_EMIT changed();
}
void TVyrFont3D::setHighlight(ColorRef colour) {
    m_highlight = colour;
    Q_EMIT changed();
}
void TVyrFont3D::setShadow(ColorRef colour) {
    m_shadow = colour;
    Q_EMIT changed();
}
void TVyrFont3D::setOffset(int offset) {
    if (offset != 0)
        m_offset = std::clamp(offset, 0, 255);
    Q_EMIT changed();
}
void TVyrFont3D::setRepetition(TVyrRepeat repetition) {
    m_repetition = repetition;
    Q_EMIT changed();
}
void TVyrFont3D::setRepetitionColor(ColorRef colour) {
    m_repetitionColor = colour;
    Q_EMIT changed();
}
void TVyrFont3D::setRepetitionWidth(int width) {
    m_repetitionWidth = std::clamp(width, 0, 255);
    Q_EMIT changed();
}
void TVyrFont3D::setMaskFont(bool on) {
    m_maskFont = on;
    Q_EMIT changed();
}

namespace {
void pass(Canvas& dc, const QString& text, QRect rect, unsigned flags, ColorRef colour) {
    dc.setTextColour(colour);
    dc.drawText(text, rect, flags | DT::NOCLIP);
}
} // namespace

void TVyrFont3D::drawPasses(Canvas& dc, QRect& r, const QString& text, unsigned flags,
                            bool filledText) const {
    const int w = m_repetitionWidth;
    const int o = m_offset;
    if (m_repetition != repeatNone) {
        if (!filledText)
            r.adjust(w, w, -w, -w);
        const int step = m_repetition == repeatOnShadow ? -1 : 1;
        if (filledText)
            r.translate(m_repetition == repeatOnShadow ? QPoint(w, w) : QPoint());
        else
            r.translate(step * -o, step * -o);
        for (int i = 0; i < w; ++i) {
            pass(dc, text, r, flags, m_repetitionColor);
            r.translate(step, step);
        }
    }
    if (m_style3D == fontOutLineShadow) {
        for (const QPoint move : {QPoint(-1, -1), QPoint(2, 0), QPoint(0, 2), QPoint(-2, 0)}) {
            r.translate(move);
            pass(dc, text, r, flags, m_shadow);
        }
        r.translate(1, -1);
        return;
    }
    const bool shadowFirst = m_style3D == fontInset || m_style3D == fontOnlyShadow;
    const bool highlightSecond = m_style3D == fontInset || m_style3D == fontOnlyHighlight;
    r.translate(-o, -o);
    if (m_style3D != fontOnlyShadow)
        pass(dc, text, r, flags, shadowFirst ? m_shadow : m_highlight);
    r.translate(2 * o, 2 * o);
    if (m_style3D != fontOnlyHighlight)
        pass(dc, text, r, flags, highlightSecond ? m_highlight : m_shadow);
    r.translate(-o, -o);
}

void TVyrFont3D::Draw3DText(const LogFont& font, Canvas& dc, const QRect& rect, const QString& text,
                            unsigned flags, bool enabled) const {
    QRect r = rect;
    const Brush clear{BrushStyle::Clear, 0xFFFFFF};
    dc.setBrush(clear);
    dc.setBkColour(~clear.colour & 0xFFFFFF);
    dc.setBkMode(BkMode::Transparent);
    dc.setFont(font);
    ColorRef colour = font.colour;
    if (!enabled) {
        // Engraved: a highlight copy one pixel down and right of the grey text.
        pass(dc, text, r, flags, clBtnHighlight);
        r.translate(-1, -1);
        colour = clGrayText;
    } else if (m_threeDimensional) {
        drawPasses(dc, r, text, flags, false);
    }
    pass(dc, text, r, flags, colour);
}

// ---- TVyrFrame ----

TVyrFrame::TVyrFrame(QObject* parent) : QObject(parent) {}

void TVyrFrame::assign(const TVyrFrame& other) {
    if (&other == this)
        return;
    m_frameStyle = other.m_frameStyle;
    m_frameWidth = other.m_frameWidth;
    m_edges = other.m_edges;
    m_highlight = other.m_highlight;
    m_shadow = other.m_shadow;
    m_solid = other.m_solid;
    Q_EMIT changed();
}

void TVyrFrame::setFrameStyle(TVyrFrameStyle style) {
    m_frameStyle = style;
    Q_EMIT changed();
}
void TVyrFrame::setFrameWidth(int width) {
    if (width != 0)
        m_frameWidth = std::clamp(width, 0, 255);
    Q_EMIT changed();
}
void TVyrFrame::setEdges(TVyrFrameEdges edges) {
    m_edges = edges;
    Q_EMIT changed();
}
void TVyrFrame::setHighlight(ColorRef colour) {
    m_highlight = colour;
    Q_EMIT changed();
}
void TVyrFrame::setShadow(ColorRef colour) {
    m_shadow = colour;
    Q_EMIT changed();
}
void TVyrFrame::setSolid(ColorRef colour) {
    m_solid = colour;
    Q_EMIT changed();
}

int TVyrFrame::FrameOffset() const {
    switch (m_frameStyle) {
    case frameNone:
        return 0;
    case frameSolid:
    case frameRaised:
    case frameLowered:
        return m_frameWidth;
    default:
        return 2 * m_frameWidth;
    }
}

void TVyrFrame::DrawFrame(Canvas& dc, const QRect& rect) const {
    struct Ring {
        ColorRef topLeft;
        ColorRef bottomRight;
    };
    const ColorRef h = m_highlight, s = m_shadow, black = 0;
    Ring sets[2] = {{clNone, clNone}, {clNone, clNone}};
    int count = 1;
    switch (m_frameStyle) {
    case frameNone:
        return;
    case frameSolid:
        sets[0] = {m_solid, m_solid};
        break;
    case frameRaised:
        sets[0] = {h, s};
        break;
    case frameLowered:
        sets[0] = {s, h};
        break;
    case frameFramedUp:
        sets[0] = {h, s}, sets[1] = {s, h}, count = 2;
        break;
    case frameFramedDown:
        sets[0] = {s, h}, sets[1] = {h, s}, count = 2;
        break;
    case framePanelUp:
        sets[0] = {h, black}, sets[1] = {clNone, s}, count = 2;
        break;
    case framePanelDown:
        sets[0] = {s, clNone}, sets[1] = {black, h}, count = 2;
        break;
    case frameLightBordered:
        sets[0] = {clNone, s}, sets[1] = {h, h}, count = 2;
        break;
    }
    // Inclusive corners of the outermost ring.
    int l = rect.left(), t = rect.top(), r = rect.left() + rect.width() - 1,
        b = rect.top() + rect.height() - 1;
    for (int set = 0; set < count; ++set) {
        for (int ring = 0; ring < m_frameWidth; ++ring, ++l, ++t, --r, --b) {
            if (sets[set].topLeft != clNone) {
                dc.setPen({PenStyle::Solid, 1, sets[set].topLeft});
                if (m_edges & EdgeLeft) {
                    dc.moveTo(l, b);
                    dc.lineTo(l, t);
                }
                if (m_edges & EdgeTop) {
                    dc.moveTo(l, t);
                    dc.lineTo(r, t);
                }
            }
            if (sets[set].bottomRight != clNone) {
                dc.setPen({PenStyle::Solid, 1, sets[set].bottomRight});
                if (m_edges & EdgeRight) {
                    dc.moveTo(r, t);
                    dc.lineTo(r, b);
                }
                if (m_edges & EdgeBottom) {
                    dc.moveTo(r, b);
                    dc.lineTo(l - 1, b);
                }
            }
        }
    }
}

// ---- TVyrGlyph ----

TVyrGlyph::TVyrGlyph(QObject* parent) : QObject(parent) {}

void TVyrGlyph::assign(const TVyrGlyph& other) {
    if (&other == this)
        return;
    m_bitmap = other.m_bitmap;
    m_numGlyphs = other.m_numGlyphs;
    m_transparent = other.m_transparent;
    m_transparentColor = other.m_transparentColor;
    m_visible = other.m_visible;
    Q_EMIT changed();
}

void TVyrGlyph::setBitmap(const QImage& bitmap) {
    // A bitmap has no alpha channel of its own.
    m_bitmap = bitmap.isNull() ? QImage() : bitmap.convertToFormat(QImage::Format_RGB32);
    Q_EMIT changed();
}
void TVyrGlyph::setNumGlyphs(int count) {
    if (count < 1 || count > 4 || count == m_numGlyphs)
        return;
    m_numGlyphs = count;
    Q_EMIT changed();
}
void TVyrGlyph::setTransparent(bool on) {
    if (on == m_transparent)
        return;
    m_transparent = on;
    Q_EMIT changed();
}
void TVyrGlyph::setTransparentColor(ColorRef colour) {
    if (colour == m_transparentColor)
        return;
    m_transparentColor = colour;
    Q_EMIT changed();
}
void TVyrGlyph::setVisible(bool on) {
    if (on == m_visible)
        return;
    m_visible = on;
    Q_EMIT changed();
}

int TVyrGlyph::GlyphWidth() const {
    if (m_bitmap.isNull() || m_numGlyphs == 0)
        return 0;
    return roundEven(double(m_bitmap.width()) / m_numGlyphs);
}

int TVyrGlyph::GlyphHeight() const {
    return m_bitmap.isNull() ? 0 : m_bitmap.height();
}

QImage TVyrGlyph::recoloured(const QImage& cell, int factor) const {
    QImage out = cell.convertToFormat(QImage::Format_RGB32);
    const QRgb key = toQColor(m_transparentColor).rgb() & 0xFFFFFF;
    const QRgb face = toQColor(clBtnFace).rgb(), light = toQColor(clBtnHighlight).rgb(),
               dark = toQColor(clBtnShadow).rgb(), black = qRgb(0, 0, 0);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == key)
                continue;
            const int sum = qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]);
            line[x] = sum > 535 * factor   ? face
                      : sum > 274 * factor ? light
                      : sum > 55 * factor  ? dark
                                           : black;
        }
    }
    return out;
}

void TVyrGlyph::DrawGlyph(Canvas& dc, int x, int y, bool enabled, bool pressed) const {
    if (m_bitmap.isNull() || !m_visible)
        return;
    const int width = GlyphWidth();
    if (width <= 0)
        return;
    const int number = !enabled ? m_numGlyphs : pressed && m_numGlyphs >= 3 ? 2 : 1;
    QImage cell = m_bitmap.copy(width * (number - 1), 0, width, m_bitmap.height());
    if (!enabled)
        cell = recoloured(cell, 2);
    if (m_transparent)
        dc.transparentDraw(x, y, cell, m_transparentColor);
    else
        dc.draw(x, y, cell);
}

} // namespace quorvane
