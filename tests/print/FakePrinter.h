#pragma once

#include "platform/Printer.h"

#include <QImage>
#include <QList>
#include <QPainter>

#include <memory>

namespace quorvane {

// A printer for tests: pages are images at the printer's resolution, and every document,
// page and paper call is recorded.
class FakePrinter : public Printer {
public:
    FakePrinter(int ppi = 600, QSize pagePx = QSize(1250, 1800), QSize pageMm = QSize(53, 76));
    ~FakePrinter() override;

    QStringList names{QStringLiteral("Fake")};
    QStringList log;
    QList<QImage> pages;
    int ppi;
    QSize pagePx;
    QSize pageMm;
    bool hasSettings = true;
    std::optional<QPageSize> paper = QPageSize(QPageSize::Letter);
    bool setupAnswer = false;
    // The paper the user picks in the setup dialog, if any; the words it was shown with.
    std::optional<QPageSize> setupPaper;
    SetupDialogText setupText;
    // The page number whose start fails, or 0.
    int failAtPage = 0;

    QStringList printerNames() const override { return names; }
    int pixelsPerInchX() const override { return ppi; }
    int pixelsPerInchY() const override { return ppi; }
    QSize pageSizePx() const override { return pagePx; }
    QSize pageSizeMm() const override { return pageMm; }
    QPainter& beginDoc(const QString& title) override;
    QPainter& newPage() override;
    void endDoc() override;
    void abortDoc() override;
    bool printing() const override { return m_painter != nullptr; }
    std::optional<QPageSize> paperSize() const override {
        return hasSettings ? paper : std::nullopt;
    }
    void setPaperSize(const QPageSize& size) override;
    bool setupDialog(QWidget*, const SetupDialogText& text) override;

private:
    void startPage();
    std::unique_ptr<QPainter> m_painter;
};

// Installs a fake printer for the life of the object.
struct FakePrinterScope {
    FakePrinter printer;
    template <typename... A> explicit FakePrinterScope(A... args) : printer(args...) {
        Printer::setCurrent(&printer);
    }
    ~FakePrinterScope() { Printer::setCurrent(nullptr); }
};

} // namespace quorvane
