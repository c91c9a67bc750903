#include "platform/Mnemonic.h"

namespace quorvane::Mnemonic {

Parsed parse(const QString& caption) {
    Parsed out;
    out.text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
            if (caption[i] != u'&' && out.underline < 0)
                out.underline = out.text.size();
        }
        out.text += caption[i];
    }
    return out;
}

QString stripped(const QString& caption) {
    return parse(caption).text;
}

QChar key(const QString& caption) {
    const Parsed parsed = parse(caption);
    return parsed.underline < 0 ? QChar() : parsed.text[parsed.underline];
}

} // namespace quorvane::Mnemonic
