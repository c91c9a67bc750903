#pragma once

#include "platform/Canvas.h"
#include "widgets/kit/VyrEnhancedClass.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QWidget;

namespace quorvane {

struct GradientFill;

class TVyrGradient : public QObject {
    Q_OBJECT
    Q_PROPERTY(quint32 BeginColor READ beginColor WRITE setBeginColor)
    Q_PROPERTY(quint32 EndColor READ endColor WRITE setEndColor)
    Q_PROPERTY(QStringList ColorsInBetween READ colorsInBetween WRITE setColorsInBetween)
    Q_PROPERTY(TVyrFillStyle FillStyle READ fillStyle WRITE setFillStyle)
    Q_PROPERTY(int ColorCount READ colorCount WRITE setColorCount)
public:
    enum TVyrFillStyle {
        Circle,
        Horizontal,
        Vertical,
        LeftBottom,
        RoundMiddle,
        SquareMiddle,
        Spectral,
        DoppelFlash,
        Singleflash,
        MiddleHBar,
        MiddleVBar,
        VerticalDoppelBar,
        HorizontalDoppelBar
    };
    Q_ENUM(TVyrFillStyle)

    explicit TVyrGradient(QObject* parent = nullptr);
    void assign(const TVyrGradient& other);

    ColorRef beginColor() const { return m_beginColor; }
    void setBeginColor(ColorRef colour);
    ColorRef endColor() const { return m_endColor; }
    void setEndColor(ColorRef colour);
    QStringList colorsInBetween() const { return m_colorsInBetween; }
    void setColorsInBetween(const QStringList& colours);
    TVyrFillStyle fillStyle() const { return m_fillStyle; }
    void setFillStyle(TVyrFillStyle style);
    int colorCount() const { return m_colorCount; }
    // 2 to 255 steps; other counts keep the old one (and still notify).
    void setColorCount(int count);

    // The fill these settings describe: begin, the in-between colours and end (reversed when
    // not `forward`). An in-between text that names no colour is left out.
    GradientFill fill(ColorRef back, bool forward) const;

Q_SIGNALS:
    void changed();

private:
    ColorRef m_beginColor = clBtnShadow;
    ColorRef m_endColor = clBtnHighlight;
    QStringList m_colorsInBetween;
    TVyrFillStyle m_fillStyle = Horizontal;
    int m_colorCount = 32;
};

class TVyrTexture : public QObject {
    Q_OBJECT
    Q_PROPERTY(QImage Image READ image WRITE setImage)
    Q_PROPERTY(TVyrImageStyle ImageStyle READ imageStyle WRITE setImageStyle)
    Q_PROPERTY(quint32 TransparentColor READ transparentColor WRITE setTransparentColor)
    Q_PROPERTY(
        quint32 TransparentBackground READ transparentBackground WRITE setTransparentBackground)
public:
    enum TVyrImageStyle { isTile, isCenter, isStretched };
    Q_ENUM(TVyrImageStyle)

    explicit TVyrTexture(QObject* parent = nullptr);
    void assign(const TVyrTexture& other);

    QImage image() const { return m_image; }
    void setImage(const QImage& image);
    TVyrImageStyle imageStyle() const { return m_imageStyle; }
    void setImageStyle(TVyrImageStyle style);
    ColorRef transparentColor() const { return m_transparentColor; }
    void setTransparentColor(ColorRef colour);
    ColorRef transparentBackground() const { return m_transparentBackground; }
    void setTransparentBackground(ColorRef colour);

    void paint(Canvas& dc, int w, int h, ColorRef back) const;

Q_SIGNALS:
    void changed();

private:
    QImage m_image;
    TVyrImageStyle m_imageStyle = isTile;
    ColorRef m_transparentColor = clNone;
    ColorRef m_transparentBackground = clBtnFace;
};

class TVyrBrushFill : public QObject {
    Q_OBJECT
    Q_PROPERTY(TBrushStyle BrushStyle READ brushStyle WRITE setBrushStyle)
    Q_PROPERTY(quint32 BrushColor READ brushColor WRITE setBrushColor)
public:
    // In the order of the canvas brush styles.
    enum TBrushStyle {
        bsSolid,
        bsClear,
        bsHorizontal,
        bsVertical,
        bsFDiagonal,
        bsBDiagonal,
        bsCross,
        bsDiagCross
    };
    Q_ENUM(TBrushStyle)

    explicit TVyrBrushFill(QObject* parent = nullptr);
    void assign(const TVyrBrushFill& other);

    TBrushStyle brushStyle() const { return m_brushStyle; }
    void setBrushStyle(TBrushStyle style);
    ColorRef brushColor() const { return m_brushColor; }
    void setBrushColor(ColorRef colour);

Q_SIGNALS:
    void changed();

private:
    TBrushStyle m_brushStyle = bsSolid;
    ColorRef m_brushColor = clBtnFace;
};

// Paints areas of controls that point to it; they are its clients and repaint when it changes.
class TVyrBackground : public QObject {
    Q_OBJECT
    Q_PROPERTY(TVyrBackStyle BackgroundStyle READ backgroundStyle WRITE setBackgroundStyle)
    Q_PROPERTY(quorvane::TVyrGradient* Gradient READ gradient WRITE setGradient)
    Q_PROPERTY(quorvane::TVyrTexture* Texture READ texture WRITE setTexture)
    Q_PROPERTY(quorvane::TVyrBrushFill* BrushFill READ brushFill WRITE setBrushFill)
    Q_PROPERTY(quint32 SolidColor READ solidColor WRITE setSolidColor)
    Q_PROPERTY(QString About READ about WRITE setAbout)
public:
    enum TVyrBackStyle {
        bGradient,
        bTexture,
        bSolidcolor,
        bBrushFillUseCurrent,
        bBrushFillSolidColor
    };
    Q_ENUM(TVyrBackStyle)

    explicit TVyrBackground(QObject* parent = nullptr);
    ~TVyrBackground() override;

    TVyrBackStyle backgroundStyle() const { return m_style; }
    void setBackgroundStyle(TVyrBackStyle style);
    TVyrGradient* gradient() const { return m_gradient; }
    // The three settings setters copy the values of the given object.
    void setGradient(TVyrGradient* gradient);
    TVyrTexture* texture() const { return m_texture; }
    void setTexture(TVyrTexture* texture);
    TVyrBrushFill* brushFill() const { return m_brushFill; }
    void setBrushFill(TVyrBrushFill* brushFill);
    ColorRef solidColor() const { return m_solidColor; }
    void setSolidColor(ColorRef colour);
    QString about() const { return m_about; }
    void setAbout(const QString& text) { m_about = text; }

    void addClient(QWidget* client);
    // Takes out the first entry of `client`.
    void removeClient(QWidget* client);
    QList<QWidget*> clients() const;

    // Paints (0, 0, w, h) of `dc`.
    void PaintTo(Canvas& dc, int w, int h, bool forward = true) const;
    // Draws `text` with its 3D passes and fills its letters with this painting.
    void DrawTextFilled(const TVyrFont3D& font3D, const LogFont& font, Canvas& dc,
                        const QRect& rect, const QString& text, unsigned flags) const;

Q_SIGNALS:
    // After every change, once the clients were asked to repaint.
    void changed();

private:
    void notify();

    TVyrBackStyle m_style = bGradient;
    TVyrGradient* m_gradient;
    TVyrTexture* m_texture;
    TVyrBrushFill* m_brushFill;
    ColorRef m_solidColor = clBtnFace;
    QString m_about;
    QList<QPointer<QWidget>> m_clients;
};

} // namespace quorvane
