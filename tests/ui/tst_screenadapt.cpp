#include "platform/Dialogs.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "ui/lookup/Tmain_frm.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTableView>
#include <QTest>

using namespace quorvane;

// Run once per screen size: the screen comes from the offscreen platform's configuration.
class TestScreenAdapt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowFollowsTheScreen();
    void nothingOverlapsOrIsCut();
};

void TestScreenAdapt::windowFollowsTheScreen() {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    // "WxH" or "WxH@ratio": the screen in device-independent pixels, and the ratio.
    const QString expected = qEnvironmentVariable("QUORVANE_TEST_SCREEN");
    if (!expected.isEmpty()) {
        const qreal dpr = QGuiApplication::primaryScreen()->devicePixelRatio();
        QCOMPARE(dpr, expected.contains(u'@') ? expected.section(u'@', 1).toDouble() : 1.0);
        QCOMPARE(QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()),
                 expected.section(u'@', 0, 0));
    }
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
        parts(window).copybtn->geometry(),
        QRect(scaled(443), scaled(4), scaled(443 + 45) - scaled(443), scaled(4 + 45) - scaled(4)));
    QCOMPARE(
        parts(window).DBLookupCombo1->geometry(),
        QRect(scaled(52), scaled(12), scaled(52 + 133) - scaled(52), scaled(12 + 27) - scaled(12)));
    QCOMPARE(parts(window).cymc->pos(), QPoint(scaled(40), scaled(28)));
    QCOMPARE(parts(window).Panel2->height(), scaled(1 + 52) - scaled(1)); // inside a 1-pixel bevel
    QCOMPARE(parts(window).lrpnl->width(), scaled(195));
    QCOMPARE(parts(window).Panel13->width(), scaled(154));
    QCOMPARE(parts(window).Panel6->height(), scaled(1 + 60) - scaled(1)); // inside a 1-pixel bevel

    // Font heights in pixels, each scaled once.
    QCOMPARE(window.font().pixelSize(), scaled(14));
    QCOMPARE(parts(window).copybtn->font().pixelSize(), scaled(14));
    QCOMPARE(parts(window).Label1->font().pixelSize(), scaled(16));
    QCOMPARE(parts(window).cymc->font().pixelSize(), scaled(24));
    QCOMPARE(parts(window).DBGrid1->font().pixelSize(), scaled(15));
    QCOMPARE(parts(window).DBLookupCombo1->font().pixelSize(), scaled(16));
    QVERIFY(parts(window).cymc->font().bold());

    // Captions fit their buttons at every size.
    for (QToolButton* button :
         {parts(window).allvbtn, parts(window).copybtn, parts(window).helpbtn})
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width(),
                 qPrintable(button->objectName()));
}

namespace {
QString describe(const QWidget* widget) {
    return QStringLiteral("%1 at %2,%3 %4x%5")
        .arg(widget->objectName())
        .arg(widget->x())
        .arg(widget->y())
        .arg(widget->width())
        .arg(widget->height());
}

// The rectangle a widget takes inside `ancestor`.
QRect placeIn(const QWidget* widget, const QWidget* ancestor) {
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}
} // namespace

void TestScreenAdapt::nothingOverlapsOrIsCut() {
    testing::ProgramFolder folder(testing::sampleRows());
    Dialogs::Script::begin();
    Tmain_frm window;
    Dialogs::Script::end();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const qreal dpr = window.devicePixelRatio();

    // Rows at least a line of their scaled font high, in the list and in the drop-down.
    QVERIFY(parts(window).DBGrid1->model()->rowCount() > 1);
    QVERIFY2(parts(window).DBGrid1->rowHeight(0) >= parts(window).DBGrid1->fontMetrics().height(),
             qPrintable(QString::number(parts(window).DBGrid1->rowHeight(0))));
    QTableView* dropDown = parts(window).DBLookupCombo1->listView();
    QVERIFY(dropDown->model()->rowCount() > 1);
    QVERIFY(dropDown->rowHeight(0) >= dropDown->fontMetrics().height());
    QCOMPARE(dropDown->font().pixelSize(), parts(window).DBLookupCombo1->font().pixelSize());
    const QLineEdit* box = parts(window).DBLookupCombo1->editor();
    QVERIFY(box->fontMetrics().height() <= box->height());

    // Buttons of the toolbar and of the title panel: apart, inside their panel, the glyph
    // and the caption inside the button, the glyph drawn at its own size (sharp).
    for (QWidget* panel : QList<QWidget*>{parts(window).Panel2, parts(window).Panel6}) {
        const QList<QToolButton*> buttons =
            panel->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(buttons.size() >= 3);
        // The round About button keeps clear of the tool buttons too.
        if (parts(window).VyrRoundButton1->parentWidget() == panel)
            for (QToolButton* button : buttons)
                QVERIFY2(!button->geometry().intersects(parts(window).VyrRoundButton1->geometry()),
                         qPrintable(describe(button)));
        for (QToolButton* button : buttons) {
            const QString name = describe(button);
            QVERIFY2(panel->rect().contains(placeIn(button, panel)), qPrintable(name));
            const QSize glyph = button->iconSize();
            const int caption = button->text().isEmpty() ? 0 : button->fontMetrics().height();
            QVERIFY2(glyph.height() + caption <= button->height() &&
                         glyph.width() <= button->width(),
                     qPrintable(name));
            if (!button->text().isEmpty())
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <= button->width(),
                         qPrintable(name));
            const QPixmap drawn = button->icon().pixmap(glyph, dpr);
            QCOMPARE(drawn.size(), glyph * dpr);
            for (QToolButton* other : buttons)
                if (other != button)
                    QVERIFY2(!button->geometry().intersects(other->geometry()),
                             qPrintable(name + QStringLiteral(" / ") + describe(other)));
        }
    }

    // The labels' text fits them, and the input label ends before the box begins.
    for (const QWidget* label : QList<QWidget*>{parts(window).Label1, parts(window).cymc}) {
        QVERIFY2(label->fontMetrics().height() <= label->height(), qPrintable(describe(label)));
    }
    const QFontMetrics input = parts(window).Label1->fontMetrics();
    QVERIFY(input.horizontalAdvance(parts(window).Label1->text()) <= parts(window).Label1->width());
    QVERIFY(parts(window).lrpnl->rect().contains(parts(window).Label1->geometry()));
    QVERIFY2(!parts(window).Label1->geometry().intersects(parts(window).DBLookupCombo1->geometry()),
             qPrintable(describe(parts(window).Label1)));
}

QTEST_MAIN(TestScreenAdapt)
#include "tst_screenadapt.moc"
