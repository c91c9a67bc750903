// The print button of the lookup window, through the print window and its preview, on a
// recording printer.
#include "FakePrinter.h"
#include "PreviewDriver.h"
#include "data/AdoQuery.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/RichEdit.h"
#include "print/ControlTree.h"
#include "print/PreviewPage.h"
#include "print/TPrintAtOnce.h"
#include "print/Tprint_frm.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "support/WindowParts.h"
#include "ui/lookup/Tmain_frm.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using namespace quorvane;
namespace Script = quorvane::Dialogs::Script;

namespace {
const QString kLongAllusion = QString(QStringLiteral("典故很长的一句话，")).repeated(200);

std::vector<IdiomEntry> rows() {
    std::vector<IdiomEntry> rows = {
        testing::entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"),
                       QStringLiteral("ā bí dì yù"), QStringLiteral("佛教传说中的地狱。")),
        testing::entry(QStringLiteral("bfbz"), QStringLiteral("百发百中")),
        testing::entry(QStringLiteral("chst"), QStringLiteral("沧海桑田"),
                       QStringLiteral("cāng hǎi sāng tián"))};
    rows[2].text(Column::Allusion) = kLongAllusion;
    return rows;
}

struct Captured {
    QString idiom;
    QString text;
    int pages = 0;
    bool locked = false;
    QString caption;
};
} // namespace

class TestPrintJob : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void withoutPrinterOnlyTheMessage();
    void previewShowsTheCurrentIdiom();
    void twoPrintsInARow();
    void printButtonPrintsOnePage();
    void longEntryKeepsEveryWord();

private:
    void clickPrint() { QTest::mouseClick(parts(*window).printbtn, Qt::LeftButton); }
    void moveTo(const QString& idiom) {
        QVERIFY(parts(*window).q_cy->locate(QStringLiteral("成语"), idiom, {}));
    }

    std::unique_ptr<testing::ProgramFolder> folder;
    std::unique_ptr<Tmain_frm> window;
    std::unique_ptr<FakePrinterScope> scope;
};

void TestPrintJob::initTestCase() {
    folder = std::make_unique<testing::ProgramFolder>(rows());
    qputenv("XDG_CONFIG_HOME", folder->configHome().toLocal8Bit());
    AppPaths::setExecutableFolder(folder->path());
    Script::begin();
    window = std::make_unique<Tmain_frm>();
    scope = std::make_unique<FakePrinterScope>(96, QSize(794, 1123), QSize(210, 297));
}

void TestPrintJob::cleanupTestCase() {
    window.reset();
    scope.reset();
    Script::end();
}

void TestPrintJob::init() {
    scope->printer.log.clear();
    scope->printer.names = {QStringLiteral("Fake")};
}

void TestPrintJob::withoutPrinterOnlyTheMessage() {
    scope->printer.names.clear();
    const qsizetype shown = Script::shownMessages().size();
    PreviewDriver driver([](TPreviewAtOnceForm&) {});
    clickPrint();
    QCoreApplication::processEvents();
    QCOMPARE(Script::shownMessages().size(), shown + 1);
    const auto& message = Script::shownMessages().last();
    QCOMPARE(message.text, QStringLiteral("你需要安装打印机才能打印！"));
    QCOMPARE(message.caption, QStringLiteral("Error"));
    QCOMPARE(message.icon, Dialogs::Icon::Stop);
    QCOMPARE(driver.opened, 0);
    QVERIFY(!print_frm);
    QVERIFY(scope->printer.log.isEmpty()); // no print window set any paper
}

void TestPrintJob::previewShowsTheCurrentIdiom() {
    moveTo(QStringLiteral("阿鼻地狱"));
    Captured seen;
    PreviewDriver driver([&](TPreviewAtOnceForm& preview) {
        seen.idiom = testing::part<QLabel>(*print_frm, "cymc")->text();
        seen.text = testing::part<RichEdit>(*print_frm, "RichEdit1")->toPlainText();
        seen.pages = int(preview.pages().size());
        seen.locked = preview.locked();
        seen.caption = preview.windowTitle();
        QCOMPARE(testing::part<QComboBox>(preview, "ComboBox1")->currentText(),
                 QStringLiteral("A4"));
        QCOMPARE(testing::part<QSpinBox>(preview, "SpinEdit1")->value(), 2100);
        QVERIFY(testing::part<QSpinBox>(preview, "SpinEdit1")->isReadOnly());
    });
    clickPrint();
    QCOMPARE(driver.opened, 1);
    QCOMPARE(seen.idiom, QStringLiteral("阿鼻地狱"));
    QCOMPARE(seen.text, QStringLiteral("\n【拼音】ā bí dì yù\n\n【解释】佛教传说中的地狱。"));
    QCOMPARE(seen.pages, 1);
    QVERIFY(seen.locked);
    QCOMPARE(seen.caption, QStringLiteral("打印预览"));
    // Released after its preview, the print window gave the paper back: A4, then Letter.
    QVERIFY(!print_frm);
    QVERIFY(
        scope->printer.log.first().startsWith(QStringLiteral("paper PrintAtOnce Defined 210x297")));
    QVERIFY(scope->printer.log.last().startsWith(QStringLiteral("paper Letter")));
    QVERIFY(!scope->printer.log.join(u' ').contains(QStringLiteral("begin")));
}

void TestPrintJob::twoPrintsInARow() {
    QStringList idioms;
    PreviewDriver driver(
        [&](TPreviewAtOnceForm&) { idioms << testing::part<QLabel>(*print_frm, "cymc")->text(); });
    moveTo(QStringLiteral("阿鼻地狱"));
    clickPrint();
    driver.rearm();
    moveTo(QStringLiteral("百发百中"));
    clickPrint();
    QCOMPARE(idioms, QStringList({QStringLiteral("阿鼻地狱"), QStringLiteral("百发百中")}));
    QCOMPARE(driver.opened, 2);
}

void TestPrintJob::printButtonPrintsOnePage() {
    moveTo(QStringLiteral("阿鼻地狱"));
    bool closed = false;
    PreviewDriver driver([&](TPreviewAtOnceForm& preview) {
        QPointer<TPreviewAtOnceForm> guard = &preview;
        QTest::mouseClick(testing::part<QToolButton>(preview, "PrintBtn"), Qt::LeftButton);
        closed = !guard || !guard->isVisible();
    });
    clickPrint();
    QVERIFY(closed);
    QCOMPARE(scope->printer.pages.size(), 1);
    QVERIFY(scope->printer.log.contains(QStringLiteral("end")));
    // The picture printed is the preview's page: same layout at the same resolution.
    QImage page = scope->printer.pages.at(0);
    int inked = 0;
    for (int y = 0; y < page.height(); y += 2)
        for (int x = 0; x < page.width(); x += 2)
            inked += qGray(page.pixel(x, y)) < 128;
    QVERIFY(inked > 100);
}

void TestPrintJob::longEntryKeepsEveryWord() {
    moveTo(QStringLiteral("沧海桑田"));
    bool whole = false;
    QSize layout;
    int previewPages = 0;
    PreviewDriver driver([&](TPreviewAtOnceForm& preview) {
        const QString text =
            ControlTree::windowText(testing::part<RichEdit>(*print_frm, "RichEdit1"));
        whole = ControlTree::cutToUnits(text, print_frm->PrintAtOnce1->MaxTextCount - 1) == text;
        layout = testing::part<QFrame>(*print_frm, "Panel1")->size();
        previewPages = int(preview.pages().size());
        QTest::mouseClick(testing::part<QToolButton>(preview, "PrintBtn"), Qt::LeftButton);
    });
    clickPrint();
    QVERIFY(whole);
    // At its design size whatever the screen; the text runs on below its box instead of
    // being cut at it, and the paper has the preview's pages.
    QCOMPARE(layout, QSize(644, 465));
    QCOMPARE(int(scope->printer.pages.size()), previewPages);
    const QImage& last = scope->printer.pages.last();
    int lowest = -1;
    for (int y = 0; y < last.height(); ++y)
        for (int x = 0; x < last.width(); x += 2)
            if (qGray(last.pixel(x, y)) < 128)
                lowest = y;
    QVERIFY2(previewPages > 1 || lowest > 20 + 465, qPrintable(QString::number(lowest)));
    QVERIFY(lowest < last.height() - 20);
}

QTEST_MAIN(TestPrintJob)
#include "tst_printjob.moc"
