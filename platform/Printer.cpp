#include "platform/Printer.h"

#include "platform/CupsQueue.h"
#include "platform/QuorvaneError.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

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
    // Qt hands the finished document to CUPS and keeps quiet when CUPS refuses it: ask the
    // queue first, and afterwards what CUPS said to the document.
    m_cups = m_pdfFile.isEmpty() && target.outputFormat() == QPrinter::NativeFormat &&
             CupsQueue::available();
    if (m_cups) {
        const QString refusal = CupsQueue::refusal(target.printerName());
        if (!refusal.isEmpty())
            throw QuorvaneError(refusal);
    }
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
    if (m_cups) {
        const QString failure = CupsQueue::lastFailure();
        if (!failure.isEmpty())
            throw QuorvaneError(QStringLiteral("打印机“%1”没有接受打印作业，没有打印：%2")
                                    .arg(printer().printerName(), failure));
    }
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

namespace {
// Watches a print dialog for the user's own choice of paper or printer, and gives the
// dialog and its confirm button the caller's words. The dialog shows the queue's default
// paper rather than the printer's, so an untouched dialog must not count as a choice.
class SetupWatch : public QObject {
public:
    SetupWatch(QPrintDialog& dialog, const SetupDialogText& text) : m_dialog(dialog), m_text(text) {
        label();
        qApp->installEventFilter(this);
    }
    ~SetupWatch() override { qApp->removeEventFilter(this); }
    bool chosen() const { return m_chosen; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Show)
            return false;
        if (object == &m_dialog)
            label();
        // The paper list lives in a properties dialog made when it is first wanted.
        for (auto* combo : m_dialog.findChildren<QComboBox*>()) {
            const QString name = combo->objectName();
            if ((name == u"pageSizeCombo" || name == u"printers") && !m_watched.contains(combo)) {
                m_watched << combo;
                connect(combo, &QComboBox::activated, this, [this] { m_chosen = true; });
            }
        }
        return false;
    }

private:
    void label() {
        if (!m_text.title.isEmpty())
            m_dialog.setWindowTitle(m_text.title);
        if (m_text.confirm.isEmpty())
            return;
        for (auto* buttons : m_dialog.findChildren<QDialogButtonBox*>())
            if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
                ok->setText(m_text.confirm);
    }

    QPrintDialog& m_dialog;
    SetupDialogText m_text;
    QList<QPointer<QComboBox>> m_watched;
    bool m_chosen = false;
};
} // namespace

bool QtPrinter::setupDialog(QWidget* owner, const SetupDialogText& text) {
    QPrinter& target = printer();
    const QPageLayout kept = target.pageLayout();
    QPrintDialog dialog(&target, owner);
    SetupWatch watch(dialog, text);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // The paper set before stays unless the user chose another paper or printer there.
    if (!watch.chosen())
        target.setPageLayout(kept);
    return true;
}

} // namespace quorvane
