#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quorvane::AppPaths {
namespace {
QString& overrideFolder() {
    static QString folder;
    return folder;
}

QString withSeparator(QString folder) {
    folder = QDir::toNativeSeparators(folder);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}
} // namespace

QString executableFolder() {
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    // The real path: a launcher link in bin/ still leads to the program folder.
    const QFileInfo self(QCoreApplication::applicationFilePath());
    const QString real = self.canonicalFilePath();
    return withSeparator(real.isEmpty() ? self.absolutePath() : QFileInfo(real).absolutePath());
}

void setExecutableFolder(const QString& folder) {
    overrideFolder() = folder.isEmpty() ? QString() : withSeparator(folder);
}

QString besideExecutable(const QString& name) {
    QString local = name;
    local.replace(QLatin1Char('\\'), QDir::separator());
    return executableFolder() + local;
}

} // namespace quorvane::AppPaths
