#pragma once

#include <QString>

#include <functional>

class QApplication;
class QWidget;

namespace quorvane {
class NamedMutex;
}

namespace quorvane::StartUp {

inline const QString kMutexName = QStringLiteral("RunOnlyOnce_MyProject");
inline const QString kApplicationTitle = QStringLiteral("Quorvane");

// EnsureSingleInstance: takes the mutex; a later copy says so, asks the first copy to come
// forward and returns false (the caller then ends).
bool ensureSingleInstance(NamedMutex& mutex);

// What the first copy does on that request: bring back a window hidden in the tray,
// restore a minimised one, raise it, and raise a modal window open over it.
void bringForward(QWidget* window);

// The program from the application object to the end of the event loop. `splashMs` is the
// splash's wait, during which user input waits but activation requests are answered; `started` runs
// once the main window shows and the splash is gone. Returns the exit code.
int run(QApplication& app, int splashMs = 1000, const std::function<void()>& started = {});

} // namespace quorvane::StartUp
