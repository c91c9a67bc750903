#pragma once

#include "platform/Arithmetic.h"

#include "platform/Canvas.h"

#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>

// Settings objects of the kit's controls: the 3D look of a text, a border, a button picture.
// Each belongs to one control and says `changed()` after every change of a value.

namespace quorvane {

class TVyrFont3D : public QObject {
    Q_OBJECT
    Q_PROPERTY(TVyrStyle3D Style3D READ style3D WRITE setStyle3D)
    Q_PROPERTY(bool ThreeDimensional READ threeDimensional WRITE setThreeDimensional)
    Q_PROPERTY(quint32 Highlight READ highlight WRITE setHighlight)
    Q_PROPERTY(quint32 Shadow READ shadow WRITE setShadow)
    Q_PROPERTY(int Offset READ offset WRITE setOffset)
    Q_PROPERTY(TVyrRepeat Repetition READ repetition WRITE setRepetition)
    Q_PROPERTY(quint32 RepetitionColor READ repetitionColor WRITE setRepetitionColor)
    Q_PROPERTY(int Repetitionwidth READ repetitionWidth WRITE setRepetitionWidth)
    Q_PROPERTY(bool MaskFont READ maskFont WRITE setMaskFont)
    Q_PROPERTY(int DrawingWidth READ drawingWidth STORED false)
public:
    enum TVyrStyle3D {
        fontRaised,
        fontInset,
        fontOnlyShadow,
        fontOnlyHighlight,
        fontOutLineShadow
    };
    Q_ENUM(TVyrStyle3D)
    enum TVyrRepeat { repeatOnShadow, repeatOnHighLight, repeatNone };
    Q_ENUM(TVyrRepeat)

    explicit TVyrFont3D(QObject* parent = nullptr);
    // Takes over the values of `other`; the object itself stays its owner's.
    void assign(const TVyrFont3D& other);

    TVyrStyle3D style3D() const { return m_style3D; }
    void setStyle3D(TVyrStyle3D style);
    bool threeDimensional() const { return m_threeDimensional; }
    void setThreeDimensional(bool on);
    ColorRef highlight() const { return m_highlight; }
    void setHighlight(ColorRef colour);
    ColorRef shadow() const { return m_shadow; }
    void setShadow(ColorRef colour);
    int offset() const { return m_offset; }
    // 0 keeps the offset it has.
    void setOffset(int offset);
    TVyrRepeat repetition() const { return m_repetition; }
    void setRepetition(TVyrRepeat repetition);
    ColorRef repetitionColor() const { return m_repetitionColor; }
    void setRepetitionColor(ColorRef colour);
    int repetitionWidth() const { return m_repetitionWidth; }
    void setRepetitionWidth(int width);
    bool maskFont() const { return m_maskFont; }
    void setMaskFont(bool on);
    int drawingWidth() const { return 2 * m_offset + m_repetitionWidth; }

    // Draws `text` into `rect` with the effect and `flags`; `font.colour` is the text colour.
    void Draw3DText(const LogFont& font, Canvas& dc, const QRect& rect, const QString& text,
                    unsigned flags, bool enabled) const;
    // The extrusion and the effect's copies, leaving `rect` where the text itself goes.
    // The text of DrawTextFilled moves differently before its extrusion.
    void drawPasses(Canvas& dc, QRect& rect, const QString& text, unsigned flags,
                    bool filledText) const;

Q_SIGNALS:
    void changed();

private:
    TVyrStyle3D m_style3D = fontOnlyHighlight;
    bool m_threeDimensional = true;
    ColorRef m_highlight = clBtnHighlight;
    ColorRef m_shadow = clBtnShadow;
    int m_offset = 1;
    TVyrRepeat m_repetition = repeatNone;
    ColorRef m_repetitionColor = 0;
    int m_repetitionWidth = 0;
    bool m_maskFont = true;
};

class TVyrFrame : public QObject {
    Q_OBJECT
    Q_PROPERTY(TVyrFrameStyle FrameStyle READ frameStyle WRITE setFrameStyle)
    Q_PROPERTY(int FrameWidth READ frameWidth WRITE setFrameWidth)
    Q_PROPERTY(TVyrFrameEdges Edges READ edges WRITE setEdges)
    Q_PROPERTY(quint32 Highlight READ highlight WRITE setHighlight)
    Q_PROPERTY(quint32 Shadow READ shadow WRITE setShadow)
    Q_PROPERTY(quint32 Solid READ solid WRITE setSolid)
public:
    enum TVyrFrameStyle {
        frameSolid,
        frameRaised,
        frameLowered,
        frameNone,
        frameFramedUp,
        frameFramedDown,
        framePanelUp,
        framePanelDown,
        frameLightBordered
    };
    Q_ENUM(TVyrFrameStyle)
    enum TVyrFrameEdge { EdgeLeft = 1, EdgeRight = 2, EdgeTop = 4, EdgeBottom = 8 };
    Q_DECLARE_FLAGS(TVyrFrameEdges, TVyrFrameEdge)
    Q_FLAG(TVyrFrameEdges)

    explicit TVyrFrame(QObject* parent = nullptr);
    void assign(const TVyrFrame& other);

    TVyrFrameStyle frameStyle() const { return m_frameStyle; }
    void setFrameStyle(TVyrFrameStyle style);
    int frameWidth() const { return m_frameWidth; }
    // 0 keeps the width it has.
    void setFrameWidth(int width);
    TVyrFrameEdges edges() const { return m_edges; }
    void setEdges(TVyrFrameEdges edges);
    ColorRef highlight() const { return m_highlight; }
    void setHighlight(ColorRef colour);
    ColorRef shadow() const { return m_shadow; }
    void setShadow(ColorRef colour);
    ColorRef solid() const { return m_solid; }
    void setSolid(ColorRef colour);

    // The width of the border.
    int FrameOffset() const;
    // Draws the border inside `rect`.
    void DrawFrame(Canvas& dc, const QRect& rect) const;

Q_SIGNALS:
    void changed();

private:
    TVyrFrameStyle m_frameStyle = frameRaised;
    int m_frameWidth = 1;
    TVyrFrameEdges m_edges = {EdgeLeft, EdgeRight, EdgeTop, EdgeBottom};
    ColorRef m_highlight = clBtnHighlight;
    ColorRef m_shadow = clBtnShadow;
    ColorRef m_solid = 0;
};

class TVyrGlyph : public QObject {
    Q_OBJECT
    Q_PROPERTY(QImage Bitmap READ bitmap WRITE setBitmap)
    Q_PROPERTY(int NumGlyphs READ numGlyphs WRITE setNumGlyphs)
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(quint32 TransparentColor READ transparentColor WRITE setTransparentColor)
    Q_PROPERTY(bool Visible READ visible WRITE setVisible)
public:
    explicit TVyrGlyph(QObject* parent = nullptr);
    void assign(const TVyrGlyph& other);

    QImage bitmap() const { return m_bitmap; }
    void setBitmap(const QImage& bitmap);
    int numGlyphs() const { return m_numGlyphs; }
    // 1 to 4 cells; other counts are not taken.
    void setNumGlyphs(int count);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);
    ColorRef transparentColor() const { return m_transparentColor; }
    void setTransparentColor(ColorRef colour);
    bool visible() const { return m_visible; }
    void setVisible(bool on);

    int GlyphWidth() const;
    int GlyphHeight() const;
    // The cell for the state, greyed when disabled, at (x, y).
    void DrawGlyph(Canvas& dc, int x, int y, bool enabled, bool pressed) const;
    // Maps every pixel but the transparent colour onto the system greys by its brightness.
    QImage recoloured(const QImage& cell, int factor) const;

Q_SIGNALS:
    void changed();

private:
    QImage m_bitmap;
    int m_numGlyphs = 1;
    bool m_transparent = true;
    ColorRef m_transparentColor = 0;
    bool m_visible = true;
};

// The canvas description of a widget font in `colour`, at the resolution of `device`.
LogFont logFontOf(const QFont& font, ColorRef colour, const QPaintDevice* device);

} // namespace quorvane

Q_DECLARE_OPERATORS_FOR_FLAGS(quorvane::TVyrFrame::TVyrFrameEdges)
