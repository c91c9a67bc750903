#include "ui/appearance/VersionText.h"

#include "data/SettingsStore.h"
#include "platform/QuorvaneError.h"

namespace quorvane::VersionText {

QString label() {
    try {
        const std::optional<QString> version = SettingsStore::readVersionIfPresent();
        return version ? QStringLiteral("版本：") + *version : QString();
    } catch (const QuorvaneError&) {
        // A settings file that cannot be understood is reported by the main window.
        return {};
    }
}

} // namespace quorvane::VersionText
