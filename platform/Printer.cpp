#include "platform/Printer.h"

#include "platform/QuorvaneError.h"

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

namespace quorvane {

namespace {
Printer* g_installed = nullptr;
} // namespace

Printer::~Printer() = default;

Printer& Printer::current() {
    if (g_installed)
        return *g_installed;
    static QtPrinter system;
    return system;
}

void Printer::setCurrent(Printer* printer) {
    g_installed = printer;
}

QPageSize userPaperForm(int widthTenthMm, int heightTenthMm) {
    return QPageSize(QSizeF(widthTenthMm / 10.0, heightTenthMm / 10.0), QPageSize::Millimeter,
                     QStringLiteral("PrintAtOnce Defined"), QPageSize::ExactMatch);
}

QtPrinter::QtPrinter(const QString& pdfFile) : m_pdfFile(pdfFile) {}

QtPrinter::~QtPrinter() {
    if (m_printing)
        abortDoc();
}

QPrinter& QtPrinter::printer() const {
    if (!m_printer) {
        if (m_pdfFile.isEmpty()) {
            m_printer = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(),
                                                   QPrinter::HighResolution);
            if (m_printer->printerName().isEmpty()) {
                const QStringList names = QPrinterInfo::availablePrinterNames();
                if (!names.isEmpty())
                    m_printer->setPrinterName(names.first());
            }
        } else {
            m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            m_printer->setOutputFormat(QPrinter::PdfFormat);
            m_printer->setOutputFileName(m_pdfFile);
        }
        // The page is the whole sheet, as the platform's printable page is.
        m_printer->setFullPage(true);
        m_printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }
    return *m_printer;
}

QStringList QtPrinter::printerNames() const {
    if (!m_pdfFile.isEmpty())
        return {QStringLiteral("PDF")};
    return QPrinterInfo::availablePrinterNames();
}

int QtPrinter::pixelsPerInchX() const {
    return printer().logicalDpiX();
}

int QtPrinter::pixelsPerInchY() const {
    return printer().logicalDpiY();
}

QSize QtPrinter::pageSizePx() const {
    return printer().pageLayout().paintRectPixels(printer().resolution()).size();
}

QSize QtPrinter::pageSizeMm() const {
    const QRectF mm = printer().pageLayout().paintRect(QPageLayout::Millimeter);
    return {int(mm.width()), int(mm.height())};
}

QPainter& QtPrinter::beginDoc(const QString& title) {
    if (m_printing)
        throw QuorvaneError(QStringLiteral("打印机正在打印。"));
    QPrinter& target = printer();
    if (m_pdfFile.isEmpty() && target.printerName().isEmpty())
        throw QuorvaneError(QStringLiteral("没有可用的打印机。"));
    target.setDocName(title);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(&target)) {
        m_painter.reset();
        throw QuorvaneError(QStringLiteral("打印机“%1”无法开始打印。")
                                .arg(m_pdfFile.isEmpty() ? target.printerName() : m_pdfFile));
    }
    m_printing = true;
    return *m_painter;
}

QPainter& QtPrinter::newPage() {
    if (!m_printing || !printer().newPage())
        throw QuorvaneError(QStringLiteral("打印机无法开始新的一页。"));
    return *m_painter;
}

void QtPrinter::endDoc() {
    if (!m_printing)
        return;
    m_printing = false;
    const bool ended = m_painter->end();
    m_painter.reset();
    if (!ended)
        throw QuorvaneError(QStringLiteral("打印作业无法完成。"));
}

void QtPrinter::abortDoc() {
    if (!m_printing)
        return;
    m_printing = false;
    printer().abort();
    m_painter->end();
    m_painter.reset();
    // A PDF engine cannot be aborted: the half-written file goes instead.
    if (!m_pdfFile.isEmpty())
        QFile::remove(m_pdfFile);
}

std::optional<QPageSize> QtPrinter::paperSize() const {
    if (m_pdfFile.isEmpty() && printer().printerName().isEmpty())
        return std::nullopt;
    return printer().pageLayout().pageSize();
}

void QtPrinter::setPaperSize(const QPageSize& size) {
    if (m_printing || (m_pdfFile.isEmpty() && printer().printerName().isEmpty()))
        return;
    printer().setPageSize(size);
}

bool QtPrinter::setupDialog(QWidget* owner) {
    QPrintDialog dialog(&printer(), owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace quorvane
