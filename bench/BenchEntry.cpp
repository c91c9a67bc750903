// Rendering an entry whose field is as long as a memo field allows and has no break point.
#include "BenchData.h"

#include "platform/AppPaths.h"
#include "support/MainWindowParts.h"
#include "ui/lookup/Tmain_frm.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

using namespace quorvane;

namespace {
void showEntryLongField(benchmark::State& state) {
    // One folder for every repetition: the settings keep the background path of the first.
    static QTemporaryDir work;
    const QString folder = work.path() + QStringLiteral("/long/");
    if (!QFileInfo::exists(folder)) {
        IdiomEntry entry;
        entry.text(Column::Code) = QStringLiteral("cc");
        entry.text(Column::Idiom) = QStringLiteral("长长");
        entry.text(Column::Explanation) = QString(65535, u'a');
        bench::makeProgramFolder(folder, {entry});
    }
    AppPaths::setExecutableFolder(folder);
    Tmain_frm window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not exposed\n");
    // The figure is what the user waits for: the text laid out and drawn.
    for (auto _ : state) {
        window.ShowEntry();
        benchmark::DoNotOptimize(
            parts(window).RichEdit1->document()->documentLayout()->documentSize());
        parts(window).RichEdit1->viewport()->repaint();
    }
}
} // namespace

BENCHMARK(showEntryLongField)
    ->Name("show_entry_long_field_ms")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->Iterations(3);
