#pragma once

#include <QString>

namespace quorvane {

// The entry view's font as the user chose it; fontcolor is a ColourText.
struct EntryFont {
    QString fontname;
    int fontsize = 0;
    QString fontcolor;

    static EntryFont defaults() { return {QStringLiteral("宋体"), 11, QStringLiteral("clBlack")}; }
    bool operator==(const EntryFont&) const = default;
};

} // namespace quorvane
