#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane::TextFile {

// Writes `bytes` as the whole content of the file, creating or replacing it. Where the
// folder lets us, the bytes go to a new file that replaces the old one only once complete,
// so a full disk leaves the old file as it was. Where the folder is not writable but the
// file is, the file is rewritten in place. Throws QuorvaneError naming the file.
void write(const QString& fileName, const QByteArray& bytes);

} // namespace quorvane::TextFile
