// Record search figures on a 50,000-row table.
#include "BenchData.h"

#include "data/AdoConnection.h"
#include "data/AdoTable.h"
#include "data/DataSource.h"
#include "widgets/dbaware/TDBFilterDialog.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace quorvane;

namespace {
// One database for both figures, made on first use.
const QString& folder50k() {
    static QTemporaryDir dir;
    static const QString folder = [] {
        const QString path = dir.path() + QStringLiteral("/filter50k/");
        bench::makeProgramFolder(path, bench::generatedRows(50000));
        return path;
    }();
    return folder;
}

TFilterFieldInfo criterion(const QString& field, quint8 matchType, const QString& value) {
    TFilterFieldInfo info;
    info.fieldName = info.displayLabel = field;
    info.matchType = matchType;
    info.value = value;
    return info;
}

// Applies the criteria to tb_cy until the first accepted row is current.
void applySearch(benchmark::State& state, const TFilterFieldInfos& criteria) {
    AdoConnection connection;
    connection.setConnectionString(AdoConnection::buildConnectionString(folder50k()));
    connection.open();
    AdoTable table;
    table.setConnection(&connection);
    table.setTableName(QStringLiteral("cy"));
    table.open();
    table.last();
    DataSource source;
    source.setDataSet(&table);
    TDBFilterDialog filter;
    filter.setDataSource(&source);
    for (auto _ : state) {
        state.PauseTiming();
        filter.ClearSearchCriteria();
        filter.ApplySearchCriteria();
        filter.setCriteria(criteria);
        state.ResumeTiming();
        filter.ApplySearchCriteria();
        benchmark::DoNotOptimize(table.currentRow());
    }
}

// 成语 anywhere "马 or 牛" and 解释 at the beginning.
void filter_50k_ms(benchmark::State& state) {
    applySearch(
        state,
        {criterion(QStringLiteral("成语"), TFilterFieldInfo::mtAny, QStringLiteral("马 or 牛")),
         criterion(QStringLiteral("解释"), TFilterFieldInfo::mtStart, QStringLiteral("比喻"))});
}

// The same search on a value no row holds: every row goes through the test.
void filter_50k_nomatch_ms(benchmark::State& state) {
    applySearch(
        state,
        {criterion(QStringLiteral("成语"), TFilterFieldInfo::mtAny, QStringLiteral("马 or 牛")),
         criterion(QStringLiteral("解释"), TFilterFieldInfo::mtStart, QStringLiteral("无此解释"))});
}
} // namespace

BENCHMARK(filter_50k_ms)->Unit(benchmark::kMillisecond)->Repetitions(9)->Iterations(5);
BENCHMARK(filter_50k_nomatch_ms)->Unit(benchmark::kMillisecond)->Repetitions(9)->Iterations(5);
