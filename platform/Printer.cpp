#include "platform/Printer.h"

#include "platform/CupsQueue.h"
#include "platform/PdfTextMender.h"
#include "platform/PrintedText.h"
#include "platform/QuorvaneError.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryFile>

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

namespace {
// Qt's CUPS engine keeps the choices made in the printer's Properties dialog under this key
// of its print engine, as name, value, name, value, ...
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The job options that say what the printer's settings say: the paper, copies, sides, and
// what the user chose in the Properties dialog last.
CupsQueue::JobOptions jobOptions(QPrinter& printer) {
    CupsQueue::JobOptions options;
    const auto add = [&options](const QByteArray& name, const QByteArray& value) {
        options.append({name, value});
    };
    add("media", printer.pageLayout().pageSize().key().toUtf8());
    add("copies", QByteArray::number(std::max(1, printer.copyCount())));
    add("Collate", printer.collateCopies() ? "true" : "false");
    const bool landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    QByteArray sides = "one-sided";
    if (printer.duplex() == QPrinter::DuplexLongSide ||
        (printer.duplex() == QPrinter::DuplexAuto && !landscape))
        sides = "two-sided-long-edge";
    else if (printer.duplex() == QPrinter::DuplexShortSide ||
             (printer.duplex() == QPrinter::DuplexAuto && landscape))
        sides = "two-sided-short-edge";
    add("sides", sides);
    // The file's pages are turned already; the queue must not turn them again.
    if (landscape)
        add("landscape", "false");
    const QStringList chosen = printer.printEngine()->property(kCupsOptions).toStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        add(chosen[i].toUtf8(), chosen[i + 1].toUtf8());
    return options;
}
} // namespace

QPrinter& QtPrinter::document() const {
    return m_spoolPrinter ? *m_spoolPrinter : printer();
}

QPainter& QtPrinter::beginDoc(const QString& title) {
    if (m_printing)
        throw QuorvaneError(QStringLiteral("打印机正在打印。"));
    QPrinter& target = printer();
    // A queue, unless the file was given or chosen in the setup dialog.
    const bool queue = target.outputFormat() == QPrinter::NativeFormat;
    if (queue ? target.printerName().isEmpty() : target.outputFileName().isEmpty())
        throw QuorvaneError(QStringLiteral("没有可用的打印机。"));
    if (queue) {
        if (!CupsQueue::available())
            throw QuorvaneError(QStringLiteral("找不到打印服务（CUPS），无法打印。"));
        // Ask the queue first: a refused job should not be drawn at all.
        const QString refusal = CupsQueue::refusal(target.printerName());
        if (!refusal.isEmpty())
            throw QuorvaneError(refusal);
        m_spool = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                   QStringLiteral("/quorvane-XXXXXX.pdf"));
        if (!m_spool->open()) {
            const QString why = m_spool->errorString();
            m_spool.reset();
            throw QuorvaneError(QStringLiteral("无法建立打印文件：%1").arg(why));
        }
        m_spool->close();
        // The same page at the same resolution: what was laid out for the queue's printer.
        m_spoolPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_spoolPrinter->setOutputFormat(QPrinter::PdfFormat);
        m_spoolPrinter->setOutputFileName(m_spool->fileName());
        m_spoolPrinter->setResolution(target.resolution());
        m_spoolPrinter->setFullPage(target.fullPage());
        m_spoolPrinter->setPageLayout(target.pageLayout());
        m_spoolPrinter->setColorMode(target.colorMode());
        m_spoolPrinter->setCreator(target.creator());
    }
    m_title = title;
    QPrinter& device = document();
    device.setDocName(title);
    m_drawn = std::make_unique<PrintedText>(&device);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(&device)) {
        m_painter.reset();
        finishDocument();
        throw QuorvaneError(QStringLiteral("打印机“%1”无法开始打印。")
                                .arg(queue ? target.printerName() : target.outputFileName()));
    }
    m_printing = true;
    return *m_painter;
}

QPainter& QtPrinter::newPage() {
    if (!m_printing || !document().newPage())
        throw QuorvaneError(QStringLiteral("打印机无法开始新的一页。"));
    return *m_painter;
}

// A queue's spooled file goes, whatever became of the job; a file given stays.
void QtPrinter::finishDocument() {
    m_drawn.reset();
    m_spoolPrinter.reset();
    m_spool.reset();
}

void QtPrinter::endDoc() {
    if (!m_printing)
        return;
    m_printing = false;
    const bool ended = m_painter->end();
    m_painter.reset();
    struct Finish {
        QtPrinter& printer;
        ~Finish() { printer.finishDocument(); }
    } finish{*this};
    if (!ended)
        throw QuorvaneError(QStringLiteral("打印作业无法完成。"));
    PdfTextMender::mend(document().outputFileName(), *m_drawn);
    if (!m_spool)
        return;
    QPrinter& target = printer();
    const QString failure = CupsQueue::printFile(target.printerName(), m_spool->fileName(), m_title,
                                                 jobOptions(target));
    if (!failure.isEmpty())
        throw QuorvaneError(QStringLiteral("打印机“%1”没有接受打印作业，没有打印：%2")
                                .arg(target.printerName(), failure));
}

void QtPrinter::abortDoc() {
    if (!m_printing)
        return;
    m_printing = false;
    QPrinter& device = document();
    device.abort();
    m_painter->end();
    m_painter.reset();
    // A PDF engine cannot be aborted: the half-written file goes instead.
    if (!m_spool)
        QFile::remove(device.outputFileName());
    finishDocument();
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
