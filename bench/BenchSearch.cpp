// The search window's figures on 50,000 rows: matching alone, and a key to the painted list.
#include "BenchData.h"
#include "PaintWatch.h"
#include "support/WindowParts.h"

#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/IdiomSearch.h"
#include "platform/AppPaths.h"
#include "support/MainWindowParts.h"
#include "ui/lookup/Tmain_frm.h"
#include "ui/search/SearchResultModel.h"
#include "ui/search/Tsearch_frm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <benchmark/benchmark.h>

using namespace quorvane;

namespace {
// One folder for all three figures: building 50,000 rows takes seconds.
QString folder50k() {
    static QTemporaryDir work;
    const QString folder = work.path() + QStringLiteral("/search50k/");
    if (!QFileInfo::exists(folder + QStringLiteral("cy.mdb")))
        bench::makeProgramFolder(folder, bench::generatedRows(50000));
    return folder;
}

struct Snapshot {
    AdoConnection connection;
    AdoQuery query;
    Snapshot() {
        connection.setConnectionString(AdoConnection::buildConnectionString(folder50k()));
        query.setConnection(&connection);
        query.setSql(QStringLiteral("select * from cy order by 成语"));
        connection.open();
        query.open();
    }
};

void search(benchmark::State& state, const QString& input) {
    Snapshot s;
    IdiomSearch search(&s.query);
    search.prepare(); // once per snapshot; measured on its own below
    size_t found = 0;
    for (auto _ : state) {
        found = search.find(input).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = double(found);
}

void prepareReadings(benchmark::State& state) {
    Snapshot s;
    for (auto _ : state) {
        IdiomSearch search(&s.query);
        search.prepare();
    }
}

// The second character of "比喻" as an input method commits it, to the list painted.
void keystrokeToResults(benchmark::State& state) {
    AppPaths::setExecutableFolder(folder50k());
    Tmain_frm window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not exposed\n");
    parts(window).jsbtn->click();
    Tsearch_frm* s = window.searchWindow();
    if (!QTest::qWaitForWindowExposed(s))
        std::fprintf(stderr, "the search window was not exposed\n");
    PaintWatch watch;
    watch.armed = false;
    testing::part<QTreeView>(*s, "resultlst")->viewport()->installEventFilter(&watch);
    QObject::connect(s->results(), &QAbstractItemModel::modelReset, &watch,
                     [&watch] { watch.armed = true; });
    for (auto _ : state) {
        state.PauseTiming();
        testing::part<QLineEdit>(*s, "searchedt")->setText(QStringLiteral("比"));
        QTest::qWait(5);
        watch.armed = watch.painted = false;
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("喻"));
        state.ResumeTiming();
        QCoreApplication::sendEvent(testing::part<QLineEdit>(*s, "searchedt"), &commit);
        const bool painted = watch.waitForPaint();
        state.PauseTiming();
        if (!painted)
            std::fprintf(stderr, "the results were not painted\n");
        state.ResumeTiming();
    }
}
} // namespace

BENCHMARK_CAPTURE(search, pinyin, QStringLiteral("dui niu"))
    ->Name("search_pinyin_50k_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->Iterations(50);
BENCHMARK_CAPTURE(search, fulltext, QStringLiteral("“比喻”"))
    ->Name("search_fulltext_50k_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->Iterations(10);
BENCHMARK(prepareReadings)
    ->Name("search_prepare_50k_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->Iterations(1);
BENCHMARK(keystrokeToResults)
    ->Name("search_keystroke_to_results_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->Iterations(5);
