#pragma once

#include "support/PrivateDesktop.h"

#include <QApplication>
#include <QObject>
#include <QTest>

#include <functional>
#include <utility>

namespace quorvane::testing {

// A QtTest object that runs on a private desktop; its tests skip, with the reason, when the
// desktop did not come up.
class DesktopTest : public QObject {
public:
    DesktopTest(PrivateDesktop& desktop, bool up, QString why)
        : m_desktop(desktop), m_up(up), m_why(std::move(why)) {}

protected:
    PrivateDesktop& m_desktop;
    const bool m_up;
    const QString m_why;
};

// Starts the desktop, then the application object on it, and runs the test. The desktop
// outlives the application object, which must connect to it.
template <typename Test>
int runOnPrivateDesktop(int argc, char** argv,
                        const std::function<void()>& beforeApplication = {}) {
    PrivateDesktop desktop;
    QString why;
    const bool up = desktop.startForQt(&why);
    if (beforeApplication)
        beforeApplication();
    QApplication app(argc, argv);
    Test test(desktop, up, why);
    return QTest::qExec(&test, argc, argv);
}

} // namespace quorvane::testing
