#pragma once

#include "platform/SystemColours.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTextOption>

#include <memory>
#include <vector>

class QPaintDevice;

namespace quorvane {

// Text format flags of DrawText.
namespace DT {
inline constexpr unsigned LEFT = 0x0;
inline constexpr unsigned CENTER = 0x1;
inline constexpr unsigned RIGHT = 0x2;
inline constexpr unsigned VCENTER = 0x4;
inline constexpr unsigned BOTTOM = 0x8;
inline constexpr unsigned WORDBREAK = 0x10;
inline constexpr unsigned SINGLELINE = 0x20;
inline constexpr unsigned EXPANDTABS = 0x40;
inline constexpr unsigned NOCLIP = 0x100;
inline constexpr unsigned EXTERNALLEADING = 0x200;
inline constexpr unsigned CALCRECT = 0x400;
inline constexpr unsigned NOPREFIX = 0x800;
} // namespace DT

// Raster operations of block transfers (ROP3 codes) and of pens (R2_ modes).
namespace Rop {
inline constexpr quint32 SRCCOPY = 0x00CC0020;
inline constexpr quint32 SRCPAINT = 0x00EE0086;
inline constexpr quint32 SRCAND = 0x008800C6;
inline constexpr quint32 SRCINVERT = 0x00660046;
inline constexpr quint32 SRCERASE = 0x00440328;
inline constexpr quint32 NOTSRCCOPY = 0x00330008;
inline constexpr quint32 NOTSRCERASE = 0x001100A6;
inline constexpr quint32 MERGEPAINT = 0x00BB0226;
inline constexpr quint32 DSTINVERT = 0x00550009;
inline constexpr quint32 BLACKNESS = 0x00000042;
inline constexpr quint32 WHITENESS = 0x00FF0062;
} // namespace Rop
namespace R2 {
inline constexpr int BLACK = 1;
inline constexpr int NOTCOPYPEN = 4;
inline constexpr int NOT = 6;
inline constexpr int XORPEN = 7;
inline constexpr int MASKPEN = 9;
inline constexpr int NOP = 11;
inline constexpr int COPYPEN = 13;
inline constexpr int MERGEPEN = 15;
inline constexpr int WHITE = 16;
} // namespace R2

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Null, InsideFrame };
struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    ColorRef colour = 0;
};

// In the order of the framework's brush styles (bsSolid ... bsDiagCross).
enum class BrushStyle {
    Solid,
    Clear,
    Horizontal,
    Vertical,
    FDiagonal,
    BDiagonal,
    Cross,
    DiagCross
};
struct Brush {
    BrushStyle style = BrushStyle::Solid;
    ColorRef colour = 0xFFFFFF;
};

// A font as the platform describes it: a negative height is the character height in device
// pixels, a positive one the cell height; escapement in tenths of a degree, counter-clockwise.
struct LogFont {
    int height = -12;
    int escapement = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString faceName = QStringLiteral("宋体");
    ColorRef colour = 0; // the framework font's colour; DrawText uses the text colour
    // Smoothing of the letters' edges, as the platform's font quality.
    enum Quality { DefaultQuality = 0, NonAntialiased = 3, Antialiased = 4 };
    int quality = DefaultQuality;
    bool operator==(const LogFont&) const = default;
};

enum class BkMode { Transparent = 1, Opaque = 2 };
enum class FloodType { Border, Surface };

// A device context: the drawing state and calls of the platform's graphics interface over any
// Qt paint device. On a QImage the pixels follow the platform's rules exactly (lines without
// their end point, rectangles inside their right and bottom edge, raster operations).
class Canvas {
public:
    explicit Canvas(QImage& image);
    explicit Canvas(QPaintDevice* device);
    // Draws through a painter someone else owns (a widget's paint event).
    explicit Canvas(QPainter& painter);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    QPainter& painter() { return *m_painter; }
    QPaintDevice* device() const { return m_device; }
    // The target image when drawing into one, else null.
    QImage* image() const { return m_image; }
    int pixelsPerInchX() const;
    int pixelsPerInchY() const;
    // The whole drawing surface, in the canvas's pixels.
    QRect clipRect() const;
    // Draws in the pixels of a device of another resolution, scaled onto this surface:
    // coordinates, fonts and the clip rectangle are then in that device's pixels, so a page
    // of a printer is laid out here exactly as the printer lays it out.
    void setLogicalResolution(int ppiX, int ppiY);

    void setPen(const Pen& pen);
    const Pen& pen() const { return m_pen; }
    void setBrush(const Brush& brush);
    const Brush& brush() const { return m_brush; }
    void setFont(const LogFont& font);
    const LogFont& font() const { return m_font; }
    // A font of `points` at this device's resolution, so text grows with it.
    static LogFont pointFont(const QString& face, int points, int ppi);
    QFont qfont() const { return m_qfont; }
    void setTextColour(ColorRef colour) { m_textColour = colour; }
    // Distance of wrapped lines in percent of the font's height (100: lines touch, as GDI
    // draws them); the rich edit's paragraphs set more so that paper matches the screen.
    void setLineSpacing(int percent) { m_lineSpacing = percent; }
    int lineSpacing() const { return m_lineSpacing; }
    ColorRef textColour() const { return m_textColour; }
    void setBkColour(ColorRef colour);
    ColorRef bkColour() const { return m_bkColour; }
    void setBkMode(BkMode mode);
    BkMode bkMode() const { return m_bkMode; }
    void setPenMode(int r2);
    int penMode() const { return m_penMode; }

    void moveTo(int x, int y) { m_position = {x, y}; }
    QPoint position() const { return m_position; }
    // Draws to (x, y), leaving that point out, and moves there.
    void lineTo(int x, int y);
    // Outline with the pen, inside with the brush; right and bottom edges are outside.
    void rectangle(int left, int top, int right, int bottom);
    void roundRect(int left, int top, int right, int bottom, int width, int height);
    void ellipse(int left, int top, int right, int bottom);
    // Counter-clockwise from the ray towards (x3, y3) to the ray towards (x4, y4).
    void arc(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4);
    // Fills with the brush (or `brush`), no outline.
    void fillRect(const QRect& rect);
    void fillRect(const QRect& rect, const Brush& brush);
    void frameRect(const QRect& rect, const Brush& brush);

    // The platform's formatted text call. With DT::CALCRECT nothing is drawn and `rect`
    // becomes the bounds of the text. Returns the height of the text.
    int drawText(const QString& text, QRect& rect, unsigned format);
    // The lines drawText makes of `text` in a rectangle `width` wide, without "&" prefixes.
    QStringList wrapLines(const QString& text, int width, unsigned format) const;
    void textOut(int x, int y, const QString& text);
    // Width and height of one line of text; a tab counts as one character, not a tab stop.
    QSize textExtent(const QString& text) const;
    int textWidth(const QString& text) const { return textExtent(text).width(); }
    int textHeight(const QString& text) const { return textExtent(text).height(); }

    void draw(int x, int y, const QImage& picture);
    void stretchDraw(const QRect& target, const QImage& picture);
    // Block transfer of (sx, sy, w, h) of `source` to (x, y) with a raster operation. Only
    // SRCCOPY reaches devices that are not images.
    void bitBlt(int x, int y, int w, int h, const QImage& source, int sx, int sy, quint32 rop);
    // Copies `picture` leaving out the pixels of `transparent`.
    void transparentDraw(int x, int y, const QImage& picture, ColorRef transparent);
    // Fills from (x, y): up to a border of `colour`, or the area of `colour`. Images only.
    bool floodFill(int x, int y, ColorRef colour, FloodType type);
    ColorRef pixel(int x, int y) const;
    void setPixel(int x, int y, ColorRef colour);

private:
    struct Line {
        qsizetype start;
        qsizetype length;
        int width;
    };
    struct Lines {
        QString text;
        std::vector<Line> lines;
        QTextOption option;
        qsizetype underline = -1;
    };
    Lines layOut(const QString& text, int width, unsigned format) const;
    void begin();
    void applyPen();
    void applyBrush(const Brush& brush);
    void applyPenMode();
    void applyFont();

    std::unique_ptr<QPainter> m_ownPainter;
    QPainter* m_painter = nullptr;
    QPaintDevice* m_device = nullptr;
    QImage* m_image = nullptr;
    Pen m_pen;
    Brush m_brush;
    LogFont m_font;
    QFont m_qfont;
    int m_lineSpacing = 100;
    ColorRef m_textColour = 0;
    ColorRef m_bkColour = 0xFFFFFF;
    BkMode m_bkMode = BkMode::Opaque;
    int m_penMode = R2::COPYPEN;
    QPoint m_position;
    QSize m_logicalPpi;
};

} // namespace quorvane
