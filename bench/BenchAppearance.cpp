// Figures of the appearance: tiling the main window, reading a bitmap, the splash at start.
#include "BenchData.h"

#include "platform/AppPaths.h"
#include "support/MainWindowParts.h"
#include "ui/appearance/BackgroundBitmap.h"
#include "ui/lookup/Tmain_frm.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

using namespace quorvane;

namespace {
// One paint of every tiled surface of a 1024 x 768 main window, with a 16 x 16 bitmap.
void tileMainWindow(benchmark::State& state) {
    // One folder for all repetitions: the first window stores its picture's path.
    static QTemporaryDir folder;
    static const bool made = [] {
        bench::makeProgramFolder(folder.path() + QStringLiteral("/"), bench::generatedRows(200));
        return true;
    }();
    (void)made;
    AppPaths::setExecutableFolder(folder.path());
    Tmain_frm window;
    window.setWindowState(Qt::WindowNoState);
    window.resize(1024, 768);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || window.backgroundBitmap()->isEmpty())
        state.SkipWithError("the window did not show its background");
    const QList<QWidget*> surfaces = {
        parts(window).Splitter1, parts(window).Image3, parts(window).Image4, parts(window).Image5,
        parts(window).Image6,    parts(window).Image7, parts(window).Image10};
    // Each surface paints through its own paint event into a picture of its size; what other
    // widgets draw over it is not part of the figure.
    QList<QImage> pictures;
    for (QWidget* surface : surfaces)
        pictures << QImage(surface->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        for (qsizetype i = 0; i < surfaces.size(); ++i)
            surfaces[i]->render(&pictures[i], {}, {}, {});
}

void bmpLoad1Mp(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("large.bmp"));
    QImage picture(1000, 1000, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x ^ y) % 256));
    if (!picture.save(path, "BMP"))
        state.SkipWithError("the bitmap could not be written");
    for (auto _ : state) {
        BackgroundBitmap bitmap;
        bitmap.load(path);
        benchmark::DoNotOptimize(bitmap.image().width());
    }
}

// Start of the process until the splash has painted its banner.
void splashToVisible(benchmark::State& state) {
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), config.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(env);
        timespec start{};
        clock_gettime(CLOCK_REALTIME, &start);
        process.start(QStringLiteral(QUORVANE_SPLASH_PROBE), {});
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            state.SkipWithError("the splash probe failed");
            break;
        }
        const QByteArray out = process.readAllStandardOutput().trimmed();
        const qint64 painted = out.mid(out.indexOf('=') + 1).toLongLong();
        state.SetIterationTime(double(painted - (start.tv_sec * 1000000000LL + start.tv_nsec)) /
                               1e9);
    }
}
} // namespace

BENCHMARK(tileMainWindow)
    ->Name("tile_main_window_us")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->Iterations(100);
BENCHMARK(bmpLoad1Mp)
    ->Name("bmp_load_1mp_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->Iterations(10);
BENCHMARK(splashToVisible)
    ->Name("splash_to_visible_ms")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(9)
    ->Iterations(1);
