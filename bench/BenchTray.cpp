#include "BenchTray.h"

#include "tests/support/PrivateDesktop.h"

#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace quorvane::bench {

void printTrayFigures(const QString& programFolder) {
    testing::PrivateDesktop desktop;
    QString why;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QTemporaryDir config;
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), config.path());
    if (desktop.start(&why)) {
        env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(desktop.display()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    } else {
        std::fprintf(stderr, "tray figure without a tray host: %s\n", qPrintable(why));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QStringLiteral(QUORVANE_TRAY_PROBE), {programFolder, QStringLiteral("20")});
    if (!probe.waitForFinished(60000)) {
        probe.kill();
        probe.waitForFinished();
        std::fprintf(stderr, "the tray probe did not finish\n");
        return;
    }
    double pct = -1;
    int ticks = 0;
    bool inTray = false;
    for (const QByteArray& field : probe.readAllStandardOutput().trimmed().split(' ')) {
        const QList<QByteArray> pair = field.split('=');
        if (pair.size() != 2)
            continue;
        if (pair[0] == "cpu_pct")
            pct = pair[1].toDouble();
        else if (pair[0] == "ticks")
            ticks = pair[1].toInt();
        else if (pair[0] == "in_tray")
            inTray = pair[1] == "1";
    }
    if (!inTray || ticks < 40)
        std::fprintf(stderr, "tray probe: in tray %d, %d animation steps\n", inTray, ticks);
    std::printf("tray_idle_cpu_pct %.2f pct\n", pct);
    std::fflush(stdout);
}

} // namespace quorvane::bench
