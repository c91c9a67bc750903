#include "platform/PdfTextMender.h"

#include "platform/PdfObjects.h"
#include "platform/PrintedText.h"
#include "platform/QuorvaneError.h"

#include <QFile>
#include <QMap>
#include <QPainterPath>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace quorvane {

namespace {
// Outlines are compared at one size, unhinted, so the same glyph gives the same path.
constexpr qreal kComparedPixels = 100;
// A ToUnicode map may hold no more than 100 entries in one block.
constexpr int kBlock = 100;

// A ToUnicode map read into glyph id -> characters.
using UnicodeMap = QMap<quint32, QString>;

QString utf16(const QByteArray& hex) {
    const QByteArray raw = QByteArray::fromHex(hex);
    QString text;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
        text += QChar(char16_t((uchar(raw[i]) << 8) | uchar(raw[i + 1])));
    return text;
}

UnicodeMap readMap(const QByteArray& cmap) {
    // Tokens: hex strings as "<..>", brackets, and words.
    QList<QByteArray> tokens;
    for (qsizetype pos = 0; pos < cmap.size();) {
        const char c = cmap[pos];
        if (PdfObjects::isSpace(c)) {
            ++pos;
        } else if (c == '<' && pos + 1 < cmap.size() && cmap[pos + 1] != '<') {
            const qsizetype end = cmap.indexOf('>', pos);
            if (end < 0)
                break;
            tokens << cmap.mid(pos, end - pos + 1);
            pos = end + 1;
        } else if (c == '[' || c == ']') {
            tokens << QByteArray(1, c);
            ++pos;
        } else {
            qsizetype end = pos + 1;
            while (end < cmap.size() && !PdfObjects::isSpace(cmap[end]) && cmap[end] != '<' &&
                   cmap[end] != '[' && cmap[end] != ']')
                ++end;
            tokens << cmap.mid(pos, end - pos);
            pos = end;
        }
    }
    const auto hex = [](const QByteArray& token) { return token.mid(1, token.size() - 2); };
    const auto isHex = [](const QByteArray& token) { return token.startsWith('<'); };
    UnicodeMap map;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (tokens[i] == "beginbfchar") {
            for (++i; i + 1 < tokens.size() && isHex(tokens[i]); i += 2)
                map.insert(hex(tokens[i]).toUInt(nullptr, 16), utf16(hex(tokens[i + 1])));
        } else if (tokens[i] == "beginbfrange") {
            for (++i; i + 2 < tokens.size() && isHex(tokens[i]);) {
                const quint32 low = hex(tokens[i]).toUInt(nullptr, 16);
                const quint32 high = hex(tokens[i + 1]).toUInt(nullptr, 16);
                i += 2;
                if (tokens[i] == "[") {
                    for (quint32 code = low; ++i < tokens.size() && isHex(tokens[i]); ++code)
                        map.insert(code, utf16(hex(tokens[i])));
                    ++i; // past "]"
                    continue;
                }
                QString first = utf16(hex(tokens[i]));
                ++i;
                if (first.isEmpty() || high < low || high - low > 0xFFFF)
                    continue;
                for (quint32 code = low; code <= high; ++code) {
                    map.insert(code, first);
                    first.back() = QChar(char16_t(first.back().unicode() + 1));
                }
            }
        }
    }
    return map;
}

QByteArray writeMap(const UnicodeMap& map) {
    QByteArray out = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                     "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                     "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                     "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    const QList<quint32> codes = map.keys();
    for (qsizetype i = 0; i < codes.size(); i += kBlock) {
        const qsizetype count = std::min<qsizetype>(kBlock, codes.size() - i);
        out += QByteArray::number(count) + " beginbfchar\n";
        for (qsizetype j = i; j < i + count; ++j) {
            QByteArray units;
            for (const QChar unit : map.value(codes[j]))
                units += QByteArray::number(unit.unicode(), 16).rightJustified(4, '0');
            out += '<' + QByteArray::number(codes[j], 16).rightJustified(4, '0').toUpper() + "> <" +
                   units.toUpper() + ">\n";
        }
        out += "endbfchar\n";
    }
    out += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return out;
}

int glyphCount(const QRawFont& font) {
    const QByteArray maxp = font.fontTable("maxp");
    return maxp.size() < 6 ? 0 : (uchar(maxp[4]) << 8) | uchar(maxp[5]);
}

struct Replacement {
    int object;
    int generation;
    QByteArray data;
};

// Whether a glyph the font's subset holds is missing from `map`. The set of glyphs in the
// descriptor answers it without loading the font; without that set, the font must be looked at.
bool lacksAny(const PdfObjects& pdf, const QByteArray& descriptor, const UnicodeMap& map) {
    const std::optional<int> set =
        PdfObjects::numberIn(descriptor, QStringLiteral("/CIDSet\\s+(\\d+)\\s+\\d+\\s+R"));
    const std::optional<QByteArray> bits = set ? pdf.stream(*set) : std::nullopt;
    if (!bits)
        return true;
    // One bit a glyph, the first in the high bit; glyph 0 is the blank.
    for (quint32 glyph = 1; glyph < quint32(bits->size()) * 8; ++glyph)
        if ((uchar(bits->at(glyph / 8)) & (0x80 >> (glyph % 8))) && !map.contains(glyph))
            return true;
    return false;
}

// Adds to `map` the glyphs of the font in `dict` that the job drew and the map lacks; true
// when it found any.
bool addDrawn(const PdfObjects& pdf, const QByteArray& dict, UnicodeMap& map,
              const std::vector<QPainterPath>& drawnPaths, const PrintedText& drawn) {
    const std::optional<int> descendant = PdfObjects::numberIn(
        dict, QStringLiteral("/DescendantFonts\\s*\\[\\s*(\\d+)\\s+\\d+\\s+R"));
    const QByteArray cidFont = descendant ? pdf.dictionary(*descendant) : QByteArray();
    // The glyph ids below are the codes the text uses only when the map between them is
    // the identity.
    if (cidFont.contains("/CIDToGIDMap") && !cidFont.contains("/CIDToGIDMap /Identity"))
        return false;
    const std::optional<int> descriptor =
        PdfObjects::numberIn(cidFont, QStringLiteral("/FontDescriptor\\s+(\\d+)\\s+\\d+\\s+R"));
    const QByteArray descriptorDict = descriptor ? pdf.dictionary(*descriptor) : QByteArray();
    if (!lacksAny(pdf, descriptorDict, map))
        return false;
    // A TrueType subset, or an OpenType one.
    const std::optional<int> file = PdfObjects::numberIn(
        descriptorDict, QStringLiteral("/FontFile[23]\\s+(\\d+)\\s+\\d+\\s+R"));
    if (!file)
        return false;
    const std::optional<int> plainSize =
        PdfObjects::numberIn(pdf.dictionary(*file), QStringLiteral("/Length1\\s+(\\d+)"));
    const std::optional<QByteArray> fontData = pdf.stream(*file, plainSize.value_or(0));
    if (!fontData)
        return false;
    const QRawFont subset(*fontData, kComparedPixels, QFont::PreferNoHinting);
    if (!subset.isValid())
        return false;
    bool found = false;
    // The subset numbers its glyphs from 1; glyph 0 is the blank.
    for (quint32 glyph = 1; glyph < quint32(glyphCount(subset)); ++glyph) {
        if (map.contains(glyph))
            continue;
        const QPainterPath outline = subset.pathForGlyph(glyph);
        if (outline.isEmpty())
            continue;
        for (std::size_t i = 0; i < drawnPaths.size(); ++i) {
            if (drawnPaths[i] == outline) {
                const char32_t character = drawn.glyphs()[i].character;
                map.insert(glyph, QString::fromUcs4(&character, 1));
                found = true;
                break;
            }
        }
    }
    return found;
}

QByteArray referenceIn(const QByteArray& trailer, const QString& key) {
    const QRegularExpression re(key + QStringLiteral("\\s*(\\d+\\s+\\d+\\s+R|\\[[^\\]]*\\])"));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(trailer));
    return m.hasMatch() ? ' ' + key.toLatin1() + ' ' + m.captured(1).toLatin1() : QByteArray();
}
} // namespace

void PdfTextMender::mend(const QString& path, const PrintedText& drawn) {
    if (drawn.glyphs().empty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw QuorvaneError(
            QStringLiteral("无法读取打印文件“%1”：%2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();
    PdfObjects pdf(bytes);
    if (!pdf.read())
        return;
    std::vector<QPainterPath> drawnPaths;
    for (const PrintedText::Glyph& glyph : drawn.glyphs()) {
        QRawFont font = glyph.font;
        font.setPixelSize(kComparedPixels);
        drawnPaths.push_back(font.pathForGlyph(glyph.index));
    }
    static const QRegularExpression type0(QStringLiteral("/Subtype\\s*/Type0\\b"));
    const QString toUnicode = QStringLiteral("/ToUnicode\\s+(\\d+)\\s+\\d+\\s+R");
    std::vector<Replacement> replaced;
    for (const int object : pdf.numbers()) {
        const QByteArray dict = pdf.dictionary(object);
        if (!dict.contains("/Type0") || !type0.match(QString::fromLatin1(dict)).hasMatch())
            continue;
        const std::optional<int> target = PdfObjects::numberIn(dict, toUnicode);
        const std::optional<QByteArray> cmap = target ? pdf.stream(*target) : std::nullopt;
        if (!cmap)
            continue;
        UnicodeMap map = readMap(*cmap);
        if (addDrawn(pdf, dict, map, drawnPaths, drawn))
            replaced.push_back({*target, pdf.generation(*target), writeMap(map)});
    }
    if (replaced.empty())
        return;
    std::sort(replaced.begin(), replaced.end(),
              [](const Replacement& a, const Replacement& b) { return a.object < b.object; });

    // An update at the end: the new maps under their old numbers, and a table that points
    // at them and back at the old one.
    QByteArray update = bytes.endsWith('\n') ? QByteArray() : QByteArray("\n");
    QMap<int, qsizetype> offsets;
    for (const Replacement& r : replaced) {
        offsets.insert(r.object, bytes.size() + update.size());
        update += QByteArray::number(r.object) + ' ' + QByteArray::number(r.generation) +
                  " obj\n<< /Length " + QByteArray::number(r.data.size()) + " >>\nstream\n" +
                  r.data + "\nendstream\nendobj\n";
    }
    const qsizetype xref = bytes.size() + update.size();
    update += "xref\n";
    for (const Replacement& r : replaced)
        update += QByteArray::number(r.object) + " 1\n" +
                  QByteArray::number(offsets.value(r.object)).rightJustified(10, '0') + ' ' +
                  QByteArray::number(r.generation).rightJustified(5, '0') + " n \n";
    const int size =
        std::max(PdfObjects::numberIn(pdf.trailer(), QStringLiteral("/Size\\s+(\\d+)")).value_or(0),
                 replaced.back().object + 1);
    update += "trailer\n<< /Size " + QByteArray::number(size) +
              referenceIn(pdf.trailer(), QStringLiteral("/Root")) +
              referenceIn(pdf.trailer(), QStringLiteral("/Info")) +
              referenceIn(pdf.trailer(), QStringLiteral("/ID")) + " /Prev " +
              QByteArray::number(pdf.xref()) + " >>\nstartxref\n" + QByteArray::number(xref) +
              "\n%%EOF\n";
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) ||
        file.write(update) != update.size() || !file.flush())
        throw QuorvaneError(
            QStringLiteral("无法写入打印文件“%1”：%2").arg(path, file.errorString()));
}

} // namespace quorvane
