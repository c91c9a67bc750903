// Favourites and history at 10,000 favourites and 500 history rows over 50,000 idioms.
#include "BenchFavourites.h"
#include "BenchData.h"
#include "PaintWatch.h"
#include "support/WindowParts.h"

#include "data/AdoQuery.h"
#include "favourites/FavouritesStore.h"
#include "favourites/IdiomLocator.h"
#include "platform/AppPaths.h"
#include "support/MainWindowParts.h"
#include "ui/favourites/FavouritesController.h"
#include "ui/favourites/Tfavourites_frm.h"
#include "ui/lookup/Tmain_frm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace quorvane;

namespace {
constexpr int kFavourites = 10000;

const std::vector<IdiomEntry>& rows50k() {
    static const std::vector<IdiomEntry> rows = bench::generatedRows(50000);
    return rows;
}

QString folder50k() {
    static QTemporaryDir work;
    const QString folder = work.path() + QStringLiteral("/favourites50k/");
    if (!QFileInfo::exists(folder + QStringLiteral("cy.mdb")))
        bench::makeProgramFolder(folder, rows50k());
    return folder;
}

std::unique_ptr<Tmain_frm> openWindow() {
    bench::fillFavouriteLists();
    AppPaths::setExecutableFolder(folder50k());
    auto window = std::make_unique<Tmain_frm>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        std::fprintf(stderr, "the window was not exposed\n");
    return window;
}

// The star pressed on the shown idiom: in and out of the favourites by turns.
void toggle(benchmark::State& state) {
    auto window = openWindow();
    parts(*window).q_cy->moveTo(parts(*window).q_cy->recordCount() / 3);
    window->ShowEntry();
    for (auto _ : state)
        QTest::mouseClick(parts(*window).favbtn, Qt::LeftButton);
    state.counters["favourites"] =
        double(window->favourites()->store()->list(ListKind::Favourites).size());
}

// A new side window, from its creation to the painted list.
void openSideWindow(benchmark::State& state) {
    auto window = openWindow();
    FavouritesController* controller = window->favourites();
    for (auto _ : state) {
        auto* side = new Tfavourites_frm(controller->store(), parts(*window).q_cy,
                                         controller->locator(), window.get());
        PaintWatch watch;
        testing::part<QTreeView>(*side, "favlst")->viewport()->installEventFilter(&watch);
        side->open();
        const bool painted = watch.waitForPaint();
        state.PauseTiming();
        if (!painted)
            std::fprintf(stderr, "the side window was not painted\n");
        delete side;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// What each rendering of the entry adds for the star and the history.
void entryShown(benchmark::State& state) {
    auto window = openWindow();
    FavouritesController* controller = window->favourites();
    // A favourite and an idiom that is not: the star changes at every call.
    const IdiomEntry entries[] = {rows50k()[10], rows50k()[20001]};
    int i = 0;
    for (auto _ : state)
        controller->entryShown(entries[i++ & 1]);
}
} // namespace

namespace quorvane::bench {

void fillFavouriteLists() {
    static bool filled = false;
    if (filled)
        return;
    filled = true;
    FavouritesStore store(FavouritesStore::defaultPath());
    const std::vector<IdiomEntry>& rows = rows50k();
    for (int i = 0; i < kFavourites; ++i)
        store.setFavourite(IdiomLocator::keyOf(rows[size_t(i) * rows.size() / kFavourites]), true);
    for (int i = 0; i < FavouritesStore::kHistoryLimit; ++i)
        store.recordView(IdiomLocator::keyOf(rows[size_t(i) * 97 % rows.size()]));
    if (!store.problem().isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(store.problem()));
}

} // namespace quorvane::bench

BENCHMARK(toggle)
    ->Name("favourites_toggle_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->Iterations(50);
BENCHMARK(openSideWindow)
    ->Name("favourites_window_open_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->Iterations(5);
BENCHMARK(entryShown)
    ->Name("favourites_entry_shown_us")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->Iterations(1000);
