#include "data/SettingsStore.h"

#include "data/ColourText.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"

namespace quorvane::SettingsStore {
namespace {
QString readOptionalString(const QString& name) {
    RegistryKey key;
    if (!key.openKey(keyPath, true) || !key.valueExists(name))
        return {};
    return key.readString(name);
}
} // namespace

QString defaultBackgroundPath() {
    return AppPaths::besideExecutable(QStringLiteral("images\\bk.bmp"));
}

void readAtMainWindowCreation(const std::function<void(const QString& path)>& loadBackground,
                              ViewFont& view, EntryFont& entryFont) {
    RegistryKey key;
    if (!key.openKey(keyPath, true))
        return;

    if (key.valueExists(bkgrnd)) {
        loadBackground(key.readString(bkgrnd));
    } else {
        // Only a picture that loaded becomes the stored default.
        const QString path = defaultBackgroundPath();
        loadBackground(path);
        key.writeString(bkgrnd, path);
    }

    if (key.valueExists(fontname)) {
        view.face = key.readString(fontname);
        entryFont.fontname = view.face;
    } else {
        key.writeString(fontname, view.face);
        entryFont.fontname = QStringLiteral("宋体");
    }

    if (key.valueExists(fontsize)) {
        view.size = key.readInteger(fontsize);
        entryFont.fontsize = view.size;
    } else {
        key.writeInteger(fontsize, view.size);
        entryFont.fontsize = 11;
    }

    if (key.valueExists(fontcolor)) {
        const quint32 colour = ColourText::toColour(key.readString(fontcolor));
        view.colour = colour;
        entryFont.fontcolor = ColourText::fromColour(colour);
    } else {
        key.writeString(fontcolor, ColourText::fromColour(view.colour));
        entryFont.fontcolor = QStringLiteral("clBlack");
    }
}

bool writeEntryFont(const EntryFont& font) {
    RegistryKey key;
    if (!key.openKey(keyPath, true))
        return false;
    key.writeString(fontname, font.fontname);
    key.writeInteger(fontsize, font.fontsize);
    key.writeString(fontcolor, font.fontcolor);
    return true;
}

QString readVersion() {
    return readOptionalString(version);
}

std::optional<QString> readVersionIfPresent() {
    RegistryKey key;
    if (!key.openKey(keyPath, true) || !key.valueExists(version))
        return std::nullopt;
    return key.readString(version);
}

QString readBackgroundPath() {
    return readOptionalString(bkgrnd);
}

} // namespace quorvane::SettingsStore
