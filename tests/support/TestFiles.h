#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane::testing {

// Whole-file helpers for tests that compare exact bytes; "" when the file is missing.
QByteArray readFile(const QString& path);
// Creates the folder as needed; false when the file cannot be written.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace quorvane::testing
