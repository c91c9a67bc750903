#include "platform/Dialogs.h"
#include "platform/FontFaces.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "ui/lookup/Tmain_frm.h"

#include <QApplication>
#include <QFontInfo>
#include <QScreen>
#include <QTest>

using namespace quorvane;
using quorvane::testing::entry;

// The idiom label of the main window on the design screen (800 × 600).
class TestIdiomLabel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontFaces::installSubstitutions(); }
    void idiomIsDrawnWholeIn3D_data();
    void idiomIsDrawnWholeIn3D();
};

void TestIdiomLabel::idiomIsDrawnWholeIn3D_data() {
    QTest::addColumn<QString>("code");
    QTest::newRow("four characters") << QStringLiteral("abss");
    QTest::newRow("the longest idiom") << QStringLiteral("grzs");
}

void TestIdiomLabel::idiomIsDrawnWholeIn3D() {
    QFETCH(QString, code);
    QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(800, 600));
    testing::ProgramFolder folder(
        {entry(QStringLiteral("abss"), QStringLiteral("爱不释手")),
         entry(QStringLiteral("grzs"), QStringLiteral("各人自扫门前雪，莫管他家瓦上霜"))});
    Dialogs::Script::begin();
    Tmain_frm window;
    Dialogs::Script::end();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(QFontInfo(parts(window).cymc->font()).family().contains(QStringLiteral("UKai")));
    QVERIFY(parts(window).cymc->transparent());

    parts(window).cymc->clear();
    const QImage without = parts(window).Panel6->grab().toImage();
    QVERIFY(parts(window).q_cy->locate(QStringLiteral("代码"), code, {true, true}));
    window.ShowEntry();
    const QImage with = parts(window).Panel6->grab().toImage();
    QCOMPARE(with.size(), without.size());

    // What the caption changed lies inside the label, clear of its right and bottom edge.
    const QRect label = parts(window).cymc->geometry();
    QRect ink;
    int desktop = 0, white = 0;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x) {
            if (with.pixel(x, y) == without.pixel(x, y))
                continue;
            ink |= QRect(x, y, 1, 1);
            desktop += with.pixel(x, y) == qRgb(58, 110, 165); // clBackground
            const QColor c(with.pixel(x, y)); // the highlight copy, smoothed at its edges
            white += c.red() > 220 && c.green() > 220 && c.blue() > 220;
        }
    QVERIFY(!ink.isEmpty());
    QVERIFY2(label.contains(ink), qPrintable(QStringLiteral("ink %1,%2 %3x%4")
                                                 .arg(ink.x())
                                                 .arg(ink.y())
                                                 .arg(ink.width())
                                                 .arg(ink.height())));
    QVERIFY(ink.right() < label.right() - 10);
    QVERIFY(ink.bottom() < label.bottom());
    QVERIFY(desktop > 50);
    QVERIFY(white > 20);
}

QTEST_MAIN(TestIdiomLabel)
#include "tst_idiomlabel.moc"
