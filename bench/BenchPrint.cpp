// Figures of printing: one page into a preview picture, one idiom printed to a PDF file,
// and memory with the preview at its largest zoom.
#include "BenchPrint.h"

#include "BenchData.h"
#include "platform/Printer.h"
#include "print/TPreviewAtOnceForm.h"
#include "print/TPrintAtOnce.h"
#include "print/Tprint_frm.h"

#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

namespace quorvane::bench {

namespace {
// The longest entry that still fits a page, so the figure is the worst a user meets.
IdiomEntry longEntry() {
    std::vector<IdiomEntry> rows = sharedDataSet();
    if (rows.empty())
        rows = generatedRows(1);
    auto size = [](const IdiomEntry& e) {
        qsizetype total = 0;
        for (const QString& column : e.columns)
            total += column.size();
        return total;
    };
    IdiomEntry best = rows.front();
    for (const IdiomEntry& e : rows)
        if (size(e) > size(best) && size(e) < 1200)
            best = e;
    return best;
}

void renderPage(benchmark::State& state) {
    QTemporaryDir dir;
    QtPrinter printer(dir.filePath(QStringLiteral("page.pdf")));
    Printer::setCurrent(&printer);
    {
        Tprint_frm window;
        window.fill(longEntry());
        TPreviewAtOnceForm preview;
        preview.bind(window.PrintAtOnce1);
        window.PrintAtOnce1->NewPageHandler = [&preview] { preview.NewPage(); };
        preview.selectPaper(PrintTypes::A4);
        for (auto _ : state)
            preview.RefreshPrinter();
    }
    Printer::setCurrent(nullptr);
}

void printPdf(benchmark::State& state) {
    QTemporaryDir dir;
    QtPrinter printer(dir.filePath(QStringLiteral("idiom.pdf")));
    Printer::setCurrent(&printer);
    {
        Tprint_frm window;
        window.fill(longEntry());
        for (auto _ : state)
            window.PrintAtOnce1->Print();
    }
    Printer::setCurrent(nullptr);
}
} // namespace

void registerPrintBenchmarks() {
    benchmark::RegisterBenchmark("render_page_ms", renderPage)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(9)
        ->Iterations(10);
    benchmark::RegisterBenchmark("print_pdf_ms", printPdf)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(9)
        ->Iterations(5);
}

void reportPreviewMemory(const QString& folder) {
    std::vector<double> values;
    for (int i = 0; i < 3; ++i) {
        QProcess process;
        process.start(QStringLiteral(QUORVANE_PREVIEW_PROBE), {folder});
        if (!process.waitForFinished(60000))
            continue;
        const QByteArray out = process.readAllStandardOutput().trimmed();
        if (out.startsWith("rss_kb="))
            values.push_back(out.mid(7).toDouble() / 1024.0);
    }
    std::sort(values.begin(), values.end());
    std::printf("preview_max_zoom_rss_mb %.1f MB\n",
                values.empty() ? -1.0 : values[values.size() / 2]);
    std::fflush(stdout);
}

} // namespace quorvane::bench
