#include "data/SettingsStore.h"

#include "data/ColourText.h"
#include "platform/AppPaths.h"
#include "platform/QuorvaneError.h"
#include "platform/Registry.h"

namespace quorvane::SettingsStore {
namespace {
QString readOptionalString(const QString& name) {
    RegistryKey key;
    if (!key.openKey(keyPath, true) || !key.valueExists(name))
        return {};
    return key.readString(name);
}

// The longest face name a font can have (LF_FACESIZE less its terminating null). A longer
// stored name is no font at all, and looking it up can take the font system very long.
constexpr qsizetype kMaxFaceLength = 31;

QString readFaceName(const RegistryKey& key) {
    const QString face = key.readString(fontname);
    if (face.size() > kMaxFaceLength)
        throw QuorvaneError(
            QStringLiteral("设置中的字体名称“%1…”超过 %2 个字符，不是有效的字体名称")
                .arg(face.left(kMaxFaceLength), QString::number(kMaxFaceLength)));
    return face;
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
        view.face = readFaceName(key);
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
