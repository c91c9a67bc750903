// Figures of quorvane-import on a full public data set: the time from start to exit and
// the peak memory of the process.
#include "BenchData.h"

#include "data/IdiomDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace quorvane;

namespace {
constexpr int kRecords = 31000;

QString orNone(const QString& text) {
    return text.isEmpty() ? QStringLiteral("无") : text;
}

QJsonObject recordOf(const IdiomEntry& entry) {
    QJsonObject record;
    record.insert(QStringLiteral("word"), entry.text(Column::Idiom));
    record.insert(QStringLiteral("pinyin"), entry.text(Column::Pinyin));
    record.insert(QStringLiteral("abbreviation"), entry.text(Column::Code));
    record.insert(QStringLiteral("explanation"), entry.text(Column::Explanation));
    record.insert(QStringLiteral("example"), orNone(entry.text(Column::Example)));
    record.insert(QStringLiteral("derivation"), orNone(entry.text(Column::Source)));
    return record;
}

// A new idiom from the halves of two real ones, so that the generated set has about as
// few repeats and doubtful records as the real one.
IdiomEntry combined(const IdiomEntry& first, const IdiomEntry& second) {
    const QStringList a = first.text(Column::Pinyin).split(u' ');
    const QStringList b = second.text(Column::Pinyin).split(u' ');
    IdiomEntry entry = second;
    entry.text(Column::Idiom) =
        first.text(Column::Idiom).left(2) + second.text(Column::Idiom).mid(2);
    entry.text(Column::Pinyin) = (a.mid(0, 2) + b.mid(2)).join(u' ');
    entry.text(Column::Code) = first.text(Column::Code).left(2) + second.text(Column::Code).mid(2);
    entry.text(Column::Example) = first.text(Column::Example);
    return entry;
}

// The full set when it is there (its name in the public repository), else a generated
// file of the same size and format.
QString inputFile() {
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString real = QStringLiteral(QUORVANE_SHARED_DATA "/idiom.json");
        if (QFileInfo::exists(real))
            return real;
        std::vector<IdiomEntry> base = bench::sharedDataSet();
        if (base.empty())
            base = bench::generatedRows(100);
        std::vector<const IdiomEntry*> fours;
        for (const IdiomEntry& entry : base)
            if (entry.text(Column::Idiom).size() == 4 &&
                entry.text(Column::Pinyin).count(u' ') == 3)
                fours.push_back(&entry);
        QJsonArray records;
        for (size_t i = 0; i < base.size() && records.size() < kRecords; ++i)
            records.append(recordOf(base[i]));
        const size_t n = fours.size();
        for (size_t i = 0; records.size() < kRecords; ++i) // each round pairs them anew
            records.append(
                recordOf(combined(*fours[i % n], *fours[(i * 7919 + i / n * 104729 + 13) % n])));
        const QString generated = folder.filePath(QStringLiteral("idiom.json"));
        QFile file(generated);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(QJsonDocument(records).toJson(QJsonDocument::Indented)) < 0)
            std::fprintf(stderr, "cannot write %s\n", qPrintable(generated));
        return generated;
    }();
    return path;
}

struct ImportRun {
    double ms = -1;
    double cpuMs = -1; // user and system time: what the figure would be on an idle machine
    double peakMb = -1;
};

// The peak memory of a running process so far, in kB, or -1 once it has ended.
double peakKb(pid_t pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble();
    return -1;
}

// A dictionary of the 8,449 real idioms (or as many generated ones), made once.
QString dictionaryFile() {
    static QTemporaryDir folder;
    static const QString path = [] {
        std::vector<IdiomEntry> rows = bench::sharedDataSet();
        if (rows.empty())
            rows = bench::generatedRows(8449);
        const QString file = folder.filePath(QStringLiteral("cy.mdb"));
        IdiomDatabase::create(file, rows);
        return file;
    }();
    return path;
}

// Runs the importer as a user would, to a fresh output, or with `merge` into a copy of the
// 8,449-idiom dictionary. The child's own rusage would count this process's memory, which
// it shared until it started the importer; with `watch` its peak is read from /proc while
// it runs instead.
ImportRun runImport(bool watch = false, bool merge = false) {
    static QTemporaryDir output;
    const QByteArray tool(QUORVANE_IMPORT_TOOL);
    const QByteArray input = QFile::encodeName(inputFile());
    const QString targetPath = output.filePath(QStringLiteral("cy.mdb"));
    const QByteArray target = QFile::encodeName(targetPath);
    QFile::remove(targetPath);
    if (merge && !QFile::copy(dictionaryFile(), targetPath))
        return {};
    QByteArray mergeOption("--merge");
    std::vector<char*> argv{const_cast<char*>(tool.constData())};
    if (merge)
        argv.push_back(mergeOption.data());
    for (const QByteArray* argument : {&input, &target})
        argv.push_back(const_cast<char*>(argument->constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, tool.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {};
    int status = 0;
    rusage usage{};
    double peak = -1;
    pid_t ended = 0;
    while (watch && ended == 0) {
        peak = std::max(peak, peakKb(pid));
        ended = wait4(pid, &status, WNOHANG, &usage);
        if (ended == 0)
            usleep(2000);
    }
    if (!watch)
        ended = wait4(pid, &status, 0, &usage);
    if (ended != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0;
    };
    return {elapsed.count(), ms(usage.ru_utime) + ms(usage.ru_stime), peak / 1024.0};
}

void import_31k_ms(benchmark::State& state) {
    inputFile();
    for (auto _ : state) {
        const ImportRun run = runImport();
        if (run.ms < 0) {
            state.SkipWithError("the import failed");
            break;
        }
        state.SetIterationTime(run.ms / 1000.0);
    }
}

void import_31k_cpu_ms(benchmark::State& state) {
    inputFile();
    for (auto _ : state) {
        const ImportRun run = runImport();
        if (run.cpuMs < 0) {
            state.SkipWithError("the import failed");
            break;
        }
        state.SetIterationTime(run.cpuMs / 1000.0);
    }
}

// quorvane-import --merge of the 31k set into a dictionary that holds the 8,449 real idioms.
void import_merge_31k_ms(benchmark::State& state) {
    inputFile();
    dictionaryFile();
    for (auto _ : state) {
        const ImportRun run = runImport(false, true);
        if (run.ms < 0) {
            state.SkipWithError("the merge failed");
            break;
        }
        state.SetIterationTime(run.ms / 1000.0);
    }
}

// The reporter prints a figure in the unit its name ends with; the peak memory in MB goes
// through the manual time, in seconds, so that it is printed as it is.
void import_31k_mb(benchmark::State& state) {
    inputFile();
    for (auto _ : state) {
        const ImportRun run = runImport(true);
        if (run.peakMb < 0) {
            state.SkipWithError("the import failed");
            break;
        }
        state.SetIterationTime(run.peakMb);
    }
}
} // namespace

BENCHMARK(import_31k_ms)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(5)
    ->Iterations(1);
BENCHMARK(import_31k_cpu_ms)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(3)
    ->Iterations(1);
BENCHMARK(import_merge_31k_ms)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(5)
    ->Iterations(1);
BENCHMARK(import_31k_mb)->Unit(benchmark::kSecond)->UseManualTime()->Repetitions(3)->Iterations(1);
