#include "widgets/kit/VyrTRoundButton.h"

#include "widgets/kit/VyrTBackground.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace quorvane {

TVyrRoundButton::TVyrRoundButton(QWidget* parent)
    : TVyrGraphicControl(parent), m_glyph(new TVyrGlyph(this)) {
    resize(25, 25);
    // A changed picture shows at once rather than at some later repaint.
    connect(m_glyph, &TVyrGlyph::changed, this, qOverload<>(&QWidget::update));
}

TVyrRoundButton::~TVyrRoundButton() {
    if (m_background) {
        m_background->removeClient(this);
        m_background->disconnect(this);
    }
}

void TVyrRoundButton::setButtonType(TVyrButtonType type) {
    m_buttonType = type;
    update();
}

void TVyrRoundButton::setGlyph(TVyrGlyph* glyph) {
    if (glyph && glyph != m_glyph)
        m_glyph->assign(*glyph);
    update();
}

void TVyrRoundButton::setUnUsedColor(ColorRef colour) {
    m_unUsedColor = colour;
    update();
}

void TVyrRoundButton::setBackground(TVyrBackground* background) {
    if (m_background) {
        m_background->removeClient(this);
        m_background->disconnect(this);
    }
    m_background = background;
    if (background) {
        background->addClient(this);
        connect(background, &QObject::destroyed, this, &TVyrRoundButton::backgroundDestroyed);
    }
    update();
}

void TVyrRoundButton::backgroundDestroyed(QObject* object) {
    if (object == m_background)
        m_background = nullptr;
    update();
}

bool TVyrRoundButton::IsInCircle(int x, int y) const {
    // The radius follows the width only.
    const int cx = width() / 2, cy = height() / 2;
    const double distance = std::sqrt(double(cx - x) * (cx - x) + double(cy - y) * (cy - y));
    return roundEven(distance) <= cx - 1;
}

void TVyrRoundButton::DrawRim() {
    m_rimOnly = true;
    update();
}

void TVyrRoundButton::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (isEnabled() && IsInCircle(at.x(), at.y())) {
        m_pressed = true;
        DrawRim();
    }
    m_tracking = true;
}

void TVyrRoundButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event); // a double click is one more press
}

void TVyrRoundButton::mouseMoveEvent(QMouseEvent* event) {
    if (!m_tracking)
        return;
    const QPoint at = event->position().toPoint();
    const bool inside = IsInCircle(at.x(), at.y());
    if (inside != m_pressed) {
        m_pressed = inside;
        DrawRim();
    }
}

void TVyrRoundButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool click = isEnabled() && IsInCircle(at.x(), at.y());
    m_tracking = false;
    if (click) {
        m_pressed = false;
        DrawRim();
        Q_EMIT clicked();
    }
}

void TVyrRoundButton::enterEvent(QEnterEvent*) {
    Q_EMIT mouseEnter();
}

void TVyrRoundButton::leaveEvent(QEvent*) {
    Q_EMIT mouseExit();
}

void TVyrRoundButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update();
    TVyrGraphicControl::changeEvent(event);
}

void TVyrRoundButton::drawRim(Canvas& dc) const {
    const int w = width(), h = height();
    const QPoint upperRight(4 * (w / 5), h / 5), lowerLeft(w / 5, 4 * (h / 5));
    dc.setPen({PenStyle::Solid, 1, m_pressed ? clBtnShadow : clBtnHighlight});
    dc.arc(1, 1, w - 2, h - 2, upperRight.x(), upperRight.y(), lowerLeft.x(), lowerLeft.y());
    dc.setPen({PenStyle::Solid, 1, m_pressed ? clBtnHighlight : clBtnShadow});
    dc.arc(1, 1, w - 2, h - 2, lowerLeft.x(), lowerLeft.y(), upperRight.x(), upperRight.y());
}

void TVyrRoundButton::paintOn(Canvas& dc, const QImage& behind) {
    const int w = width(), h = height();
    if (w <= 0 || h <= 0)
        return;
    QImage back(w, h, QImage::Format_RGB32);
    back.fill(Qt::white);
    QImage face = behind.convertToFormat(QImage::Format_ARGB32);
    if (m_background) {
        Canvas backDc(back);
        m_background->PaintTo(backDc, w, h, true);
    }
    {
        Canvas faceDc(face);
        faceDc.setBrush({BrushStyle::Solid, m_unUsedColor});
        const QPoint upperRight(4 * (w / 5), h / 5), lowerLeft(w / 5, 4 * (h / 5));
        if (m_buttonType == btNormal) {
            faceDc.setPen({PenStyle::Solid, 1, 0});
            faceDc.ellipse(0, 0, w - 1, h - 1);
        } else {
            faceDc.setPen({PenStyle::Solid, 1, m_unUsedColor});
            faceDc.ellipse(1, 1, w - 2, h - 2);
            faceDc.setPen({PenStyle::Solid, 1, clBtnShadow});
            faceDc.arc(0, 0, w - 1, h - 1, upperRight.x(), upperRight.y(), lowerLeft.x(),
                       lowerLeft.y());
            faceDc.setPen({PenStyle::Solid, 1, clBtnHighlight});
            faceDc.arc(0, 0, w - 1, h - 1, lowerLeft.x(), lowerLeft.y(), upperRight.x(),
                       upperRight.y());
        }
    }
    // The face over the back, its key colour left out: the back shows inside the circle.
    const QRgb key = toQColor(m_unUsedColor).rgb() & 0xFFFFFF;
    for (int y = 0; y < h; ++y) {
        auto* out = reinterpret_cast<QRgb*>(face.scanLine(y));
        const auto* under = reinterpret_cast<const QRgb*>(back.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (qAlpha(out[x]) == 255 && (out[x] & 0xFFFFFF) == key)
                out[x] = under[x];
    }
    dc.draw(0, 0, face);
    drawRim(dc);
    const bool glyphPressed = m_rimOnly ? m_glyphPressed : m_pressed;
    m_glyphPressed = glyphPressed;
    m_rimOnly = false;
    const int x = roundEven((w - m_glyph->GlyphWidth()) / 2.0);
    const int y = roundEven((h - m_glyph->GlyphHeight()) / 2.0) - 1;
    m_glyph->DrawGlyph(dc, x, y, isEnabled(), glyphPressed);
}

void TVyrRoundButton::paintEvent(QPaintEvent*) {
    // What the parent paints under the button: it stays outside the circle, and where it
    // has the unused colour the back shows through as well.
    QImage behind(size(), QImage::Format_ARGB32);
    behind.fill(Qt::transparent);
    if (QWidget* under = parentWidget())
        under->render(&behind, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    QPainter painter(this);
    Canvas dc(painter);
    paintOn(dc, behind);
}

} // namespace quorvane
