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
#include "support/TestDatabase.h"
#include "ui/lookup/Tmain_frm.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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

private:
    bool startServer();
    void stopServer();

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
    folder = std::make_unique<testing::ProgramFolder>(std::vector<IdiomEntry>{
        testing::entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"),
                       QStringLiteral("ā bí dì yù"), QStringLiteral("佛教传说中的地狱。"))});
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
    QVERIFY(window.q_cy->locate(QStringLiteral("成语"), QStringLiteral("阿鼻地狱"), {}));
    PreviewDriver driver(
        [](TPreviewAtOnceForm& preview) { QTest::mouseClick(preview.PrintBtn, Qt::LeftButton); });
    QTest::mouseClick(window.printbtn, Qt::LeftButton);
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
        preview.ComboBox1->setCurrentIndex(int(PrintTypes::Custom));
        Q_EMIT preview.ComboBox1->activated(int(PrintTypes::Custom));
        preview.SpinEdit1->setValue(1);
        preview.SpinEdit2->setValue(1);
        QTest::mouseClick(preview.PrintBtn, Qt::LeftButton);
    });
    QTest::mouseClick(window.printbtn, Qt::LeftButton);
    QCOMPARE(driver.opened, 1);
    QCOMPARE(Script::shownMessages().size(), shownBefore + 1);
    QVERIFY2(Script::shownMessages().last().text.contains(QStringLiteral("太小")),
             qPrintable(Script::shownMessages().last().text));
    QCOMPARE(run(lpstat, jobs), before); // no job reached the queue
}

QTEST_MAIN(TestPrintCups)
#include "tst_printcups.moc"
