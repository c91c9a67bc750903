#include "FakePrinter.h"

#include "platform/QuorvaneError.h"

#include <cmath>

namespace quorvane {

FakePrinter::FakePrinter(int ppi_, QSize pagePx_, QSize pageMm_)
    : ppi(ppi_), pagePx(pagePx_), pageMm(pageMm_) {}

FakePrinter::~FakePrinter() {
    m_painter.reset();
}

void FakePrinter::startPage() {
    if (failAtPage == int(pages.size()) + 1)
        throw QuorvaneError(QStringLiteral("printer out of paper"));
    m_painter.reset();
    QImage page(pagePx, QImage::Format_RGB32);
    page.fill(Qt::white);
    const int dpm = int(std::lround(ppi / 0.0254));
    page.setDotsPerMeterX(dpm);
    page.setDotsPerMeterY(dpm);
    pages << std::move(page);
    m_painter = std::make_unique<QPainter>(&pages.last());
}

QPainter& FakePrinter::beginDoc(const QString& title) {
    log << QStringLiteral("begin ") + title;
    pages.clear();
    startPage();
    return *m_painter;
}

QPainter& FakePrinter::newPage() {
    log << QStringLiteral("page");
    startPage();
    return *m_painter;
}

void FakePrinter::endDoc() {
    log << QStringLiteral("end");
    m_painter.reset();
}

void FakePrinter::abortDoc() {
    log << QStringLiteral("abort");
    m_painter.reset();
}

void FakePrinter::setPaperSize(const QPageSize& size) {
    const QSizeF mm = size.size(QPageSize::Millimeter);
    log << QStringLiteral("paper %1 %2x%3").arg(size.name()).arg(mm.width()).arg(mm.height());
    paper = size;
}

bool FakePrinter::setupDialog(QWidget*, const SetupDialogText& text) {
    log << QStringLiteral("setup");
    setupText = text;
    if (setupAnswer && setupPaper)
        setPaperSize(*setupPaper);
    return setupAnswer;
}

} // namespace quorvane
