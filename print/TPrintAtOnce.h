#pragma once

#include "platform/Canvas.h"
#include "print/PrintTypes.h"

#include <QFont>
#include <QImage>
#include <QObject>
#include <QPageSize>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QLabel;

namespace quorvane {

class Printer;

class TDBGrid;
class TPreviewAtOnceForm;

// Prints a window's controls as they stand on the screen: walks the tree below `Control`,
// draws every visible control at its place and in its font, scaled from screen pixels to
// the target, page after page of one tall strip. The same drawing serves the printer and
// the preview's page pictures. Also sets the printer's paper while it lives.
class TPrintAtOnce : public QObject {
    Q_OBJECT
    Q_PROPERTY(QWidget* Control READ control WRITE setControl)
    Q_PROPERTY(int MaxTextCount MEMBER MaxTextCount)
    Q_PROPERTY(quorvane::PrintTypes::TTextFrameStyle LabelPrintType MEMBER LabelPrintType)
    Q_PROPERTY(quorvane::PrintTypes::TTextFrameStyle WinControlPrintType MEMBER WinControlPrintType)
    Q_PROPERTY(int OffsetX MEMBER OffsetX)
    Q_PROPERTY(int OffsetY MEMBER OffsetY)
    Q_PROPERTY(int OffsetRight MEMBER OffsetRight)
    Q_PROPERTY(int OffsetBottom MEMBER OffsetBottom)
    Q_PROPERTY(quorvane::PrintTypes::TPrintOptions Options MEMBER Options)
    Q_PROPERTY(bool LogyPreview MEMBER LogyPreview)
    Q_PROPERTY(quorvane::PrintTypes::TPaperSize PaperSize READ paperSize WRITE setPaperSize)
    Q_PROPERTY(int PaperWidth READ paperWidth WRITE setPaperWidth)
    Q_PROPERTY(int PaperHeight READ paperHeight WRITE setPaperHeight)
    Q_PROPERTY(QString Title MEMBER Title)
    Q_PROPERTY(bool PrintPageNumber MEMBER PrintPageNumber)
    Q_PROPERTY(bool PrintTitle MEMBER PrintTitle)
    Q_PROPERTY(
        quorvane::PrintTypes::TPageNumberPosition PageNumberPosition MEMBER PageNumberPosition)
    Q_PROPERTY(QFont TitleFont READ titleFont WRITE setTitleFont)
public:
    using TTextFrameStyle = PrintTypes::TTextFrameStyle;
    using TPrintOptions = PrintTypes::TPrintOptions;
    using TPageNumberPosition = PrintTypes::TPageNumberPosition;
    using TPaperSize = PrintTypes::TPaperSize;

    explicit TPrintAtOnce(QObject* owner = nullptr);
    ~TPrintAtOnce() override;

    int MaxTextCount = 1024;
    TTextFrameStyle LabelPrintType = PrintTypes::ptNone;
    TTextFrameStyle WinControlPrintType = PrintTypes::ptBottomLine;
    int OffsetX = 20;
    int OffsetY = 20;
    int OffsetRight = 20;
    int OffsetBottom = 20;
    TPrintOptions Options;
    bool LogyPreview = false;
    QString Title;
    bool PrintPageNumber = false;
    bool PrintTitle = false;
    TPageNumberPosition PageNumberPosition = PrintTypes::pnBottomCenter;
    // A memo whose text runs past its box grows to hold it and continues on the next pages,
    // instead of being cut at the box.
    bool GrowMemos = false;

    QWidget* control() const { return m_control; }
    // Null makes the owner the root, when the owner is a control.
    void setControl(QWidget* control);
    TPaperSize paperSize() const { return m_paperSize; }
    void setPaperSize(TPaperSize size);
    int paperWidth() const { return m_paperWidth; }
    void setPaperWidth(int width);
    int paperHeight() const { return m_paperHeight; }
    void setPaperHeight(int height);
    QFont titleFont() const { return m_titleFont; }
    void setTitleFont(const QFont& font) { m_titleFont = font; }
    // Width and height a named size sets, in tenths of a millimetre.
    static QSize paperDimensions(TPaperSize size);

    // Shows the preview modally; paper comes out only from its print button.
    void Preview();
    // Prints every page on the current printer as one document.
    void Print();
    // Lays the pages out on the preview, whose NewPageHandler supplies the canvases.
    void RenderPages();

    // The working state of a run.
    double ScaleX = 1.0;
    double ScaleY = 1.0;
    int ContentHeight = 0;
    int PageShift = 0;
    int GridGrowth = 0;
    int Page = 1;
    int TitleHeight = 0;
    std::function<void()> NewPageHandler;
    Canvas* canvas() const { return m_canvas.get(); }
    void setCanvas(std::unique_ptr<Canvas> canvas);

    // The walk and its drawing steps; the grid renderer uses them too.
    WinRect MapRect(const WinRect& r) const;
    bool NeedsNewPage(const WinRect& r) const;
    void BeginNewPage(const WinRect& r);
    void DrawTitle();
    void DrawPageNumber();
    void DrawTextBox(const QString& text, const WinRect& r, int lines, unsigned format);
    void DrawTextFramed(const QString& text, const WinRect& r, TTextFrameStyle style,
                        unsigned format);
    void PrintControl(QObject* object, int dx, int dy);
    void PrintWinControl(QWidget* control, int dx, int dy);
    void PrintWinControlText(QWidget* control, int dx, int dy);
    void PrintLabel(QLabel* label, int dx, int dy);
    void PrintGraphic(const QImage& graphic, const WinRect& bounds, int dx, int dy);
    void PrintShape(QWidget* shape, int dx, int dy);
    void AssignControlFont(const QWidget* control);
    // Gives the canvas a Qt font at the target's resolution, keeping its size in points.
    void assignFont(const QFont& font, ColorRef colour = 0);

    static unsigned AlignFormat(Qt::Alignment alignment);
    static unsigned LabelFormat(const QLabel* label);
    static unsigned WinControlFormat(const QWidget* control);
    // Rounds halves to even, as every scaled value is.
    static int round(double value);

    // The printer's paper from before this engine changed it; nothing without settings.
    std::optional<QPageSize> savedPaperSize() const { return m_savedPaper; }
    // Screen pixels per inch of the window that contains `Control`.
    int screenPpiX() const;
    int screenPpiY() const;

private:
    void ApplyPaperSize();
    void checkPaper(const Printer& printer) const;
    void run(const std::function<void()>& body);
    // The run from the first page's canvas on, the same for the printer and the preview.
    void layOutPages();
    // Ejects the page and starts the next with its title and number, keeping the font.
    void turnPage();
    void drawFlowing(const QString& text, const WinRect& r, const QRect& box, unsigned format);

    QPointer<QWidget> m_control;
    TPaperSize m_paperSize = PrintTypes::Default;
    int m_paperWidth = 0;
    int m_paperHeight = 0;
    QFont m_titleFont;
    std::optional<QPageSize> m_savedPaper;
    std::unique_ptr<Canvas> m_canvas;
    // The printer's page in device pixels, for the run under way.
    QSize m_pagePx;
    bool m_flowing = false;
};

} // namespace quorvane
