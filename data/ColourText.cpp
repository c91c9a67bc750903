#include "data/ColourText.h"

#include "platform/QuorvaneError.h"

#include <array>
#include <optional>

namespace quorvane::ColourText {
namespace {
struct NamedColour {
    quint32 value;
    QLatin1String name;
};

constexpr std::array<NamedColour, 42> colourNames = {{
    {clBlack, QLatin1String("clBlack")},
    {clMaroon, QLatin1String("clMaroon")},
    {clGreen, QLatin1String("clGreen")},
    {clOlive, QLatin1String("clOlive")},
    {clNavy, QLatin1String("clNavy")},
    {clPurple, QLatin1String("clPurple")},
    {clTeal, QLatin1String("clTeal")},
    {clGray, QLatin1String("clGray")},
    {clSilver, QLatin1String("clSilver")},
    {clRed, QLatin1String("clRed")},
    {clLime, QLatin1String("clLime")},
    {clYellow, QLatin1String("clYellow")},
    {clBlue, QLatin1String("clBlue")},
    {clFuchsia, QLatin1String("clFuchsia")},
    {clAqua, QLatin1String("clAqua")},
    {clWhite, QLatin1String("clWhite")},
    {clScrollBar, QLatin1String("clScrollBar")},
    {clBackground, QLatin1String("clBackground")},
    {clActiveCaption, QLatin1String("clActiveCaption")},
    {clInactiveCaption, QLatin1String("clInactiveCaption")},
    {clMenu, QLatin1String("clMenu")},
    {clWindow, QLatin1String("clWindow")},
    {clWindowFrame, QLatin1String("clWindowFrame")},
    {clMenuText, QLatin1String("clMenuText")},
    {clWindowText, QLatin1String("clWindowText")},
    {clCaptionText, QLatin1String("clCaptionText")},
    {clActiveBorder, QLatin1String("clActiveBorder")},
    {clInactiveBorder, QLatin1String("clInactiveBorder")},
    {clAppWorkSpace, QLatin1String("clAppWorkSpace")},
    {clHighlight, QLatin1String("clHighlight")},
    {clHighlightText, QLatin1String("clHighlightText")},
    {clBtnFace, QLatin1String("clBtnFace")},
    {clBtnShadow, QLatin1String("clBtnShadow")},
    {clGrayText, QLatin1String("clGrayText")},
    {clBtnText, QLatin1String("clBtnText")},
    {clInactiveCaptionText, QLatin1String("clInactiveCaptionText")},
    {clBtnHighlight, QLatin1String("clBtnHighlight")},
    {cl3DDkShadow, QLatin1String("cl3DDkShadow")},
    {cl3DLight, QLatin1String("cl3DLight")},
    {clInfoText, QLatin1String("clInfoText")},
    {clInfoBk, QLatin1String("clInfoBk")},
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

} // namespace quorvane::ColourText
