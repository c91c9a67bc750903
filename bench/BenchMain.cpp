// Figures of the lookup path at realistic sizes, printed as "NAME VALUE UNIT" lines.
#include "BenchData.h"
#include "BenchFavourites.h"
#include "BenchPrint.h"
#include "BenchTray.h"

#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/FontFaces.h"
#include "support/MainWindowParts.h"
#include "ui/lookup/Tmain_frm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

using namespace quorvane;

namespace {
QString g_folder8k;
QString g_folder50k;

// Prints the median of each benchmark in the unit its name ends with.
class LineReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name != "median")
                continue;
            const std::string name = run.run_name.function_name;
            const std::string unit = name.substr(name.rfind('_') + 1);
            std::printf("%s %.1f %s\n", name.c_str(), run.GetAdjustedRealTime(), unit.c_str());
            std::fflush(stdout);
        }
    }
};

// The open until the first row is ready; with `complete`, until every cell is read too.
void openSnapshot(benchmark::State& state, const QString& folder, bool complete) {
    for (auto _ : state) {
        AdoConnection connection;
        connection.setConnectionString(AdoConnection::buildConnectionString(folder));
        AdoQuery query;
        query.setConnection(&connection);
        query.setSql(QStringLiteral("select * from cy order by 成语"));
        connection.open();
        query.open();
        query.first();
        if (complete)
            query.fetchAll();
        benchmark::DoNotOptimize(query.recordCount());
        state.PauseTiming();
        connection.close();
        state.ResumeTiming();
    }
}

std::unique_ptr<Tmain_frm> openWindow(const QString& folder) {
    AppPaths::setExecutableFolder(folder);
    auto window = std::make_unique<Tmain_frm>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        std::fprintf(stderr, "the window was not exposed\n");
    return window;
}

void showEntry(benchmark::State& state) {
    auto window = openWindow(g_folder8k);
    AdoQuery* const q_cy = parts(*window).q_cy;
    const int rows = q_cy->recordCount();
    int row = 0;
    for (auto _ : state) {
        state.PauseTiming();
        q_cy->moveTo((row += 97) % rows);
        state.ResumeTiming();
        window->ShowEntry();
    }
}

QStringList prefixes(const AdoQuery& query) {
    QStringList result;
    const int field = query.fieldIndex(QStringLiteral("代码"));
    for (int row = 0; row < query.recordCount(); row += 1013) {
        const QString code = query.cellText(row, field);
        result << code.left(1 + row % 4);
    }
    return result;
}

void locate50k(benchmark::State& state) {
    auto window = openWindow(g_folder50k);
    // Found once: looking the parts up by name costs more than the search itself.
    AdoQuery* const q_cy = parts(*window).q_cy;
    const QStringList keys = prefixes(*q_cy);
    // The first search after opening also builds the code index (some 12 ms at 50,000
    // rows, once); the figure is the search a user waits for at every key.
    q_cy->locate(QStringLiteral("代码"), keys.first(), {true, true});
    qsizetype i = 0;
    for (auto _ : state) {
        const bool found =
            q_cy->locate(QStringLiteral("代码"), keys[i++ % keys.size()], {true, true});
        benchmark::DoNotOptimize(found);
    }
}

// The search alone, on a cursor no control is bound to.
void locateCursor50k(benchmark::State& state) {
    AdoConnection connection;
    connection.setConnectionString(AdoConnection::buildConnectionString(g_folder50k));
    AdoQuery query;
    query.setConnection(&connection);
    query.setSql(QStringLiteral("select * from cy order by 成语"));
    connection.open();
    query.open();
    const QStringList keys = prefixes(query);
    query.locate(QStringLiteral("代码"), keys.first(), {true, true}); // builds the index
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            query.locate(QStringLiteral("代码"), keys[i++ % keys.size()], {true, true}));
}

void keystrokeToEntry50k(benchmark::State& state) {
    auto window = openWindow(g_folder50k);
    const MainWindowParts found = parts(*window);
    QLineEdit* editor = found.DBLookupCombo1->editor();
    found.q_cy->locate(QStringLiteral("代码"), QStringLiteral("a"), {true, true});
    const QString letters = QStringLiteral("abcdfghjklmnpqrstwxyz");
    qsizetype i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (found.DBLookupCombo1->listVisible())
            QTest::keyClick(editor, Qt::Key_Escape);
        editor->clear();
        const QChar letter = letters[i++ % letters.size()];
        state.ResumeTiming();
        QTest::keyClick(editor, letter.toLatin1());
        benchmark::DoNotOptimize(found.cymc->text().size());
    }
}

// Process start to the first entry on screen, without the splash's wait; and memory then.
struct ProbeResult {
    double ms = -1;
    double rssMb = -1;
};

ProbeResult probe(const QString& folder) {
    QTemporaryDir config;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), config.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    timespec start{};
    clock_gettime(CLOCK_REALTIME, &start);
    process.start(QStringLiteral(QUORVANE_PROBE), {folder});
    if (!process.waitForFinished(30000))
        return {};
    const QByteArray out = process.readAllStandardOutput();
    ProbeResult result;
    for (const QByteArray& field : out.trimmed().split(' ')) {
        const auto pair = field.split('=');
        if (pair.size() != 2)
            continue;
        if (pair[0] == "shown_ns")
            result.ms =
                double(pair[1].toLongLong() - (start.tv_sec * 1000000000LL + start.tv_nsec)) / 1e6;
        else if (pair[0] == "rss_kb")
            result.rssMb = pair[1].toDouble() / 1024.0;
        else if (pair[0] == "rendered" && pair[1] != "1")
            return {};
    }
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FontFaces::installSubstitutions();
    // An error box would wait for a click that never comes; errors go to stderr instead.
    Dialogs::Script::begin();
    QTemporaryDir work;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", config.path().toLocal8Bit());
    g_folder8k = work.path() + QStringLiteral("/8k/");
    g_folder50k = work.path() + QStringLiteral("/50k/");
    std::vector<IdiomEntry> real = bench::sharedDataSet();
    if (real.empty()) {
        std::fprintf(stderr, "the shared data set is missing: 8k figures use generated rows\n");
        real = bench::generatedRows(8449);
    }
    bench::makeProgramFolder(g_folder8k, real);
    bench::makeProgramFolder(g_folder50k, bench::generatedRows(50000));

    const int repetitions = 9;
    benchmark::RegisterBenchmark("open_snapshot_8k_ms", openSnapshot, g_folder8k, false)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(repetitions)
        ->Iterations(3);
    benchmark::RegisterBenchmark("open_snapshot_50k_ms", openSnapshot, g_folder50k, false)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(repetitions)
        ->Iterations(2);
    benchmark::RegisterBenchmark("snapshot_complete_50k_ms", openSnapshot, g_folder50k, true)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(repetitions)
        ->Iterations(2);
    benchmark::RegisterBenchmark("show_entry_us", showEntry)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(repetitions)
        ->Iterations(50);
    benchmark::RegisterBenchmark("locate_50k_us", locate50k)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(repetitions)
        ->Iterations(200);
    benchmark::RegisterBenchmark("locate_50k_cursor_us", locateCursor50k)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(repetitions)
        ->Iterations(500);
    benchmark::RegisterBenchmark("keystroke_to_entry_us", keystrokeToEntry50k)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(repetitions)
        ->Iterations(30);
    bench::registerPrintBenchmarks();
    // The lookup figures are taken with full favourites and history lists.
    bench::fillFavouriteLists();
    benchmark::Initialize(&argc, argv);
    LineReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::vector<double> startup;
    for (int i = 0; i < 7; ++i)
        startup.push_back(probe(g_folder8k).ms);
    std::printf("startup_to_first_entry_ms %.1f ms\n", median(startup));
    std::vector<double> rss;
    for (int i = 0; i < 3; ++i)
        rss.push_back(probe(g_folder50k).rssMb);
    std::printf("rss_50k_mb %.1f MB\n", median(rss));
    bench::reportPreviewMemory(g_folder50k);
    bench::printTrayFigures(g_folder8k);
    for (const auto& shown : Dialogs::Script::shownMessages())
        std::fprintf(stderr, "message: %s\n", qPrintable(shown.text));
    return 0;
}
