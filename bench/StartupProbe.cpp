// Starts the program as a user would, without the splash's wait, and reports the moment the
// first entry is on screen and the memory in use once the codes are in. Optional
// argument: the program folder.
#include "app/StartUp.h"
#include "platform/AppPaths.h"
#include "support/MainWindowParts.h"
#include "ui/lookup/Tmain_frm.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {
long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 1)
        quorvane::AppPaths::setExecutableFolder(QString::fromLocal8Bit(argv[1]));
    return quorvane::StartUp::run(app, 0, [&app] {
        QApplication::processEvents(); // the first paint of the window
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const bool rendered =
            quorvane::main_frm && !parts(*quorvane::main_frm).cymc->text().isEmpty();
        // Memory once the codes are read in the event loop, not before.
        while (quorvane::main_frm && parts(*quorvane::main_frm).q_cy->preloading())
            QApplication::processEvents();
        std::printf("shown_ns=%lld rss_kb=%ld rows=%d rendered=%d\n",
                    static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, residentKb(),
                    quorvane::main_frm ? parts(*quorvane::main_frm).q_cy->recordCount() : -1,
                    rendered ? 1 : 0);
        std::fflush(stdout);
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    });
}
