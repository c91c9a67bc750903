#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace quorvane::testing {

// Whole-file helpers for tests that compare exact bytes; "" when the file is missing.
QByteArray readFile(const QString& path);
// Creates the folder as needed; false when the file cannot be written.
bool writeFile(const QString& path, const QByteArray& bytes);

// Runs `check` where file permissions apply: as root in a child process that has dropped
// to "nobody", otherwise in place. Returns its result (0 for success).
int runWithPermissionsEnforced(const std::function<int()>& check);

} // namespace quorvane::testing
