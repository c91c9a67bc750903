#pragma once

#include <QRawFont>

#include <vector>

class QPaintDevice;
class QString;
class QTextLayout;

namespace quorvane {

// What a print job drew that its PDF cannot say by itself: the glyphs of characters beyond
// the Basic Multilingual Plane, with the face that drew them. The PDF writer leaves such
// glyphs without a character, so a reader sees nothing there; this record lets the file be
// mended afterwards. Kept for one device while it lives; drawing on that device notes here.
class PrintedText {
public:
    struct Glyph {
        QRawFont font;
        quint32 index = 0;
        char32_t character = 0;
    };

    explicit PrintedText(const QPaintDevice* device);
    ~PrintedText();
    PrintedText(const PrintedText&) = delete;
    PrintedText& operator=(const PrintedText&) = delete;

    // The record kept for `device`, or null when nothing records what it draws.
    static PrintedText* of(const QPaintDevice* device);

    // Whether `text` holds anything the record is for.
    static bool concerns(const QString& text);
    // Notes the glyphs of `text`, laid out in `layout`, that the record is for.
    void note(const QTextLayout& layout, const QString& text);
    const std::vector<Glyph>& glyphs() const { return m_glyphs; }

private:
    const QPaintDevice* m_device;
    std::vector<Glyph> m_glyphs;
};

} // namespace quorvane
