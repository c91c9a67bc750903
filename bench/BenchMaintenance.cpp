// Figures of the maintenance window on a 50,000-row table.
#include "BenchData.h"
#include "PaintWatch.h"
#include "support/WindowParts.h"
#include "widgets/dbaware/TDBEdit.h"

#include "data/AdoConnection.h"
#include "data/AdoTable.h"
#include "data/DataSource.h"
#include "platform/AppPaths.h"
#include "ui/maintenance/Tappend_frm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace quorvane;

namespace {
// One program folder with 50,000 rows for every figure here, made when first needed.
QString folder50k() {
    static QTemporaryDir dir;
    static const QString folder = [] {
        const QString path = dir.path() + QStringLiteral("/50k/");
        bench::makeProgramFolder(path, bench::generatedRows(50000));
        return path;
    }();
    return folder;
}

// The maintenance cursor as the main window holds it.
struct Store {
    AdoConnection connection;
    AdoTable table;
    DataSource source;
    Store() {
        connection.setConnectionString(AdoConnection::buildConnectionString(folder50k()));
        connection.open();
        table.setConnection(&connection);
        table.setTableName(QStringLiteral("cy"));
        source.setDataSet(&table);
    }
};

// Edit one field of one row and post it: one transaction on the file.
void post(benchmark::State& state) {
    Store store;
    store.table.open();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store.table.moveTo((n * 7919) % store.table.recordCount());
        state.ResumeTiming();
        store.table.edit();
        store.table.setFieldText(QStringLiteral("近义"), QString::number(++n));
        store.table.post();
    }
}

// From creating the window to its first paint, the last row shown.
void maintenanceOpen(benchmark::State& state) {
    Store store;
    AppPaths::setExecutableFolder(folder50k());
    for (auto _ : state) {
        PaintWatch watch;
        QPointer<Tappend_frm> window = new Tappend_frm(&store.table, &store.source);
        testing::part<TDBEdit>(*window, "DBEdit7")->installEventFilter(&watch);
        window->show();
        watch.waitForPaint();
        benchmark::DoNotOptimize(testing::part<TDBEdit>(*window, "DBEdit7")->text().size());
        state.PauseTiming();
        window->close();
        delete window.data();
        state.ResumeTiming();
    }
}

const auto* const kPost = benchmark::RegisterBenchmark("post_ms", post)
                              -> Unit(benchmark::kMillisecond) -> Repetitions(9) -> Iterations(20);
const auto* const kOpen = benchmark::RegisterBenchmark("maintenance_open_ms", maintenanceOpen)
                              -> Unit(benchmark::kMillisecond) -> Repetitions(9) -> Iterations(3);
} // namespace
