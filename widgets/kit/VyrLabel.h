#pragma once

#include "widgets/kit/VyrEnhancedClass.h"
#include "widgets/kit/VyrTBackground.h"

#include <QWidget>

namespace quorvane {

// A text label drawn with a 3D effect inside an optional border, on an optional painted
// background. It draws on its parent: nothing is filled while it is transparent.
class TVyrLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(quint32 FontColor READ fontColor WRITE setFontColor)
    Q_PROPERTY(quorvane::TVyrFont3D* Font3D READ font3D WRITE setFont3D)
    Q_PROPERTY(quorvane::TVyrFrame* Frame READ frame WRITE setFrame)
    Q_PROPERTY(quorvane::TVyrBackground* Background READ background WRITE setBackground)
    Q_PROPERTY(quorvane::TVyrBackground* FontBackground READ fontBackground WRITE setFontBackground)
    Q_PROPERTY(quint32 Color READ color WRITE setColor)
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(TAlignment Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
    Q_PROPERTY(bool ShowAccelChar READ showAccelChar WRITE setShowAccelChar)
    Q_PROPERTY(QWidget* FocusControl READ focusControl WRITE setFocusControl)
    Q_PROPERTY(QString About READ about WRITE setAbout STORED false)
public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)

    explicit TVyrLabel(QWidget* parent = nullptr);
    ~TVyrLabel() override;

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // The caption under the names of an ordinary label.
    QString text() const { return m_caption; }
    void setText(const QString& caption) { setCaption(caption); }
    void clear() { setCaption({}); }
    // The colour of the font (the text colour of the last pass).
    ColorRef fontColor() const { return m_fontColor; }
    void setFontColor(ColorRef colour);
    TVyrFont3D* font3D() const { return m_font3D; }
    // Takes over the values; the label keeps its own object.
    void setFont3D(TVyrFont3D* font3D);
    TVyrFrame* frame() const { return m_frame; }
    void setFrame(TVyrFrame* frame);
    TVyrBackground* background() const { return m_background; }
    void setBackground(TVyrBackground* background);
    TVyrBackground* fontBackground() const { return m_fontBackground; }
    void setFontBackground(TVyrBackground* background);
    ColorRef color() const { return m_color; }
    void setColor(ColorRef colour);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);
    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignment);
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on);
    bool showAccelChar() const { return m_showAccelChar; }
    void setShowAccelChar(bool on);
    QWidget* focusControl() const { return m_focusControl; }
    void setFocusControl(QWidget* control) { m_focusControl = control; }
    QString about() const { return m_about; }
    void setAbout(const QString& text) { m_about = text; }

    // The text's rectangle inside the border, and the format flags it is drawn with.
    QRect textRect() const;
    unsigned textFlags() const;
    // Paints the label as its paint event does.
    void paintOn(Canvas& dc);

Q_SIGNALS:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void attach(TVyrBackground*& slot, TVyrBackground* background);
    void backgroundDestroyed(QObject* object);

    QString m_caption;
    ColorRef m_fontColor = clWindowText;
    TVyrFont3D* m_font3D;
    TVyrFrame* m_frame;
    TVyrBackground* m_background = nullptr;
    TVyrBackground* m_fontBackground = nullptr;
    ColorRef m_color = clWindow;
    bool m_transparent = false;
    TAlignment m_alignment = taLeftJustify;
    bool m_wordWrap = false;
    bool m_showAccelChar = true;
    QWidget* m_focusControl = nullptr;
    QString m_about;
    bool m_down = false;
};

} // namespace quorvane
