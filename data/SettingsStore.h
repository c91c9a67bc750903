#pragma once

#include "data/EntryFont.h"

#include <QString>

#include <functional>
#include <optional>

namespace quorvane::SettingsStore {

// HKEY_LOCAL_MACHINE key and value names the windows share.
inline const QString keyPath = QStringLiteral("Software\\Brevinn\\Quorvane\\3.0");
inline const QString bkgrnd = QStringLiteral("bkgrnd");
inline const QString fontname = QStringLiteral("fontname");
inline const QString fontsize = QStringLiteral("fontsize");
inline const QString fontcolor = QStringLiteral("fontcolor");
inline const QString version = QStringLiteral("version");

// "images\bk.bmp" beside the executable.
QString defaultBackgroundPath();

// The rich-text view's current font; colour is a colour value (red in the low byte).
struct ViewFont {
    QString face;
    int size = 0;
    quint32 colour = 0;
};

// Main window creation: loads the background and takes the font from the stored values,
// writing the defaults of what is missing. Exceptions (a picture that cannot be loaded, a
// bad colour text, a fontsize that is not an integer, a fontname longer than a face name
// can be, a malformed settings file) propagate
// and leave the remaining values untouched. Nothing happens if the key cannot be opened.
void readAtMainWindowCreation(const std::function<void(const QString& path)>& loadBackground,
                              ViewFont& view, EntryFont& entryFont);

// The font buttons: fontname, fontsize (32-bit integer) and fontcolor. Returns false (and
// writes nothing) when the key cannot be opened.
bool writeEntryFont(const EntryFont& font);

// The stored texts, or "" when missing or when the key cannot be opened.
QString readVersion();
// `version` as stored, also when empty; nullopt when missing or the key cannot be opened.
std::optional<QString> readVersionIfPresent();
QString readBackgroundPath();

} // namespace quorvane::SettingsStore
