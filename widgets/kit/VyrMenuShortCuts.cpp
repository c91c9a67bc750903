// The text form of the menus' 16-bit shortcuts, both ways.
#include "widgets/kit/VyrMenuShortCuts.h"

namespace quorvane {

QString shortCutToText(int shortCut) {
    if (shortCut == 0)
        return {};
    QString text;
    if (shortCut & 0x2000)
        text += QStringLiteral("Shift+");
    if (shortCut & 0x4000)
        text += QStringLiteral("Ctrl+");
    if (shortCut & 0x8000)
        text += QStringLiteral("Alt+");
    const int key = shortCut & 0xFF;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        text += QChar(key);
    else if (key >= 0x70 && key <= 0x87)
        text += u'F' + QString::number(key - 0x6F);
    else if (key == 0x2E)
        text += QStringLiteral("Del");
    else if (key == 0x2D)
        text += QStringLiteral("Ins");
    else
        text += QString::number(key);
    return text;
}

int textToShortCut(const QString& text) {
    int shortCut = 0;
    QString rest = text.trimmed();
    static const std::pair<QLatin1StringView, int> kModifiers[] = {
        {QLatin1StringView("Shift+"), 0x2000},
        {QLatin1StringView("Ctrl+"), 0x4000},
        {QLatin1StringView("Alt+"), 0x8000}};
    for (bool found = true; found;) {
        found = false;
        for (const auto& [name, bit] : kModifiers)
            if (rest.size() > name.size() && rest.startsWith(name, Qt::CaseInsensitive)) {
                shortCut |= bit;
                rest = rest.mid(name.size());
                found = true;
            }
    }
    int key = 0;
    bool number = false;
    if (rest.size() == 1 &&
        (rest[0].isDigit() || (rest[0].toUpper() >= u'A' && rest[0].toUpper() <= u'Z')))
        key = rest[0].toUpper().unicode();
    else if (rest.size() > 1 && rest[0].toUpper() == u'F' && rest.mid(1).toInt(&number) > 0 &&
             number && rest.mid(1).toInt() <= 24)
        key = 0x6F + rest.mid(1).toInt();
    else if (rest.compare(QLatin1StringView("Del"), Qt::CaseInsensitive) == 0)
        key = 0x2E;
    else if (rest.compare(QLatin1StringView("Ins"), Qt::CaseInsensitive) == 0)
        key = 0x2D;
    else if (const int code = rest.toInt(&number); number && code > 0 && code <= 0xFF)
        key = code;
    return key ? shortCut | key : 0;
}

} // namespace quorvane
