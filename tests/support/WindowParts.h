#pragma once

#include <QObject>
#include <QString>

#include <cstdio>

namespace quorvane::testing {

// A window's component as the tests reach it: by its designer name, which is its object
// name. A missing one stops the test run.
template <typename T> T* part(const QObject& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("%s has no %s", qPrintable(window.objectName()), name);
    return found;
}

} // namespace quorvane::testing
