#include "platform/TextFile.h"

#include "platform/QuorvaneError.h"

#include <QSaveFile>

namespace quorvane::TextFile {

void write(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    // A file the user may write inside a folder they may not: no new file can be made
    // beside it, so it is written directly.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        throw QuorvaneError(
            QStringLiteral("无法创建文件“%1”：%2").arg(fileName, file.errorString()));
    // flush() first: commit() would rename a short file over the old one.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        throw QuorvaneError(
            QStringLiteral("无法写入文件“%1”：%2").arg(fileName, file.errorString()));
}

} // namespace quorvane::TextFile
