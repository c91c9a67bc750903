#pragma once

#include "widgets/kit/VyrControls.h"
#include "widgets/kit/VyrEnhancedClass.h"
#include "widgets/kit/VyrTBackground.h"

#include <QImage>

namespace quorvane {

// A round push button: a circular face with a 3D rim and a centred picture. It answers
// presses only inside the circle, sinks its rim while pressed and says clicked() when a
// button is released inside the circle.
class TVyrRoundButton : public TVyrGraphicControl {
    Q_OBJECT
    Q_PROPERTY(TVyrButtonType ButtonType READ buttonType WRITE setButtonType)
    Q_PROPERTY(quorvane::TVyrGlyph* Glyph READ glyph WRITE setGlyph)
    Q_PROPERTY(quint32 UnUsedColor READ unUsedColor WRITE setUnUsedColor)
    Q_PROPERTY(quorvane::TVyrBackground* Background READ background WRITE setBackground)
public:
    enum TVyrButtonType { btNormal, btInset };
    Q_ENUM(TVyrButtonType)

    explicit TVyrRoundButton(QWidget* parent = nullptr);
    ~TVyrRoundButton() override;

    TVyrButtonType buttonType() const { return m_buttonType; }
    void setButtonType(TVyrButtonType type);
    TVyrGlyph* glyph() const { return m_glyph; }
    // Takes over the values; the button keeps its own object.
    void setGlyph(TVyrGlyph* glyph);
    ColorRef unUsedColor() const { return m_unUsedColor; }
    void setUnUsedColor(ColorRef colour);
    TVyrBackground* background() const { return m_background; }
    void setBackground(TVyrBackground* background);

    bool IsInCircle(int x, int y) const;
    bool pressed() const { return m_pressed; }
    bool tracking() const { return m_tracking; }

    // Paints the button with `behind` showing outside the circle: what lies under the button
    // (transparent pixels leave the device as it is). Pixels of `behind` in the unused
    // colour show the face's back too.
    void paintOn(Canvas& dc, const QImage& behind);

Q_SIGNALS:
    void mouseEnter();
    void mouseExit();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void drawRim(Canvas& dc) const;
    // Only the rim changes; the picture keeps the state it was last painted in.
    void DrawRim();
    void backgroundDestroyed(QObject* object);

    TVyrButtonType m_buttonType = btNormal;
    TVyrGlyph* m_glyph;
    ColorRef m_unUsedColor = rgbColour(0, 255, 0);
    TVyrBackground* m_background = nullptr;
    bool m_pressed = false;
    bool m_tracking = false;
    bool m_rimOnly = false;
    bool m_glyphPressed = false;
};

} // namespace quorvane
