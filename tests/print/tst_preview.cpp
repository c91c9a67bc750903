// The print preview window: page pictures, zoom, arrangement and the paper controls.
#include "FakePrinter.h"
#include "print/PreviewPage.h"
#include "print/TPreviewAtOnceForm.h"
#include "print/TPrintAtOnce.h"
#include "support/WindowParts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using namespace quorvane;
using namespace PrintTypes;

namespace {
// A window with one edit per page-height step, bound to a preview as Preview binds it.
struct Setup {
    FakePrinterScope scope;
    QWidget window;
    QFrame* panel = new QFrame(&window);
    TPrintAtOnce* engine = new TPrintAtOnce(&window);
    TPreviewAtOnceForm preview;

    Setup(QSize pagePx, int edits = 1) : scope(96, pagePx, QSize(100, 100)) {
        panel->setGeometry(0, 0, 300, 400 * edits);
        for (int i = 0; i < edits; ++i)
            (new QLineEdit(QStringLiteral("第%1段").arg(i + 1), panel))
                ->setGeometry(0, i * 400, 200, 20);
        engine->setControl(panel);
        preview.bind(engine);
        engine->NewPageHandler = [this] { preview.NewPage(); };
        preview.resize(1000, 700);
        preview.selectPaper(Default);
    }
    void press(QToolButton* button, int times) {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(button, Qt::LeftButton);
    }
};
} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void zoomLimits_data();
    void zoomLimits();
    void arrangement_data();
    void arrangement();
    void paperChangeLaysOutAgain();
    void customPaperWaitsForTheTimer();
    void pagesShowMarginGuidesStretched();
    void lockedWindowStays();
    void printerSetupTakesThePrintersPage_data();
    void printerSetupTakesThePrintersPage();
};

void TestPreview::zoomLimits_data() {
    QTest::addColumn<bool>("in");
    QTest::addColumn<double>("limit");
    QTest::newRow("in") << true << 25.6289;
    QTest::newRow("out") << false << 0.0390;
}

void TestPreview::zoomLimits() {
    QFETCH(bool, in);
    QFETCH(double, limit);
    Setup s(QSize(400, 500));
    QToolButton* button = in ? testing::part<QToolButton>(s.preview, "ZoomInBtn")
                             : testing::part<QToolButton>(s.preview, "ZoomOutBtn");
    s.press(button, 7);
    QVERIFY(button->isEnabled());
    s.press(button, 1);
    QVERIFY(std::abs(s.preview.Zoom - limit) < 1e-3);
    QVERIFY(!button->isEnabled());
    // The handler itself refuses a ninth step.
    in ? s.preview.ZoomInBtnClick() : s.preview.ZoomOutBtnClick();
    QVERIFY(std::abs(s.preview.Zoom - limit) < 1e-3);
    const PreviewPage* page = s.preview.pages().first();
    QCOMPARE(page->image().size(), QSize(400, 500)); // stretched, never redrawn larger
}

void TestPreview::arrangement_data() {
    QTest::addColumn<int>("pageWidth");
    QTest::addColumn<int>("zoomOuts");
    QTest::addColumn<int>("perRow");
    QTest::newRow("762 wide") << 762 << 0 << 1;
    QTest::newRow("300 wide") << 450 << 1 << 3;
}

void TestPreview::arrangement() {
    QFETCH(int, pageWidth);
    QFETCH(int, zoomOuts);
    QFETCH(int, perRow);
    Setup s(QSize(pageWidth, 300), 4); // every edit falls on a page of its own
    const QList<PreviewPage*> pages = s.preview.pages();
    QCOMPARE(pages.size(), 4);
    QCOMPARE(pages.at(1)->objectName(), QStringLiteral("Image2"));
    QCOMPARE(pages.at(1)->y(), pages.at(0)->geometry().bottom() + 1 + 20);
    testing::part<QScrollArea>(s.preview, "ScrollBox1")->resize(1000, 600);
    s.press(testing::part<QToolButton>(s.preview, "ZoomOutBtn"), zoomOuts);
    if (!zoomOuts)
        s.preview.ArrangePaper();
    const int w = pages.at(0)->width();
    const int h = pages.at(0)->height();
    for (int i = 0; i < pages.size(); ++i)
        QCOMPARE(pages.at(i)->pos(),
                 QPoint(i % perRow * (w + 10) + 10, i / perRow * (h + 10) + 10));
}

void TestPreview::paperChangeLaysOutAgain() {
    Setup s(QSize(400, 500));
    s.press(testing::part<QToolButton>(s.preview, "ZoomInBtn"), 8);
    QVERIFY(!testing::part<QToolButton>(s.preview, "ZoomInBtn")->isEnabled());
    testing::part<QComboBox>(s.preview, "ComboBox1")->setCurrentIndex(A5);
    Q_EMIT testing::part<QComboBox>(s.preview, "ComboBox1")->activated(A5);
    QCOMPARE(s.preview.Zoom, 1.0);
    QCOMPARE(s.preview.pages().first()->size(), QSize(400, 500));
    QVERIFY(!testing::part<QToolButton>(s.preview, "ZoomInBtn")
                 ->isEnabled()); // until the next zoom-out press
    QCOMPARE(testing::part<QSpinBox>(s.preview, "SpinEdit1")->value(), 1480);
    QCOMPARE(testing::part<QSpinBox>(s.preview, "SpinEdit2")->value(), 2100);
    QVERIFY(testing::part<QSpinBox>(s.preview, "SpinEdit1")->isReadOnly() &&
            testing::part<QSpinBox>(s.preview, "SpinEdit2")->isReadOnly());
    QVERIFY(!s.preview.Timer1->isActive());
    QCOMPARE(s.scope.printer.log.last(), QStringLiteral("paper PrintAtOnce Defined 148x210"));
}

void TestPreview::customPaperWaitsForTheTimer() {
    Setup s(QSize(400, 500));
    s.preview.selectPaper(A4);
    s.preview.selectPaper(Custom);
    QVERIFY(!testing::part<QSpinBox>(s.preview, "SpinEdit1")->isReadOnly());
    QCOMPARE(testing::part<QSpinBox>(s.preview, "SpinEdit1")->value(), 2100);
    const PreviewPage* before = s.preview.pages().first();
    testing::part<QSpinBox>(s.preview, "SpinEdit1")->setValue(1500);
    QCOMPARE(s.scope.printer.log.last(), QStringLiteral("paper PrintAtOnce Defined 150x297"));
    QVERIFY(s.preview.Timer1->isActive());
    QCOMPARE(s.preview.Timer1->interval(), 2000);
    QCOMPARE(s.preview.pages().first(), before); // not yet laid out again
    s.scope.printer.pagePx = QSize(300, 500);
    QTRY_VERIFY_WITH_TIMEOUT(!s.preview.Timer1->isActive(), 3000);
    QCOMPARE(s.preview.pages().first()->image().width(), 300);
}

void TestPreview::pagesShowMarginGuidesStretched() {
    Setup s(QSize(400, 500));
    PreviewPage* page = s.preview.pages().first();
    const QImage& image = page->image();
    // Dash-dot guides: along x = 20 some pixels are black and some white.
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        dark += qGray(image.pixel(20, y)) < 128;
    QVERIFY(dark > image.height() / 3 && dark < image.height());
    QVERIFY(qGray(image.pixel(21, 250)) > 200);
    QVERIFY(qGray(image.pixel(400 - 20, 3)) < 128 || qGray(image.pixel(400 - 20, 4)) < 128);
    s.press(testing::part<QToolButton>(s.preview, "ZoomInBtn"), 2); // 2.25
    QCOMPARE(page->size(), QSize(900, 1125));
    const QRect area(30, 40, 200, 100);
    const QImage shown = page->rendered(area);
    int differing = 0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            const QPoint source(int((area.left() + x + 0.5) / 2.25),
                                int((area.top() + y + 0.5) / 2.25));
            differing += (qGray(shown.pixel(x, y)) < 128) != (qGray(image.pixel(source)) < 128);
        }
    // Every shown pixel is a source pixel, up to rounding at the seams.
    QVERIFY2(differing < area.width() * area.height() / 100,
             qPrintable(QString::number(differing)));
}

void TestPreview::lockedWindowStays() {
    Setup s(QSize(400, 500));
    s.preview.lock();
    QVERIFY(!(s.preview.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(s.preview.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(s.preview.minimumSize(), s.preview.maximumSize());
    s.preview.show();
    s.preview.move(50, 60);
    QTRY_COMPARE(s.preview.pos(), QPoint(0, 0));
}

void TestPreview::printerSetupTakesThePrintersPage_data() {
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<bool>("paperPicked");
    QTest::addColumn<int>("index");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("paper picked there") << true << true << int(Default) << QSize(2160, 2790);
    QTest::newRow("confirmed untouched") << true << false << int(A5) << QSize(1480, 2100);
    QTest::newRow("cancelled") << false << true << int(A5) << QSize(1480, 2100);
}

void TestPreview::printerSetupTakesThePrintersPage() {
    QFETCH(bool, confirmed);
    QFETCH(bool, paperPicked);
    QFETCH(int, index);
    QFETCH(QSize, shown);
    Setup s(QSize(400, 500));
    s.preview.selectPaper(A5);
    s.scope.printer.setupAnswer = confirmed;
    if (paperPicked)
        s.scope.printer.setupPaper = QPageSize(QPageSize::Letter);
    s.scope.printer.pageMm = QSize(216, 279);
    QTest::mouseClick(testing::part<QToolButton>(s.preview, "PrinterSetupBtn"), Qt::LeftButton);
    QVERIFY(s.scope.printer.log.contains(QStringLiteral("setup")));
    QCOMPARE(s.scope.printer.setupText.title, QStringLiteral("打印设置"));
    QCOMPARE(s.scope.printer.setupText.confirm, QStringLiteral("确定"));
    QCOMPARE(testing::part<QComboBox>(s.preview, "ComboBox1")->currentIndex(), index);
    QCOMPARE(QSize(testing::part<QSpinBox>(s.preview, "SpinEdit1")->value(),
                   testing::part<QSpinBox>(s.preview, "SpinEdit2")->value()),
             shown);
    // The printer keeps the engine's paper unless the user picked another.
    QCOMPARE(s.scope.printer.paper->name(), confirmed && paperPicked
                                                ? QPageSize(QPageSize::Letter).name()
                                                : QStringLiteral("PrintAtOnce Defined"));
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
