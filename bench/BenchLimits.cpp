// Figures of what a careless or hostile input costs: a large settings file, a paste of
// combining marks into the search box, a long paste into a maintenance field, and the
// memory that opening and closing the maintenance window leaves behind.
#include "BenchData.h"
#include "support/WindowParts.h"
#include "widgets/dbaware/TDBEdit.h"

#include "data/AdoConnection.h"
#include "data/AdoTable.h"
#include "data/DataSource.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "support/MainWindowParts.h"
#include "ui/lookup/Tmain_frm.h"
#include "ui/maintenance/Tappend_frm.h"
#include "ui/search/Tsearch_frm.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <cstdio>

#ifdef Q_OS_LINUX
#include <malloc.h>
#include <unistd.h>
#endif

using namespace quorvane;

namespace {
QString folderOf(int rows) {
    static QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/limits%1/").arg(rows);
    if (!QFileInfo::exists(folder + QStringLiteral("cy.mdb")))
        bench::makeProgramFolder(folder, bench::generatedRows(rows));
    return folder;
}

// Opening the key and reading the four values the main window reads, in a file of 20,000
// values.
void settingsOpen(benchmark::State& state) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QByteArray bytes = "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Brevinn\\Quorvane\\3.0]\n"
                       "\"bkgrnd\"=\"C:\\\\bk.bmp\"\n\"fontname\"=\"宋体\"\n"
                       "\"fontsize\"=dword:0000000b\n\"fontcolor\"=\"clBlack\"\n";
    for (int i = 0; i < 20000; ++i)
        bytes += "\"v" + QByteArray::number(i) + "\"=\"value " + QByteArray::number(i) + "\"\n";
    const QString file = RegistryKey::storageFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    out.close();
    for (auto _ : state) {
        RegistryKey key;
        key.openKey(QStringLiteral("Software\\Brevinn\\Quorvane\\3.0"), true);
        for (const char* name : {"bkgrnd", "fontname", "fontcolor"})
            if (key.valueExists(QString::fromLatin1(name)))
                benchmark::DoNotOptimize(key.readString(QString::fromLatin1(name)).size());
        benchmark::DoNotOptimize(key.readInteger(QStringLiteral("fontsize")));
    }
}

// One repaint of a field after a paste of `text` into it.
void repaintAfterPaste(benchmark::State& state, const QString& name, QLineEdit* field,
                       const QString& text) {
    QApplication::clipboard()->setText(text);
    QElapsedTimer paste;
    paste.start();
    field->setFocus();
    field->selectAll();
    field->paste();
    field->repaint();
    // Once per run: the reporter prints medians of the timed loop only.
    static QSet<QString> printed;
    if (!printed.contains(name)) {
        printed.insert(name);
        std::printf("%s_paste_ms %lld ms\n%s_kept_chars %lld chars\n", qPrintable(name),
                    paste.elapsed(), qPrintable(name), qint64(field->text().size()));
        std::fflush(stdout);
    }
    for (auto _ : state)
        field->repaint();
}

QString markedLetter(int marks) {
    return u'a' + QString(marks, QChar(0x0301));
}

void searchBoxCombiningMarks(benchmark::State& state) {
    AppPaths::setExecutableFolder(folderOf(100));
    Tmain_frm window;
    window.show();
    parts(window).jsbtn->click();
    Tsearch_frm* s = window.searchWindow();
    if (!QTest::qWaitForWindowExposed(s))
        std::fprintf(stderr, "the search window was not exposed\n");
    repaintAfterPaste(state, QStringLiteral("search_box_combining"),
                      testing::part<QLineEdit>(*s, "searchedt"), markedLetter(9999));
}

struct Store {
    AdoConnection connection;
    AdoTable table;
    DataSource source;
    explicit Store(const QString& folder) {
        AppPaths::setExecutableFolder(folder);
        connection.setConnectionString(AdoConnection::buildConnectionString(folder));
        connection.open();
        table.setConnection(&connection);
        table.setTableName(QStringLiteral("cy"));
        source.setDataSet(&table);
    }
};

void maintenanceLongPaste(benchmark::State& state) {
    Store store(folderOf(100));
    QPointer<Tappend_frm> window = new Tappend_frm(&store.table, &store.source);
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        std::fprintf(stderr, "the maintenance window was not exposed\n");
    repaintAfterPaste(state, QStringLiteral("maintenance_field_100k"),
                      testing::part<TDBEdit>(*window, "DBEdit7"), QString(100000, QChar(u'成')));
    testing::part<TDBEdit>(*window, "DBEdit7")->undo();
    window->close();
    delete window.data();
}

qint64 residentKb() {
#ifdef Q_OS_LINUX
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) / 1024 : 0;
#else
    return 0;
#endif
}

// Resident memory after 150 openings and closings of the maintenance window, each with a
// move, against after 2.
void maintenanceRounds(benchmark::State& state) {
    Store store(folderOf(2000));
    const auto round = [&store] {
        QPointer<Tappend_frm> window = new Tappend_frm(&store.table, &store.source);
        window->show();
        QApplication::processEvents();
        testing::part<QToolButton>(*window, "priovbtn")->click();
        window->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    };
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i)
            round();
        const qint64 after2 = residentKb();
        for (int i = 2; i < 150; ++i)
            round();
        std::printf("maintenance_rss_growth_150_rounds_kb %lld kb\n", residentKb() - after2);
        std::fflush(stdout);
    }
}
} // namespace

BENCHMARK(settingsOpen)
    ->Name("settings_open_20000_values_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->Iterations(10);
BENCHMARK(searchBoxCombiningMarks)
    ->Name("search_box_repaint_after_combining_paste_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->Iterations(10);
BENCHMARK(maintenanceLongPaste)
    ->Name("maintenance_field_repaint_after_100k_paste_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->Iterations(10);
BENCHMARK(maintenanceRounds)
    ->Name("maintenance_150_rounds")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
