// Runs the program with its window hidden in the tray and the icon animating, and reports
// the CPU time it used over a stretch of idle time. Arguments: program folder, seconds.
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/NotifyIconHost.h"
#include "support/MainWindowParts.h"
#include "ui/lookup/Tmain_frm.h"
#include "widgets/tray/TrayIcons.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    quorvane::AppPaths::setExecutableFolder(QString::fromLocal8Bit(argv[1]));
    const int seconds = QByteArray(argv[2]).toInt();
    quorvane::Dialogs::Script::begin();
    QElapsedTimer waited;
    waited.start();
    while (!QSystemTrayIcon::isSystemTrayAvailable() && waited.elapsed() < 10000)
        QTest::qWait(100);
    quorvane::Tmain_frm window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not exposed\n");
    int ticks = 0;
    parts(window).TrayIcon1->OnCycle = [&ticks](QObject*, int) { ++ticks; };
    if (argc > 3 && QByteArray(argv[3]) == "still") // the baseline without the animation
        parts(window).TrayIcon1->setCycleIcons(false);
    parts(window).TrayIcon1->OnClick(parts(window).TrayIcon1); // into the tray
    QTest::qWait(1000);
    const bool inTray =
        !window.isVisible() &&
        !quorvane::Shell_NotifyIconGetRect(parts(window).TrayIcon1->iconWindow(), 1).isEmpty();
    ticks = 0;
    const double start = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    // A plain event loop: QTest::qWait would wake every few milliseconds itself.
    QEventLoop idle;
    QTimer::singleShot(seconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    const double used = cpuSeconds() - start;
    std::printf("cpu_pct=%.3f ticks=%d in_tray=%d\n",
                100.0 * used / (double(wall.elapsed()) / 1000.0), ticks, inTray ? 1 : 0);
    std::fflush(stdout);
    return 0;
}
