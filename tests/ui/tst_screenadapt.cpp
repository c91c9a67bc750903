#include "platform/Dialogs.h"
#include "support/TestDatabase.h"
#include "ui/lookup/Tmain_frm.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

using namespace quorvane;

// Run once per screen size: the screen comes from the offscreen platform's configuration.
class TestScreenAdapt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowFollowsTheScreen();
};

void TestScreenAdapt::windowFollowsTheScreen() {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QString expected = qEnvironmentVariable("QUORVANE_TEST_SCREEN");
    if (!expected.isEmpty())
        QCOMPARE(QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()), expected);
    testing::ProgramFolder folder(testing::sampleRows());
    Dialogs::Script::begin();
    Tmain_frm window;
    QVERIFY(Dialogs::Script::shownMessages().isEmpty());
    Dialogs::Script::end();

    const int w = screen.width();
    const int h = screen.height();
    // Integer arithmetic of the design: 1024x768 gives 1009x541, 1280x1024 gives 1262x721.
    QCOMPARE(window.restoredSize(), QSize(789 * w / 800, 423 * h / 600));
    if (screen == QSize(1024, 768))
        QCOMPARE(window.restoredSize(), QSize(1009, 541));
    if (screen == QSize(1280, 1024))
        QCOMPARE(window.restoredSize(), QSize(1262, 721));

    // Contents scale by width : 800, positions and sizes from the scaled edges.
    const auto scaled = [w](int v) { return v * w / 800; };
    QCOMPARE(
        window.copybtn->geometry(),
        QRect(scaled(443), scaled(4), scaled(443 + 45) - scaled(443), scaled(4 + 45) - scaled(4)));
    QCOMPARE(
        window.DBLookupCombo1->geometry(),
        QRect(scaled(52), scaled(12), scaled(52 + 133) - scaled(52), scaled(12 + 27) - scaled(12)));
    QCOMPARE(window.cymc->pos(), QPoint(scaled(40), scaled(28)));
    QCOMPARE(window.Panel2->height(), scaled(52));
    QCOMPARE(window.lrpnl->width(), scaled(195));
    QCOMPARE(window.Panel13->width(), scaled(154));
    QCOMPARE(window.Panel6->height(), scaled(1 + 60) - scaled(1)); // inside a 1-pixel bevel

    // Font heights in pixels, each scaled once.
    QCOMPARE(window.font().pixelSize(), scaled(14));
    QCOMPARE(window.copybtn->font().pixelSize(), scaled(14));
    QCOMPARE(window.Label1->font().pixelSize(), scaled(16));
    QCOMPARE(window.cymc->font().pixelSize(), scaled(24));
    QCOMPARE(window.DBGrid1->font().pixelSize(), scaled(15));
    QCOMPARE(window.DBLookupCombo1->font().pixelSize(), scaled(16));
    QVERIFY(window.cymc->font().bold());

    // Captions fit their buttons at every size.
    for (QToolButton* button : {window.allvbtn, window.copybtn, window.helpbtn})
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width(),
                 qPrintable(button->objectName()));
}

QTEST_MAIN(TestScreenAdapt)
#include "tst_screenadapt.moc"
