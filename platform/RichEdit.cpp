#include "platform/RichEdit.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

namespace quorvane {
namespace {
// Lines that may break only at word boundaries lay a run without any break point out anew
// for every line it fills, which grows with the square of its length (seconds for a long
// memo field). Text with such a run breaks anywhere instead; everything else keeps
// breaking between words.
constexpr qsizetype kLongestUnbrokenRun = 256;

bool hasLongUnbrokenRun(const QStringList& paragraphs) {
    for (const QString& paragraph : paragraphs) {
        if (paragraph.size() <= kLongestUnbrokenRun)
            continue;
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, paragraph);
        qsizetype last = 0;
        for (qsizetype next = finder.toNextBoundary(); next >= 0; next = finder.toNextBoundary()) {
            if (next - last > kLongestUnbrokenRun)
                return true;
            last = next;
        }
    }
    return false;
}

// Twips to the document's pixels at the widget's resolution.
qreal twipsToPixels(int twips, const QWidget* widget) {
    return twips / 20.0 / 72.0 * widget->logicalDpiX();
}
} // namespace

RichEdit::RichEdit(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setAcceptRichText(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    document()->setDocumentMargin(0);
    m_font = font();
}

QTextBlockFormat RichEdit::blockFormat(const ParaFormat& para) const {
    QTextBlockFormat format;
    // Qt indents the first line relative to the left margin, the other lines sit on it.
    format.setLeftMargin(twipsToPixels(para.startIndent + para.offset, this));
    format.setTextIndent(-twipsToPixels(para.offset, this));
    format.setRightMargin(twipsToPixels(para.rightIndent, this));
    // Of the font's height, not of the line Qt lays out: that one leaves out the leading
    // a face like AR PL UMing does not have.
    format.setLineHeight(QFontMetricsF(m_font, this).height() * kLineSpacingPercent / 100.0,
                         QTextBlockFormat::MinimumHeight);
    return format;
}

QTextCharFormat RichEdit::charFormat() const {
    QTextCharFormat format;
    format.setFont(m_font);
    format.setForeground(m_colour);
    return format;
}

void RichEdit::reformat() {
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.mergeBlockFormat(blockFormat());
    cursor.mergeCharFormat(charFormat());
    QTextCursor current = textCursor();
    current.setBlockFormat(blockFormat());
    current.setBlockCharFormat(charFormat());
    setCurrentCharFormat(charFormat());
}

// Both setters leave the text alone when nothing changes: the entry is re-rendered after
// every key, each time setting the same format and font just before replacing the text.
void RichEdit::setParaFormat(const ParaFormat& format) {
    if (format == m_paraFormat)
        return;
    m_paraFormat = format;
    reformat();
}

void RichEdit::setTextFont(const QFont& font, const QColor& colour) {
    if (font == m_font && colour == m_colour)
        return;
    m_font = font;
    m_colour = colour;
    reformat();
}

void RichEdit::setSelectionOffset(int twips) {
    ParaFormat format = m_paraFormat;
    format.offset = twips;
    textCursor().mergeBlockFormat(blockFormat(format));
}

void RichEdit::setFormattingRect(const QRect& rect) {
    m_rect = rect;
    QTextFrameFormat frame = document()->rootFrame()->frameFormat();
    const QRect client = viewport()->rect();
    frame.setLeftMargin(rect.left());
    frame.setTopMargin(rect.top());
    frame.setRightMargin(qMax(0, client.width() - rect.right() - 1));
    frame.setBottomMargin(0);
    document()->rootFrame()->setFrameFormat(frame);
}

void RichEdit::setParagraphs(const QStringList& paragraphs) {
    QTextDocument* doc = document();
    doc->clear();
    setWordWrapMode(hasLongUnbrokenRun(paragraphs) ? QTextOption::WrapAnywhere
                                                   : QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The rectangle goes on before the text, so the text is laid out once.
    if (m_rect.isValid())
        setFormattingRect(m_rect);
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    cursor.setBlockFormat(blockFormat());
    cursor.setBlockCharFormat(charFormat());
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            cursor.insertBlock(blockFormat(), charFormat());
        cursor.insertText(paragraphs[i], charFormat());
    }
    cursor.endEditBlock();
    setCurrentCharFormat(charFormat());
    moveCursor(QTextCursor::Start);
}

QStringList RichEdit::paragraphs() const {
    QStringList result;
    if (document()->isEmpty())
        return result;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        result << block.text();
    return result;
}

int RichEdit::selectionLength() const {
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

} // namespace quorvane
