#pragma once

#include <QTextEdit>

namespace quorvane {

// Paragraph format of the rich-edit control, in twips (twentieths of a point).
struct ParaFormat {
    int startIndent = 0; // first line, from the left of the formatting rectangle
    int offset = 0;      // following lines, relative to the first line
    int rightIndent = 0;
    bool numbering = false;
    bool operator==(const ParaFormat&) const = default;
};

// The rich-edit control: a QTextEdit that keeps a paragraph format for all of its text and
// a formatting rectangle inside its client area.
class RichEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit RichEdit(QWidget* parent = nullptr);

    // Applies to every paragraph, and to text added later.
    void setParaFormat(const ParaFormat& format);
    // PFM_OFFSET at the selection: only the paragraphs the selection touches, until the
    // text is next replaced.
    void setSelectionOffset(int twips);
    ParaFormat paraFormat() const { return m_paraFormat; }

    // EM_SETRECT: text is laid out inside this rectangle of the client area (pixels).
    void setFormattingRect(const QRect& rect);
    QRect formattingRect() const { return m_rect; }

    // Replaces the text with these paragraphs, in the current font and paragraph format.
    void setParagraphs(const QStringList& paragraphs);
    QStringList paragraphs() const;

    int selectionLength() const;

    // Wrapped lines stand this far apart, in percent of the font's height: faces without
    // leading (AR PL UMing for 宋体) would otherwise set them touching. Printing uses it too.
    static constexpr int kLineSpacingPercent = 115;

    // The font text is written in (face, size in points, colour).
    void setTextFont(const QFont& font, const QColor& colour);
    QFont textFont() const { return m_font; }
    QColor textColour() const { return m_colour; }

private:
    QTextBlockFormat blockFormat() const { return blockFormat(m_paraFormat); }
    QTextBlockFormat blockFormat(const ParaFormat& format) const;
    QTextCharFormat charFormat() const;
    void reformat();

    ParaFormat m_paraFormat;
    QRect m_rect;
    QFont m_font;
    QColor m_colour = Qt::black;
};

} // namespace quorvane
