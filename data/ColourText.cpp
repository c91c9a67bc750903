#include "data/ColourText.h"

#include "platform/QuorvaneError.h"
#include "platform/SystemColours.h"

#include <array>
#include <optional>

namespace quorvane::ColourText {
namespace {
struct NamedColour {
    quint32 value;
    QLatin1String name;
};

constexpr std::array<NamedColour, 42> colourNames = {{
    {0x00000000, QLatin1String("clBlack")},
    {0x00000080, QLatin1String("clMaroon")},
    {0x00008000, QLatin1String("clGreen")},
    {0x00008080, QLatin1String("clOlive")},
    {0x00800000, QLatin1String("clNavy")},
    {0x00800080, QLatin1String("clPurple")},
    {0x00808000, QLatin1String("clTeal")},
    {0x00808080, QLatin1String("clGray")},
    {0x00C0C0C0, QLatin1String("clSilver")},
    {0x000000FF, QLatin1String("clRed")},
    {0x0000FF00, QLatin1String("clLime")},
    {0x0000FFFF, QLatin1String("clYellow")},
    {0x00FF0000, QLatin1String("clBlue")},
    {0x00FF00FF, QLatin1String("clFuchsia")},
    {0x00FFFF00, QLatin1String("clAqua")},
    {0x00FFFFFF, QLatin1String("clWhite")},
    {0x80000000, QLatin1String("clScrollBar")},
    {0x80000001, QLatin1String("clBackground")},
    {0x80000002, QLatin1String("clActiveCaption")},
    {0x80000003, QLatin1String("clInactiveCaption")},
    {0x80000004, QLatin1String("clMenu")},
    {0x80000005, QLatin1String("clWindow")},
    {0x80000006, QLatin1String("clWindowFrame")},
    {0x80000007, QLatin1String("clMenuText")},
    {0x80000008, QLatin1String("clWindowText")},
    {0x80000009, QLatin1String("clCaptionText")},
    {0x8000000A, QLatin1String("clActiveBorder")},
    {0x8000000B, QLatin1String("clInactiveBorder")},
    {0x8000000C, QLatin1String("clAppWorkSpace")},
    {0x8000000D, QLatin1String("clHighlight")},
    {0x8000000E, QLatin1String("clHighlightText")},
    {0x8000000F, QLatin1String("clBtnFace")},
    {0x80000010, QLatin1String("clBtnShadow")},
    {0x80000011, QLatin1String("clGrayText")},
    {0x80000012, QLatin1String("clBtnText")},
    {0x80000013, QLatin1String("clInactiveCaptionText")},
    {0x80000014, QLatin1String("clBtnHighlight")},
    {0x80000015, QLatin1String("cl3DDkShadow")},
    {0x80000016, QLatin1String("cl3DLight")},
    {0x80000017, QLatin1String("clInfoText")},
    {0x80000018, QLatin1String("clInfoBk")},
    {clNone, QLatin1String("clNone")},
}};

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int digit = -1;
    if (u >= u'0' && u <= u'9')
        digit = u - u'0';
    else if (u >= u'a' && u <= u'f')
        digit = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        digit = u - u'A' + 10;
    return digit < base ? digit : -1;
}

// Integer text as StrToInt reads it: optional sign, then decimal digits or "$"/"0x" and hex
// digits. Decimal must fit a signed 32-bit integer; hex may use all 32 bits.
std::optional<quint32> parseInteger(QStringView text) {
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    int base = 10;
    if (text.startsWith(u'$')) {
        base = 16;
        text = text.mid(1);
    } else if (text.startsWith(u"0x") || text.startsWith(u"0X")) {
        base = 16;
        text = text.mid(2);
    }
    if (text.isEmpty())
        return std::nullopt;

    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 magnitude = 0;
    for (const QChar c : text) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * quint64(base) + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    const auto value = quint32(magnitude);
    return negative ? quint32(0u - value) : value;
}
} // namespace

QString fromColour(quint32 value) {
    for (const NamedColour& entry : colourNames) {
        if (entry.value == value)
            return entry.name;
    }
    return QLatin1Char('$') + QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

quint32 toColour(const QString& text) {
    for (const NamedColour& entry : colourNames) {
        if (text.compare(entry.name, Qt::CaseInsensitive) == 0)
            return entry.value;
    }
    if (const auto value = parseInteger(text))
        return *value;
    throw QuorvaneError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

QColor toQColor(quint32 value) {
    return SystemColours::resolve(value);
}

} // namespace quorvane::ColourText
