#include "platform/User.h"

#include <QTest>
#include <QWidget>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {
// A procedure that notes the message and passes it on to what it replaced.
struct Hook {
    QString name;
    QStringList* seen;
    User::WNDPROC previous;
    User::WNDPROC proc;
    bool swallow = false;

    void install(HWND window) {
        proc = User::makeObjectInstance([this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            *seen << name;
            return swallow ? 7 : User::callWindowProc(previous, h, m, w, l);
        });
        previous = User::setWindowProc(window, proc);
    }
};
} // namespace

class TestWindowProcs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoHooksChainAndComeOutInEitherOrder_data() {
        QTest::addColumn<bool>("laterFirst");
        QTest::newRow("later hook removed first") << true;
        QTest::newRow("earlier hook removed first") << false;
    }
    void twoHooksChainAndComeOutInEitherOrder() {
        QFETCH(bool, laterFirst);
        QStringList seen;
        const HWND window = User::allocateHWnd([&seen](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
            seen << QStringLiteral("own");
            return 42;
        });
        const User::WNDPROC own = User::windowProc(window);
        Hook earlier{QStringLiteral("earlier"), &seen, {}, {}};
        Hook later{QStringLiteral("later"), &seen, {}, {}};
        earlier.install(window);
        later.install(window);
        QCOMPARE(later.previous, earlier.proc);
        QCOMPARE(User::sendMessage(window, WM_USER), LRESULT(42));
        QCOMPARE(seen, (QStringList{u"later"_s, u"earlier"_s, u"own"_s}));

        Hook& first = laterFirst ? later : earlier;
        Hook& second = laterFirst ? earlier : later;
        User::removeWindowProc(window, first.proc);
        seen.clear();
        User::sendMessage(window, WM_USER);
        QCOMPARE(seen, (QStringList{second.name, u"own"_s}));
        User::removeWindowProc(window, second.proc);
        QCOMPARE(User::windowProc(window), own);
        seen.clear();
        User::sendMessage(window, WM_USER);
        QCOMPARE(seen, QStringList{u"own"_s});
        User::destroyWindow(window);
        QVERIFY(!User::isWindow(window));
    }

    void handledMessageStopsAtTheLaterHook() {
        QStringList seen;
        const HWND window = User::allocateHWnd(User::defWindowProc);
        Hook earlier{QStringLiteral("earlier"), &seen, {}, {}};
        Hook later{QStringLiteral("later"), &seen, {}, {}, true};
        earlier.install(window);
        later.install(window);
        QCOMPARE(User::sendMessage(window, WM_USER), LRESULT(7));
        QCOMPARE(seen, QStringList{u"later"_s});
        User::destroyWindow(window);
    }

    void postedMessagesWaitForTheEventLoop() {
        QList<UINT> seen;
        const HWND window = User::allocateHWnd([&seen](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
            seen << m;
            return 0;
        });
        QVERIFY(User::postMessage(window, WM_USER + 1));
        QVERIFY(User::postMessage(window, WM_USER + 2));
        QVERIFY(seen.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(seen, (QList<UINT>{WM_USER + 1, WM_USER + 2}));
        QVERIFY(User::postMessage(window, WM_USER + 3));
        User::destroyWindow(window); // the message still queued finds no window
        QCoreApplication::processEvents();
        QCOMPARE(seen, (QList<UINT>{WM_USER + 1, WM_USER + 2, WM_DESTROY}));
        QVERIFY(!User::postMessage(window, WM_USER));
    }

    void registeredMessagesAreOnePerName() {
        const UINT taskbar = User::registerWindowMessage(QStringLiteral("TaskbarCreated"));
        QVERIFY(taskbar >= 0xC000);
        QCOMPARE(User::registerWindowMessage(QStringLiteral("taskbarcreated")), taskbar);
        QVERIFY(User::registerWindowMessage(QStringLiteral("Other")) != taskbar);
    }

    void qtEventsOfTheMainWindowArriveAsMessages() {
        QWidget main;
        User::setMainWindow(&main);
        QStringList seen;
        const auto watch = [&seen](HWND target, const QString& name) {
            auto proc = User::makeObjectInstance(
                [&seen, name](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                    if (m == WM_SHOWWINDOW || m == WM_SIZE)
                        seen << QStringLiteral("%1 %2 %3 %4").arg(name).arg(m, 0, 16).arg(w).arg(l);
                    return User::defWindowProc(h, m, w, l);
                });
            User::setWindowProc(target, proc);
            return proc;
        };
        const HWND mainWindow = User::handleOf(&main);
        const HWND app = User::applicationWindow();
        User::showWindow(app, SW_HIDE);
        const auto mainHook = watch(mainWindow, QStringLiteral("main"));
        const auto appHook = watch(app, QStringLiteral("app"));
        main.resize(200, 100);
        main.show();
        QVERIFY(seen.contains(QStringLiteral("main 18 1 0")));
        QVERIFY(seen.contains(QStringLiteral("app 18 1 0")));
        QVERIFY(User::isWindowVisible(app));
        seen.clear();
        main.setWindowState(Qt::WindowMinimized);
        QVERIFY(seen.contains(QStringLiteral("app 5 1 0")));
        QVERIFY(User::isIconic(app));
        seen.clear();
        main.hide();
        QCOMPARE(seen, QStringList{u"main 18 0 0"_s});
        User::removeWindowProc(mainWindow, mainHook);
        User::removeWindowProc(app, appHook);
        User::setMainWindow(nullptr);
    }

    void aDestroyedWindowHearsWmDestroyAndLosesItsHandle() {
        QList<UINT> seen;
        HWND handle = 0;
        {
            QWidget window;
            handle = User::handleOf(&window);
            User::setWindowProc(
                handle, User::makeObjectInstance([&seen](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
                    seen << m;
                    return 0;
                }));
        }
        QCOMPARE(seen, QList<UINT>{WM_DESTROY});
        QVERIFY(!User::isWindow(handle));
        QWidget next; // whatever its address, a new window gets a handle of its own
        QVERIFY(User::isWindow(User::handleOf(&next)));
    }
};

QTEST_MAIN(TestWindowProcs)
#include "tst_windowprocs.moc"
