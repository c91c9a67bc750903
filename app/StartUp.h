#pragma once

#include <QString>

class QApplication;

namespace quorvane::StartUp {

inline const QString kMutexName = QStringLiteral("RunOnlyOnce_MyProject");
inline const QString kApplicationTitle = QStringLiteral("Quorvane");

// The program from the application object to the end of the event loop. `splashMs` is the
// splash's blocking wait. Returns the exit code.
int run(QApplication& app, int splashMs = 1000);

} // namespace quorvane::StartUp
