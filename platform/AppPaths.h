#pragma once

#include <QString>

namespace quorvane::AppPaths {

// The executable's folder, always ending in the host's path separator.
QString executableFolder();

// Tests run from their own folder; they point the program at a prepared one.
void setExecutableFolder(const QString& folder);

// folder + name, where name may use '\' as in the program's fixed names ("images\bk.bmp").
QString besideExecutable(const QString& name);

} // namespace quorvane::AppPaths
