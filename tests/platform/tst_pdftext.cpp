// The PDF a print job writes, read back as a reader reads it: every character drawn comes
// back from pdftotext, whatever face drew it, and a file with nothing to mend stays as it is.
#include "platform/Canvas.h"
#include "platform/FontFaces.h"
#include "platform/PdfTextMender.h"
#include "platform/PrintedText.h"
#include "platform/QuorvaneError.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>

using namespace quorvane;

namespace {
QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString textOf(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}
} // namespace

class TestPdfText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void drawnTextComesBack_data();
    void drawnTextComesBack();
    void unreadableFileIsAnError();

private:
    QTemporaryDir dir;
};

void TestPdfText::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    FontFaces::installSubstitutions();
}

void TestPdfText::drawnTextComesBack_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mends"); // how often the file is mended
    QTest::addColumn<bool>("changed");
    // 𠮷 is in HanaMinA, 𪚥 and 𠀀 only in HanaMinB: two fallback faces in one line.
    QTest::newRow("宋体 and two fallback faces")
        << QStringLiteral("宋体") << QStringLiteral("吉𠮷，𪚥𠀀书法") << 1 << true;
    QTest::newRow("楷体 and a fallback face")
        << QStringLiteral("楷体_GB2312") << QStringLiteral("吉星𠮷照") << 1 << true;
    QTest::newRow("mended twice") << QStringLiteral("宋体") << QStringLiteral("𠮷𠀀") << 2 << true;
    QTest::newRow("nothing to mend")
        << QStringLiteral("宋体") << QStringLiteral("阿鼻地狱") << 1 << false;
}

void TestPdfText::drawnTextComesBack() {
    QFETCH(QString, face);
    QFETCH(QString, text);
    QFETCH(int, mends);
    QFETCH(bool, changed);
    const QString path =
        dir.filePath(QString::fromUtf8(QTest::currentDataTag()) + QStringLiteral(".pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    PrintedText drawn(&printer);
    {
        QPainter painter(&printer);
        Canvas canvas(painter);
        LogFont font;
        font.faceName = face;
        font.height = -200;
        canvas.setFont(font);
        QRect box(200, 200, 4000, 400);
        canvas.drawText(text, box, 0);
    }
    const QByteArray written = bytesOf(path);
    for (int i = 0; i < mends; ++i)
        PdfTextMender::mend(path, drawn);
    QCOMPARE(bytesOf(path) != written, changed);
    QCOMPARE(textOf(path), text);
}

void TestPdfText::unreadableFileIsAnError() {
    PrintedText drawn(nullptr);
    QTextLayout layout(QStringLiteral("𠮷"));
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    drawn.note(layout, QStringLiteral("𠮷"));
    QVERIFY(!drawn.glyphs().empty());
    QVERIFY_THROWS_EXCEPTION(
        QuorvaneError, PdfTextMender::mend(dir.filePath(QStringLiteral("missing.pdf")), drawn));
}

QTEST_MAIN(TestPdfText)
#include "tst_pdftext.moc"
