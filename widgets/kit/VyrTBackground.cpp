#include "widgets/kit/VyrTBackground.h"

#include "data/ColourText.h"
#include "platform/QuorvaneError.h"
#include "widgets/kit/VyrGradientFill.h"

#include <QWidget>

namespace quorvane {

// ---- TVyrGradient ----

TVyrGradient::TVyrGradient(QObject* parent) : QObject(parent) {}

void TVyrGradient::assign(const TVyrGradient& other) {
    if (&other == this)
        return;
    m_beginColor = other.m_beginColor;
    m_endColor = other.m_endColor;
    m_colorsInBetween = other.m_colorsInBetween;
    m_fillStyle = other.m_fillStyle;
    m_colorCount = other.m_colorCount;
    Q_EMIT changed();
}

void TVyrGradient::setBeginColor(ColorRef colour) {
    m_beginColor = colour;
    Q_EMIT changed();
}
void TVyrGradient::setEndColor(ColorRef colour) {
    m_endColor = colour;
    Q_EMIT changed();
}
void TVyrGradient::setColorsInBetween(const QStringList& colours) {
    m_colorsInBetween = colours;
    Q_EMIT changed();
}
void TVyrGradient::setFillStyle(TVyrFillStyle style) {
    m_fillStyle = style;
    Q_EMIT changed();
}
void TVyrGradient::setColorCount(int count) {
    if (count >= 2 && count <= 255)
        m_colorCount = count;
    Q_EMIT changed();
}

GradientFill TVyrGradient::fill(ColorRef back, bool forward) const {
    GradientFill out;
    out.style = m_fillStyle;
    out.colorCount = m_colorCount;
    out.back = back;
    out.colours << (forward ? m_beginColor : m_endColor);
    for (const QString& text : m_colorsInBetween) {
        // A line that names no colour cannot be painted; a paint has no one to tell.
        try {
            out.colours << ColourText::toColour(text.trimmed());
        } catch (const QuorvaneError&) {
        }
    }
    out.colours << (forward ? m_endColor : m_beginColor);
    return out;
}

// ---- TVyrTexture ----

TVyrTexture::TVyrTexture(QObject* parent) : QObject(parent) {}

void TVyrTexture::assign(const TVyrTexture& other) {
    if (&other == this)
        return;
    m_image = other.m_image;
    m_imageStyle = other.m_imageStyle;
    m_transparentColor = other.m_transparentColor;
    m_transparentBackground = other.m_transparentBackground;
    Q_EMIT changed();
}

void TVyrTexture::setImage(const QImage& image) {
    m_image = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    Q_EMIT changed();
}
void TVyrTexture::setImageStyle(TVyrImageStyle style) {
    m_imageStyle = style;
    Q_EMIT changed();
}
void TVyrTexture::setTransparentColor(ColorRef colour) {
    m_transparentColor = colour;
    Q_EMIT changed();
}
void TVyrTexture::setTransparentBackground(ColorRef colour) {
    m_transparentBackground = colour;
    Q_EMIT changed();
}

void TVyrTexture::paint(Canvas& dc, int w, int h, ColorRef back) const {
    if (m_image.isNull())
        return;
    QImage source = m_image;
    if (m_transparentColor != clNone) {
        const QRgb key = toQColor(m_transparentColor).rgb() & 0xFFFFFF;
        const QRgb replacement = toQColor(m_transparentBackground).rgb();
        for (int y = 0; y < source.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(source.scanLine(y));
            for (int x = 0; x < source.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key)
                    line[x] = replacement;
        }
    }
    const int iw = source.width(), ih = source.height();
    switch (m_imageStyle) {
    case isTile:
        for (int c = 0; c <= w / iw; ++c)
            for (int r = 0; r <= h / ih; ++r)
                dc.draw(c * iw, r * ih, source);
        break;
    case isStretched:
        dc.stretchDraw(QRect(0, 0, w, h), source);
        break;
    case isCenter:
        dc.setBkColour(back);
        dc.setBkMode(BkMode::Opaque);
        dc.draw(iw < w ? (w - iw) / 2 : 0, ih < h ? (h - ih) / 2 : 0, source);
        break;
    }
}

// ---- TVyrBrushFill ----

TVyrBrushFill::TVyrBrushFill(QObject* parent) : QObject(parent) {}

void TVyrBrushFill::assign(const TVyrBrushFill& other) {
    if (&other == this)
        return;
    m_brushStyle = other.m_brushStyle;
    m_brushColor = other.m_brushColor;
    Q_EMIT changed();
}

void TVyrBrushFill::setBrushStyle(TBrushStyle style) {
    m_brushStyle = style;
    Q_EMIT changed();
}
void TVyrBrushFill::setBrushColor(ColorRef colour) {
    m_brushColor = colour;
    Q_EMIT changed();
}

// ---- TVyrBackground ----

TVyrBackground::TVyrBackground(QObject* parent)
    : QObject(parent), m_gradient(new TVyrGradient(this)), m_texture(new TVyrTexture(this)),
      m_brushFill(new TVyrBrushFill(this)) {
    connect(m_gradient, &TVyrGradient::changed, this, &TVyrBackground::notify);
    connect(m_texture, &TVyrTexture::changed, this, &TVyrBackground::notify);
    connect(m_brushFill, &TVyrBrushFill::changed, this, &TVyrBackground::notify);
}

TVyrBackground::~TVyrBackground() {
    // The settings objects go with the background; their last words reach no client.
    m_clients.clear();
    m_gradient->disconnect(this);
    m_texture->disconnect(this);
    m_brushFill->disconnect(this);
}

void TVyrBackground::notify() {
    for (const QPointer<QWidget>& client : std::as_const(m_clients))
        if (client)
            client->update();
    Q_EMIT changed();
}

void TVyrBackground::setBackgroundStyle(TVyrBackStyle style) {
    m_style = style;
    notify();
}
void TVyrBackground::setGradient(TVyrGradient* gradient) {
    if (gradient)
        m_gradient->assign(*gradient);
}
void TVyrBackground::setTexture(TVyrTexture* texture) {
    if (texture)
        m_texture->assign(*texture);
}
void TVyrBackground::setBrushFill(TVyrBrushFill* brushFill) {
    if (brushFill)
        m_brushFill->assign(*brushFill);
}
void TVyrBackground::setSolidColor(ColorRef colour) {
    m_solidColor = colour;
    notify();
}

void TVyrBackground::addClient(QWidget* client) {
    m_clients.append(client);
}

void TVyrBackground::removeClient(QWidget* client) {
    for (qsizetype i = 0; i < m_clients.size(); ++i)
        if (m_clients[i].data() == client) {
            m_clients.removeAt(i);
            return;
        }
}

QList<QWidget*> TVyrBackground::clients() const {
    QList<QWidget*> out;
    for (const QPointer<QWidget>& client : m_clients)
        out << client.data();
    return out;
}

void TVyrBackground::PaintTo(Canvas& dc, int w, int h, bool forward) const {
    if (w <= 0 || h <= 0)
        return;
    switch (m_style) {
    case bGradient:
        paintGradient(dc, w, h, m_gradient->fill(m_solidColor, forward));
        break;
    case bTexture:
        m_texture->paint(dc, w, h, m_solidColor);
        break;
    case bSolidcolor:
        dc.fillRect(QRect(0, 0, w, h), {BrushStyle::Solid, m_solidColor});
        break;
    case bBrushFillUseCurrent:
    case bBrushFillSolidColor: {
        // The brush (hatch lines or solid) in its colour on white; the second style puts
        // the solid colour where the white was.
        QImage p(w, h, QImage::Format_RGB32);
        p.fill(Qt::white);
        {
            Canvas brush(p);
            brush.setBkMode(BkMode::Transparent);
            brush.fillRect(QRect(0, 0, w, h),
                           {BrushStyle(m_brushFill->brushStyle()), m_brushFill->brushColor()});
        }
        if (m_style == bBrushFillSolidColor) {
            const QRgb under = toQColor(m_solidColor).rgb();
            for (int y = 0; y < h; ++y) {
                auto* line = reinterpret_cast<QRgb*>(p.scanLine(y));
                for (int x = 0; x < w; ++x)
                    if ((line[x] & 0xFFFFFF) == 0xFFFFFF)
                        line[x] = under;
            }
        }
        dc.draw(0, 0, p);
        break;
    }
    }
}

void TVyrBackground::DrawTextFilled(const TVyrFont3D& font3D, const LogFont& font, Canvas& dc,
                                    const QRect& rect, const QString& text, unsigned flags) const {
    const int w = rect.width(), h = rect.height();
    if (w <= 0 || h <= 0)
        return;
    const int rw = font3D.repetitionWidth();
    QRect r = rect.adjusted(rw, 0, -rw, 0);
    // The passes go onto a copy of the area; what lies under it shows where nothing is drawn.
    QImage work(w, h, QImage::Format_ARGB32_Premultiplied);
    work.fill(Qt::transparent);
    {
        Canvas passes(work);
        passes.setFont(font);
        passes.setBrush({BrushStyle::Clear, 0});
        passes.setBkMode(BkMode::Transparent);
        if (font3D.threeDimensional())
            font3D.drawPasses(passes, r, text, flags, true);

        QImage back(w, h, QImage::Format_RGB32);
        back.fill(Qt::white);
        {
            Canvas backDc(back);
            PaintTo(backDc, w, h, true);
        }
        // The letters are keyed by their exact colour, so they are drawn without smoothing.
        QImage letters(w, h, QImage::Format_RGB32);
        letters.fill(Qt::white);
        {
            Canvas lettersDc(letters);
            LogFont sharp = font;
            sharp.quality = LogFont::NonAntialiased;
            lettersDc.setFont(sharp);
            lettersDc.setBkMode(BkMode::Transparent);
            lettersDc.setTextColour(font.colour);
            QRect at = r;
            lettersDc.drawText(text, at, flags);
        }
        const QRgb ink = toQColor(font.colour).rgb() & 0xFFFFFF;
        if (font3D.maskFont()) {
            for (int y = 0; y < h; ++y) {
                auto* line = reinterpret_cast<QRgb*>(letters.scanLine(y));
                for (int x = 0; x < w; ++x)
                    line[x] = (line[x] & 0xFFFFFF) == ink ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            }
        }
        {
            Canvas backDc(back);
            backDc.transparentDraw(0, 0, letters, font.colour);
        }
        passes.transparentDraw(0, 0, back, fromQColor(QColor(back.pixel(0, 0))));
    }
    dc.draw(0, 0, work);
}

} // namespace quorvane
