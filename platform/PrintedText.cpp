#include "platform/PrintedText.h"

#include <QGlyphRun>
#include <QString>
#include <QTextLayout>

#include <algorithm>

namespace quorvane {

namespace {
// One job prints at a time.
PrintedText* g_record = nullptr;
} // namespace

PrintedText::PrintedText(const QPaintDevice* device) : m_device(device) {
    g_record = this;
}

PrintedText::~PrintedText() {
    if (g_record == this)
        g_record = nullptr;
}

PrintedText* PrintedText::of(const QPaintDevice* device) {
    return g_record && device && g_record->m_device == device ? g_record : nullptr;
}

bool PrintedText::concerns(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isHighSurrogate(); });
}

void PrintedText::note(const QTextLayout& layout, const QString& text) {
    // Almost every line has none: a scan is all it costs.
    if (!concerns(text))
        return;
    const QList<QGlyphRun> runs = layout.glyphRuns();
    for (const char32_t character : text.toUcs4()) {
        if (character <= 0xFFFF)
            continue;
        const QString one = QString::fromUcs4(&character, 1);
        for (const QGlyphRun& run : runs) {
            const QRawFont font = run.rawFont();
            if (!font.supportsCharacter(character))
                continue;
            const QList<quint32> index = font.glyphIndexesForString(one);
            // The face that drew it: the run holds its glyph.
            if (index.isEmpty() || !run.glyphIndexes().contains(index.first()))
                continue;
            const bool known = std::any_of(m_glyphs.cbegin(), m_glyphs.cend(), [&](const Glyph& g) {
                return g.character == character && g.index == index.first() &&
                       g.font.familyName() == font.familyName() &&
                       g.font.styleName() == font.styleName();
            });
            if (!known)
                m_glyphs.push_back({font, index.first(), character});
            break;
        }
    }
}

} // namespace quorvane
