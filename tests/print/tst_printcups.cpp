// Printing for real: the engine on QPrinter writing PDF, and the print button through the
// preview to a queue of a private CUPS server whose device is a PDF file.
#include "PreviewDriver.h"
#include "data/AdoQuery.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "platform/QuorvaneError.h"
#include "print/TPrintAtOnce.h"
#include "print/Tprint_frm.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "support/WindowParts.h"
#include "ui/lookup/Tmain_frm.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <csignal>
#include <sys/prctl.h>

using namespace quorvane;
namespace Script = quorvane::Dialogs::Script;

namespace {
const QString kQueue = QStringLiteral("quorvane-pdf");

QString run(const QString& program, const QStringList& arguments, bool* ok = nullptr) {
    QProcess process;
    process.start(program, arguments);
    const bool done = process.waitForFinished(30000) && process.exitCode() == 0;
    if (ok)
        *ok = done;
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool writeFile(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

// A PDF that is complete: pdfinfo reads it.
bool waitForPdf(const QString& path) {
    for (int i = 0; i < 300; ++i) {
        if (QFileInfo(path).size() > 0) {
            bool ok = false;
            run(QStringLiteral("pdfinfo"), {path}, &ok);
            if (ok)
                return true;
        }
        QTest::qWait(100);
    }
    return false;
}

const QString kManyLines = QStringLiteral("千行万语");
const QString kLongSource = QStringLiteral("源远流长");
const QString kRareGlyphs = QStringLiteral("吉星高照");
// 𠮷 lies beyond the BMP and 㐀 is not in AR PL UMing: both come from a fallback face.
const QString kRareText = QStringLiteral("𠮷同吉，㐀同丘。");
const QString kVerse =
    QStringLiteral("春风又绿江南岸明月何时照我还白日依山尽黄河入海流欲穷千里目更上一层楼");

// Chinese only, so no Latin descender reaches the foot of a line, and every line its own.
QString manyLines(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("第%1行").arg(i, 2, 10, QLatin1Char('0')) + kVerse.mid(i % 20, 14);
    return lines.join(u'\n');
}

QString longField(int characters) {
    QString text;
    for (int i = 1; text.size() < characters; ++i)
        text += QStringLiteral("第%1节").arg(i) + kVerse;
    return text.left(characters);
}

std::vector<IdiomEntry> printedRows() {
    std::vector<IdiomEntry> rows = {
        testing::entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"),
                       QStringLiteral("ā bí dì yù"), QStringLiteral("佛教传说中的地狱。")),
        testing::entry(QStringLiteral("qhwy"), kManyLines, QStringLiteral("qiān háng wàn yǔ"),
                       manyLines(57)),
        testing::entry(QStringLiteral("yylc"), kLongSource, QStringLiteral("yuán yuǎn liú cháng"),
                       QStringLiteral("源头很远，流程很长。")),
        testing::entry(QStringLiteral("jxgz"), kRareGlyphs, QStringLiteral("jí xīng gāo zhào"),
                       kRareText)};
    rows[2].text(Column::Source) = longField(1000);
    return rows;
}

QString withoutSpace(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

// The first row, from `top` down, that holds ink; -1 when there is none.
int firstInkedRow(const QImage& page, int top) {
    for (int y = std::max(0, top); y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128)
                return y;
    return -1;
}

// Where pdftotext puts the last word holding `tail`: its page (from 1) and box in points.
struct Placed {
    int page = 0;
    QRectF box;
};
Placed lastPlaced(const QString& bboxHtml, const QString& tail) {
    Placed found;
    int page = 0;
    static const QRegularExpression item(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = item.globalMatch(bboxHtml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        if (m.captured(5).contains(tail))
            found = {page, QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                  QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))};
    }
    return found;
}

// Runs `act` once on the next modal dialog of type T, as soon as it is up.
template <typename T> void onNextModal(QObject* context, std::function<void(T&)> act) {
    auto* poll = new QTimer(context);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, context, [poll, act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
    });
    poll->start();
}

QPushButton* confirmButton(QWidget& dialog) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    return buttons ? buttons->button(QDialogButtonBox::Ok) : nullptr;
}

// The checks every printed idiom passes: one A4 page holding the idiom and its first section.
void checkIdiomPdf(const QString& path) {
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("(A4)")), qPrintable(info));
    const QString text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QVERIFY2(text.contains(QStringLiteral("阿鼻地狱")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("【拼音】ā bí dì yù")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("佛教传说中的地狱")), qPrintable(text));
}
} // namespace

class TestPrintCups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void engineWritesPdf();
    void printButtonThroughCups();
    void paperTooSmallIsRefused_data();
    void paperTooSmallIsRefused();
    void longEntriesOnPaper_data();
    void longEntriesOnPaper();
    void refusedPrintKeepsThePreview_data();
    void refusedPrintKeepsThePreview();
    void printerSetupKeepsThePaper_data();
    void printerSetupKeepsThePaper();

private:
    bool startServer();
    void stopServer();
    // Where the program's temporary files go.
    QString spooled() const { return dir.path() + QStringLiteral("/spooled"); }

    QTemporaryDir dir;
    QProcess cupsd;
    QString socket;
    bool serverUp = false;
    std::unique_ptr<testing::ProgramFolder> folder;
};

bool TestPrintCups::startServer() {
    const QString cupsdPath = QStandardPaths::findExecutable(
        QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    const QString lpadmin = QStandardPaths::findExecutable(
        QStringLiteral("lpadmin"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    if (cupsdPath.isEmpty() || lpadmin.isEmpty())
        return false;
    const QString base = dir.path();
    // Filters run as another user and must reach the spooled files.
    QFile::setPermissions(base, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                    QFile::ExeOther);
    for (const char* sub : {"root", "spool", "cache", "state", "log", "tmp", "out"})
        QDir(base).mkpath(QString::fromLatin1(sub));
    socket = base + QStringLiteral("/cups.sock");
    const QString allowAll = QStringLiteral("  Order allow,deny\n  Allow all\n");
    writeFile(base + QStringLiteral("/cupsd.conf"),
              QStringLiteral("LogLevel warn\nListen %1\nBrowsing No\nWebInterface No\n"
                             "DefaultAuthType None\n<Location />\n%2</Location>\n"
                             "<Location /admin>\n%2</Location>\n<Policy default>\n"
                             "  <Limit All>\n%2  </Limit>\n</Policy>\n")
                  .arg(socket, allowAll));
    writeFile(base + QStringLiteral("/cups-files.conf"),
              QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nCacheDir %1/cache\n"
                             "StateDir %1/state\nTempDir %1/tmp\nAccessLog %1/log/access_log\n"
                             "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\n"
                             "FileDevice Yes\nSandboxing Relaxed\n")
                  .arg(base));
    // The server ends with the test, even when the test itself is killed.
    cupsd.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    cupsd.start(cupsdPath,
                {QStringLiteral("-f"), QStringLiteral("-c"), base + QStringLiteral("/cupsd.conf"),
                 QStringLiteral("-s"), base + QStringLiteral("/cups-files.conf")});
    if (!cupsd.waitForStarted(5000))
        return false;
    for (int i = 0; i < 100 && !QFileInfo::exists(socket); ++i)
        QTest::qWait(50);
    if (!QFileInfo::exists(socket))
        return false;
    serverUp = true;
    bool ok = false;
    run(lpadmin,
        {QStringLiteral("-h"), socket, QStringLiteral("-p"), kQueue, QStringLiteral("-E"),
         QStringLiteral("-v"), QStringLiteral("file://") + base + QStringLiteral("/out/job.pdf"),
         QStringLiteral("-P"), QStringLiteral(QUORVANE_PRINT_TEST_DATA "/quorvane-pdf.ppd")},
        &ok);
    if (ok)
        run(lpadmin, {QStringLiteral("-h"), socket, QStringLiteral("-d"), kQueue}, &ok);
    return ok;
}

void TestPrintCups::stopServer() {
    if (cupsd.state() != QProcess::NotRunning) {
        cupsd.terminate();
        if (!cupsd.waitForFinished(10000)) {
            cupsd.kill();
            cupsd.waitForFinished(5000);
        }
    }
    serverUp = false;
}

void TestPrintCups::initTestCase() {
    QVERIFY(dir.isValid());
    // Before the first printer call: the CUPS library reads the server once.
    const bool started = startServer();
    if (started)
        qputenv("CUPS_SERVER", socket.toLocal8Bit());
    else
        stopServer();
    QVERIFY(QDir(dir.path()).mkpath(spooled()));
    qputenv("TMPDIR", spooled().toLocal8Bit());
    folder = std::make_unique<testing::ProgramFolder>(printedRows());
    qputenv("XDG_CONFIG_HOME", folder->configHome().toLocal8Bit());
    AppPaths::setExecutableFolder(folder->path());
    Script::begin();
}

void TestPrintCups::cleanupTestCase() {
    Script::end();
    stopServer();
    QCOMPARE(cupsd.state(), QProcess::NotRunning);
}

void TestPrintCups::engineWritesPdf() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString pdf = dir.path() + QStringLiteral("/direct.pdf");
    QtPrinter printer(pdf);
    Printer::setCurrent(&printer);
    {
        Tprint_frm window;
        window.fill(testing::entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"),
                                   QStringLiteral("ā bí dì yù"),
                                   QStringLiteral("佛教传说中的地狱。")));
        window.PrintAtOnce1->Print();
        QCOMPARE(window.PrintAtOnce1->ScaleX, printer.pixelsPerInchX() / 96.0);
    }
    Printer::setCurrent(nullptr);
    checkIdiomPdf(pdf);
}

void TestPrintCups::printButtonThroughCups() {
    if (!serverUp)
        QSKIP("cupsd could not be started here");
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    Tmain_frm window;
    QVERIFY(Printer::current().printerNames().contains(kQueue));
    QVERIFY(parts(window).q_cy->locate(QStringLiteral("成语"), QStringLiteral("阿鼻地狱"), {}));
    PreviewDriver driver([](TPreviewAtOnceForm& preview) {
        QTest::mouseClick(testing::part<QToolButton>(preview, "PrintBtn"), Qt::LeftButton);
    });
    QTest::mouseClick(parts(window).printbtn, Qt::LeftButton);
    QCOMPARE(driver.opened, 1);
    const QString pdf = dir.path() + QStringLiteral("/out/job.pdf");
    QVERIFY2(waitForPdf(pdf), "no PDF came out of the queue");
    checkIdiomPdf(pdf);
    QVERIFY(Script::shownMessages().isEmpty());
}

void TestPrintCups::paperTooSmallIsRefused_data() {
    QTest::addColumn<bool>("throughCups");
    QTest::newRow("to a PDF file") << false;
    QTest::newRow("print button, CUPS queue") << true;
}

// A custom paper of 1 × 1 tenth of a millimetre: the error, and no sheet.
void TestPrintCups::paperTooSmallIsRefused() {
    QFETCH(bool, throughCups);
    if (throughCups && !serverUp)
        QSKIP("cupsd could not be started here");
    const qsizetype shownBefore = Script::shownMessages().size();
    if (!throughCups) {
        const QString pdf = dir.path() + QStringLiteral("/tiny.pdf");
        QtPrinter printer(pdf);
        Printer::setCurrent(&printer);
        {
            Tprint_frm window;
            window.fill(testing::entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱")));
            window.PrintAtOnce1->setPaperSize(PrintTypes::Custom);
            window.PrintAtOnce1->setPaperWidth(1);
            window.PrintAtOnce1->setPaperHeight(1);
            try {
                window.PrintAtOnce1->Print();
                QFAIL("a paper too small to hold anything was printed on");
            } catch (const QuorvaneError& error) {
                QVERIFY2(error.message().contains(QStringLiteral("太小")),
                         qPrintable(error.message()));
            }
        }
        Printer::setCurrent(nullptr);
        QVERIFY(!QFileInfo::exists(pdf));
        return;
    }
    const QString lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"));
    if (lpstat.isEmpty())
        QSKIP("lpstat is not installed");
    const QStringList jobs{QStringLiteral("-h"), socket,
                           QStringLiteral("-W"), QStringLiteral("all"),
                           QStringLiteral("-o"), kQueue};
    const QString before = run(lpstat, jobs);
    Tmain_frm window;
    PreviewDriver driver([](TPreviewAtOnceForm& preview) {
        // As a choice in the list: the window reacts to the user's choices only.
        testing::part<QComboBox>(preview, "ComboBox1")->setCurrentIndex(int(PrintTypes::Custom));
        Q_EMIT testing::part<QComboBox>(preview, "ComboBox1")->activated(int(PrintTypes::Custom));
        testing::part<QSpinBox>(preview, "SpinEdit1")->setValue(1);
        testing::part<QSpinBox>(preview, "SpinEdit2")->setValue(1);
        QTest::mouseClick(testing::part<QToolButton>(preview, "PrintBtn"), Qt::LeftButton);
    });
    QTest::mouseClick(parts(window).printbtn, Qt::LeftButton);
    QCOMPARE(driver.opened, 1);
    QCOMPARE(Script::shownMessages().size(), shownBefore + 1);
    QVERIFY2(Script::shownMessages().last().text.contains(QStringLiteral("太小")),
             qPrintable(Script::shownMessages().last().text));
    QCOMPARE(run(lpstat, jobs), before); // no job reached the queue
}

void TestPrintCups::longEntriesOnPaper_data() {
    QTest::addColumn<QString>("idiom");
    QTest::addColumn<QStringList>("printed"); // lines that must all reach the paper
    QTest::addColumn<int>("dpi");
    const QStringList lines = manyLines(57).split(u'\n');
    for (const int dpi : {300, 600}) {
        QTest::addRow("60 lines at %d dpi", dpi) << kManyLines << lines << dpi;
        QTest::addRow("1000-character source at %d dpi", dpi)
            << kLongSource << QStringList{longField(1000)} << dpi;
    }
    QTest::newRow("fallback faces at 300 dpi") << kRareGlyphs << QStringList{kRareText} << 300;
}

// Through the preview's print button to the queue: the paper has the preview's pages, every
// line of the entry (searchable, whatever face drew it), and no line cut at the foot of the
// page.
void TestPrintCups::longEntriesOnPaper() {
    if (!serverUp)
        QSKIP("cupsd could not be started here");
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");
    QFETCH(QString, idiom);
    QFETCH(QStringList, printed);
    QFETCH(int, dpi);
    QtPrinter printer;
    QVERIFY(printer.pixelsPerInchX() > 0); // the queue is chosen
    printer.qprinter()->setResolution(dpi);
    QCOMPARE(printer.pixelsPerInchY(), dpi);
    Printer::setCurrent(&printer);
    const QString pdf = dir.path() + QStringLiteral("/out/job.pdf");
    QFile::remove(pdf);
    int previewPages = 0;
    {
        Tmain_frm window;
        QVERIFY(parts(window).q_cy->locate(QStringLiteral("成语"), idiom, {}));
        PreviewDriver driver([&](TPreviewAtOnceForm& preview) {
            previewPages = int(preview.pages().size());
            QTest::mouseClick(testing::part<QToolButton>(preview, "PrintBtn"), Qt::LeftButton);
        });
        QTest::mouseClick(parts(window).printbtn, Qt::LeftButton);
        QCOMPARE(driver.opened, 1);
    }
    Printer::setCurrent(nullptr);
    QVERIFY2(waitForPdf(pdf), "no PDF came out of the queue");

    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(previewPages))),
             qPrintable(QStringLiteral("preview %1 pages, paper: %2").arg(previewPages).arg(info)));
    const QString firstPage =
        withoutSpace(run(QStringLiteral("pdftotext"),
                         {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                          QStringLiteral("1"), pdf, QStringLiteral("-")}));
    QVERIFY2(firstPage.contains(idiom) && firstPage.contains(QStringLiteral("【拼音】")),
             qPrintable(firstPage));
    const QString text = withoutSpace(run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}));
    for (const QString& line : printed)
        QVERIFY2(text.contains(withoutSpace(line)), qPrintable(line));
    // Text in a PDF can be there and still be clipped away: the last line must have ink in
    // the lower half of its box, where a line cut in half has none.
    const Placed last = lastPlaced(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}),
        printed.last().right(2));
    QVERIFY2(last.page > 0, "the last line is not in the PDF");

    // At 96 dpi the bottom margin is the last 20 rows: it and the row above it stay blank,
    // where a line cut at the margin leaves the stumps of its characters.
    const QString prefix = dir.path() + QStringLiteral("/page");
    bool rendered = false;
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"), pdf, prefix},
        &rendered);
    QVERIFY(rendered);
    for (int p = 1; p <= previewPages; ++p) {
        const QString file =
            previewPages < 10
                ? QStringLiteral("%1-%2.png").arg(prefix).arg(p)
                : QStringLiteral("%1-%2.png").arg(prefix).arg(p, 2, 10, QLatin1Char('0'));
        const QImage page(file);
        QVERIFY2(!page.isNull(), qPrintable(file));
        QVERIFY(firstInkedRow(page, 0) >= 0);
        if (p == last.page) {
            const double k = 96.0 / 72.0;
            int inked = 0;
            for (int y = int(last.box.center().y() * k); y < int(last.box.bottom() * k); ++y)
                for (int x = int(last.box.left() * k); x < int(last.box.right() * k); ++x)
                    inked += qGray(page.pixel(x, y)) < 128;
            QVERIFY2(inked > 10, qPrintable(QStringLiteral("page %1: the last line shows %2 "
                                                           "inked pixels in its lower half")
                                                .arg(p)
                                                .arg(inked)));
        }
        const int band = page.height() - 20 - 1;
        QVERIFY2(firstInkedRow(page, band) < 0,
                 qPrintable(QStringLiteral("page %1: ink at row %2 of %3")
                                .arg(p)
                                .arg(firstInkedRow(page, band))
                                .arg(page.height())));
        QFile::remove(file);
    }
}

void TestPrintCups::refusedPrintKeepsThePreview_data() {
    QTest::addColumn<QString>("command"); // what takes the queue out of service, if anything
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("restore");
    QTest::newRow("queue rejecting")
        << QStringLiteral("cupsreject") << QStringLiteral("不接受打印作业")
        << QStringLiteral("cupsaccept");
    QTest::newRow("queue stopped") << QStringLiteral("cupsdisable") << QStringLiteral("已停用")
                                   << QStringLiteral("cupsenable");
    QTest::newRow("server down") << QString() << QStringLiteral("无法连接打印服务") << QString();
    // The queue takes jobs, but not this one: more copies than the server allows.
    QTest::newRow("job refused") << QStringLiteral("copies") << QStringLiteral("没有接受打印作业")
                                 << QString();
}

// A print CUPS would not take is an error the user sees, the preview stays open to try
// again, nothing waits in the queue, and no spooled file is left behind.
void TestPrintCups::refusedPrintKeepsThePreview() {
    if (!serverUp)
        QSKIP("cupsd could not be started here");
    QFETCH(QString, command);
    QFETCH(QString, message);
    QFETCH(QString, restore);
    const auto admin = [this](const QString& tool) {
        bool ok = false;
        run(QStandardPaths::findExecutable(
                tool, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")}),
            {QStringLiteral("-h"), socket, kQueue}, &ok);
        return ok;
    };
    Tmain_frm window;
    QVERIFY(parts(window).q_cy->locate(QStringLiteral("成语"), QStringLiteral("阿鼻地狱"), {}));
    const qsizetype shown = Script::shownMessages().size();
    bool stillOpen = false;
    bool outOfService = false;
    // The queue goes out of service while the preview is open.
    const auto setCopies = [](int copies) {
        auto* printer = dynamic_cast<QtPrinter*>(&Printer::current());
        if (!printer || !printer->qprinter())
            return false;
        printer->qprinter()->setCopyCount(copies);
        return true;
    };
    PreviewDriver driver([&](TPreviewAtOnceForm& preview) {
        if (command.isEmpty())
            stopServer();
        if (command == u"copies")
            outOfService = setCopies(20000);
        else
            outOfService = command.isEmpty() || admin(command);
        QTest::mouseClick(testing::part<QToolButton>(preview, "PrintBtn"), Qt::LeftButton);
        stillOpen = preview.isVisible();
    });
    QTest::mouseClick(parts(window).printbtn, Qt::LeftButton);
    QCOMPARE(driver.opened, 1);
    QVERIFY(outOfService);
    QVERIFY(stillOpen);
    QCOMPARE(Script::shownMessages().size(), shown + 1);
    QVERIFY2(Script::shownMessages().last().text.contains(message),
             qPrintable(Script::shownMessages().last().text));
    QVERIFY(QDir(spooled()).entryList(QDir::Files).isEmpty());
    if (command.isEmpty()) {
        QVERIFY(startServer());
        return;
    }
    if (command == u"copies")
        QVERIFY(setCopies(1));
    else
        QVERIFY(admin(restore));
    const QString queued =
        run(QStringLiteral("lpstat"), {QStringLiteral("-h"), socket, QStringLiteral("-o"), kQueue});
    QVERIFY2(queued.trimmed().isEmpty(), qPrintable(queued));
}

void TestPrintCups::printerSetupKeepsThePaper_data() {
    QTest::addColumn<QString>("picked"); // the paper the user picks in the dialog, if any
    QTest::addColumn<int>("index");
    QTest::addColumn<QSize>("shown");
    // The preview is on A5; the queue's own paper is A4.
    QTest::newRow("confirmed untouched") << QString() << 5 << QSize(1480, 2100);
    QTest::newRow("Letter picked there") << QStringLiteral("Letter") << 0 << QSize(2150, 2790);
}

// The system's setup dialog, in the words of this program, leaves the paper alone unless
// the user picks another one in it.
void TestPrintCups::printerSetupKeepsThePaper() {
    if (!serverUp)
        QSKIP("cupsd could not be started here");
    QFETCH(QString, picked);
    QFETCH(int, index);
    QFETCH(QSize, shown);
    QtPrinter printer;
    Printer::setCurrent(&printer);
    Tmain_frm window;
    QVERIFY(parts(window).q_cy->locate(QStringLiteral("成语"), QStringLiteral("阿鼻地狱"), {}));
    QString title;
    QString confirm;
    int shownIndex = -1;
    QSize shownSize;
    PreviewDriver driver([&](TPreviewAtOnceForm& preview) {
        testing::part<QComboBox>(preview, "ComboBox1")->setCurrentIndex(5);
        Q_EMIT testing::part<QComboBox>(preview, "ComboBox1")->activated(5);
        onNextModal<QPrintDialog>(&preview, [&](QPrintDialog& dialog) {
            title = dialog.windowTitle();
            confirm = confirmButton(dialog) ? confirmButton(dialog)->text() : QString();
            if (!picked.isEmpty()) {
                onNextModal<QDialog>(&dialog, [&](QDialog& properties) {
                    if (auto* sizes =
                            properties.findChild<QComboBox*>(QStringLiteral("pageSizeCombo"))) {
                        sizes->setFocus();
                        QTest::keyClicks(sizes, picked);
                    }
                    QTest::mouseClick(confirmButton(properties), Qt::LeftButton);
                });
                QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("properties")),
                                  Qt::LeftButton);
            }
            QTest::mouseClick(confirmButton(dialog), Qt::LeftButton);
        });
        QTest::mouseClick(testing::part<QToolButton>(preview, "PrinterSetupBtn"), Qt::LeftButton);
        shownIndex = testing::part<QComboBox>(preview, "ComboBox1")->currentIndex();
        shownSize = QSize(testing::part<QSpinBox>(preview, "SpinEdit1")->value(),
                          testing::part<QSpinBox>(preview, "SpinEdit2")->value());
    });
    QTest::mouseClick(parts(window).printbtn, Qt::LeftButton);
    Printer::setCurrent(nullptr);
    QCOMPARE(driver.opened, 1);
    QCOMPARE(title, QStringLiteral("打印设置"));
    QCOMPARE(confirm, QStringLiteral("确定"));
    QCOMPARE(shownIndex, index);
    QCOMPARE(shownSize, shown);
}

QTEST_MAIN(TestPrintCups)
#include "tst_printcups.moc"
