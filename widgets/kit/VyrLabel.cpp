#include "widgets/kit/VyrLabel.h"

#include "widgets/kit/VyrPropertyPath.h"
#include "widgets/kit/VyrTBackground.h"

#include <QMouseEvent>
#include <QPainter>

namespace quorvane {

TVyrLabel::TVyrLabel(QWidget* parent)
    : QWidget(parent), m_font3D(new TVyrFont3D(this)), m_frame(new TVyrFrame(this)) {
    m_frame->setFrameStyle(TVyrFrame::frameNone);
    connect(m_font3D, &TVyrFont3D::changed, this, qOverload<>(&QWidget::update));
    connect(m_frame, &TVyrFrame::changed, this, qOverload<>(&QWidget::update));
}

TVyrLabel::~TVyrLabel() {
    for (TVyrBackground* background : {m_background, m_fontBackground})
        if (background) {
            background->removeClient(this);
            background->disconnect(this);
        }
}

void TVyrLabel::setCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
}

void TVyrLabel::setFontColor(ColorRef colour) {
    m_fontColor = colour;
    update();
}

void TVyrLabel::setFont3D(TVyrFont3D* font3D) {
    if (font3D && font3D != m_font3D)
        m_font3D->assign(*font3D);
}

void TVyrLabel::setFrame(TVyrFrame* frame) {
    if (frame && frame != m_frame)
        m_frame->assign(*frame);
}

void TVyrLabel::attach(TVyrBackground*& slot, TVyrBackground* background) {
    if (slot) {
        slot->removeClient(this);
        // The other slot may still point to it.
        TVyrBackground* other = &slot == &m_background ? m_fontBackground : m_background;
        if (slot != other)
            slot->disconnect(this);
    }
    slot = background;
    if (background) {
        background->addClient(this);
        connect(background, &QObject::destroyed, this, &TVyrLabel::backgroundDestroyed,
                Qt::UniqueConnection);
    }
    update();
}

void TVyrLabel::setBackground(TVyrBackground* background) {
    attach(m_background, background);
}

void TVyrLabel::setFontBackground(TVyrBackground* background) {
    attach(m_fontBackground, background);
}

void TVyrLabel::backgroundDestroyed(QObject* object) {
    if (object == m_background)
        m_background = nullptr;
    if (object == m_fontBackground)
        m_fontBackground = nullptr;
    update();
}

void TVyrLabel::setColor(ColorRef colour) {
    m_color = colour;
    update();
}
void TVyrLabel::setTransparent(bool on) {
    m_transparent = on;
    update();
}
void TVyrLabel::setAlignment(TAlignment alignment) {
    m_alignment = alignment;
    update();
}
void TVyrLabel::setWordWrap(bool on) {
    m_wordWrap = on;
    update();
}
void TVyrLabel::setShowAccelChar(bool on) {
    m_showAccelChar = on;
    update();
}

QRect TVyrLabel::textRect() const {
    const int offset = m_frame->FrameOffset();
    const int width = m_frame->frameWidth();
    return rect().adjusted(offset, offset + width, -2 * offset, -offset - width);
}

unsigned TVyrLabel::textFlags() const {
    unsigned flags = (m_wordWrap ? DT::WORDBREAK : 0) | DT::EXPANDTABS;
    flags |= m_alignment == taRightJustify ? DT::RIGHT : m_alignment == taCenter ? DT::CENTER : 0;
    if (!m_showAccelChar)
        flags |= DT::NOPREFIX;
    return flags;
}

void TVyrLabel::paintOn(Canvas& dc) {
    const QRect client = rect();
    if (!m_transparent) {
        dc.fillRect(client, {BrushStyle::Solid, m_color});
        if (m_background)
            m_background->PaintTo(dc, width(), height(), true);
    }
    dc.setBrush({BrushStyle::Clear, 0});
    const LogFont font = logFontOf(this->font(), m_fontColor, dc.device());
    if (m_fontBackground)
        m_fontBackground->DrawTextFilled(*m_font3D, font, dc, textRect(), m_caption, textFlags());
    else
        m_font3D->Draw3DText(font, dc, textRect(), m_caption, textFlags(), isEnabled());
    m_frame->DrawFrame(dc, client);
}

void TVyrLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Canvas dc(painter);
    paintOn(dc);
}

void TVyrLabel::mousePressEvent(QMouseEvent* event) {
    m_down = event->button() == Qt::LeftButton;
}

void TVyrLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        m_down && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_down = false;
    if (click)
        Q_EMIT clicked();
}

void TVyrLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
}

bool TVyrLabel::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange)
        PropertyPath::apply(this, static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName());
    else if (event->type() == QEvent::EnabledChange)
        update();
    return QWidget::event(event);
}

} // namespace quorvane
