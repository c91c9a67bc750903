#pragma once

#include <QPageSize>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QPainter;
class QPrinter;
class QTemporaryFile;
class QWidget;

namespace quorvane {

class PrintedText;

// The words the printer setup dialog shows: its title and its confirm button.
struct SetupDialogText {
    QString title;
    QString confirm;
};

// The system printer as the printing code sees it: the installed printers, the current
// printer's resolution and page, its paper and a document made of pages. Failures raise
// QuorvaneError.
class Printer {
public:
    virtual ~Printer();

    // Names of the installed printers.
    virtual QStringList printerNames() const = 0;
    // Pixels per inch of the current printer.
    virtual int pixelsPerInchX() const = 0;
    virtual int pixelsPerInchY() const = 0;
    // The printable page in device pixels (HORZRES, VERTRES).
    virtual QSize pageSizePx() const = 0;
    // The printable page in millimetres (HORZSIZE, VERTSIZE).
    virtual QSize pageSizeMm() const = 0;

    // Starts a document and returns the painter of its first page.
    virtual QPainter& beginDoc(const QString& title) = 0;
    // Ends the current page and starts the next; the painter may change.
    virtual QPainter& newPage() = 0;
    virtual void endDoc() = 0;
    // Throws the document away; nothing reaches the printer.
    virtual void abortDoc() = 0;
    virtual bool printing() const = 0;

    // The current paper, or nothing when the printer has no device settings.
    virtual std::optional<QPageSize> paperSize() const = 0;
    // A driver that refuses the size keeps the one in force; nothing is reported.
    virtual void setPaperSize(const QPageSize& size) = 0;

    // The system's printer setup dialog; true when the user confirmed. The paper stays as it
    // was unless the user chose another one there.
    virtual bool setupDialog(QWidget* owner, const SetupDialogText& text) = 0;

    // The printer the program prints on: the Qt printer unless a test installed another.
    static Printer& current();
    // Installs `printer` (not owned) in place of the Qt printer; null goes back to it.
    static void setCurrent(Printer* printer);
};

// The paper form the printing engine registers for named and custom sizes.
QPageSize userPaperForm(int widthTenthMm, int heightTenthMm);

// The real printer: QPrinter over CUPS, or a PDF file when `pdfFile` is given. Every document
// is written as a PDF file, given searchable text for what Qt leaves mute, and a CUPS queue's
// document is then handed to the queue from that file.
class QtPrinter : public Printer {
public:
    explicit QtPrinter(const QString& pdfFile = QString());
    ~QtPrinter() override;

    QStringList printerNames() const override;
    int pixelsPerInchX() const override;
    int pixelsPerInchY() const override;
    QSize pageSizePx() const override;
    QSize pageSizeMm() const override;
    QPainter& beginDoc(const QString& title) override;
    QPainter& newPage() override;
    void endDoc() override;
    void abortDoc() override;
    bool printing() const override { return m_printing; }
    std::optional<QPageSize> paperSize() const override;
    void setPaperSize(const QPageSize& size) override;
    bool setupDialog(QWidget* owner, const SetupDialogText& text) override;

    QPrinter* qprinter() const { return m_printer.get(); }

private:
    // The current printer, chosen the first time it is needed: the user's default.
    QPrinter& printer() const;
    // What the document is drawn on: the spool's writer for a queue, else the printer.
    QPrinter& document() const;
    // Lets go of the document's writer, its record and a queue's spooled file.
    void finishDocument();

    QString m_pdfFile;
    mutable std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    bool m_printing = false;
    // For a CUPS queue: the file the document is written to, and its writer.
    std::unique_ptr<QTemporaryFile> m_spool;
    std::unique_ptr<QPrinter> m_spoolPrinter;
    // What the job drew that the file may need to be told.
    std::unique_ptr<PrintedText> m_drawn;
    QString m_title;
};

} // namespace quorvane
